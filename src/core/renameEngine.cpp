#include "core/renameEngine.h"
#include "platform/texteQt.h"

#include "core/maskEngine.h"
#include "core/nameUtils.h"
#include "platform/fileSystem.h"
#include "platform/textEncoding.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cstdint>
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

void calculerNouveauxNoms(std::vector<FileRow>& rows, bool fichiersTrouves,
                          const OptionsNommage& options, const NamePartFn& partieNom,
                          const LigneCompagnonFn& compagnon) {
    if (!fichiersTrouves ||
        (options.prefixe.empty() && !options.exif.actif && !options.dateFichier)) {
        for (auto& r : rows)
            r.nouveau.clear();
        return;
    }
    long long valeur = static_cast<long long>(options.initialisation) - 1;
    const std::string extImposee = "." + options.extension;
    // Rows named together: the first of a group takes the next number, the others
    // take the same one.
    const std::vector<std::size_t> groupes =
        compagnon ? groupesDeLignes(rows.size(), compagnon) : std::vector<std::size_t>();
    std::vector<std::string> compteurs(groupes.empty() ? 0 : rows.size());
    std::string nom;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        FileRow& row = rows[i];
        // Names are bytes: the extension and the counter test look at the name on disk.
        const std::string& ancien = row.ancienSurDisque();
        std::string_view ext;
        if (options.extensionImposee) {
            ext = extImposee;
        } else {
            const auto dot = ancien.rfind('.');
            if (dot != std::string::npos)
                ext = std::string_view(ancien).substr(dot);
        }
        nom = partieNom ? partieNom(i, row) : options.prefixe;
        const bool marque = Remplacement_indique_pas_varlime(nom);
        std::string compteur;
        const std::size_t premier = groupes.empty() ? i : groupes[i];
        if (!marque && premier < i) {
            compteur = compteurs[premier];
        } else if (!marque && Exploite_compteur(options, ancien)) {
            compteur = Maj_compteur(options.alphabetique, options.largeur, valeur);
            ++valeur;
        }
        if (!compteurs.empty())
            compteurs[i] = compteur;
        if (marque)
            ext = {};
        std::string& out = row.nouveau;
        out.clear();
        if (options.compteurADroite) {
            out += nom;
            out += compteur;
        } else {
            out += compteur;
            out += nom;
        }
        const std::size_t debutExtension = out.size();
        out += ext;
        if (options.extensionMinuscule)
            for (std::size_t k = debutExtension; k < out.size(); ++k)
                if (out[k] >= 'A' && out[k] <= 'Z')
                    out[k] = static_cast<char>(out[k] - 'A' + 'a');
    }
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

DossierListe::~DossierListe() {
    fermer();
}

void DossierListe::fermer() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    chemin_.clear();
    dev_ = 0;
    ino_ = 0;
}

bool DossierListe::ouvrir(const std::string& chemin) {
    fermer();
    if (chemin.empty() || chemin.find('\0') != std::string::npos)
        return false;
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    chemin_ = Retourne_repertoire_slash(chemin);
    dev_ = st.st_dev;
    ino_ = st.st_ino;
    return true;
}

bool DossierListe::toujoursEnPlace() const {
    if (fd_ < 0)
        return false;
    struct stat ouvert, parChemin;
    // A removed folder has no link left, though it stays open.
    if (::fstat(fd_, &ouvert) != 0 || ouvert.st_nlink == 0)
        return false;
    if (::stat(chemin_.c_str(), &parChemin) != 0 || !S_ISDIR(parChemin.st_mode))
        return false;
    return parChemin.st_dev == dev_ && parChemin.st_ino == ino_ && ouvert.st_dev == dev_ &&
           ouvert.st_ino == ino_;
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

BilanRenommage renommerDans(int dirfd, const std::vector<FileRow>& rows, JournalEcrit* journal) {
    BilanRenommage bilan;
    std::size_t n = 0;
    for (const auto& row : rows) {
        if (!aRenommer(row))
            continue;
        const std::size_t index = n++;
        // The journal holds the row, then each of its sidecars.
        const auto annexes = annexesARenommer(row);
        const std::size_t indexAnnexes = n;
        n += annexes.size();
        // A file that already bears its new name has nothing to do: it is there, named as
        // asked, which is no failure. Nothing is marked done, so an undo leaves it alone.
        if (dirfd >= 0 && row.ancienSurDisque() == row.nouveau) {
            if (entreeExisteAt(dirfd, row.nouveau))
                ++bilan.renommes;
            else
                ++bilan.erreurs;
            continue;
        }
        // A photo whose sidecar could not follow stays as it is, with its sidecars, rather
        // than leave them behind under its old name.
        const bool annexesLibres =
            dirfd >= 0 && std::none_of(annexes.begin(), annexes.end(), [dirfd](const auto& a) {
                return cibleAnnexePrise(dirfd, a.first, a.second);
            });
        if (annexesLibres && !Nom_avec_joker(row.nouveau) &&
            !Nom_cachant(row.ancienSurDisque(), row.nouveau) &&
            renommerSansEcraserAt(dirfd, row.ancienSurDisque(), row.nouveau) ==
                ResultatRenommage::Renomme) {
            ++bilan.renommes;
            if (journal)
                journal->fait(index);
        } else {
            ++bilan.erreurs;
            continue;
        }
        for (std::size_t k = 0; k < annexes.size(); ++k) {
            if (renommerSansEcraserAt(dirfd, annexes[k].first, annexes[k].second) ==
                ResultatRenommage::Renomme) {
                ++bilan.renommes;
                if (journal)
                    journal->fait(indexAnnexes + k);
            } else {
                ++bilan.erreurs;
            }
        }
    }
    return bilan;
}

} // namespace

BilanRenommage renommerLignes(const DossierListe& dossier, const std::vector<FileRow>& rows,
                              const std::string& journaux, bool annulation) {
    if (!dossier.toujoursEnPlace()) {
        BilanRenommage refus;
        refus.dossierDeplace = true;
        return refus;
    }
    if (journaux.empty())
        return renommerDans(dossier.fd(), rows, nullptr);
    // The journal is on disk before the first file is touched.
    std::vector<JournalLu::Ligne> lignes;
    for (const FileRow& row : rows) {
        if (!aRenommer(row))
            continue;
        const IdentiteFichier id = identiteFichier(dossier.fd(), row.ancienSurDisque());
        lignes.push_back({row.ancienSurDisque(), row.nouveau, id.inode, id.naissance, false});
        // A sidecar is undone like any other file: a row of its own after its photo.
        for (auto& [ancien, nouveau] : annexesARenommer(row)) {
            const IdentiteFichier ida = identiteFichier(dossier.fd(), ancien);
            lignes.push_back(
                {std::move(ancien), std::move(nouveau), ida.inode, ida.naissance, false});
        }
    }
    struct stat st;
    ::fstat(dossier.fd(), &st);
    JournalEcrit journal;
    const bool ecrit =
        journal.ouvrir(journaux, dossier.chemin(), st.st_dev, st.st_ino, lignes, annulation);
    BilanRenommage bilan = renommerDans(dossier.fd(), rows, ecrit ? &journal : nullptr);
    journal.fermer();
    bilan.sansJournal = !ecrit;
    return bilan;
}

BilanRenommage renommerLignes(const std::string& dossier, const std::vector<FileRow>& rows) {
    DossierListe d;
    if (!d.ouvrir(dossier))
        return renommerDans(-1, rows, nullptr);
    return renommerLignes(d, rows);
}

namespace {

using Sens = PlanAnnulation::Sens;

bool memeIdentite(const IdentiteFichier& vu, const IdentiteFichier& attendu) {
    return vu.inode == attendu.inode &&
           (attendu.naissance == 0 || vu.naissance == 0 || vu.naissance == attendu.naissance);
}

// What stands under a name: on disk, unless an earlier step of the plan changed it.
class EtatPrevu {
public:
    explicit EtatPrevu(int fd) : fd_(fd) {}
    struct Entree {
        bool existe = false;
        IdentiteFichier id;
    };
    Entree sous(const std::string& nom) const {
        if (const auto it = prevus_.find(nom); it != prevus_.end())
            return it->second;
        Entree e;
        e.existe = entreeExisteAt(fd_, nom);
        if (e.existe)
            e.id = identiteFichier(fd_, nom);
        return e;
    }
    void deplacer(const std::string& de, const std::string& vers) {
        const Entree e = sous(de);
        prevus_[de] = Entree{};
        prevus_[vers] = e;
    }

private:
    int fd_;
    std::map<std::string, Entree> prevus_;
};

// The rows of the run to make, each with the file it moves. A row's file is known by the
// identity taken before the run; a row whose old name did not exist then (it was freed
// and taken during the run) moves the file an earlier row brought there.
std::vector<JournalLu::Ligne> lignesDuRun(const JournalLu& j, Sens sens) {
    std::vector<JournalLu::Ligne> lignes = j.lignes;
    std::map<std::string, IdentiteFichier> apporte;
    for (JournalLu::Ligne& l : lignes) {
        if (l.inode == 0) {
            if (const auto it = apporte.find(l.ancien); it != apporte.end()) {
                l.inode = it->second.inode;
                l.naissance = it->second.naissance;
            }
        }
        apporte.erase(l.ancien);
        apporte[l.nouveau] = {l.inode, l.naissance};
    }
    if (sens == Sens::Terminer)
        return lignes; // the undo's rows already lead back
    // Going back: newest first, each from its new name to its old one.
    std::reverse(lignes.begin(), lignes.end());
    for (JournalLu::Ligne& l : lignes)
        std::swap(l.ancien, l.nouveau);
    return lignes;
}

// `requis`: whether each row must reach its new name (a row the undone run never made
// has nothing to undo).
PlanAnnulation planifier(int fd, JournalLu journal, Sens sens) {
    PlanAnnulation plan;
    plan.sens = sens;
    plan.lignes = lignesDuRun(journal, sens);
    std::vector<bool> requis(plan.lignes.size(), true);
    if (sens == Sens::Annuler)
        for (std::size_t i = 0; i < journal.lignes.size(); ++i)
            requis[journal.lignes.size() - 1 - i] = journal.lignes[i].fait;
    EtatPrevu etat(fd);
    for (std::size_t i = 0; i < plan.lignes.size(); ++i) {
        JournalLu::Ligne& l = plan.lignes[i];
        l.fait = false;
        if (l.ancien == l.nouveau)
            continue;
        const EtatPrevu::Entree depart = etat.sous(l.ancien);
        const EtatPrevu::Entree arrivee = etat.sous(l.nouveau);
        const IdentiteFichier id{l.inode, l.naissance};
        bool aPartir, arrive;
        if (id.inode != 0) {
            aPartir = depart.existe && memeIdentite(depart.id, id);
            arrive = arrivee.existe && memeIdentite(arrivee.id, id);
            // A file system that ignores letter case finds the file under both spellings.
            if (aPartir && arrive)
                arrive = !requis[i];
        } else {
            // Nothing tells the file: a row marked done goes when its target is free.
            aPartir = requis[i] && depart.existe && !arrivee.existe;
            arrive = false;
        }
        if (arrive)
            continue; // already there
        if (!aPartir) {
            if (requis[i])
                ++plan.impossibles; // renamed or replaced since
            continue;
        }
        if (arrivee.existe && !(id.inode != 0 && memeIdentite(arrivee.id, id))) {
            ++plan.impossibles; // its name is taken
            continue;
        }
        FileRow retour;
        retour.ancien = l.ancien;
        retour.nouveau = l.nouveau;
        plan.retours.push_back(std::move(retour));
        plan.indices.push_back(i);
        etat.deplacer(l.ancien, l.nouveau);
    }
    plan.journal = std::move(journal);
    return plan;
}

bool runEnCours(const std::vector<JournalLu>& liste) {
    return std::any_of(liste.begin(), liste.end(), [](const JournalLu& j) { return j.enCours; });
}

} // namespace

PlanAnnulation planAnnulation(const DossierListe& dossier, JournalLu journal) {
    if (journal.enCours) {
        PlanAnnulation plan;
        plan.enCours = true;
        plan.journal = std::move(journal);
        return plan;
    }
    const Sens sens = journal.annulation ? Sens::Terminer : Sens::Annuler;
    return planifier(dossier.fd(), std::move(journal), sens);
}

std::optional<PlanAnnulation> planAnnulation(const DossierListe& dossier,
                                             const std::string& journaux) {
    struct stat st;
    if (!dossier.ouvert() || ::fstat(dossier.fd(), &st) != 0)
        return std::nullopt;
    std::vector<JournalLu> liste = journauxDuDossier(journaux, st.st_dev, st.st_ino);
    if (liste.empty())
        return std::nullopt;
    if (runEnCours(liste)) {
        PlanAnnulation plan;
        plan.enCours = true;
        plan.journal = std::move(liste.front());
        return plan;
    }
    JournalLu& dernier = liste.front();
    if (!dernier.annulation)
        return planifier(dossier.fd(), std::move(dernier), Sens::Annuler);
    // An undo that left files behind is finished; one that brought every file back is
    // undone in turn (the run is made again).
    PlanAnnulation fin = planifier(dossier.fd(), dernier, Sens::Terminer);
    if (!fin.retours.empty() || fin.impossibles != 0)
        return fin;
    return planifier(dossier.fd(), std::move(dernier), Sens::Refaire);
}

BilanRenommage annuler(const DossierListe& dossier, const PlanAnnulation& plan,
                       const std::string& journaux) {
    BilanRenommage bilan;
    if (plan.enCours) {
        bilan.enCours = true;
        return bilan;
    }
    if (!dossier.toujoursEnPlace()) {
        bilan.dossierDeplace = true;
        return bilan;
    }
    const int fd = dossier.fd();
    struct stat st;
    ::fstat(fd, &st);
    JournalEcrit journal;
    if (!journaux.empty()) {
        // A redo is an ordinary run: undoing it puts the files back again.
        bilan.sansJournal = !journal.ouvrir(journaux, dossier.chemin(), st.st_dev, st.st_ino,
                                            plan.lignes, plan.sens != Sens::Refaire);
        // Checked with this journal held: a run that started since is still going.
        if (journal.ouvert()) {
            std::vector<JournalLu> liste = journauxDuDossier(journaux, st.st_dev, st.st_ino);
            if (std::any_of(liste.begin(), liste.end(), [&](const JournalLu& j) {
                    return j.enCours && j.fichier != journal.chemin();
                })) {
                journal.abandonner();
                bilan.enCours = true;
                return bilan;
            }
        }
    }
    for (std::size_t k = 0; k < plan.retours.size(); ++k) {
        const FileRow& r = plan.retours[k];
        const std::size_t index = k < plan.indices.size() ? plan.indices[k] : plan.lignes.size();
        // The file is the one planned: another one may have taken the name meanwhile.
        bool sur = entreeExisteAt(fd, r.ancien);
        if (sur && index < plan.lignes.size() && plan.lignes[index].inode != 0)
            sur = memeIdentite(identiteFichier(fd, r.ancien),
                               {plan.lignes[index].inode, plan.lignes[index].naissance});
        // The names go back as they were, hidden ones included.
        if (sur && renommerSansEcraserAt(fd, r.ancien, r.nouveau) == ResultatRenommage::Renomme) {
            ++bilan.renommes;
            if (index < plan.lignes.size())
                journal.fait(index);
        } else {
            ++bilan.erreurs;
        }
    }
    journal.fermer();
    bilan.erreurs += plan.impossibles;
    return bilan;
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

void MoteurNommage::calculer(const NamePartFn& partieExif, const LigneCompagnonFn& compagnon) {
    const int fd = dossier_.fd();
    const NamePartFn standard = [this, fd](std::size_t, const FileRow& row) {
        return partieNomStandard(options, fd, row);
    };
    calculerNouveauxNoms(lignes_, fichiersTrouves_, options,
                         options.exif.actif && partieExif ? partieExif : standard,
                         options.exif.actif ? compagnon : LigneCompagnonFn());
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
    // The report is read by a person: names that are not valid UTF-8 are shown readable.
    for (std::string& l : rapport.lignes)
        l = nomAffichable(l);
    return rapport;
}

BilanRenommage MoteurNommage::renommer() const {
    return renommerLignes(dossier_, lignes_, journaux);
}

} // namespace varlime
