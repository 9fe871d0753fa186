// SPDX-License-Identifier: GPL-3.0-or-later
// Running an import's plan: each file copied into every destination and read back,
// recorded in the history, listed in the hash lists and, for a move, deleted from the
// card once verified everywhere; then the progress and result lines of a run.
#include "import/importCarte.h"

#include "core/messageFormat.h"
#include "import/historiqueImport.h"
#include "import/listeHachage.h"
#include "import/outilsImport.h"
#include "platform/fileSystem.h"
#include "platform/volumes.h"
#include "transfer/copieVerifiee.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace varlime {

using import_detail::avecSlash;
using import_detail::deuxChiffres;

namespace {

std::string texteDate(const std::optional<QDateTime>& d) {
    return d ? d->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString() : std::string();
}

} // namespace

namespace {

// The volume holding a destination, named in the full-disk message.
std::string disqueDe(const std::string& dossier) {
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream texte;
    texte << in.rdbuf();
    const std::string v = volumeDe(dossier, pointsDeMontage(texte.str()));
    return v.empty() ? dossier : v;
}

} // namespace

bool ImportCarte::encoreLaMeme(std::size_t i, const std::string& empreinte) const {
    const FichierImport& f = plan_.fichiers[i];
    const Identite& id = identites_[i];
    const int dfd = ::open(f.dossierSource.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0)
        return false;
    struct stat st {};
    const bool memeFichier = ::fstatat(dfd, f.nomSource.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                             id.present && S_ISREG(st.st_mode) && st.st_dev == id.dev &&
                             st.st_ino == id.ino && st.st_size == id.taille &&
                             st.st_mtim.tv_sec == id.mtime.tv_sec &&
                             st.st_mtim.tv_nsec == id.mtime.tv_nsec;
    // Read once more just before the delete: the card must still hold what was verified.
    const auto attendue = empreinteDepuisHex(empreinte);
    std::vector<char> tampon;
    const bool inchange =
        memeFichier && attendue && contenuInchange(dfd, f.nomSource, id.taille, *attendue, tampon);
    ::close(dfd);
    return inchange;
}

bool ImportCarte::effacerSource(std::size_t i, const std::string& empreinte) {
    const FichierImport& f = plan_.fichiers[i];
    if (!encoreLaMeme(i, empreinte))
        return false;
    const int dfd = ::open(f.dossierSource.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0)
        return false;
    const bool ok = ::unlinkat(dfd, f.nomSource.c_str(), 0) == 0;
    ::close(dfd);
    return ok;
}

void ImportCarte::ecarter(std::size_t i) {
    if (i >= plan_.fichiers.size())
        return;
    ecartes_.resize(plan_.fichiers.size());
    if (ecartes_[i])
        return;
    ecartes_[i] = true;
    if (plan_.fichiers[i].marque == MarqueImport::AImporter)
        plan_.octetsACopier -= plan_.fichiers[i].taille;
}

namespace {

// A descriptor closed however the scope ends.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(Fd&& o) noexcept : fd(o.fd) { o.fd = -1; }
    Fd(const Fd&) = delete;
};

// The type of the file system holding `chemin`, as /proc/self/mountinfo names it.
std::string systemeDe(const std::string& chemin) {
    std::ifstream in("/proc/self/mountinfo");
    std::string ligne, type, point;
    while (std::getline(in, ligne)) {
        const auto points = pointsDeMontage(ligne);
        const auto tiret = ligne.find(" - ");
        if (points.empty() || tiret == std::string::npos)
            continue;
        const std::string p = avecSlash(points.front());
        if (!chemin.starts_with(p) || p.size() < point.size())
            continue;
        point = p;
        const std::string reste = ligne.substr(tiret + 3);
        type = reste.substr(0, reste.find(' '));
    }
    return type;
}

// FAT, exFAT and NTFS (the removable drives' file systems; fuseblk is how exFAT and NTFS
// drives are mounted through FUSE) hold no name with these characters, nor one ending
// in a dot or a blank. Their drivers refuse such names with errors that say nothing of
// the name (EPERM, ENOENT): the name is checked first, and refused as it is.
bool nomRefuseSur(const std::string& type, std::string_view relatif) {
    static constexpr std::string_view kTypes[] = {"vfat", "msdos", "exfat",        "fuseblk",
                                                  "ntfs", "ntfs3", "fuse.fusefat", "fuse.exfat"};
    if (std::find(std::begin(kTypes), std::end(kTypes), type) == std::end(kTypes))
        return false;
    constexpr std::string_view kInterdits = "\"*:<>?\\|";
    std::size_t debut = 0;
    while (debut < relatif.size()) {
        const auto fin = std::min(relatif.find('/', debut), relatif.size());
        const std::string_view niveau = relatif.substr(debut, fin - debut);
        for (char c : niveau)
            if (static_cast<unsigned char>(c) < 0x20 ||
                kInterdits.find(c) != std::string_view::npos)
                return true;
        if (!niveau.empty() && (niveau.back() == '.' || niveau.back() == ' '))
            return true;
        debut = fin + 1;
    }
    return false;
}

// True when the disk holding `dossier` has no room left for `taille` bytes: some drivers
// tell a full disk by another error than ENOSPC.
bool sansPlace(const std::string& dossier, std::int64_t taille) {
    struct statvfs st {};
    return ::statvfs(dossier.c_str(), &st) == 0 &&
           std::int64_t(st.f_bavail) * std::int64_t(st.f_frsize) < taille;
}

} // namespace

std::string ImportCarte::copier(const FichierImport& f, const std::vector<std::string>& vers,
                                std::string& empreinte, bool& plein,
                                const std::function<void(std::int64_t)>& avance) {
    plein = false;
    for (const std::string& d : vers)
        if (nomRefuseSur(systemeDe(d), f.cheminRelatif()))
            return "name:" + d + f.cheminRelatif();
    std::vector<Fd> dossiers;
    std::vector<Destination> cibles;
    std::vector<std::string> chemins;
    for (const std::string& d : vers) {
        const std::string dossier = d + f.dossier;
        if (!creerArborescence(dossier.substr(0, dossier.size() - 1))) {
            plein = errno == ENOSPC || sansPlace(d, 1 << 16);
            // A name the file system cannot hold (':' or '?' on FAT) is refused as it is,
            // never written under another name.
            return (errno == EINVAL ? "name:" : "mkdir:") + dossier + ":" + std::strerror(errno);
        }
        Fd fd(::open(dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.fd < 0)
            return "mkdir:" + dossier + ":" + std::strerror(errno);
        if ((f.reprise || f.completer) && entreeExisteAt(fd.fd, f.nom)) {
            // Written before a stop, or put there by hand: kept only when it holds the
            // card file (for a file to complete, the content the archive verified).
            if (empreinte.empty())
                empreinte = empreinteFichier(f.cheminSource());
            if (empreinte.empty() || empreinteFichier(dossier + f.nom) != empreinte)
                return "exists:" + dossier + f.nom;
            continue;
        }
        cibles.push_back({fd.fd, f.nom});
        chemins.push_back(dossier + f.nom);
        dossiers.push_back(std::move(fd));
    }
    if (cibles.empty())
        return empreinte.empty() ? "read:" + f.cheminSource() : std::string();
    Fd source(::open(f.dossierSource.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (source.fd < 0)
        return "read:" + f.dossierSource + ":" + std::strerror(errno);
    // A film of several GB is told as it goes, and a stop does not wait for its end.
    OptionsCopie options;
    options.arret = &arret_;
    options.avancement = [&](std::size_t, std::int64_t fait, std::int64_t total) {
        if (avance && total > 0)
            avance(std::int64_t(double(f.taille) * double(fait) / double(total)));
    };
    const ResultatCopie r = copierVerifie(source.fd, f.nomSource, cibles, tampon_, options);
    auto cause = [&](CauseCopie c, int erreur, const std::string& chemin) -> std::string {
        const std::string pourquoi = erreur ? std::string(": ") + std::strerror(erreur) : "";
        switch (c) {
        case CauseCopie::Aucune:
            return {};
        case CauseCopie::PasUnFichier:
        case CauseCopie::SourceIllisible:
            return "read:" + f.cheminSource() + pourquoi;
        case CauseCopie::SourceModifiee:
            return "changed:" + f.cheminSource();
        case CauseCopie::CibleExiste:
            return "exists:" + chemin;
        case CauseCopie::DisquePlein:
            plein = true;
            return "write:" + chemin + pourquoi;
        case CauseCopie::NomRefuse:
            return "name:" + chemin;
        case CauseCopie::EcritureEchouee:
            plein = sansPlace(chemin.substr(0, chemin.rfind('/') + 1), f.taille);
            return "write:" + chemin + pourquoi;
        case CauseCopie::Differente:
            return "verify:" + chemin;
        case CauseCopie::Interrompue:
            return "stopped:" + f.cheminSource();
        }
        return "write:" + chemin;
    };
    if (r.causeSource != CauseCopie::Aucune)
        return cause(r.causeSource, r.erreurSource, f.cheminSource());
    for (std::size_t k = 0; k < r.destinations.size(); ++k)
        if (!r.destinations[k].ok())
            return cause(r.destinations[k].cause, r.destinations[k].erreur, chemins[k]);
    const std::string copie = r.empreinte.hex();
    if (!empreinte.empty() && empreinte != copie)
        return "changed:" + f.cheminSource();
    empreinte = copie;
    return {};
}

BilanImport ImportCarte::executer(const SuiviImport& suivi) {
    BilanImport bilan;
    std::vector<FichierImport>& fichiers = plan_.fichiers;
    ProgressionImport p;
    p.fichiersTotal =
        int(fichiers.size() - std::size_t(std::count(ecartes_.begin(), ecartes_.end(), true)));
    p.octetsTotal = plan_.octetsACopier;
    const auto debut = std::chrono::steady_clock::now();
    auto signaler = [&](std::int64_t enPlus) {
        if (!suivi.progression)
            return;
        ProgressionImport q = p;
        q.octetsFaits += enPlus;
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
        if (s > 0.05 && q.octetsFaits > 0) {
            q.octetsParSeconde = double(q.octetsFaits) / s;
            q.secondesRestantes = double(q.octetsTotal - q.octetsFaits) / q.octetsParSeconde;
        }
        // A stopped run has no time left to tell.
        if (bilan.interrompu)
            q.secondesRestantes = -1;
        suivi.progression(q);
    };
    if (!historique_) {
        bilan.erreur = "history";
        return bilan;
    }
    // The test hook sees each copy once written and flushed, before it is read back.
    if (avantRelecture)
        definirCrochetCopie([this](EtapeCopie etape, int fd) {
            if (etape == EtapeCopie::CopieEcrite)
                avantRelecture("/proc/self/fd/" + std::to_string(fd));
        });
    struct Decrocher {
        bool actif;
        ~Decrocher() {
            if (actif)
                definirCrochetCopie({});
        }
    } decrocher{bool(avantRelecture)};
    for (const std::string& d : destinations_)
        if (!creerArborescence(d.substr(0, d.size() - 1))) {
            bilan.erreur = "folder:" + d + "\n" + std::strerror(errno);
            return bilan;
        }
    // What each file became, by its place in the plan: its verified hash once imported.
    std::vector<std::string> verifiees(fichiers.size());
    auto echec = [&](const FichierImport& f, const std::string& raison) {
        bilan.echecs.push_back(f.cheminSource());
        bilan.raisons.push_back(raison);
    };
    auto effacer = [&](std::size_t i, const std::string& empreinte) {
        if (!options_.deplacer)
            return;
        if (effacerSource(i, empreinte))
            bilan.effaces.push_back(fichiers[i].cheminSource());
    };
    std::size_t i = 0;
    for (; i < fichiers.size(); ++i) {
        if (arret_.load()) {
            bilan.interrompu = true;
            break;
        }
        if (i < ecartes_.size() && ecartes_[i])
            continue;
        FichierImport& f = fichiers[i];
        p.fichier = f.cheminSource();
        signaler(0);
        switch (f.marque) {
        case MarqueImport::DejaImporte: {
            bilan.dejaImportes.push_back(f.cheminSource());
            // Its archive copy must still be there with that content before the card's goes.
            if (options_.deplacer && !f.empreinte.empty() &&
                empreinteFichier(archive_ + f.deja) == f.empreinte)
                effacer(i, f.empreinte);
            break;
        }
        case MarqueImport::DoublonCarte: {
            bilan.doublons.push_back(f.cheminSource());
            // Goes with the copy it repeats, once that one is verified everywhere.
            std::size_t original = 0;
            while (original < i && fichiers[original].cheminSource() != f.deja)
                ++original;
            if (original < i && !verifiees[original].empty() && verifiees[original] == f.empreinte)
                effacer(i, f.empreinte);
            break;
        }
        case MarqueImport::NomPris:
            echec(f, "exists:" + f.cheminRelatif());
            break;
        case MarqueImport::AImporter: {
            if (!identites_[i].present) {
                echec(f, "read:" + std::string(std::strerror(ENOENT)));
                break;
            }
            EntreeHistorique e;
            // The destinations it goes to: every one, or those a file to complete lacks.
            std::vector<std::string> vers;
            if (f.completer) {
                e = aCompleter_[i];
                for (const std::string& d : destinations_)
                    if (std::find(e.destinations.begin(), e.destinations.end(), d) ==
                        e.destinations.end())
                        vers.push_back(d);
                e.destinations.insert(e.destinations.end(), vers.begin(), vers.end());
            } else {
                vers = destinations_;
                e.archive = archive_;
                e.taille = f.taille;
                e.nomSource = f.nomSource;
                e.mtime = f.mtime;
                e.datePrise = texteDate(f.datePrise);
                e.modele = f.modele;
                e.serie = f.serie;
                e.decalage = f.decalage;
                e.chemin = f.cheminRelatif();
                e.destinations = destinations_;
                if (auto deja = f.reprise
                                    ? historique_->parNom(archive_, f.nomSource, f.taille, f.mtime)
                                    : std::nullopt;
                    deja && !deja->termine)
                    e.id = deja->id;
                else if (!historique_->commencer(e)) {
                    bilan.erreur =
                        "history-write:" + historique_->chemin() + "\n" + historique_->erreur();
                    break;
                }
            }
            // Written nowhere: the next run names it afresh (a name a disk refused is not
            // kept).
            auto oublierSiNulle = [&] {
                if (!f.completer && std::none_of(destinations_.begin(), destinations_.end(),
                                                 [&](const std::string& d) {
                                                     return entreeExiste(d + f.dossier, f.nom);
                                                 }))
                    historique_->oublier(e.id);
            };
            // A file to complete is copied only if the card still holds what the archive
            // verified.
            std::string empreinte = f.completer ? f.empreinte : std::string();
            bool plein = false;
            const std::string raison =
                copier(f, vers, empreinte, plein, [&](std::int64_t octets) { signaler(octets); });
            if (raison.starts_with("stopped:")) {
                // Stopped half way through a large file: it is left for the next run.
                oublierSiNulle();
                bilan.interrompu = true;
                goto fin;
            }
            p.octetsFaits += f.taille;
            if (!raison.empty()) {
                echec(f, raison);
                oublierSiNulle();
                if (plein) {
                    bilan.erreur = "full:" + disqueDe(archive_);
                    for (const std::string& d : destinations_)
                        if (raison.find(d) != std::string::npos)
                            bilan.erreur = "full:" + disqueDe(d);
                    ++i;
                    goto fin;
                }
                break;
            }
            e.empreinte = empreinte;
            if (!historique_->terminer(e)) {
                echec(f, "history-write:" + historique_->erreur());
                break;
            }
            f.empreinte = empreinte;
            verifiees[i] = empreinte;
            bilan.importes.push_back(f.cheminSource());
            if (f.sansDate())
                bilan.sansDate.push_back(f.cheminSource());
            effacer(i, empreinte);
            break;
        }
        }
        if (!bilan.erreur.empty()) {
            ++i;
            break;
        }
        ++p.fichiersFaits;
    }
fin:
    bilan.restants = 0;
    for (std::size_t j = i; j < fichiers.size(); ++j)
        bilan.restants += j < ecartes_.size() && ecartes_[j] ? 0 : 1;
    // Every destination's hash lists take what was verified and not listed yet, this
    // run's files and those of a run that stopped before it could write them.
    const QDateTime maintenant = QDateTime::currentDateTimeUtc();
    for (const std::string& d : destinations_) {
        std::vector<FichierListe> liste;
        std::vector<std::int64_t> ids;
        for (const EntreeHistorique& e : historique_->horsListe(archive_, d)) {
            if (std::find(e.destinations.begin(), e.destinations.end(), d) == e.destinations.end())
                continue;
            struct stat st {};
            if (::stat((d + e.chemin).c_str(), &st) != 0)
                continue;
            liste.push_back({e.chemin, std::int64_t(st.st_size), st.st_mtim.tv_sec, e.empreinte});
            ids.push_back(e.id);
        }
        if (liste.empty())
            continue;
        std::string pourquoi;
        if (!ecrireGeneration(d, liste, maintenant, &pourquoi) ||
            !historique_->marquerListes(ids, d)) {
            if (bilan.erreur.empty())
                bilan.erreur = "list:" + pourquoi;
        }
    }
    p.fichier.clear();
    signaler(0);
    return bilan;
}

std::string ligneProgression(const ProgressionImport& p, const TextLookup& texte) {
    auto mo = [](std::int64_t o) { return std::to_string(o / 1000000); };
    std::string reste = "?";
    if (p.secondesRestantes >= 0) {
        const long s = long(p.secondesRestantes + 0.5);
        reste = std::to_string(s / 60) + ":" + deuxChiffres(int(s % 60));
    }
    return formatMessage(
        texte("RSC_import_avancement", "%s/%s fichiers, %s/%s Mo, %s Mo/s, reste %s"),
        {std::to_string(p.fichiersFaits), std::to_string(p.fichiersTotal), mo(p.octetsFaits),
         mo(p.octetsTotal), std::to_string(std::int64_t(p.octetsParSeconde / 1e6 + 0.5)), reste});
}

std::vector<std::string> lignesBilan(const BilanImport& b, bool deplacement,
                                     const TextLookup& texte) {
    std::vector<std::string> out;
    auto ligne = [&](const char* cle, const char* defaut, std::size_t n) {
        out.push_back(formatMessage(texte(cle, defaut), {std::to_string(n)}));
    };
    ligne("RSC_import_importes", "%s fichiers importés", b.importes.size());
    ligne("RSC_import_deja", "%s déjà importés", b.dejaImportes.size());
    ligne("RSC_import_doublons", "%s en double sur la carte", b.doublons.size());
    ligne("RSC_import_sans_date", "%s sans date", b.sansDate.size());
    ligne("RSC_import_echecs", "%s en échec", b.echecs.size());
    if (deplacement)
        ligne("RSC_import_effaces", "%s effacés de la carte", b.effaces.size());
    if (b.interrompu)
        ligne("RSC_import_interrompu", "Import interrompu : %s fichiers restent à importer",
              std::size_t(b.restants));
    return out;
}
} // namespace varlime
