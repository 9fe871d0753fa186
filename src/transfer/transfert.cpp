// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/transfert.h"

#include "core/annexes.h"
#include "core/renameJournal.h"

#include "core/fileKinds.h"
#include "core/nameUtils.h"
#include "platform/fileSystem.h"
#include "platform/volumes.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varlime {

namespace {

char majuscule(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

std::string enMajuscules(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), majuscule);
    return out;
}

std::string avecSlash(std::string s) {
    if (s.empty() || s.back() != '/')
        s += '/';
    return s;
}

// A folder entry that is a link is listed as a folder, but is never entered.
bool estLien(const std::string& chemin) {
    struct stat st;
    return ::lstat(chemin.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

void chercherDcim(const std::string& dossier, std::string& trouve) {
    for (const EntreeRepertoire& e : chercherFichiers(dossier, "*.*", attrTous)) {
        if (!(e.attributs & attrRepertoire) || e.nom.front() == '.' || estLien(dossier + e.nom))
            continue;
        if (enMajuscules(e.nom) == "DCIM")
            trouve = dossier + e.nom;
        else
            chercherDcim(dossier + e.nom + '/', trouve);
    }
}

// The canonical form of a folder, ending in '/', or empty when it is none.
std::string canonique(const std::string& dossier) {
    char* r = ::realpath(dossier.c_str(), nullptr);
    if (!r)
        return {};
    std::string out = avecSlash(r);
    std::free(r);
    return out;
}

bool memeIdentite(const struct stat& a, dev_t dev, ino_t ino) {
    return a.st_dev == dev && a.st_ino == ino;
}

} // namespace

bool Dcim(std::string_view chemin) {
    const std::string s = avecSlash(std::string(chemin));
    return s.size() >= 5 && enMajuscules(s.substr(s.size() - 5)) == "DCIM/";
}

bool Fichier_a_copier(std::string_view nom, bool sourceApn) {
    if (!sourceApn)
        return true;
    // The pictures and films a camera writes, from the table of file kinds; a name
    // without a dot is its own extension.
    if (nom.find('.') == std::string_view::npos)
        return isCameraFile("." + std::string(nom));
    return isCameraFile(nom);
}

void parcourirFichiers(const std::string& dossierTexte, bool recursif, bool sourceApn,
                       const std::atomic<bool>* arret,
                       const std::function<void(const std::string&, const std::string&)>& visite,
                       int* illisibles) {
    const std::string dossier = avecSlash(dossierTexte);
    // Without subfolders the listing leaves folders out altogether.
    const int masque = recursif ? attrTous : attrTous & ~attrRepertoire;
    bool lu = false;
    std::vector<EntreeRepertoire> entrees = chercherFichiers(dossier, "*.*", masque, &lu);
    if (!lu && illisibles)
        ++*illisibles;
    // In name order, as the camera numbered them (and folders 100…, 101… likewise): an
    // interrupted copy holds the first photos, not those the folder happened to give first.
    std::sort(entrees.begin(), entrees.end(),
              [](const EntreeRepertoire& a, const EntreeRepertoire& b) { return a.nom < b.nom; });
    // The sidecars of this folder's files go with their photo, right after it, even
    // where their own kind would not be taken from a camera folder.
    std::vector<std::string> fichiers;
    std::vector<std::size_t> indexFichier(entrees.size(), kSansPhoto);
    for (std::size_t i = 0; i < entrees.size(); ++i) {
        if (!(entrees[i].attributs & attrRepertoire) && entrees[i].nom.front() != '.') {
            indexFichier[i] = fichiers.size();
            fichiers.push_back(entrees[i].nom);
        }
    }
    const std::vector<Rattachement> rattachements = rattacherAnnexes(fichiers);
    std::vector<std::vector<std::size_t>> annexesDe(fichiers.size());
    for (std::size_t k = 0; k < fichiers.size(); ++k) {
        const std::size_t photo = rattachements[k].photo;
        if (photo != kSansPhoto && Fichier_a_copier(fichiers[photo], sourceApn))
            annexesDe[photo].push_back(k);
    }
    for (std::size_t i = 0; i < entrees.size(); ++i) {
        const EntreeRepertoire& e = entrees[i];
        if (arret && arret->load())
            return;
        if (e.nom.front() == '.')
            continue;
        if (e.attributs & attrRepertoire) {
            if (!estLien(dossier + e.nom))
                parcourirFichiers(dossier + e.nom + '/', recursif, sourceApn, arret, visite,
                                  illisibles);
            continue;
        }
        const std::size_t k = indexFichier[i];
        const std::size_t photo = rattachements[k].photo;
        if (photo != kSansPhoto && Fichier_a_copier(fichiers[photo], sourceApn))
            continue; // taken with its photo
        if (!Fichier_a_copier(e.nom, sourceApn))
            continue;
        visite(dossier, e.nom);
        for (const std::size_t a : annexesDe[k])
            visite(dossier, fichiers[a]);
    }
}

int Comptabilise_fichiers(bool recursif, const std::string& dossier, bool sourceApn) {
    int n = 0;
    parcourirFichiers(dossier, recursif, sourceApn, nullptr,
                      [&n](const std::string&, const std::string&) { ++n; });
    return n;
}

std::string departRechercheDcim(const std::string& source, const std::vector<std::string>& points) {
    const std::string volume = volumeDe(source, points);
    if (volume.empty() || volume == "/")
        return avecSlash(source);
    return avecSlash(volume);
}

static std::vector<std::string> pointsActuels() {
    std::ifstream in("/proc/self/mountinfo");
    std::stringstream text;
    text << in.rdbuf();
    return pointsDeMontage(text.str());
}

std::string departRechercheDcim(const std::string& source) {
    return departRechercheDcim(source, pointsActuels());
}

bool lecteurPresent(const std::string& dossier, const std::vector<std::string>& points,
                    std::string* media) {
    const std::string racine = racineMedia(dossier);
    if (media)
        *media = racine;
    if (racine.empty())
        return true;
    const std::string volume = volumeDe(dossier, points);
    return volume.size() >= racine.size();
}

bool Lecteur_present(const std::string& dossier, std::string* media) {
    return lecteurPresent(dossier, pointsActuels(), media);
}

std::string Chercher_dcim(const std::string& depart) {
    std::string trouve;
    chercherDcim(avecSlash(depart), trouve);
    return trouve;
}

std::optional<LigneChemin> lireLigneChemin(std::string_view valeur) {
    if (valeur.empty() || valeur == "ERREUR")
        return std::nullopt;
    const auto pv = valeur.find(';');
    if (pv == std::string_view::npos)
        return LigneChemin{std::string(valeur), {}};
    return LigneChemin{std::string(valeur.substr(0, pv)), std::string(valeur.substr(pv + 1))};
}

RefusTransfert verifierDossiers(const std::string& source, const std::string& cible) {
    const std::string s = canonique(source), c = canonique(cible);
    if (s.empty() || c.empty() || !Chemin_valide(source) || !Chemin_valide(cible))
        return RefusTransfert::DossierInvalide;
    // Folders are compared by identity, so that a second mount of the same folder is
    // still found. A camera folder is walked with its subfolders: a target below it
    // would be walked too, and copied into itself.
    struct stat src;
    if (::stat(s.c_str(), &src) != 0)
        return RefusTransfert::DossierInvalide;
    const bool recursif = Dcim(source);
    for (std::string d = c; !d.empty();) {
        struct stat st;
        if (::stat(d.c_str(), &st) == 0 && memeIdentite(st, src.st_dev, src.st_ino))
            return RefusTransfert::CibleDansSource;
        if (!recursif || d == "/")
            break;
        d.pop_back(); // the trailing '/'
        d.erase(d.rfind('/') + 1);
    }
    return RefusTransfert::Aucun;
}

std::string messageRefus(RefusTransfert refus, const TextLookup& texte) {
    switch (refus) {
    case RefusTransfert::DossierInvalide:
        return texte("RSC_msg_transfert_dossiers_invalides",
                     "Choisissez un répertoire source et un répertoire cible existants.");
    case RefusTransfert::CibleDansSource:
        return texte("RSC_msg_transfert_cible_dans_source",
                     "Le répertoire cible ne peut être ni le répertoire source ni l'un de ses "
                     "sous-répertoires.");
    case RefusTransfert::Aucun:
        break;
    }
    return {};
}

bool BilanTransfert::reussi(bool deplacement) const {
    if (interrompu || erreursCopie != 0)
        return false;
    return !deplacement || (effacementLance && erreursEffacement == 0);
}

TransfertPhotos::TransfertPhotos(std::string source, std::string cible, bool deplacement)
    : source_(avecSlash(std::move(source))), cible_(avecSlash(std::move(cible))),
      deplacement_(deplacement), recursif_(Dcim(source_)) {}

TransfertPhotos::~TransfertPhotos() {
    lot_.reset(); // removes copies never proved while their folder is still open
    if (cibleFd_ >= 0)
        ::close(cibleFd_);
    if (dossierFd_ >= 0)
        ::close(dossierFd_);
}

namespace {

bool memesTemps(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool disquePlein(int err) {
    return err == ENOSPC || err == EDQUOT;
}

} // namespace

int TransfertPhotos::dossierSource(const std::string& dossier) {
    if (dossierFd_ >= 0 && dossier == dossierOuvert_)
        return dossierFd_;
    if (dossierFd_ >= 0)
        ::close(dossierFd_);
    dossierOuvert_ = dossier;
    dossierFd_ = ::open(dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return dossierFd_;
}

void TransfertPhotos::nettoyerTemporaires() {
    // A run that was killed while writing into a hidden temporary file leaves it behind.
    // A run still going holds a lock on its own, so only abandoned ones can be locked
    // and removed here. Only regular files are opened, and never waited for: a pipe or
    // a device given such a name must not hold the run.
    for (const EntreeRepertoire& e :
         chercherFichiersAt(cibleFd_, "*", attrTous & ~attrRepertoire)) {
        if (e.nom.rfind(kPrefixeTemporaire, 0) != 0)
            continue;
        struct stat avant, ouvert, fin;
        if (::fstatat(cibleFd_, e.nom.c_str(), &avant, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(avant.st_mode))
            continue;
        const int fd =
            ::openat(cibleFd_, e.nom.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        if (::fstat(fd, &ouvert) == 0 && S_ISREG(ouvert.st_mode) &&
            memeIdentite(ouvert, avant.st_dev, avant.st_ino) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(cibleFd_, e.nom.c_str(), &fin, AT_SYMLINK_NOFOLLOW) == 0 &&
            memeIdentite(fin, ouvert.st_dev, ouvert.st_ino))
            ::unlinkat(cibleFd_, e.nom.c_str(), 0);
        ::close(fd);
    }
}

CauseCopie TransfertPhotos::copierUn(const std::string& dossier, const std::string& nom) {
    const int dfd = dossierSource(dossier);
    Source source{dossier, nom, {}, {}};
    if (dfd < 0 || ::fstat(dfd, &source.dossierSt) != 0 ||
        ::fstatat(dfd, nom.c_str(), &source.st, 0) != 0)
        return CauseCopie::SourceIllisible;
    // A move deletes what it copied: each copy is proved identical first, in batches that
    // flush the target once. A plain copy goes at the speed of the kernel's own copy and
    // is flushed at the end of the run.
    if (deplacement_) {
        if (!lot_)
            lot_ = std::make_unique<LotCopies>(tampon_);
        if (lot_->ajouter(dfd, nom, {{cibleFd_, nom}}))
            ++ecritsEnLot_;
        enLot_.push_back(std::move(source));
        return CauseCopie::Aucune;
    }
    OptionsCopie options;
    options.verifier = false;
    return retenir(source, copierVerifie(dfd, nom, {{cibleFd_, nom}}, tampon_, options));
}

CauseCopie TransfertPhotos::retenir(const Source& s, const ResultatCopie& r) {
    if (!r.toutesCopiees())
        return r.causeSource != CauseCopie::Aucune ? r.causeSource : r.destinations[0].cause;
    // What the file was when it was copied: the delete phase compares.
    const int dfd = dossierSource(s.dossier);
    struct stat apres;
    if (dfd < 0 || ::fstatat(dfd, s.nom.c_str(), &apres, 0) != 0 || apres.st_dev != s.st.st_dev ||
        apres.st_ino != s.st.st_ino)
        return CauseCopie::SourceModifiee;
    copies_.push_back({s.dossier, s.nom, s.dossierSt.st_dev, s.dossierSt.st_ino, s.st.st_dev,
                       s.st.st_ino, s.st.st_size, apres.st_mtim, apres.st_ctim,
                       r.destinations[0].dev, r.destinations[0].ino,
                       identiteFichier(cibleFd_, s.nom).naissance, r.empreinte});
    return CauseCopie::Aucune;
}

void TransfertPhotos::compter(CauseCopie cause, int& erreurs,
                              const std::function<void(int)>& avancement) {
    if (cause == CauseCopie::Aucune) {
        ++nbCopies_;
        if (avancement)
            avancement(nbCopies_);
    } else {
        ++echecs_[std::size_t(cause)];
        ++erreurs;
    }
}

void TransfertPhotos::terminerLot(int& erreurs, const std::function<void(int)>& avancement) {
    if (!lot_ || lot_->nombre() == 0)
        return;
    const std::vector<ResultatCopie> resultats = lot_->terminer();
    for (std::size_t i = 0; i < resultats.size(); ++i)
        compter(retenir(enLot_[i], resultats[i]), erreurs, nullptr);
    enLot_.clear();
    ecritsEnLot_ = 0;
    if (avancement && montre_ != nbCopies_)
        avancement(montre_ = nbCopies_);
}

int TransfertPhotos::copierFichiers(const std::function<void(int)>& avancement) {
    nbCopies_ = 0;
    montre_ = 0;
    echecs_ = {};
    int erreurs = 0;
    copies_.clear();
    if (cibleFd_ < 0)
        cibleFd_ = ::open(cible_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (cibleFd_ < 0 || verifierDossiers(source_, cible_) != RefusTransfert::Aucun)
        return 1;
    nettoyerTemporaires();
    int illisibles = 0;
    parcourirFichiers(
        source_, recursif_, recursif_, &arret_,
        [&](const std::string& dossier, const std::string& nom) {
            const CauseCopie cause = copierUn(dossier, nom);
            // Copies of a move wait in their batch, proved once it is full; the count
            // moves on as each is written, and is set right if one fails its proof.
            if (cause != CauseCopie::Aucune || !deplacement_)
                compter(cause, erreurs, avancement);
            else if (avancement && nbCopies_ + ecritsEnLot_ != montre_)
                avancement(montre_ = nbCopies_ + ecritsEnLot_);
            if (lot_ && lot_->plein())
                terminerLot(erreurs, avancement);
        },
        // A folder that cannot be read (no permission, a card pulled out)
        // holds photos that were not copied: a move must not go on.
        &illisibles);
    // An interrupted walk stops between files: the copies already written are proved
    // and named all the same.
    terminerLot(erreurs, avancement);
    echecs_[std::size_t(CauseCopie::SourceIllisible)] += illisibles;
    erreurs += illisibles;
    // Copies count as done only once they are on the disk.
    if (nbCopies_ > 0 && ::syncfs(cibleFd_) != 0) {
        ++echecs_[std::size_t(disquePlein(errno) ? CauseCopie::DisquePlein
                                                 : CauseCopie::EcritureEchouee)];
        ++erreurs;
    }
    return erreurs;
}

int TransfertPhotos::effacerFichiers(const std::function<void(int)>& avancement) {
    nbEffaces_ = 0;
    modifiesDepuisCopie_ = 0;
    int erreurs = 0;
    for (const Copie& c : copies_) {
        if (arret_.load())
            break;
        // The source is looked at and deleted through its folder, which must be the one
        // walked; it must still be the very file copied (not replaced, rewritten or
        // touched since, even with its old dates put back), and a regular file.
        const int dfd = dossierSource(c.dossier);
        struct stat dossier, cible, source;
        const bool copieIntacte =
            dfd >= 0 && ::fstat(dfd, &dossier) == 0 &&
            memeIdentite(dossier, c.dossierDev, c.dossierIno) &&
            // The copy must be the file this run made, whole.
            ::fstatat(cibleFd_, c.nom.c_str(), &cible, AT_SYMLINK_NOFOLLOW) == 0 &&
            memeIdentite(cible, c.cibleDev, c.cibleIno) && cible.st_size == c.taille &&
            identiteFichier(cibleFd_, c.nom).naissance == c.cibleNaissance;
        const bool presente =
            copieIntacte && ::fstatat(dfd, c.nom.c_str(), &source, AT_SYMLINK_NOFOLLOW) == 0;
        const bool inchangee = presente && S_ISREG(source.st_mode) &&
                               memeIdentite(source, c.dev, c.ino) && source.st_size == c.taille &&
                               memesTemps(source.st_mtim, c.mtime) &&
                               memesTemps(source.st_ctim, c.ctime) &&
                               // Read once more, whole: on FAT and exFAT a file rewritten with its
                               // dates put back looks the same to every test above.
                               contenuInchange(dfd, c.nom, c.taille, c.empreinte, tampon_);
        if (presente && !inchangee)
            ++modifiesDepuisCopie_;
        // A photo protected in the camera is read-only on its card: it stays there,
        // counted, as protection asks.
        const bool sur = inchangee && (source.st_mode & S_IWUSR) != 0;
        if (sur && ::unlinkat(dfd, c.nom.c_str(), 0) == 0) {
            ++nbEffaces_;
            if (avancement)
                avancement(nbEffaces_);
        } else {
            ++erreurs;
        }
    }
    return erreurs;
}

namespace {
struct TexteCause {
    CauseCopie cause;
    const char* cle;
    const char* defaut;
};
const TexteCause kCausesCopie[] = {
    {CauseCopie::CibleExiste, "RSC_message_erreur_copie_fichiers",
     "fichiers n'ont pu être copiés\n"
     "Effacez les fichiers du répertoire de destination portant un nom identique"},
    {CauseCopie::DisquePlein, "RSC_message_erreur_copie_place",
     "fichiers n'ont pu être copiés\n"
     "Le disque de destination est plein : libérez de la place ou choisissez un autre "
     "répertoire cible"},
    {CauseCopie::PasUnFichier, "RSC_message_erreur_copie_pas_fichier",
     "fichiers n'ont pu être copiés\n"
     "Ce ne sont pas des fichiers ordinaires (tube, périphérique)"},
    {CauseCopie::SourceIllisible, "RSC_message_erreur_copie_illisible",
     "fichiers ou répertoires n'ont pu être lus\n"
     "Vérifiez les droits de lecture et que la carte est toujours là"},
    {CauseCopie::NomRefuse, "RSC_message_erreur_copie_nom",
     "fichiers n'ont pu être copiés\n"
     "Le système de fichiers de destination n'accepte pas leur nom"},
    {CauseCopie::SourceModifiee, "RSC_message_erreur_copie_modifie",
     "fichiers ont changé pendant leur copie\n"
     "Leur copie a été retirée ; relancez le transfert"},
    {CauseCopie::Differente, "RSC_message_erreur_copie_differente",
     "fichiers copiés différaient de la source à la relecture\n"
     "Leur copie a été retirée : vérifiez le disque de destination"},
    {CauseCopie::EcritureEchouee, "RSC_message_erreur_copie_ecriture",
     "fichiers n'ont pu être écrits dans le répertoire de destination"},
};

// "N " + the text of a message key: the count lines of a result.
std::string compte(int n, const TextLookup& texte, const char* cle, const char* defaut) {
    return std::to_string(n) + " " + texte(cle, defaut);
}
} // namespace

BilanTransfert TransfertPhotos::executer(const std::string& totalTexte, const TextLookup& texte,
                                         SortieTransfert& sortie) {
    BilanTransfert b;
    sortie.basculerBoutons(true);
    int total = 0;
    toInteger(totalTexte, total);

    // A move is told as a move from its first step, the copy, on.
    sortie.initialiserMessage(
        (deplacement_
             ? texte("RSC_message_information_deplacement_fichiers", "Déplacement des fichiers")
             : texte("RSC_message_information_copie_fichiers", "Copie des fichiers")) +
        " (" + totalTexte + ")");
    const std::string ligneCopie =
        " " + texte("RSC_message_avancement_copie_fichiers", "fichiers copiés /") + totalTexte;
    b.erreursCopie = copierFichiers(
        [&](int n) { sortie.afficherAvancement(n, std::to_string(n) + ligneCopie); });
    b.copies = nbCopies_;
    sortie.fermer();
    const bool interrompuCopie = arret_.load();

    // The result tells whether the run was interrupted, then what was copied, what
    // failed and what is left, so that no count is left for the user to guess.
    std::vector<std::string> lignes;
    if (interrompuCopie)
        lignes.push_back(texte("RSC_message_transfert_interrompu", "Transfert interrompu."));
    lignes.push_back(compte(b.copies, texte, "RSC_message_information_fichiers_copies",
                            "fichiers ont été copiés"));
    // Each failure is told with its own cause: removing same-named files helps only
    // against files of the same name.
    for (const auto& [cause, cle, defaut] : kCausesCopie)
        if (echecs(cause) != 0)
            lignes.push_back(compte(echecs(cause), texte, cle, defaut));
    if (interrompuCopie && total > b.copies + b.erreursCopie)
        lignes.push_back(compte(total - b.copies - b.erreursCopie, texte,
                                "RSC_message_fichiers_restants", "fichiers n'ont pas été traités"));
    const std::string sourceConservee =
        texte("RSC_message_source_conservee", "Aucun fichier n'a été effacé du répertoire source.");
    auto joindre = [](const std::vector<std::string>& l) {
        std::string out;
        for (const std::string& x : l)
            out += (out.empty() ? "" : "\n") + x;
        return out;
    };

    if (b.erreursCopie != 0) {
        sortie.afficherResultat(joindre(lignes), false);
        sortie.basculerBoutons(false);
        if (deplacement_)
            sortie.afficherResultat(
                texte("RSC_message_erreur_deplacement_fichiers",
                      "Certains fichiers n'ont pu être déplacés.\r\n"
                      "Les fichiers n'ont pas été effacés du répertoire source."),
                false);
    } else if (!deplacement_ || interrompuCopie) {
        // An interrupted move stops there: the files copied so far stay on the card too.
        if (deplacement_)
            lignes.push_back(sourceConservee);
        sortie.basculerBoutons(false);
        sortie.afficherResultat(joindre(lignes), !interrompuCopie);
    } else if (!sortie.confirmerEffacement(b.copies, source_)) {
        b.effacementRefuse = true;
        lignes.push_back(sourceConservee);
        sortie.basculerBoutons(false);
        sortie.afficherResultat(joindre(lignes), true);
    } else {
        b.effacementLance = true;
        sortie.initialiserMessage(
            texte("RSC_message_information_deplacement_fichiers", "Déplacement des fichiers") +
            " (" + totalTexte + ")");
        const std::string ligne =
            " " + texte("RSC_message_avancement_effacement_fichiers", "fichiers déplacés /") +
            totalTexte;
        b.erreursEffacement = effacerFichiers(
            [&](int n) { sortie.afficherAvancement(n, std::to_string(n) + ligne); });
        b.effaces = nbEffaces_;
        sortie.fermer();
        sortie.basculerBoutons(false);
        const bool interrompuEffacement = arret_.load();
        lignes.clear();
        if (interrompuEffacement)
            lignes.push_back(texte("RSC_message_transfert_interrompu", "Transfert interrompu."));
        if (b.erreursEffacement == 0 || b.effaces != 0)
            lignes.push_back(compte(b.effaces, texte, "RSC_message_information_fichiers_transferes",
                                    "fichiers ont été transférés"));
        if (b.erreursEffacement != 0)
            lignes.push_back(compte(b.erreursEffacement, texte,
                                    "RSC_message_erreur_effacement_fichiers",
                                    "fichiers n'ont pu être effacés"));
        if (modifiesDepuisCopie_ != 0)
            lignes.push_back(compte(modifiesDepuisCopie_, texte, "RSC_message_effacement_modifies",
                                    "fichiers ont changé depuis leur copie : ils restent dans le "
                                    "répertoire source"));
        const int restants = b.copies - b.effaces - b.erreursEffacement;
        if (interrompuEffacement && restants > 0)
            lignes.push_back(compte(restants, texte, "RSC_message_fichiers_non_effaces",
                                    "fichiers copiés sont restés dans le répertoire source"));
        sortie.afficherResultat(joindre(lignes), b.erreursEffacement == 0 && !interrompuEffacement);
    }
    b.interrompu = arret_.load();
    sortie.recompter();
    return b;
}

} // namespace varlime
