// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/importCarte.h"

#include "core/annexes.h"
#include "core/nameUtils.h"
#include "exif_naming/faitsExif.h"
#include "import/historiqueImport.h"
#include "import/listeHachage.h"
#include "import/outilsImport.h"
#include "naming/chaineNommage.h"
#include "platform/fileSystem.h"
#include "transfer/transfert.h"

#include <QLocale>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

namespace varlime {

namespace {

using import_detail::avecSlash;
using import_detail::deuxChiffres;

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

long decalageDe(const std::vector<DecalageHoraire>& decalages, const std::string& fabricant,
                const std::string& modele, const std::string& serie) {
    FaitsExif f;
    f.fabricant = fabricant;
    f.modele = modele;
    f.serie = serie;
    const DecalageHoraire* d = decalagePour(decalages, f);
    return d ? d->secondes : 0;
}

} // namespace varlime
