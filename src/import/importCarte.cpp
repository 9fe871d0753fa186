// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/importCarte.h"

#include "core/annexes.h"
#include "core/nameUtils.h"
#include "exif_naming/composeurExif.h"
#include "exif_naming/faitsExif.h"
#include "import/historiqueImport.h"
#include "import/listeHachage.h"
#include "naming/chaineNommage.h"
#include "platform/fileSystem.h"
#include "platform/volumes.h"
#include "transfer/copieVerifiee.h"
#include "transfer/transfert.h"

#include <QLocale>
#include <QTimeZone>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace varlime {

namespace {

std::string avecSlash(std::string s) {
    if (s.empty() || s.back() != '/')
        s += '/';
    return s;
}

// The canonical path of a folder, ending in '/'; a folder not made yet keeps the path
// given, made absolute.
std::string cheminCanonique(const std::string& dossier) {
    if (char* r = ::realpath(dossier.c_str(), nullptr)) {
        std::string out = avecSlash(r);
        std::free(r);
        return out;
    }
    if (!dossier.empty() && dossier.front() == '/')
        return avecSlash(dossier);
    return avecSlash(repertoireCourant()) + avecSlash(dossier);
}

char minuscule(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool egauxSansCasse(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return minuscule(x) == minuscule(y);
           });
}

// A value put in a folder name never makes a level of its own nor climbs out.
std::string valeurDeDossier(std::string_view v) {
    std::string out = nettoyerPourNom(v);
    if (out == "." || out == "..")
        out.assign(out.size(), '_');
    return out;
}

std::string deuxChiffres(int n, int largeur = 2) {
    std::string s = std::to_string(n);
    return std::string(std::max(0, largeur - int(s.size())), '0') + s;
}

std::string extensionDe(std::string_view nom) {
    const auto point = nom.rfind('.');
    return point == std::string_view::npos || point == 0 ? std::string()
                                                         : std::string(nom.substr(point + 1));
}

std::string baseDe(std::string_view nom) {
    const auto point = nom.rfind('.');
    return std::string(point == std::string_view::npos || point == 0 ? nom : nom.substr(0, point));
}

bool chiffres(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The highest counter already used after (or before) one of the name parts `parties`.
long long plusHautCompteur(const std::vector<std::string>& noms,
                           const std::vector<std::string>& parties, bool aDroite) {
    long long haut = -1;
    for (const std::string& nom : noms) {
        const std::string base = baseDe(nom);
        for (const std::string& p : parties) {
            if (base.size() <= p.size() || base.size() - p.size() > 9)
                continue;
            std::string_view reste;
            if (aDroite && base.compare(0, p.size(), p) == 0)
                reste = std::string_view(base).substr(p.size());
            else if (!aDroite && base.compare(base.size() - p.size(), p.size(), p) == 0)
                reste = std::string_view(base).substr(0, base.size() - p.size());
            if (chiffres(reste))
                haut = std::max(haut, std::atoll(std::string(reste).c_str()));
        }
    }
    return haut;
}

std::string texteDate(const std::optional<QDateTime>& d) {
    return d ? d->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString() : std::string();
}

// A camera's offset: the one given for its body's serial when it has one, else the one
// given for its model.
const DecalageHoraire* decalagePour(const std::vector<DecalageHoraire>& decalages,
                                    const FaitsExif& f) {
    if (!f.serie.empty())
        for (const DecalageHoraire& d : decalages)
            if (d.appareil == f.serie)
                return &d;
    for (const DecalageHoraire& d : decalages)
        if (!d.appareil.empty() && (egauxSansCasse(d.appareil, f.modele) ||
                                    egauxSansCasse(d.appareil, f.fabricant + " " + f.modele)))
            return &d;
    return nullptr;
}

} // namespace

std::optional<DecalageHoraire> lireDecalage(std::string_view texte) {
    const auto egal = texte.rfind('=');
    if (egal == std::string_view::npos || egal == 0)
        return std::nullopt;
    std::string_view v = texte.substr(egal + 1);
    if (v.size() < 6 || (v[0] != '+' && v[0] != '-'))
        return std::nullopt;
    const int signe = v[0] == '-' ? -1 : 1;
    v.remove_prefix(1);
    if (!(v.size() == 5 || v.size() == 8) || v[2] != ':' || (v.size() == 8 && v[5] != ':'))
        return std::nullopt;
    const std::string_view h = v.substr(0, 2), m = v.substr(3, 2),
                           s = v.size() == 8 ? v.substr(6, 2) : std::string_view("00");
    if (!chiffres(h) || !chiffres(m) || !chiffres(s))
        return std::nullopt;
    const int hh = std::atoi(std::string(h).c_str()), mm = std::atoi(std::string(m).c_str()),
              ss = std::atoi(std::string(s).c_str());
    if (mm > 59 || ss > 59)
        return std::nullopt;
    return DecalageHoraire{std::string(texte.substr(0, egal)),
                           signe * (hh * 3600L + mm * 60L + ss)};
}

std::string texteDecalage(long secondes) {
    const char signe = secondes < 0 ? '-' : '+';
    const long a = std::labs(secondes);
    std::string out = signe + deuxChiffres(int(a / 3600)) + ":" + deuxChiffres(int(a / 60 % 60));
    if (a % 60)
        out += ":" + deuxChiffres(int(a % 60));
    return out;
}

std::array<std::string, 12> moisAbregesDuSysteme() {
    std::array<std::string, 12> mois;
    const QLocale locale = QLocale::system();
    for (int m = 0; m < 12; ++m)
        mois[std::size_t(m)] = locale.monthName(m + 1, QLocale::ShortFormat).toStdString();
    return mois;
}

std::string historiqueParDefaut() {
    const char* donnees = std::getenv("XDG_DATA_HOME");
    if (donnees && *donnees == '/')
        return std::string(donnees) + "/varlime/imports.sqlite";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share/varlime/imports.sqlite";
}

std::optional<QDateTime> dateDePrise(const FaitsExif& faits) {
    const auto dh = ExploiteDateHeure(faits.dateHeure);
    if (!dh)
        return std::nullopt;
    // The camera's wall clock, without a zone: it is filed as the camera showed it.
    return QDateTime(dh->date, dh->heure, Qt::UTC);
}

std::string dossierDuModele(const std::string& modele, const ValeursModele& v,
                            const std::array<std::string, 12>& mois, const std::string& sansDate) {
    if (!v.date)
        return sansDate.empty() ? std::string() : avecSlash(valeurDeDossier(sansDate));
    const QDate d = v.date->date();
    const QTime t = v.date->time();
    std::string out;
    for (std::size_t i = 0; i < modele.size(); ++i) {
        const char c = modele[i];
        if (c == '%' && i + 1 < modele.size()) {
            const char code = modele[++i];
            switch (code) {
            case 'Y':
                out += deuxChiffres(d.year(), 4);
                break;
            case 'm':
                out += deuxChiffres(d.month());
                break;
            case 'd':
                out += deuxChiffres(d.day());
                break;
            case 'H':
                out += deuxChiffres(t.hour());
                break;
            case 'M':
                out += deuxChiffres(t.minute());
                break;
            case 'S':
                out += deuxChiffres(t.second());
                break;
            case 'j':
                out += deuxChiffres(d.dayOfYear(), 3);
                break;
            case 'b':
                out += valeurDeDossier(mois[std::size_t(d.month() - 1)]);
                break;
            case '%':
                out += '%';
                break;
            default:
                out += '%';
                out += code;
            }
            continue;
        }
        if (c == '{') {
            const auto fin = modele.find('}', i);
            if (fin != std::string::npos) {
                const std::string_view jeton = std::string_view(modele).substr(i + 1, fin - i - 1);
                const std::string* valeur = jeton == "make"    ? &v.fabricant
                                            : jeton == "model" ? &v.modele
                                            : jeton == "job"   ? &v.travail
                                            : jeton == "ext"   ? &v.extension
                                                               : nullptr;
                if (valeur) {
                    out += valeurDeDossier(*valeur);
                    i = fin;
                    continue;
                }
            }
        }
        out += c;
    }
    // Empty levels (a value that was empty) and "." or ".." typed in the template go.
    std::string propre;
    std::size_t debut = 0;
    while (debut <= out.size()) {
        const auto fin = std::min(out.find('/', debut), out.size());
        std::string niveau = out.substr(debut, fin - debut);
        if (niveau == "..")
            niveau = "__";
        if (!niveau.empty() && niveau != ".")
            propre += niveau + '/';
        debut = fin + 1;
    }
    return propre;
}

ImportCarte::ImportCarte(OptionsImport options) : options_(std::move(options)) {}
ImportCarte::~ImportCarte() = default;

// What the plan's steps hand each other.
struct ImportCarte::Etapes {
    // Each card folder as the walk met it, with the files it takes there.
    std::vector<std::string> dossiers;
    std::map<std::string, std::vector<std::string>> parDossier;
    // Each plan file's place: its folder's listing row, or the photo a sidecar goes with.
    struct Ligne {
        std::size_t dossier;   // index in `dossiers`
        std::size_t rang;      // the row in that folder's listing; kSansPhoto when none
        std::size_t principal; // for a sidecar: its photo's index in `lignes`
        Annexe annexe;
    };
    std::vector<Ligne> lignes;
    std::vector<std::unique_ptr<ChaineNommage>> chaines; // one listing per card folder
    OptionsNommage nommage;
    // The offsets the facts are read with; a new plan shifts the facts already read.
    std::shared_ptr<std::vector<DecalageHoraire>> decalages =
        std::make_shared<std::vector<DecalageHoraire>>();
    // Each photo's capture date before its camera's offset.
    std::vector<std::optional<QDateTime>> datesBrutes;
    // The marks the history and the hashes gave, before any name was given.
    std::vector<MarqueImport> marques;
    // The pending history entry of a file a stopped run had begun.
    std::vector<std::optional<EntreeHistorique>> enCours;
    // The destination folders as read once per plan: a keystroke lists no folder again.
    struct Repertoire {
        bool illisible = false;            // there but not listed: each name is asked of the disk
        std::vector<std::string> fichiers; // what may hold a counter (no folders)
        std::unordered_set<std::string> entrees, minuscules;
    };
    std::unordered_map<std::string, Repertoire> repertoires;
    const Repertoire& repertoire(const std::string& dossier);
    // Whether a destination folder holds that exact name (any kind of entry).
    bool existe(const std::string& dossier, const std::string& nom);
};

namespace {

std::string enMinuscules(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), minuscule);
    return s;
}

} // namespace

const ImportCarte::Etapes::Repertoire& ImportCarte::Etapes::repertoire(const std::string& dossier) {
    auto [it, nouveau] = repertoires.try_emplace(dossier);
    if (!nouveau)
        return it->second;
    Repertoire& r = it->second;
    bool ok = false;
    for (EntreeRepertoire& e : chercherFichiers(dossier, "*", attrTous, &ok)) {
        if (!(e.attributs & attrRepertoire))
            r.fichiers.push_back(e.nom);
        r.minuscules.insert(enMinuscules(e.nom));
        r.entrees.insert(std::move(e.nom));
    }
    r.illisible = !ok && Chemin_valide(dossier);
    return r;
}

bool ImportCarte::Etapes::existe(const std::string& dossier, const std::string& nom) {
    const Repertoire& r = repertoire(dossier);
    if (r.illisible)
        return entreeExiste(dossier, nom);
    if (r.entrees.count(nom))
        return true;
    // A disk that ignores letter case (FAT, exFAT) finds "img.jpg" for "IMG.JPG": the
    // disk is asked whenever the listing holds the name in another case.
    return r.minuscules.count(enMinuscules(nom)) && entreeExiste(dossier, nom);
}

bool ImportCarte::planifier(std::string* erreur) {
    plan_ = {};
    identites_.clear();
    ecartes_.clear();
    auto refus = [&](const std::string& e) {
        if (erreur)
            *erreur = e;
        return false;
    };
    if (!Chemin_valide(options_.source))
        return refus("source:" + options_.source);
    archive_ = cheminCanonique(options_.archive);
    destinations_ = {archive_};
    for (const std::string& s : options_.sauvegardes) {
        const std::string c = cheminCanonique(s);
        if (std::find(destinations_.begin(), destinations_.end(), c) == destinations_.end())
            destinations_.push_back(c);
    }
    const std::string source = cheminCanonique(options_.source);
    for (const std::string& d : destinations_)
        if (d.starts_with(source) || source.starts_with(d))
            return refus("inside:" + d);
    if (!historique_) {
        const std::string chemin =
            options_.historique.empty() ? historiqueParDefaut() : options_.historique;
        std::string pourquoi;
        historique_ = HistoriqueImport::ouvrir(chemin, &pourquoi, !options_.apercu);
        if (!historique_)
            return refus("history:" + chemin + "\n" + pourquoi);
    }
    etapes_ = std::make_unique<Etapes>();
    Etapes& e = *etapes_;
    lister(e);
    identifier(e);
    marquer(e);
    e.marques.clear();
    for (const FichierImport& f : plan_.fichiers)
        e.marques.push_back(f.marque);
    nommer(e);
    if (erreur)
        erreur->clear();
    return true;
}

namespace {

// What the listing depends on: options that differ there need the card listed again.
bool memeListing(const OptionsNommage& a, const OptionsNommage& b) {
    return a.masqueRecherche == b.masqueRecherche && a.attributs == b.attributs &&
           a.compagnons == b.compagnons;
}

} // namespace

bool ImportCarte::replanifier(const OptionsImport& o) {
    const OptionsImport& v = options_;
    if (!etapes_ || arret_.load() || o.source != v.source || o.archive != v.archive ||
        o.sauvegardes != v.sauvegardes || o.historique != v.historique ||
        o.deplacer != v.deplacer || !memeListing(o.nommage, v.nommage))
        return false;
    Etapes& e = *etapes_;
    if (o.decalages != v.decalages) {
        // The facts already read are shifted from the old offset to the new one, so that
        // names made from the capture time take the corrected time; files read later
        // take the new offsets from `e.decalages`.
        const std::vector<DecalageHoraire> anciens = *e.decalages;
        *e.decalages = o.decalages;
        const auto decaler = [&](FaitsExif& f) {
            const DecalageHoraire* a = decalagePour(anciens, f);
            const DecalageHoraire* n = decalagePour(o.decalages, f);
            const long ecart = (n ? n->secondes : 0) - (a ? a->secondes : 0);
            const auto date = ecart ? dateDePrise(f) : std::nullopt;
            if (date)
                f.dateHeure = date->addSecs(ecart)
                                  .toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))
                                  .toStdString();
        };
        for (auto& chaine : e.chaines)
            chaine->retoucherFaitsLus(decaler);
    }
    const bool apercu = options_.apercu;
    options_ = o;
    options_.apercu = apercu;
    e.nommage = options_.nommage;
    if (e.nommage.masqueRecherche.empty())
        e.nommage.masqueRecherche = "*.*";
    for (auto& chaine : e.chaines)
        chaine->options() = e.nommage;
    plan_.octetsACopier = 0;
    ecartes_.clear();
    for (std::size_t i = 0; i < plan_.fichiers.size(); ++i) {
        FichierImport& f = plan_.fichiers[i];
        f.marque = e.marques[i];
        f.nom.clear();
        f.reprise = false;
    }
    placer(e);
    nommer(e);
    return true;
}

void ImportCarte::liberer() {
    etapes_.reset();
}

void ImportCarte::lister(Etapes& e) {
    auto& dossiers = e.dossiers;
    auto& parDossier = e.parDossier;
    auto& lignes = e.lignes;
    auto& chaines = e.chaines;
    // The walk of the transfer: which files of which folders, sidecars after their photo.
    const bool apn = Dcim(options_.source);
    parcourirFichiers(
        avecSlash(options_.source), apn, apn, &arret_,
        [&](const std::string& dossier, const std::string& nom) {
            auto [it, nouveau] = parDossier.try_emplace(dossier);
            if (nouveau)
                dossiers.push_back(dossier);
            it->second.push_back(nom);
        },
        &plan_.illisibles);

    // Each folder listed by the naming pipeline, whose rows carry their sidecars.
    OptionsNommage& nommage = e.nommage;
    nommage = options_.nommage;
    nommage.masqueRecherche = nommage.masqueRecherche.empty() ? "*.*" : nommage.masqueRecherche;
    *e.decalages = options_.decalages;
    for (std::size_t k = 0; k < dossiers.size(); ++k) {
        auto chaine = std::make_unique<ChaineNommage>();
        chaine->options() = nommage;
        chaine->retoucherFaits([decalages = e.decalages](FaitsExif& f) {
            const DecalageHoraire* d = decalagePour(*decalages, f);
            const auto date = d ? dateDePrise(f) : std::nullopt;
            if (date)
                f.dateHeure = date->addSecs(d->secondes)
                                  .toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))
                                  .toStdString();
        });
        chaine->lister(dossiers[k]);
        const auto& noms = parDossier[dossiers[k]];
        const std::unordered_set<std::string> parcourus(noms.begin(), noms.end());
        std::unordered_set<std::string> pris;
        const auto& rangs = chaine->lignes();
        for (std::size_t r = 0; r < rangs.size() && chaine->fichiersTrouves(); ++r) {
            const std::string& nom = rangs[r].ancienSurDisque();
            if (!parcourus.count(nom))
                continue;
            const std::size_t photo = plan_.fichiers.size();
            FichierImport f;
            f.dossierSource = dossiers[k];
            f.nomSource = nom;
            plan_.fichiers.push_back(f);
            lignes.push_back({k, r, kSansPhoto, {}});
            pris.insert(nom);
            for (const Annexe& a : rangs[r].annexes) {
                if (!parcourus.count(a.nom))
                    continue;
                FichierImport s;
                s.dossierSource = dossiers[k];
                s.nomSource = a.nom;
                s.photo = photo;
                plan_.fichiers.push_back(s);
                lignes.push_back({k, kSansPhoto, photo, a});
                pris.insert(a.nom);
            }
        }
        // What the walk takes but the listing leaves out (its search mask) keeps its name.
        for (const std::string& nom : noms) {
            if (pris.count(nom))
                continue;
            FichierImport f;
            f.dossierSource = dossiers[k];
            f.nomSource = nom;
            plan_.fichiers.push_back(f);
            lignes.push_back({k, kSansPhoto, kSansPhoto, {}});
        }
        chaines.push_back(std::move(chaine));
    }
}

void ImportCarte::identifier(Etapes& e) {
    const auto& lignes = e.lignes;
    const auto& chaines = e.chaines;
    // Facts, date and identity of each file.
    std::vector<FichierImport>& fichiers = plan_.fichiers;
    e.datesBrutes.assign(fichiers.size(), std::nullopt);
    for (std::size_t i = 0; i < fichiers.size(); ++i) {
        FichierImport& f = fichiers[i];
        const Etapes::Ligne& l = lignes[i];
        struct stat st {};
        Identite id;
        if (::lstat(f.cheminSource().c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            f.taille = st.st_size;
            f.mtime = st.st_mtim.tv_sec;
            f.mtimeNs = st.st_mtim.tv_nsec;
            id = {st.st_dev, st.st_ino, st.st_size, st.st_mtim, true};
        }
        identites_.push_back(id);
        if (l.principal != kSansPhoto)
            continue;
        // The facts were read with the offsets applied: the date before them is kept.
        const FaitsExif& faits = chaines[l.dossier]->faits(f.nomSource);
        f.fabricant = faits.fabricant;
        f.modele = faits.modele;
        f.serie = faits.serie;
        e.datesBrutes[i] = dateDePrise(faits);
        if (const DecalageHoraire* d = decalagePour(*e.decalages, faits); d && e.datesBrutes[i])
            e.datesBrutes[i] = e.datesBrutes[i]->addSecs(-d->secondes);
    }
    placer(e);
}

void ImportCarte::placer(Etapes& e) {
    // The date after the camera's offset, and the folder, of each file; a sidecar goes
    // with its photo.
    std::vector<FichierImport>& fichiers = plan_.fichiers;
    for (std::size_t i = 0; i < fichiers.size(); ++i) {
        FichierImport& f = fichiers[i];
        const std::size_t principal = e.lignes[i].principal;
        if (principal != kSansPhoto) {
            const FichierImport& p = fichiers[principal];
            f.datePrise = p.datePrise;
            f.decalage = p.decalage;
            f.fabricant = p.fabricant;
            f.modele = p.modele;
            f.serie = p.serie;
        } else {
            f.decalage = decalageDe(options_.decalages, f.fabricant, f.modele, f.serie);
            f.datePrise = e.datesBrutes[i];
            if (f.datePrise)
                f.datePrise = f.datePrise->addSecs(f.decalage);
        }
        f.dossier = dossierDuModele(
            options_.modeleDossiers,
            {f.datePrise, f.fabricant, f.modele, options_.travail, extensionDe(f.nomSource)},
            options_.moisAbreges, options_.dossierSansDate);
    }
}

void ImportCarte::marquer(Etapes& etapes) {
    std::vector<FichierImport>& fichiers = plan_.fichiers;
    auto& enCours = etapes.enCours;
    enCours.assign(fichiers.size(), std::nullopt);
    aCompleter_.clear();
    // Already imported, but a destination of this run never verified it (a backup added
    // since): it is copied there, not skipped; once, when the card holds it twice.
    std::unordered_map<std::int64_t, std::size_t> completees; // history entry -> plan index
    auto dejaLa = [&](std::size_t i, const EntreeHistorique& e) {
        FichierImport& f = fichiers[i];
        f.deja = e.chemin;
        f.empreinte = e.empreinte;
        for (const std::string& d : destinations_)
            if (std::find(e.destinations.begin(), e.destinations.end(), d) ==
                e.destinations.end()) {
                const auto [it, premier] = completees.try_emplace(e.id, i);
                if (!premier) {
                    f.marque = MarqueImport::DoublonCarte;
                    f.deja = fichiers[it->second].cheminSource();
                    return;
                }
                f.completer = true;
                aCompleter_[i] = e;
                return;
            }
        f.marque = MarqueImport::DejaImporte;
    };
    // Already imported by name, size and time; then by content, for the files whose size
    // leaves a doubt (another card file, or a file of this archive, of that size).
    std::unordered_map<std::int64_t, int> tailles;
    for (std::size_t i = 0; i < fichiers.size(); ++i) {
        FichierImport& f = fichiers[i];
        if (!identites_[i].present)
            continue;
        if (auto e = historique_->parNom(archive_, f.nomSource, f.taille, f.mtime)) {
            if (e->termine) {
                dejaLa(i, *e);
                continue;
            }
            // Begun by a run that was stopped: it is finished under the same name.
            if (e->mtime == f.mtime) {
                enCours[i] = std::move(e);
                continue;
            }
        }
        ++tailles[f.taille];
    }
    std::unordered_map<std::string, std::size_t> parEmpreinte;
    for (std::size_t i = 0; i < fichiers.size(); ++i) {
        FichierImport& f = fichiers[i];
        if (!identites_[i].present || f.marque != MarqueImport::AImporter || enCours[i] ||
            f.completer)
            continue;
        if (tailles[f.taille] < 2 && !historique_->tailleConnue(archive_, f.taille))
            continue;
        f.empreinte = empreinteFichier(f.cheminSource());
        if (f.empreinte.empty())
            continue; // the run reads it again and counts the failure
        if (auto e = historique_->parEmpreinte(archive_, f.empreinte)) {
            dejaLa(i, *e);
            continue;
        }
        auto [it, premier] = parEmpreinte.try_emplace(f.empreinte, i);
        if (!premier) {
            f.marque = MarqueImport::DoublonCarte;
            f.deja = fichiers[it->second].cheminSource();
        }
    }
}

void ImportCarte::nommer(Etapes& e) {
    std::vector<FichierImport>& fichiers = plan_.fichiers;
    const auto& lignes = e.lignes;
    const auto& dossiers = e.dossiers;
    const auto& enCours = e.enCours;
    const OptionsNommage& nommage = e.nommage;
    auto& chaines = e.chaines;
    // Names: per card folder and destination folder, as a listing of their own, the
    // counter going on after the highest one each destination folder holds.
    std::unordered_map<std::string, std::vector<std::string>> nomsPris; // by destination folder
    auto prisDans = [&](const std::string& dossier) -> std::vector<std::string>& {
        auto [it, nouveau] = nomsPris.try_emplace(dossier);
        if (nouveau)
            for (const std::string& d : destinations_)
                for (const std::string& n : e.repertoire(d + dossier).fichiers)
                    it->second.push_back(n);
        return it->second;
    };
    // A file begun by a stopped run, or to complete in a new backup, keeps the path it
    // was given then.
    auto fixe = [&](std::size_t i) -> const std::string* {
        return enCours[i]              ? &enCours[i]->chemin
               : fichiers[i].completer ? &fichiers[i].deja
                                       : nullptr;
    };
    for (std::size_t i = 0; i < fichiers.size(); ++i)
        if (const std::string* chemin = fixe(i)) {
            fichiers[i].dossier = chemin->substr(0, chemin->rfind('/') + 1);
            fichiers[i].nom = chemin->substr(chemin->rfind('/') + 1);
            fichiers[i].reprise = enCours[i].has_value();
            // Its name is held even while no destination has it yet.
            prisDans(fichiers[i].dossier).push_back(fichiers[i].nom);
        }
    for (std::size_t k = 0; k < dossiers.size(); ++k) {
        std::map<std::string, std::vector<std::size_t>> groupes; // destination -> plan index
        std::vector<std::string> ordre;
        for (std::size_t i = 0; i < fichiers.size(); ++i) {
            if (lignes[i].dossier != k || lignes[i].rang == kSansPhoto || fixe(i) ||
                fichiers[i].marque != MarqueImport::AImporter)
                continue;
            auto [it, nouveau] = groupes.try_emplace(fichiers[i].dossier);
            if (nouveau)
                ordre.push_back(fichiers[i].dossier);
            it->second.push_back(i);
        }
        for (const std::string& dest : ordre) {
            const auto& membres = groupes[dest];
            std::vector<std::size_t> rangs;
            for (std::size_t i : membres)
                rangs.push_back(lignes[i].rang);
            ChaineNommage& chaine = *chaines[k];
            auto partie = chaine.nommerPartie(rangs, nommage.initialisation);
            std::vector<std::string>& pris = prisDans(dest);
            if (!nommage.alphabetique) {
                const long long haut =
                    plusHautCompteur(pris, partie.parties, nommage.compteurADroite);
                if (haut >= nommage.initialisation && haut < 999999999)
                    partie = chaine.nommerPartie(rangs, int(haut + 1));
            }
            for (std::size_t j = 0; j < membres.size(); ++j) {
                const FileRow& r = partie.lignes[j];
                const bool renomme = !r.nouveau.empty() &&
                                     !Remplacement_indique_pas_varlime(r.nouveau) &&
                                     !Nom_cible_invalide(r.nouveau);
                fichiers[membres[j]].nom = renomme ? r.nouveau : fichiers[membres[j]].nomSource;
                pris.push_back(fichiers[membres[j]].nom);
            }
        }
    }
    // Sidecars follow their photo's new name (or the name it was imported under), and
    // files the listing left out keep theirs.
    for (std::size_t i = 0; i < fichiers.size(); ++i) {
        FichierImport& f = fichiers[i];
        if (fixe(i) || !f.nom.empty())
            continue;
        if (lignes[i].principal != kSansPhoto) {
            const FichierImport& p = fichiers[lignes[i].principal];
            if (p.marque == MarqueImport::DejaImporte && !p.deja.empty()) {
                const auto slash = p.deja.rfind('/');
                f.dossier =
                    slash == std::string::npos ? std::string() : p.deja.substr(0, slash + 1);
                f.nom = nomAnnexe(p.deja.substr(slash == std::string::npos ? 0 : slash + 1),
                                  lignes[i].annexe);
            } else {
                f.dossier = p.dossier;
                f.nom = p.nom.empty() ? f.nomSource : nomAnnexe(p.nom, lignes[i].annexe);
            }
        } else {
            f.nom = f.nomSource;
        }
        if (f.marque == MarqueImport::AImporter)
            prisDans(f.dossier).push_back(f.nom);
    }
    // A name already in a destination, or given twice, is never replaced: that file fails.
    std::unordered_set<std::string> vus;
    for (std::size_t i = 0; i < fichiers.size(); ++i) {
        FichierImport& f = fichiers[i];
        if (f.marque != MarqueImport::AImporter)
            continue;
        bool prisAvant = !vus.insert(f.cheminRelatif()).second;
        if (!fixe(i))
            for (const std::string& d : destinations_)
                prisAvant = prisAvant || e.existe(d + f.dossier, f.nom);
        if (prisAvant)
            f.marque = MarqueImport::NomPris;
        else
            plan_.octetsACopier += f.taille;
    }
}

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

long decalageDe(const std::vector<DecalageHoraire>& decalages, const std::string& fabricant,
                const std::string& modele, const std::string& serie) {
    FaitsExif f;
    f.fabricant = fabricant;
    f.modele = modele;
    f.serie = serie;
    const DecalageHoraire* d = decalagePour(decalages, f);
    return d ? d->secondes : 0;
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

} // namespace

namespace {

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
