// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/renameEngine.h"
#include "core/renommageInterne.h"
#include "platform/texteQt.h"

#include "core/maskEngine.h"
#include "core/messageFormat.h"
#include "core/nameUtils.h"
#include "platform/fileSystem.h"
#include "platform/textEncoding.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

namespace varlime {

std::string nomAffichable(std::string_view octets) {
    if (isValidUtf8(octets))
        return std::string(octets);
    // The same replacement characters as Qt shows, so a name looked up again by its
    // display text is found.
    return QString::fromUtf8(octets.data(), qsizetype(octets.size())).toUtf8().toStdString();
}

std::vector<std::size_t> groupesDeLignes(std::size_t n, const LigneCompagnonFn& compagnon) {
    std::vector<std::size_t> premier(n);
    std::iota(premier.begin(), premier.end(), 0);
    if (!compagnon)
        return premier;
    auto racine = [&premier](std::size_t i) {
        while (premier[i] != i)
            i = premier[i] = premier[premier[i]];
        return i;
    };
    for (std::size_t i = 0; i < n; ++i) {
        const auto autre = compagnon(i);
        if (!autre || *autre >= n)
            continue;
        const std::size_t a = racine(i), b = racine(*autre);
        // The first row of the list stands for the group.
        premier[std::max(a, b)] = std::min(a, b);
    }
    for (std::size_t i = 0; i < n; ++i)
        premier[i] = racine(i);
    return premier;
}

std::vector<std::pair<std::string, std::string>> annexesARenommer(const FileRow& row) {
    std::vector<std::pair<std::string, std::string>> out;
    if (row.annexes.empty() || row.nouveau.empty() ||
        Remplacement_indique_pas_varlime(row.nouveau) || Nom_cible_invalide(row.nouveau) ||
        row.nouveau == row.ancienSurDisque())
        return out;
    for (const Annexe& a : row.annexes) {
        std::string nouveau = nomAnnexe(row.nouveau, a);
        if (nouveau != a.nom)
            out.emplace_back(a.nom, std::move(nouveau));
    }
    return out;
}

bool Exploite_compteur(const OptionsNommage& options, std::string_view ancien) {
    if (options.exif.actif && options.exif.sansCompteur)
        return false;
    // A keep-the-digits mask ("[*&N]") lets the old name's own digits serve as counter.
    if (Copie_droite(options.prefixe, 3) == "&N]" && Chaine_fini_numerique(Prefixe(ancien)))
        return false;
    if (options.compteurInactif && Type_masque(options.prefixe) >= kMasqueChercherRemplacer)
        return false;
    return true;
}

CalculNouveauxNoms::CalculNouveauxNoms(std::vector<FileRow>& rows, bool fichiersTrouves,
                                       const OptionsNommage& options, NamePartFn partieNom,
                                       const LigneCompagnonFn& compagnon)
    : rows_(rows), options_(options), partieNom_(std::move(partieNom)),
      vider_(!fichiersTrouves ||
             (options.prefixe.empty() && !options.exif.actif && !options.dateFichier)),
      valeur_(static_cast<long long>(options.initialisation) - 1),
      extImposee_("." + options.extension) {
    // Rows named together: the first of a group takes the next number, the others
    // take the same one.
    if (compagnon && !vider_) {
        groupes_ = groupesDeLignes(rows.size(), compagnon);
        compteurs_.resize(rows.size());
    }
}

void CalculNouveauxNoms::avancer(std::size_t fin, std::size_t nommerDes) {
    fin = std::min(fin, rows_.size());
    if (vider_) {
        for (; suivante_ < fin; ++suivante_)
            if (suivante_ >= nommerDes)
                rows_[suivante_].nouveau.clear();
        return;
    }
    std::string nom;
    for (; suivante_ < fin; ++suivante_) {
        const std::size_t i = suivante_;
        FileRow& row = rows_[i];
        // Names are bytes: the extension and the counter test look at the name on disk.
        const std::string& ancien = row.ancienSurDisque();
        nom = partieNom_ ? partieNom_(i, row) : options_.prefixe;
        const bool marque = Remplacement_indique_pas_varlime(nom);
        std::string compteur;
        const std::size_t premier = groupes_.empty() ? i : groupes_[i];
        if (!marque && premier < i) {
            compteur = compteurs_[premier];
        } else if (!marque && Exploite_compteur(options_, ancien)) {
            compteur = Maj_compteur(options_.alphabetique, options_.largeur, valeur_);
            ++valeur_;
            numerote_ = true;
        }
        if (!compteurs_.empty())
            compteurs_[i] = compteur;
        // A row before the ones asked for only moves the counter on.
        if (i < nommerDes)
            continue;
        std::string_view ext;
        if (marque) {
            ext = {};
        } else if (options_.extensionImposee) {
            ext = extImposee_;
        } else {
            const auto dot = ancien.rfind('.');
            if (dot != std::string::npos)
                ext = std::string_view(ancien).substr(dot);
        }
        std::string& out = row.nouveau;
        out.clear();
        if (options_.compteurADroite) {
            out += nom;
            out += compteur;
        } else {
            out += compteur;
            out += nom;
        }
        const std::size_t debutExtension = out.size();
        out += ext;
        if (options_.extensionMinuscule)
            for (std::size_t k = debutExtension; k < out.size(); ++k)
                if (out[k] >= 'A' && out[k] <= 'Z')
                    out[k] = static_cast<char>(out[k] - 'A' + 'a');
    }
}

long long calculerNouveauxNoms(std::vector<FileRow>& rows, bool fichiersTrouves,
                               const OptionsNommage& options, const NamePartFn& partieNom,
                               const LigneCompagnonFn& compagnon) {
    CalculNouveauxNoms calcul(rows, fichiersTrouves, options, partieNom, compagnon);
    calcul.avancer(rows.size());
    return calcul.dernierCompteur();
}

int largeurCompteurNecessaire(const OptionsNommage& options, long long dernier) {
    if (options.alphabetique || dernier <= 0)
        return 0;
    return static_cast<int>(std::to_string(dernier).size());
}

std::vector<std::string> rapportLargeurCompteur(const OptionsNommage& options, long long dernier,
                                                const TextLookup& texte) {
    const int voulue = largeurCompteurNecessaire(options, dernier);
    const int choisie = std::clamp(options.largeur, kLargeurCompteurMin, kLargeurCompteurMax);
    if (voulue <= choisie)
        return {};
    return formattedLines(
        texte("RSC_msg_compteur_trop_court",
              "Le compteur sur %d chiffres ne suffit pas : il va jusqu'à %d.\r\n"
              "Les noms ne se suivraient plus dans l'ordre : choisissez %d chiffres."),
        {std::to_string(choisie), std::to_string(dernier), std::to_string(voulue)});
}

int MoteurNommage::largeurCompteurManquante() const {
    const int voulue = largeurCompteurNecessaire(options, dernierCompteur_);
    return voulue > std::clamp(options.largeur, kLargeurCompteurMin, kLargeurCompteurMax) ? voulue
                                                                                          : 0;
}

std::string partieNomStandard(const OptionsNommage& options, int dirfd, const FileRow& row) {
    const std::string& ancien = row.ancienSurDisque();
    if (Type_masque(options.prefixe) != kPasDeMasque) {
        std::string nom = Exploiter_masque(ancien, options.prefixe, options.exif.actif).nom;
        if (!nom.empty())
            return nom;
    }
    if (options.dateFichier)
        return Retourne_date_creation_fichier_at(dirfd, ancien, options.formatDate,
                                                 options.separateur, options.compteurADroite);
    return options.prefixe;
}

namespace {

bool aRenommer(const FileRow& row) {
    if (Remplacement_indique_pas_varlime(row.nouveau))
        return false;
    return !(row.ancien.empty() && row.brut.empty() && row.nouveau.empty()); // the empty row
}

// A sidecar's new name that its rename is bound to fail on: invalid, or held by another
// entry (on a file system that ignores case, a case-only change finds the sidecar itself).
bool cibleAnnexePrise(int dirfd, const std::string& ancien, const std::string& nouveau) {
    if (Nom_cible_invalide(nouveau) || Nom_cachant(ancien, nouveau))
        return true;
    if (!entreeExisteAt(dirfd, nouveau))
        return false;
    const IdentiteFichier a = identiteFichier(dirfd, ancien), n = identiteFichier(dirfd, nouveau);
    return a.inode == 0 || a.inode != n.inode;
}

// One rename as the journal holds it: old name, new name.
using Pas = std::pair<std::string, std::string>;

// The renames of a row: the file's own, then each sidecar's, each made of one step, or of
// two through a temporary name for a change of letter case only on a file system that
// ignores case (FAT and exFAT refuse to rename a file onto its own other spelling).
struct PasLigne {
    std::vector<Pas> fichier;
    std::vector<std::vector<Pas>> annexes;
    std::vector<std::pair<std::string, std::string>> nomsAnnexes;
};

bool casseSeule(std::string_view a, std::string_view b) {
    if (a == b || a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x != y && !(std::isalpha(x) && std::isalpha(y) && std::tolower(x) == std::tolower(y)))
            return false;
    }
    return true;
}

// The temporary names of changes of case.
constexpr std::string_view kPrefixeCasse = "varlime-casse-";

// The exact names of a folder's entries, read once for a run's changes of case.
std::unordered_set<std::string> nomsExacts(int dirfd) {
    std::unordered_set<std::string> noms;
    const int fd = ::dup(dirfd);
    DIR* d = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!d) {
        if (fd >= 0)
            ::close(fd);
        return noms;
    }
    ::rewinddir(d);
    while (dirent* e = ::readdir(d))
        noms.insert(e->d_name);
    ::closedir(d);
    return noms;
}

// True when the new spelling leads to the old name's file: the file system ignores case.
// Inode numbers cannot tell (FUSE drivers of FAT give each spelling its own), the
// folder's entries can: the new spelling is found, but no entry is spelled so.
class CasseIgnoree {
public:
    explicit CasseIgnoree(int dirfd) : fd_(dirfd) {}
    bool operator()(const std::string& a, const std::string& b) {
        if (fd_ < 0 || !casseSeule(a, b) || !nomValide(a) || !nomValide(b))
            return false;
        struct stat x, y;
        if (::fstatat(fd_, a.c_str(), &x, AT_SYMLINK_NOFOLLOW) != 0 ||
            ::fstatat(fd_, b.c_str(), &y, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        if (!noms_)
            noms_ = nomsExacts(fd_);
        return noms_->count(a) && !noms_->count(b);
    }

private:
    int fd_;
    std::optional<std::unordered_set<std::string>> noms_;
};

std::vector<Pas> pasDuRenommage(int dirfd, CasseIgnoree& casseIgnoree, const std::string& ancien,
                                const std::string& nouveau) {
    if (!casseIgnoree(ancien, nouveau))
        return {{ancien, nouveau}};
    static unsigned compteur = 0;
    for (int essai = 0; essai < 1000; ++essai) {
        const std::string temporaire = std::string(kPrefixeCasse) + std::to_string(::getpid()) +
                                       "-" + std::to_string(++compteur) + ".tmp";
        if (!entreeExisteAt(dirfd, temporaire))
            return {{ancien, temporaire}, {temporaire, nouveau}};
    }
    return {{ancien, nouveau}};
}

std::vector<PasLigne> pasDesLignes(int dirfd, const std::vector<FileRow>& rows) {
    std::vector<PasLigne> out;
    CasseIgnoree casseIgnoree(dirfd);
    for (const FileRow& row : rows) {
        if (!aRenommer(row))
            continue;
        PasLigne p;
        p.fichier = pasDuRenommage(dirfd, casseIgnoree, row.ancienSurDisque(), row.nouveau);
        p.nomsAnnexes = annexesARenommer(row);
        for (const auto& [ancien, nouveau] : p.nomsAnnexes)
            p.annexes.push_back(pasDuRenommage(dirfd, casseIgnoree, ancien, nouveau));
        out.push_back(std::move(p));
    }
    return out;
}

// Makes the steps of one rename, each marked done in the journal as it is made. A file
// left under its temporary name by a failed second step is in the journal: an undo
// gives it its old name back.
bool fairePas(int dirfd, const std::vector<Pas>& pas, std::size_t index, JournalEcrit* journal) {
    for (std::size_t k = 0; k < pas.size(); ++k) {
        if (renommerSansEcraserAt(dirfd, pas[k].first, pas[k].second) != ResultatRenommage::Renomme)
            return false;
        if (journal)
            journal->fait(index + k);
    }
    return true;
}

BilanRenommage renommerDans(int dirfd, const std::vector<FileRow>& rows,
                            const std::vector<PasLigne>& pas, JournalEcrit* journal) {
    BilanRenommage bilan;
    const auto echec = [&bilan](const std::string& ancien, const std::string& nouveau, int e) {
        ++bilan.erreurs;
        bilan.echecs.push_back({ancien, nouveau, e});
    };
    std::size_t n = 0, ligne = 0;
    for (const auto& row : rows) {
        if (!aRenommer(row))
            continue;
        const PasLigne& p = pas[ligne++];
        const std::size_t index = n;
        n += p.fichier.size();
        // The journal holds the row, then each of its sidecars.
        std::vector<std::size_t> indexAnnexes;
        for (const auto& a : p.annexes) {
            indexAnnexes.push_back(n);
            n += a.size();
        }
        // A file that already bears its new name has nothing to do: it is there, named as
        // asked, which is no failure. Nothing is marked done, so an undo leaves it alone.
        if (dirfd >= 0 && row.ancienSurDisque() == row.nouveau) {
            if (entreeExisteAt(dirfd, row.nouveau))
                ++bilan.renommes;
            else
                echec(row.ancienSurDisque(), row.nouveau, ENOENT);
            continue;
        }
        // A photo whose sidecar could not follow stays as it is, with its sidecars, rather
        // than leave them behind under its old name.
        const auto& annexes = p.nomsAnnexes;
        const auto annexePrise =
            std::find_if(annexes.begin(), annexes.end(), [dirfd](const auto& a) {
                return dirfd >= 0 && cibleAnnexePrise(dirfd, a.first, a.second);
            });
        if (dirfd < 0) {
            echec(row.ancienSurDisque(), row.nouveau, EBADF);
            continue;
        }
        if (annexePrise != annexes.end()) {
            // One failure, told by the sidecar that holds the photo back.
            echec(annexePrise->first, annexePrise->second,
                  Nom_cible_invalide(annexePrise->second) ? EINVAL : EEXIST);
            continue;
        }
        if (Nom_avec_joker(row.nouveau) || Nom_cachant(row.ancienSurDisque(), row.nouveau)) {
            echec(row.ancienSurDisque(), row.nouveau, EINVAL);
            continue;
        }
        if (fairePas(dirfd, p.fichier, index, journal)) {
            ++bilan.renommes;
        } else {
            echec(row.ancienSurDisque(), row.nouveau, errno);
            continue;
        }
        for (std::size_t k = 0; k < p.annexes.size(); ++k) {
            if (fairePas(dirfd, p.annexes[k], indexAnnexes[k], journal))
                ++bilan.renommes;
            else
                echec(p.nomsAnnexes[k].first, p.nomsAnnexes[k].second, errno);
        }
    }
    return bilan;
}

} // namespace

bool estNomTemporaireCasse(std::string_view nom) {
    return nom.starts_with(kPrefixeCasse) && nom.ends_with(".tmp");
}

BilanRenommage refusSansJournal(const std::string& journaux, int erreur) {
    BilanRenommage b;
    b.sansJournal = true;
    b.dossierJournal = journaux;
    b.erreurJournal = erreur;
    return b;
}

std::optional<BilanRenommage> prendreVerrou(VerrouDossier& verrou, const std::string& journaux,
                                            const IdentiteDossier& id) {
    if (verrou.prendre(journaux, id))
        return std::nullopt;
    if (verrou.erreur() != 0)
        return refusSansJournal(journaux, verrou.erreur());
    BilanRenommage b;
    b.enCours = true;
    return b;
}

std::string messageSansJournal(const TextLookup& texte, const BilanRenommage& bilan) {
    const std::string dossier = bilan.dossierJournal.empty()
                                    ? std::string("~/.local/state/varlime/")
                                    : bilan.dossierJournal;
    const std::string raison =
        bilan.dossierJournal.empty()
            ? texte("RSC_msg_sans_dossier_etat", "ni XDG_STATE_HOME ni HOME n'est défini")
            : texteErreurSysteme(texte, bilan.erreurJournal);
    return formatMessage(texte("RSC_msg_journal_impossible", kMessageJournalImpossible),
                         {nomAffichable(dossier), raison});
}

std::string messageRefus(const TextLookup& texte, const BilanRenommage& bilan,
                         const std::string& dossier, const std::string& journalTropGrand) {
    if (!journalTropGrand.empty())
        return formatMessage(texte("RSC_msg_journal_trop_grand", kMessageJournalTropGrand),
                             {nomAffichable(journalTropGrand)});
    if (bilan.enCours)
        return formatMessage(texte("RSC_msg_varlimage_en_cours", kMessageVarlimageEnCours),
                             {nomAffichable(dossier)});
    if (bilan.sansJournal)
        return messageSansJournal(texte, bilan);
    return {};
}

BilanRenommage renommerLignes(const DossierListe& dossier, const std::vector<FileRow>& rows,
                              const std::string& journaux, bool annulation) {
    if (!dossier.toujoursEnPlace()) {
        BilanRenommage refus;
        refus.dossierDeplace = true;
        return refus;
    }
    if (journaux.empty())
        return renommerDans(dossier.fd(), rows, pasDesLignes(dossier.fd(), rows), nullptr);
    const IdentiteDossier id = identiteDossier(dossier.fd());
    // One run per folder, whatever path or process it comes from: two runs mixed would
    // leave files under names neither journal can give back.
    VerrouDossier verrou;
    if (auto refus = prendreVerrou(verrou, journaux, id))
        return *refus;
    const std::vector<PasLigne> pas = pasDesLignes(dossier.fd(), rows);
    // The journal is on disk before the first file is touched. Where inode numbers do
    // not outlast a mount, each file is also known by its content.
    const bool contenu = !id.inodesStables;
    std::vector<JournalLu::Ligne> lignes;
    auto ajouter = [&](const std::vector<Pas>& etapes) {
        for (const auto& [ancien, nouveau] : etapes) {
            JournalLu::Ligne l{ancien, nouveau};
            poserIdentite(l, identiteFichier(dossier.fd(), ancien, contenu));
            lignes.push_back(std::move(l));
        }
    };
    for (const PasLigne& p : pas) {
        ajouter(p.fichier);
        // A sidecar is undone like any other file: a row of its own after its photo.
        for (const auto& a : p.annexes)
            ajouter(a);
    }
    JournalEcrit journal;
    if (!journal.ouvrir(journaux, dossier.chemin(), id, lignes, annulation))
        return refusSansJournal(journaux, journal.erreur());
    BilanRenommage bilan = renommerDans(dossier.fd(), rows, pas, &journal);
    journal.fermer();
    return bilan;
}

bool lignesARenommer(const std::vector<FileRow>& rows) {
    return std::any_of(rows.begin(), rows.end(), aRenommer);
}

std::string raisonsEchecs(const BilanRenommage& bilan, const TextLookup& texte,
                          std::size_t maximum) {
    std::string out;
    const std::string format = texte("RSC_msg_echec_renommage", "%s → %s : %s");
    for (std::size_t i = 0; i < bilan.echecs.size() && i < maximum; ++i) {
        const EchecRenommage& e = bilan.echecs[i];
        if (!out.empty())
            out += "\r\n";
        out += formatMessage(format, {controlesVisibles(nomAffichable(e.ancien), false),
                                      controlesVisibles(nomAffichable(e.nouveau), false),
                                      texteErreurSysteme(texte, e.erreur)});
    }
    if (bilan.echecs.size() > maximum)
        out += "\r\n" + formatMessage(texte("RSC_msg_echecs_autres", "… et %d autres"),
                                      {std::to_string(bilan.echecs.size() - maximum)});
    return out;
}

BilanRenommage renommerLignes(const std::string& dossier, const std::vector<FileRow>& rows) {
    DossierListe d;
    if (!d.ouvrir(dossier))
        return renommerDans(-1, rows, pasDesLignes(-1, rows), nullptr);
    return renommerLignes(d, rows);
}

bool MoteurNommage::lister(const std::string& chemin) {
    fichiersTrouves_ = false;
    std::vector<std::string> noms;
    // The sidecars of each listed photo, by the photo's name.
    std::unordered_map<std::string, std::vector<Annexe>> annexes;
    const bool ok = dossier_.ouvrir(chemin);
    if (ok) {
        // A read-only file is listed like any other; only the names are kept here, so
        // the listing is spared asking each file whether it is writable.
        const int attributs = options.attributs & ~attrLectureSeule;
        auto entrees = chercherFichiersAt(dossier_.fd(), options.masqueRecherche, attributs);
        noms.reserve(entrees.size());
        if (voirListing) {
            for (const auto& e : entrees)
                noms.push_back(e.nom);
            voirListing(noms);
            noms.clear();
        }
        // Sidecars are looked for among all the folder's files, whatever the mask lists: a
        // sidecar follows its photo even when the mask leaves it out, and is never listed
        // apart from a photo that is in the folder.
        const bool toutListe =
            (options.masqueRecherche == "*.*" || options.masqueRecherche == "*") &&
            (attributs & (attrCache | attrSysteme)) == (attrCache | attrSysteme);
        std::vector<EntreeRepertoire> autres;
        if (!toutListe)
            autres = chercherFichiersAt(dossier_.fd(), "*",
                                        attrTous & ~attrRepertoire & ~attrLectureSeule);
        const auto& tous = toutListe ? entrees : autres;
        // Most folders hold no sidecar: their names are not copied for nothing.
        const bool avecAnnexes = std::any_of(tous.begin(), tous.end(), [](const auto& e) {
            return !(e.attributs & attrRepertoire) && estNomAnnexe(e.nom);
        });
        std::unordered_set<std::string> cachees;
        if (avecAnnexes) {
            std::vector<std::string> fichiers;
            for (const auto& e : tous)
                if (!(e.attributs & attrRepertoire))
                    fichiers.push_back(e.nom);
            const std::vector<Rattachement> rattachements = rattacherAnnexes(fichiers);
            for (std::size_t k = 0; k < fichiers.size(); ++k) {
                const Rattachement& r = rattachements[k];
                if (r.photo == kSansPhoto)
                    continue;
                cachees.insert(fichiers[k]);
                annexes[fichiers[r.photo]].push_back(r.annexe);
            }
        }
        for (auto& e : entrees) {
            if (!cachees.empty() && !(e.attributs & attrRepertoire) && cachees.count(e.nom))
                continue;
            if (!garderFichier || garderFichier(e.nom))
                noms.push_back(std::move(e.nom));
        }
    }
    fichiersTrouves_ = !noms.empty();
    lignes_ = lignesTriees(std::move(noms));
    if (lignes_.empty())
        lignes_.resize(1);
    for (FileRow& row : lignes_) {
        if (annexes.empty())
            break;
        const auto a = annexes.find(row.ancienSurDisque());
        if (a == annexes.end())
            continue;
        row.annexes = std::move(a->second);
        std::sort(row.annexes.begin(), row.annexes.end(),
                  [](const Annexe& x, const Annexe& y) { return x.nom < y.nom; });
    }
    return ok;
}

namespace {
// The name part outside EXIF naming, with the options as they stand when it is made.
NamePartFn partieStandard(const OptionsNommage& options, int fd) {
    return [options, fd](std::size_t, const FileRow& row) {
        return partieNomStandard(options, fd, row);
    };
}
} // namespace

std::unique_ptr<CalculNouveauxNoms> MoteurNommage::calculParEtapes() {
    return std::make_unique<CalculNouveauxNoms>(lignes_, fichiersTrouves_, options,
                                                partieStandard(options, dossier_.fd()));
}

void MoteurNommage::finirCalcul(const CalculNouveauxNoms& calcul) {
    dernierCompteur_ = calcul.dernierCompteur();
}

void MoteurNommage::calculer(const NamePartFn& partieExif, const LigneCompagnonFn& compagnon) {
    if (!options.exif.actif) {
        const auto calcul = calculParEtapes();
        calcul->avancer(lignes_.size());
        finirCalcul(*calcul);
        return;
    }
    dernierCompteur_ = calculerNouveauxNoms(
        lignes_, fichiersTrouves_, options,
        partieExif ? partieExif : partieStandard(options, dossier_.fd()), compagnon);
    if (options.exif.actif) {
        std::vector<std::string> nouveaux;
        nouveaux.reserve(lignes_.size());
        for (const FileRow& r : lignes_)
            nouveaux.push_back(r.nouveau);
        // Rows named together take one letter.
        Supprimer_doublons(nouveaux, groupesDeLignes(lignes_.size(), compagnon));
        for (std::size_t i = 0; i < nouveaux.size(); ++i)
            lignes_[i].nouveau = std::move(nouveaux[i]);
    }
}

RapportTest MoteurNommage::tester(const TextLookup& texte) const {
    std::vector<LigneRenommage> lignes;
    lignes.reserve(lignes_.size());
    for (const FileRow& r : lignes_) {
        lignes.push_back({r.ancienSurDisque(), r.nouveau});
        // Each sidecar is checked as a row of its own, right after its photo, as the run
        // renames it; a sidecar name found taken keeps the photo from being renamed.
        for (auto& [ancien, nouveau] : annexesARenommer(r))
            lignes.push_back({std::move(ancien), std::move(nouveau), r.ancienSurDisque()});
    }
    const int fd = dossier_.fd();
    const EntreeExiste existe = [fd](const std::string& nom) { return entreeExisteAt(fd, nom); };
    RapportTest rapport = Tester_rename(lignes, existe, texte);
    // A counter that outgrows its width is told first, and is no "no error".
    if (auto largeur = rapportLargeurCompteur(options, dernierCompteur_, texte); !largeur.empty()) {
        if (!rapport.erreur) {
            const auto fin =
                messageLines(texte("RSC_aucune_erreur", "*** Aucune erreur à signaler ***"));
            rapport.lignes.resize(rapport.lignes.size() -
                                  std::min(rapport.lignes.size(), fin.size()));
        }
        rapport.lignes.insert(rapport.lignes.begin(), largeur.begin(), largeur.end());
        rapport.erreur = true;
    }
    // The report is read by a person: names that are not valid UTF-8 are shown readable.
    for (std::string& l : rapport.lignes)
        l = nomAffichable(l);
    return rapport;
}

BilanRenommage MoteurNommage::renommer() const {
    // No journal, no run: a run that cannot be undone is not made.
    if (journaux.empty())
        return refusSansJournal(journaux, 0);
    return renommerLignes(dossier_, lignes_, journaux);
}

} // namespace varlime
