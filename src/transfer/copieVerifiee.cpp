// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/copieVerifiee.h"

#include "platform/fichierOrdinaire.h"
#include "platform/fileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>
#include <xxhash.h>

namespace varlime {

namespace {

constexpr std::size_t kBloc = std::size_t(1) << 20;
// Every this many bytes written, the copy's writing to the disk is started.
constexpr off_t kEcritureLancee = off_t(8) << 20;

CrochetCopie& crochet() {
    static CrochetCopie c;
    return c;
}

void appelerCrochet(EtapeCopie etape, int fd) {
    if (crochet())
        crochet()(etape, fd);
}

CauseCopie causeEcriture(int err) {
    switch (err) {
    case ENOSPC:
    case EDQUOT:
        return CauseCopie::DisquePlein;
    case EEXIST:
        return CauseCopie::CibleExiste;
    case EINVAL:
    case ENAMETOOLONG:
    case EILSEQ:
        return CauseCopie::NomRefuse;
    default:
        return CauseCopie::EcritureEchouee;
    }
}

bool memesTemps(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The XXH3-128 state, freed with the object.
class Hacheur {
public:
    Hacheur() : etat_(XXH3_createState()) { XXH3_128bits_reset(etat_); }
    ~Hacheur() { XXH3_freeState(etat_); }
    Hacheur(const Hacheur&) = delete;
    Hacheur& operator=(const Hacheur&) = delete;
    void ajouter(const char* p, std::size_t n) { XXH3_128bits_update(etat_, p, n); }
    Empreinte fin() const {
        const XXH128_hash_t h = XXH3_128bits_digest(etat_);
        return {h.high64, h.low64};
    }

private:
    XXH3_state_t* etat_;
};

// Reads up to n bytes at `pos` (the whole block unless the file ends); -1 on error.
ssize_t lireBloc(int fd, char* p, std::size_t n, off_t pos) {
    std::size_t lu = 0;
    while (lu < n) {
        const ssize_t r = ::pread(fd, p + lu, n - lu, pos + off_t(lu));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return -1;
        if (r == 0)
            break;
        lu += std::size_t(r);
    }
    return ssize_t(lu);
}

bool ecrireTout(int fd, const char* p, std::size_t n, int& erreur) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            erreur = w < 0 ? errno : ENOSPC;
            return false;
        }
        p += w;
        n -= std::size_t(w);
    }
    return true;
}

// One copy being written.
struct Ecriture {
    int fd = -1;
    std::string temporaire; // the hidden name, where the file system has no unnamed files
    ResultatDestination* resultat = nullptr;
    const Destination* destination = nullptr;
    bool vivante() const { return fd >= 0; }
};

unsigned sequenceTemporaire = 0;

void abandonner(Ecriture& e, CauseCopie cause, int erreur) {
    if (e.resultat->ok()) {
        e.resultat->cause = cause;
        e.resultat->erreur = erreur;
    }
    if (e.fd >= 0) {
        if (!e.temporaire.empty())
            ::unlinkat(e.destination->dossierFd, e.temporaire.c_str(), 0);
        ::close(e.fd);
        e.fd = -1;
    }
}

// An unnamed file in the folder gets its name only once complete: a run killed on the
// way leaves nothing. Where the file system has none, a hidden temporary file stands in,
// locked while it is written so a later run's clean-up leaves it alone.
void ouvrirCopie(Ecriture& e) {
    const int dfd = e.destination->dossierFd;
    struct stat st;
    if (::fstatat(dfd, e.destination->nom.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        e.resultat->cause = CauseCopie::CibleExiste;
        return;
    }
    e.fd = ::openat(dfd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (e.fd >= 0)
        return;
    e.temporaire = std::string(kPrefixeTemporaire) + std::to_string(::getpid()) + "-" +
                   std::to_string(++sequenceTemporaire) + ".tmp";
    e.fd = ::openat(dfd, e.temporaire.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (e.fd < 0) {
        e.resultat->cause = causeEcriture(errno);
        if (e.resultat->cause == CauseCopie::CibleExiste)
            e.resultat->cause = CauseCopie::EcritureEchouee;
        e.resultat->erreur = errno;
        e.temporaire.clear();
        return;
    }
    ::flock(e.fd, LOCK_EX);
}

// Times always; permissions where the file system keeps them (FAT refuses fchmod).
bool donnerAttributs(Ecriture& e, const struct stat& st, int mode) {
    const mode_t bits = mode >= 0 ? mode_t(mode) : st.st_mode & 07777;
    if (::fchmod(e.fd, bits) != 0 && errno != ENOSYS && errno != EPERM && errno != EOPNOTSUPP) {
        abandonner(e, CauseCopie::EcritureEchouee, errno);
        return false;
    }
    const struct timespec temps[2] = {st.st_atim, st.st_mtim};
    if (::futimens(e.fd, temps) != 0) {
        abandonner(e, CauseCopie::EcritureEchouee, errno);
        return false;
    }
    return true;
}

// Told of each block done; false when the copy is to stop there.
using BlocFait = std::function<bool(std::int64_t octets)>;

// Already flushed by the batch: dropped from the page cache, then read back from the disk.
// False when it was stopped half way (the copy is left to the caller to remove).
bool relire(Ecriture& e, const Empreinte& attendue, off_t taille, std::vector<char>& tampon,
            const BlocFait& blocFait) {
    ::posix_fadvise(e.fd, 0, 0, POSIX_FADV_DONTNEED);
    appelerCrochet(EtapeCopie::CopieEcrite, e.fd);
    Hacheur h;
    off_t pos = 0;
    for (;;) {
        const ssize_t n = lireBloc(e.fd, tampon.data(), tampon.size(), pos);
        if (n < 0) {
            abandonner(e, CauseCopie::EcritureEchouee, errno);
            return true;
        }
        if (n == 0)
            break;
        h.ajouter(tampon.data(), std::size_t(n));
        pos += n;
        if (!blocFait(n))
            return false;
    }
    if (pos != taille || !(h.fin() == attendue))
        abandonner(e, CauseCopie::Differente, 0);
    return true;
}

void nommer(Ecriture& e, const struct timespec temps[2]) {
    const int dfd = e.destination->dossierFd;
    const std::string& nom = e.destination->nom;
    if (e.temporaire.empty()) {
        const std::string lien = "/proc/self/fd/" + std::to_string(e.fd);
        if (::linkat(AT_FDCWD, lien.c_str(), dfd, nom.c_str(), AT_SYMLINK_FOLLOW) != 0)
            abandonner(e, causeEcriture(errno), errno);
        return;
    }
    switch (renommerSansEcraserAt(dfd, e.temporaire, nom)) {
    case ResultatRenommage::Renomme:
        e.temporaire.clear();
        // fusefat stamps the time of the rename on the file: its times are given again.
        ::futimens(e.fd, temps);
        return;
    case ResultatRenommage::CibleExiste:
        abandonner(e, CauseCopie::CibleExiste, EEXIST);
        return;
    case ResultatRenommage::NomInvalide:
    case ResultatRenommage::NomTropLong:
        abandonner(e, CauseCopie::NomRefuse, ENAMETOOLONG);
        return;
    default:
        abandonner(e, causeEcriture(errno), errno);
    }
}

// The kernel's own copy, for a copy that is not verified; false when this pair of file
// systems cannot, and nothing was copied (the caller then reads and writes). It goes by
// large steps, each told to `blocFait`, which may stop it (erreur is then ECANCELED).
bool copieNoyau(int in, Ecriture& e, off_t taille, off_t& copie, int& erreur,
                const BlocFait& blocFait) {
    constexpr off_t kPas = off_t(64) << 20;
    while (copie < taille) {
        const ssize_t n = ::copy_file_range(in, nullptr, e.fd, nullptr,
                                            std::size_t(std::min(taille - copie, kPas)), 0);
        if (n > 0) {
            copie += n;
            if (!blocFait(n)) {
                erreur = ECANCELED;
                return true;
            }
            continue;
        }
        if (n < 0 && copie == 0 &&
            (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
             errno == EBADF || errno == EPERM))
            return false;
        erreur = n < 0 ? errno : 0; // 0: the file shrank under the copy
        return true;
    }
    return true;
}

} // namespace

std::string Empreinte::hex() const {
    char texte[33];
    std::snprintf(texte, sizeof texte, "%016llx%016llx", static_cast<unsigned long long>(haut),
                  static_cast<unsigned long long>(bas));
    return texte;
}

bool ResultatCopie::toutesCopiees() const {
    if (causeSource != CauseCopie::Aucune)
        return false;
    for (const ResultatDestination& d : destinations)
        if (!d.ok())
            return false;
    return true;
}

void definirCrochetCopie(CrochetCopie c) {
    crochet() = std::move(c);
}

bool hacherFichier(int fd, Empreinte& empreinte, std::vector<char>& tampon) {
    if (tampon.size() < kBloc)
        tampon.resize(kBloc);
    Hacheur h;
    for (off_t pos = 0;;) {
        const ssize_t n = lireBloc(fd, tampon.data(), tampon.size(), pos);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        h.ajouter(tampon.data(), std::size_t(n));
        pos += n;
    }
    empreinte = h.fin();
    return true;
}

bool contenuInchange(int dossierFd, const std::string& nom, off_t taille, const Empreinte& attendue,
                     std::vector<char>& tampon) {
    struct stat st;
    const int fd = ouvrirFichierOrdinaireAt(dossierFd, nom.c_str(), &st);
    if (fd < 0)
        return false;
    Empreinte lue;
    const bool ok = st.st_size == taille && hacherFichier(fd, lue, tampon) && lue == attendue;
    ::close(fd);
    return ok;
}

// One source of a batch: its copies, open and unnamed until the batch ends.
struct LotCopies::Entree {
    int in = -1;
    std::size_t rang = 0;  // its place in the batch
    std::int64_t fait = 0; // of the work told by `avancement`
    std::int64_t total = 0;
    struct stat st {};
    std::vector<Destination> destinations;
    std::vector<Ecriture> ecritures;
    ResultatCopie res;
};

namespace {

// A batch holds this much before it is proved: enough to flush the disk seldom, little
// enough that its sources are still in the page cache when they are read again, and
// its descriptors far below the usual limit of 1024.
constexpr off_t kOctetsLot = off_t(64) << 20;
constexpr std::size_t kDescripteursLot = 400;

bool vivante(const LotCopies::Entree& x) {
    for (const Ecriture& e : x.ecritures)
        if (e.vivante())
            return true;
    return false;
}

// Every failure of the source itself fails each copy still going.
void echecSource(LotCopies::Entree& x, CauseCopie cause, int erreur) {
    x.res.causeSource = cause;
    x.res.erreurSource = erreur;
    for (Ecriture& e : x.ecritures)
        abandonner(e, cause, erreur);
}

// Counts a block of the source's work, tells it, and says whether to go on.
BlocFait compteur(LotCopies::Entree& x, const OptionsCopie& options) {
    return [&x, &options](std::int64_t octets) {
        x.fait += octets;
        if (options.avancement)
            options.avancement(x.rang, std::min(x.fait, x.total), x.total);
        return !(options.arret && options.arret->load());
    };
}

// Steps 1 and 2: the source read once, hashed, and written into each copy.
void ecrireCopies(LotCopies::Entree& x, int dossierFd, const std::string& nom,
                  std::vector<char>& tampon, const OptionsCopie& options) {
    ResultatCopie& res = x.res;
    res.destinations.resize(x.destinations.size());
    x.in = ouvrirFichierOrdinaireAt(dossierFd, nom.c_str(), &x.st);
    if (x.in < 0) {
        res.causeSource =
            pasUnFichierOrdinaire(errno) ? CauseCopie::PasUnFichier : CauseCopie::SourceIllisible;
        res.erreurSource = errno;
        for (ResultatDestination& d : res.destinations)
            d = {res.causeSource, res.erreurSource};
        return;
    }
    const struct stat& st = x.st;
    res.taille = st.st_size;
    if (tampon.size() < kBloc)
        tampon.resize(kBloc);
    x.ecritures.resize(x.destinations.size());
    bool vivantes = false;
    std::int64_t copies = 0;
    for (std::size_t i = 0; i < x.destinations.size(); ++i) {
        x.ecritures[i].destination = &x.destinations[i];
        x.ecritures[i].resultat = &res.destinations[i];
        ouvrirCopie(x.ecritures[i]);
        vivantes = vivantes || x.ecritures[i].vivante();
        copies += x.ecritures[i].vivante() ? 1 : 0;
    }
    x.total = std::int64_t(st.st_size) * (1 + (options.verifier ? copies : 0));
    const BlocFait blocFait = compteur(x, options);
    Hacheur hacheur;
    off_t copie = 0;
    bool parNoyau = !options.verifier && x.ecritures.size() == 1 && x.ecritures[0].vivante();
    int erreurNoyau = 0;
    if (parNoyau && !copieNoyau(x.in, x.ecritures[0], st.st_size, copie, erreurNoyau, blocFait))
        parNoyau = false;
    if (parNoyau && erreurNoyau == ECANCELED)
        echecSource(x, CauseCopie::Interrompue, 0);
    else if (parNoyau && erreurNoyau != 0)
        abandonner(x.ecritures[0], causeEcriture(erreurNoyau), erreurNoyau);
    bool premier = true;
    while (!parNoyau && vivantes) {
        const ssize_t n = lireBloc(x.in, tampon.data(), tampon.size(), copie);
        if (n < 0) {
            echecSource(x, CauseCopie::SourceIllisible, errno);
            break;
        }
        if (n == 0)
            break;
        if (options.verifier)
            hacheur.ajouter(tampon.data(), std::size_t(n));
        if (premier)
            appelerCrochet(EtapeCopie::SourceEntamee, x.in);
        premier = false;
        vivantes = false;
        for (Ecriture& e : x.ecritures) {
            int erreur = 0;
            if (e.vivante() && !ecrireTout(e.fd, tampon.data(), std::size_t(n), erreur))
                abandonner(e, causeEcriture(erreur), erreur);
            vivantes = vivantes || e.vivante();
            // The copy goes to the disk while the source is still being read: its flush
            // then waits only for the last blocks (a hint; a file system without it
            // flushes it all later).
            if (e.vivante() && options.verifier && (copie + n) % kEcritureLancee == 0)
                ::sync_file_range(e.fd, copie + n - kEcritureLancee, kEcritureLancee,
                                  SYNC_FILE_RANGE_WRITE);
        }
        copie += n;
        if (!blocFait(n) && vivantes) {
            echecSource(x, CauseCopie::Interrompue, 0);
            break;
        }
    }
    // A file that changed while it was read is not taken as copied.
    struct stat apres;
    if (vivante(x) && res.causeSource == CauseCopie::Aucune &&
        (copie != st.st_size || ::fstat(x.in, &apres) != 0 || apres.st_size != st.st_size ||
         !memesTemps(apres.st_mtim, st.st_mtim) || !memesTemps(apres.st_ctim, st.st_ctim)))
        echecSource(x, CauseCopie::SourceModifiee, 0);
    res.empreinte = hacheur.fin();
}

// Steps 3 to 5, once the copies are on the disk (or, unverified, at once).
void finirCopies(LotCopies::Entree& x, std::vector<char>& tampon, const OptionsCopie& options) {
    ResultatCopie& res = x.res;
    const struct stat& st = x.st;
    // Times and permissions come after the flush and the reading back: some FAT drivers
    // (fusefat) stamp the time of the flush on the file.
    const BlocFait blocFait = compteur(x, options);
    for (Ecriture& e : x.ecritures) {
        if (e.vivante() && options.verifier &&
            !relire(e, res.empreinte, st.st_size, tampon, blocFait)) {
            echecSource(x, CauseCopie::Interrompue, 0);
            break;
        }
        if (e.vivante())
            donnerAttributs(e, st, options.mode);
    }
    // Rewritten in place while it was copied, or since, dates put back or not (FAT and
    // exFAT keep no change time): the source no longer holds what the copies hold.
    if (options.verifier && vivante(x) && res.causeSource == CauseCopie::Aucune) {
        Empreinte relue;
        if (!hacherFichier(x.in, relue, tampon))
            echecSource(x, CauseCopie::SourceIllisible, errno);
        else if (!(relue == res.empreinte))
            echecSource(x, CauseCopie::SourceModifiee, 0);
    }
    if (x.in >= 0)
        ::close(x.in);
    x.in = -1;
    for (Ecriture& e : x.ecritures) {
        if (!e.vivante())
            continue;
        const struct timespec temps[2] = {st.st_atim, st.st_mtim};
        nommer(e, temps);
        if (!e.vivante())
            continue;
        struct stat fin;
        if (::fstat(e.fd, &fin) == 0) {
            e.resultat->dev = fin.st_dev;
            e.resultat->ino = fin.st_ino;
        }
        // A write error the system reports only now (a full disk over the network)
        // undoes the copy.
        const int fd = e.fd;
        e.fd = -1;
        if (::close(fd) != 0) {
            e.resultat->cause = causeEcriture(errno);
            e.resultat->erreur = errno;
            ::unlinkat(e.destination->dossierFd, e.destination->nom.c_str(), 0);
        }
    }
}

// The magic number of FUSE file systems (fusefat, exfat-fuse): flushing one to the
// kernel does not ask its program to write what it holds, only a flush of the file does.
constexpr long kMagieFuse = 0x65735546;

// Up to this many copies on one file system are flushed one by one: a flush of the whole
// file system also waits for what other programs wrote there, which pays only when it
// spares many flushes (small photos), not for a few large films.
constexpr std::size_t kCopiesParFichier = 4;

// The batch's copies put on the disk: one flush per file system written to, or of each
// file where there are few (a batch of one flushes no more than its copy). A copy whose flush
// failed is removed, with the cause.
void mettreSurDisque(std::vector<std::unique_ptr<LotCopies::Entree>>& entrees) {
    struct Systeme {
        dev_t dev;
        int fd;
        std::size_t copies;
    };
    std::vector<Systeme> systemes;
    for (auto& x : entrees)
        for (Ecriture& e : x->ecritures) {
            struct stat st;
            if (!e.vivante() || ::fstat(e.fd, &st) != 0)
                continue;
            auto s = std::find_if(systemes.begin(), systemes.end(),
                                  [&](const Systeme& y) { return y.dev == st.st_dev; });
            if (s == systemes.end())
                systemes.push_back({st.st_dev, e.fd, 1});
            else
                ++s->copies;
        }
    for (const Systeme& s : systemes) {
        struct statfs fs;
        const bool parFichier = s.copies <= kCopiesParFichier ||
                                (::fstatfs(s.fd, &fs) == 0 && long(fs.f_type) == kMagieFuse);
        const int erreur = s.copies <= kCopiesParFichier || ::syncfs(s.fd) == 0 ? 0 : errno;
        for (auto& x : entrees)
            for (Ecriture& e : x->ecritures) {
                struct stat st;
                if (!e.vivante() || ::fstat(e.fd, &st) != 0 || st.st_dev != s.dev)
                    continue;
                if (erreur != 0)
                    abandonner(e, causeEcriture(erreur), erreur);
                else if (parFichier && ::fdatasync(e.fd) != 0)
                    abandonner(e, causeEcriture(errno), errno);
            }
    }
}

} // namespace

LotCopies::LotCopies(std::vector<char>& tampon, const OptionsCopie& options)
    : tampon_(tampon), options_(options) {}

LotCopies::~LotCopies() {
    for (auto& x : entrees_) {
        for (Ecriture& e : x->ecritures)
            abandonner(e, CauseCopie::EcritureEchouee, 0);
        if (x->in >= 0)
            ::close(x->in);
    }
}

bool LotCopies::ajouter(int dossierFd, const std::string& nom,
                        const std::vector<Destination>& destinations) {
    auto x = std::make_unique<Entree>();
    x->rang = entrees_.size();
    x->destinations = destinations;
    ecrireCopies(*x, dossierFd, nom, tampon_, options_);
    if (!options_.verifier) {
        // Nothing to prove: named at once.
        finirCopies(*x, tampon_, options_);
    } else {
        octets_ += x->res.taille;
        descripteurs_ += 1 + x->ecritures.size();
    }
    const bool enCours = options_.verifier ? vivante(*x) : x->res.toutesCopiees();
    entrees_.push_back(std::move(x));
    return enCours;
}

bool LotCopies::plein() const {
    return octets_ >= kOctetsLot || descripteurs_ >= kDescripteursLot;
}

std::vector<ResultatCopie> LotCopies::terminer() {
    if (options_.verifier)
        mettreSurDisque(entrees_);
    std::vector<ResultatCopie> resultats;
    resultats.reserve(entrees_.size());
    for (auto& x : entrees_) {
        if (options_.verifier)
            finirCopies(*x, tampon_, options_);
        resultats.push_back(std::move(x->res));
    }
    entrees_.clear();
    octets_ = 0;
    descripteurs_ = 0;
    return resultats;
}

ResultatCopie copierVerifie(int dossierFd, const std::string& nom,
                            const std::vector<Destination>& destinations, std::vector<char>& tampon,
                            const OptionsCopie& options) {
    LotCopies lot(tampon, options);
    lot.ajouter(dossierFd, nom, destinations);
    return std::move(lot.terminer().front());
}

} // namespace varlime
