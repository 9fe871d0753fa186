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

TransfertPhotos::Resultat TransfertPhotos::copierUn(const std::string& dossier,
                                                    const std::string& nom) {
    const int dfd = dossierSource(dossier);
    if (dfd < 0)
        return Resultat::Echec;
    struct stat dst;
    if (::fstat(dfd, &dst) != 0)
        return Resultat::Echec;
    // Non-blocking: a pipe among the files must not hold the run.
    const int in = ::openat(dfd, nom.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return Resultat::Echec;
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode) || entreeExisteAt(cibleFd_, nom)) {
        ::close(in);
        return Resultat::Echec;
    }
    // An unnamed file in the target gets its name only once complete: a run killed on
    // the way leaves nothing at all. Where the file system has no such files, a hidden
    // temporary file stands in, locked while it is written.
    std::string temp;
    int out = ::openat(cibleFd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (out < 0) {
        temp = std::string(kPrefixeTemporaire) + std::to_string(::getpid()) + "-" +
               std::to_string(++sequence_) + ".tmp";
        out = ::openat(cibleFd_, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (out < 0) {
            const int err = errno;
            ::close(in);
            return disquePlein(err) ? Resultat::PlusDePlace : Resultat::Echec;
        }
        ::flock(out, LOCK_EX);
    }
    int erreur = 0;
    bool ok = true;
    off_t copie = 0;
    bool parNoyau = true;
    while (ok && copie < st.st_size) {
        if (parNoyau) {
            const ssize_t n =
                ::copy_file_range(in, nullptr, out, nullptr, std::size_t(st.st_size - copie), 0);
            if (n > 0) {
                copie += n;
                continue;
            }
            if (n < 0 && copie == 0 &&
                (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                 errno == EBADF || errno == EPERM)) {
                parNoyau = false; // this pair of file systems copies through user space
                continue;
            }
            if (n < 0)
                erreur = errno;
            ok = n > 0; // 0: the file shrank under the copy
            continue;
        }
        if (tampon_.empty())
            tampon_.resize(1 << 20);
        const ssize_t n = ::read(in, tampon_.data(), tampon_.size());
        if (n <= 0) {
            ok = n == 0 ? false : errno == EINTR;
            continue;
        }
        for (ssize_t ecrit = 0; ok && ecrit < n;) {
            const ssize_t w = ::write(out, tampon_.data() + ecrit, std::size_t(n - ecrit));
            if (w > 0) {
                ecrit += w;
            } else if (!(w < 0 && errno == EINTR)) {
                erreur = w < 0 ? errno : ENOSPC;
                ok = false;
            }
        }
        copie += n;
    }
    struct stat apres;
    // A file that changed while it was read is not taken as copied.
    ok = ok && copie == st.st_size && ::fstat(in, &apres) == 0 && apres.st_size == st.st_size &&
         memesTemps(apres.st_mtim, st.st_mtim) && memesTemps(apres.st_ctim, st.st_ctim);
    ::close(in);
    const struct timespec temps[2] = {st.st_atim, st.st_mtim};
    ok = ok && ::fchmod(out, st.st_mode & 07777) == 0 && ::futimens(out, temps) == 0;
    // The final name appears only now, complete, and never in place of another file.
    if (ok && temp.empty()) {
        const std::string lien = "/proc/self/fd/" + std::to_string(out);
        ok = ::linkat(AT_FDCWD, lien.c_str(), cibleFd_, nom.c_str(), AT_SYMLINK_FOLLOW) == 0;
        if (!ok)
            erreur = errno;
    } else if (ok) {
        ok = renommerSansEcraserAt(cibleFd_, temp, nom) == ResultatRenommage::Renomme;
    }
    if (!ok && !temp.empty())
        ::unlinkat(cibleFd_, temp.c_str(), 0);
    struct stat fin;
    if (ok)
        ok = ::fstat(out, &fin) == 0;
    // The lock protects the temporary file until its final name exists. A write error
    // the system reports only now (a full disk over the network) undoes the copy.
    if (::close(out) != 0 && ok) {
        erreur = errno;
        ::unlinkat(cibleFd_, nom.c_str(), 0);
        ok = false;
    }
    if (!ok)
        return disquePlein(erreur) ? Resultat::PlusDePlace : Resultat::Echec;
    copies_.push_back({dossier, nom, dst.st_dev, dst.st_ino, st.st_dev, st.st_ino, st.st_size,
                       st.st_mtim, st.st_ctim, fin.st_dev, fin.st_ino,
                       identiteFichier(cibleFd_, nom).naissance});
    return Resultat::Copie;
}

int TransfertPhotos::copierFichiers(const std::function<void(int)>& avancement) {
    nbCopies_ = 0;
    manqueDePlace_ = 0;
    int erreurs = 0;
    copies_.clear();
    if (cibleFd_ < 0)
        cibleFd_ = ::open(cible_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (cibleFd_ < 0 || verifierDossiers(source_, cible_) != RefusTransfert::Aucun)
        return 1;
    nettoyerTemporaires();
    parcourirFichiers(
        source_, recursif_, recursif_, &arret_,
        [&](const std::string& dossier, const std::string& nom) {
            switch (copierUn(dossier, nom)) {
            case Resultat::Copie:
                ++nbCopies_;
                if (avancement)
                    avancement(nbCopies_);
                break;
            case Resultat::PlusDePlace:
                ++manqueDePlace_;
                ++erreurs;
                break;
            case Resultat::Echec:
                ++erreurs;
                break;
            }
        },
        // A folder that cannot be read (no permission, a card pulled out)
        // holds photos that were not copied: a move must not go on.
        &erreurs);
    // Copies count as done only once they are on the disk.
    if (nbCopies_ > 0 && ::syncfs(cibleFd_) != 0) {
        if (disquePlein(errno))
            ++manqueDePlace_;
        ++erreurs;
    }
    return erreurs;
}

int TransfertPhotos::effacerFichiers(const std::function<void(int)>& avancement) {
    nbEffaces_ = 0;
    int erreurs = 0;
    for (const Copie& c : copies_) {
        if (arret_.load())
            break;
        // The source is looked at and deleted through its folder, which must be the one
        // walked; it must still be the very file copied (not replaced, rewritten or
        // touched since, even with its old dates put back), and a regular file.
        const int dfd = dossierSource(c.dossier);
        struct stat dossier, cible, source;
        const bool sur = dfd >= 0 && ::fstat(dfd, &dossier) == 0 &&
                         memeIdentite(dossier, c.dossierDev, c.dossierIno) &&
                         // The copy must be the file this run made, whole.
                         ::fstatat(cibleFd_, c.nom.c_str(), &cible, AT_SYMLINK_NOFOLLOW) == 0 &&
                         memeIdentite(cible, c.cibleDev, c.cibleIno) && cible.st_size == c.taille &&
                         identiteFichier(cibleFd_, c.nom).naissance == c.cibleNaissance &&
                         ::fstatat(dfd, c.nom.c_str(), &source, AT_SYMLINK_NOFOLLOW) == 0 &&
                         S_ISREG(source.st_mode) && memeIdentite(source, c.dev, c.ino) &&
                         source.st_size == c.taille && memesTemps(source.st_mtim, c.mtime) &&
                         memesTemps(source.st_ctim, c.ctime) &&
                         // A photo protected in the camera is read-only on its card: it stays
                         // there, counted, as protection asks.
                         (source.st_mode & S_IWUSR) != 0;
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
    // A full disk is told as such: removing same-named files would not help.
    if (b.erreursCopie != 0 && manqueDePlace_ > 0)
        lignes.push_back(compte(b.erreursCopie, texte, "RSC_message_erreur_copie_place",
                                "fichiers n'ont pu être copiés\n"
                                "Le disque de destination est plein : libérez de la place ou "
                                "choisissez un autre répertoire cible"));
    else if (b.erreursCopie != 0)
        lignes.push_back(compte(b.erreursCopie, texte, "RSC_message_erreur_copie_fichiers",
                                "fichiers n'ont pu être copiés\n"
                                "Effacez les fichiers du répertoire de destination portant un "
                                "nom identique"));
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
