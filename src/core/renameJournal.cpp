// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/renameJournal.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

namespace varlime {

namespace {

// Version 1 named the folder by device and inode only, and each file by inode and
// birth time; it is still read.
constexpr std::string_view kEntete = "varlime-journal 2";
constexpr std::string_view kEnteteV1 = "varlime-journal 1";
// What a file's content is known by on a card: its first bytes.
constexpr std::size_t kTeteHachee = 64 * 1024;
// Marks are written out every this many renames: a program that dies loses none of
// those already written. The head is flushed to disk before the first rename.
constexpr std::size_t kLot = 128;

// Names are bytes: every byte that is not a visible ASCII character, and '%', is
// written as %HH so that a line holds one name whatever it contains.
void ajouterEchappe(std::string& out, std::string_view s) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F || c == '%') {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
}

std::string echapper(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    ajouterEchappe(out, s);
    return out;
}

void ajouterNombre(std::string& out, std::uint64_t n) {
    char chiffres[20];
    const auto fin = std::to_chars(chiffres, chiffres + sizeof chiffres, n).ptr;
    out.append(chiffres, fin);
}

std::optional<std::string> desechapper(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        unsigned v = 0;
        if (i + 2 >= s.size())
            return std::nullopt;
        const auto r = std::from_chars(s.data() + i + 1, s.data() + i + 3, v, 16);
        if (r.ec != std::errc() || r.ptr != s.data() + i + 3)
            return std::nullopt;
        out += static_cast<char>(v);
        i += 2;
    }
    return out;
}

std::optional<std::uint64_t> nombre(std::string_view s) {
    std::uint64_t v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size())
        return std::nullopt;
    return v;
}

bool toutEcrire(int fd, std::string_view s) {
    while (!s.empty()) {
        const ssize_t n = ::write(fd, s.data(), s.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        s.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string maintenant(const char* format, std::time_t t = std::time(nullptr)) {
    std::tm local{};
    ::localtime_r(&t, &local);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, format, &local);
    return buffer;
}

// Journal names sort by their start: run-YYYYMMDD-HHMMSS-PID-N.journal.
std::vector<std::string> fichiersJournaux(const std::string& dossier) {
    std::vector<std::string> noms;
    if (DIR* d = ::opendir(dossier.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string_view n = e->d_name;
            if (n.starts_with("run-") && n.ends_with(".journal"))
                noms.emplace_back(n);
        }
        ::closedir(d);
    }
    std::sort(noms.begin(), noms.end(), std::greater<>());
    return noms;
}

// The hash of a file's first bytes; 0 when it cannot be read (a file that is not a
// regular one is never opened for reading: a FIFO would block).
std::uint64_t empreinteTete(int dossierFd, const std::string& nom) {
    const int fd =
        ::openat(dossierFd, nom.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return 0;
    struct stat st;
    std::uint64_t h = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        std::string tete(kTeteHachee, '\0');
        std::size_t lu = 0;
        bool ok = true;
        while (lu < tete.size()) {
            const ssize_t n = ::pread(fd, tete.data() + lu, tete.size() - lu, off_t(lu));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                ok = false;
            if (n <= 0)
                break;
            lu += std::size_t(n);
        }
        // 0 stands for "unknown": a hash that happens to be 0 is moved off it.
        if (ok)
            h = XXH3_64bits(tete.data(), lu);
        if (ok && h == 0)
            h = 1;
    }
    ::close(fd);
    return h;
}

} // namespace

bool creerDossiers(const std::string& chemin) {
    for (std::size_t p = 1; p <= chemin.size(); ++p) {
        if (p == chemin.size() || chemin[p] == '/') {
            const std::string partie = chemin.substr(0, p);
            if (::mkdir(partie.c_str(), 0700) != 0 && errno != EEXIST)
                return false;
        }
    }
    return true;
}

IdentiteFichier identiteFichier(int dossierFd, const std::string& nom, bool contenu) {
    struct statx st {};
    if (nom.empty() || nom.find('\0') != std::string::npos ||
        ::statx(dossierFd, nom.c_str(), AT_SYMLINK_NOFOLLOW,
                STATX_INO | STATX_BTIME | STATX_SIZE | STATX_MTIME, &st) != 0)
        return {};
    IdentiteFichier id;
    id.inode = st.stx_ino;
    if (st.stx_mask & STATX_BTIME)
        id.naissance = std::uint64_t(st.stx_btime.tv_sec) * 1000000000u + st.stx_btime.tv_nsec;
    if (contenu) {
        id.contenu = true;
        id.taille = st.stx_size;
        id.mtime = std::uint64_t(st.stx_mtime.tv_sec) * 1000000000u + st.stx_mtime.tv_nsec;
        id.empreinte = empreinteTete(dossierFd, nom);
    }
    return id;
}

bool memeFichier(const IdentiteFichier& vu, const IdentiteFichier& attendu, bool inodesStables) {
    if (attendu.contenu) {
        if (!vu.contenu || vu.taille != attendu.taille || vu.empreinte != attendu.empreinte ||
            attendu.empreinte == 0)
            return false;
        // FAT keeps times to two seconds, and a driver may round them another way
        // than the one that wrote the journal.
        const std::uint64_t ecart =
            vu.mtime > attendu.mtime ? vu.mtime - attendu.mtime : attendu.mtime - vu.mtime;
        if (ecart > 2000000000u)
            return false;
        if (!inodesStables)
            return true;
    }
    return vu.inode == attendu.inode &&
           (attendu.naissance == 0 || vu.naissance == 0 || vu.naissance == attendu.naissance);
}

IdentiteFichier identiteLigne(const JournalLu::Ligne& l) {
    return {l.inode, l.naissance, l.contenu, l.taille, l.mtime, l.empreinte};
}

void poserIdentite(JournalLu::Ligne& l, const IdentiteFichier& id) {
    l.inode = id.inode;
    l.naissance = id.naissance;
    l.contenu = id.contenu;
    l.taille = id.taille;
    l.mtime = id.mtime;
    l.empreinte = id.empreinte;
}

IdentiteDossier JournalLu::identite() const {
    IdentiteDossier id;
    id.volume = volume;
    id.interne = interne;
    id.device = device;
    id.inode = inode;
    id.naissance = naissanceDossier;
    id.inodesStables = inodesStables;
    return id;
}

bool journalDuDossier(const JournalLu& j, const IdentiteDossier& ici) {
    if (j.version < 2)
        return ici.inodesStables && j.device == ici.device && j.inode == ici.inode;
    return memeDossier(j.identite(), ici);
}

std::string texteEnteteJournal(const std::string& dossier, const IdentiteDossier& identite,
                               const std::string& debut,
                               const std::vector<JournalLu::Ligne>& lignes, bool annulation) {
    std::string tete;
    tete += kEntete;
    // The start time is read back as it stands: a line break would end its line.
    std::string date = debut;
    std::replace(date.begin(), date.end(), '\n', ' ');
    tete += "\ndossier " + echapper(dossier) + "\nvolume " + echapper(identite.volume) +
            "\ninterne " + echapper(identite.interne) + "\ndevice " +
            std::to_string(identite.device) + "\ninode " + std::to_string(identite.inode) +
            "\nnaissance " + std::to_string(identite.naissance) + "\nstable " +
            (identite.inodesStables ? "1" : "0") + "\ndebut " + date + "\nannulation " +
            (annulation ? "1" : "0") + "\n";
    // Appended in place: a run of many thousand files writes this before its first
    // rename, and temporaries for each piece would cost more than the renames' checks.
    std::size_t taille = tete.size() + 8;
    for (const auto& l : lignes)
        taille += 110 + l.ancien.size() + l.nouveau.size();
    tete.reserve(taille);
    for (const auto& l : lignes) {
        tete += "ligne ";
        ajouterNombre(tete, l.inode);
        tete += ' ';
        ajouterNombre(tete, static_cast<std::uint64_t>(l.naissance));
        tete += ' ';
        ajouterNombre(tete, l.taille);
        tete += ' ';
        ajouterNombre(tete, l.mtime);
        tete += ' ';
        if (l.contenu) {
            char h[17];
            std::snprintf(h, sizeof h, "%016llx", static_cast<unsigned long long>(l.empreinte));
            tete += h;
        } else {
            tete += '-';
        }
        tete += ' ';
        ajouterEchappe(tete, l.ancien);
        tete += ' ';
        ajouterEchappe(tete, l.nouveau);
        tete += '\n';
    }
    tete += "depart\n";
    return tete;
}

int JournalLu::faits() const {
    return static_cast<int>(
        std::count_if(lignes.begin(), lignes.end(), [](const Ligne& l) { return l.fait; }));
}

std::string dossierJournaux() {
    const char* etat = std::getenv("XDG_STATE_HOME");
    if (etat && *etat == '/')
        return std::string(etat) + "/varlime/";
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::string(home) + "/.local/state/varlime/";
    return {};
}

bool journalVerrouille(const std::string& chemin) {
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool pris = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return pris;
}

namespace {

// `enteteSeule`: only the head is read (the folder), up to the first row.
std::optional<JournalLu> lireTexte(std::string_view texte, const std::string& chemin,
                                   bool enteteSeule) {
    JournalLu j;
    j.fichier = chemin;
    bool entete = false, depart = false;
    std::size_t debut = 0;
    while (debut < texte.size()) {
        const std::size_t fin = texte.find('\n', debut);
        if (fin == std::string::npos)
            break; // a line cut short by a crash is not a line
        const std::string_view ligne = texte.substr(debut, fin - debut);
        debut = fin + 1;
        const std::size_t espace = ligne.find(' ');
        const std::string_view cle = ligne.substr(0, espace);
        const std::string_view reste =
            espace == std::string_view::npos ? std::string_view() : ligne.substr(espace + 1);
        if (!entete) {
            if (ligne == kEnteteV1)
                j.version = 1;
            else if (ligne != kEntete)
                return std::nullopt;
            entete = true;
        } else if (cle == "dossier") {
            if (auto d = desechapper(reste))
                j.dossier = *d;
        } else if (cle == "volume" && j.version >= 2) {
            if (auto v = desechapper(reste))
                j.volume = *v;
        } else if (cle == "interne" && j.version >= 2) {
            if (auto v = desechapper(reste))
                j.interne = *v;
        } else if (cle == "device") {
            j.device = nombre(reste).value_or(0);
        } else if (cle == "inode") {
            j.inode = nombre(reste).value_or(0);
        } else if (cle == "naissance" && j.version >= 2) {
            j.naissanceDossier = nombre(reste).value_or(0);
        } else if (cle == "stable" && j.version >= 2) {
            j.inodesStables = reste != "0";
        } else if (cle == "debut") {
            j.debut = std::string(reste);
        } else if (cle == "annulation") {
            j.annulation = reste == "1";
        } else if (cle == "ligne" && !depart) {
            if (enteteSeule)
                break;
            // ligne INODE BIRTH OLD NEW; from version 2,
            // ligne INODE BIRTH SIZE MTIME HASH-or-"-" OLD NEW
            const int champs = j.version >= 2 ? 7 : 4;
            std::string_view parties[7];
            std::string_view r = reste;
            for (int k = 0; k < champs - 1; ++k) {
                const std::size_t e = r.find(' ');
                if (e == std::string_view::npos)
                    return std::nullopt;
                parties[k] = r.substr(0, e);
                r.remove_prefix(e + 1);
            }
            parties[champs - 1] = r;
            auto ancien = desechapper(parties[champs - 2]);
            auto nouveau = desechapper(parties[champs - 1]);
            if (!ancien || !nouveau)
                return std::nullopt;
            JournalLu::Ligne l{std::move(*ancien), std::move(*nouveau),
                               nombre(parties[0]).value_or(0), nombre(parties[1]).value_or(0),
                               false};
            if (j.version >= 2) {
                l.taille = nombre(parties[2]).value_or(0);
                l.mtime = nombre(parties[3]).value_or(0);
                if (parties[4] != "-") {
                    std::uint64_t h = 0;
                    const auto rh = std::from_chars(parties[4].data(),
                                                    parties[4].data() + parties[4].size(), h, 16);
                    if (rh.ec != std::errc() || rh.ptr != parties[4].data() + parties[4].size())
                        return std::nullopt;
                    l.contenu = true;
                    l.empreinte = h;
                }
            }
            j.lignes.push_back(std::move(l));
        } else if (cle == "depart") {
            depart = true;
        } else if (cle == "fait" && depart) {
            const auto i = nombre(reste);
            if (i && *i < j.lignes.size())
                j.lignes[*i].fait = true;
        } else if (cle == "fin") {
            j.termine = true;
        } else if (cle == "signale") {
            j.signale = true;
        }
    }
    if (enteteSeule)
        return j.dossier.empty() ? std::nullopt : std::optional<JournalLu>(std::move(j));
    // Without its start mark the run never touched a file.
    if (!depart || j.dossier.empty())
        return std::nullopt;
    return j;
}

} // namespace

std::optional<JournalLu> lireJournal(const std::string& chemin) {
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    // The lock is asked on this descriptor: a run holds its journal locked from its
    // first line to its end mark.
    const bool enCours = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    // A journal too large is known by its head alone, so that it can be named.
    const bool tropGrand = std::uint64_t(st.st_size) > kTailleMaxJournal;
    const std::size_t limite = tropGrand ? 65536 : std::size_t(kTailleMaxJournal);
    std::string texte;
    texte.reserve(std::min<std::size_t>(std::size_t(st.st_size), limite));
    char buffer[65536];
    while (texte.size() < limite) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, limite - texte.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        texte.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    auto j = lireTexte(texte, chemin, tropGrand);
    if (j) {
        j->enCours = enCours;
        j->tropGrand = tropGrand;
        if (tropGrand)
            j->lignes.clear();
    }
    return j;
}

std::optional<JournalLu> lireJournalTexte(std::string_view texte, const std::string& chemin) {
    return lireTexte(texte, chemin, false);
}

std::vector<JournalLu> journaux(const std::string& dossier) {
    std::vector<JournalLu> out;
    for (const std::string& n : fichiersJournaux(dossier))
        if (auto j = lireJournal(dossier + n))
            out.push_back(std::move(*j));
    return out;
}

std::vector<JournalLu> journauxDuDossier(const std::string& dossier, const IdentiteDossier& ici) {
    std::vector<JournalLu> out;
    for (JournalLu& j : journaux(dossier))
        if (journalDuDossier(j, ici))
            out.push_back(std::move(j));
    return out;
}

void marquerSignale(const std::string& cheminJournal) {
    const int fd = ::open(cheminJournal.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return;
    toutEcrire(fd, "signale\n");
    ::close(fd);
}

JournalEcrit::~JournalEcrit() {
    if (fd_ >= 0) {
        vider(false);
        ::close(fd_);
    }
}

bool JournalEcrit::ouvrir(const std::string& dossierJournaux, const std::string& dossier,
                          const IdentiteDossier& identite,
                          const std::vector<JournalLu::Ligne>& lignes, bool annulation) {
    erreur_ = 0;
    if (dossierJournaux.empty()) {
        erreur_ = ENOENT;
        return false;
    }
    if (!creerDossiers(dossierJournaux)) {
        erreur_ = errno;
        return false;
    }
    // The oldest journals go, so that this one is among the ones kept.
    const std::vector<std::string> anciens = fichiersJournaux(dossierJournaux);
    // A journal still locked belongs to a run going on: it stays.
    for (std::size_t i = kJournauxGardes - 1; i < anciens.size(); ++i)
        if (!journalVerrouille(dossierJournaux + anciens[i]))
            ::unlink((dossierJournaux + anciens[i]).c_str());
    static int compteur = 0;
    // Names sort in the order runs started, to the nanosecond.
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    char nanos[16];
    std::snprintf(nanos, sizeof nanos, "%09ld", static_cast<long>(ts.tv_nsec));
    // The seconds come from the same reading as the nanoseconds: time() reads a coarser
    // clock that may still show the second before, and a run then sorted before the
    // one just ahead of it.
    chemin_ = dossierJournaux + "run-" + maintenant("%Y%m%d-%H%M%S", ts.tv_sec) + "-" + nanos +
              "-" + std::to_string(::getpid()) + "-" + std::to_string(++compteur) + ".journal";
    fd_ = ::open(chemin_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        erreur_ = errno;
        return false;
    }
    // Locked before its first line: a reader never takes a run going on for one that
    // died. The wait is only for a reader that opened the new file a moment ago.
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
    // The folder is named in full: the offer after a crash comes from another process,
    // which may stand in another folder.
    std::string complet = dossier;
    if (complet.empty() || complet.front() != '/') {
        if (char* ici = ::getcwd(nullptr, 0)) {
            complet =
                std::string(ici) + (std::string_view(ici).ends_with('/') ? "" : "/") + complet;
            std::free(ici);
        }
    }
    const std::string tete =
        texteEnteteJournal(complet, identite, maintenant("%Y-%m-%d %H:%M:%S"), lignes, annulation);
    if (!toutEcrire(fd_, tete) || ::fsync(fd_) != 0) {
        erreur_ = errno;
        ::close(fd_);
        fd_ = -1;
        ::unlink(chemin_.c_str());
        return false;
    }
    // The journal's own entry in its folder must survive a power cut too.
    if (const int d = ::open(dossierJournaux.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); d >= 0) {
        ::fsync(d);
        ::close(d);
    }
    return true;
}

void JournalEcrit::fait(std::size_t index) {
    if (fd_ < 0)
        return;
    enAttente_ += "fait " + std::to_string(index) + "\n";
    if (++nonVides_ >= kLot)
        vider(false);
}

void JournalEcrit::vider(bool surDisque) {
    if (!enAttente_.empty())
        toutEcrire(fd_, enAttente_);
    enAttente_.clear();
    nonVides_ = 0;
    if (surDisque)
        ::fdatasync(fd_);
}

void JournalEcrit::abandonner() {
    if (fd_ < 0)
        return;
    ::unlink(chemin_.c_str());
    ::close(fd_);
    fd_ = -1;
    enAttente_.clear();
    nonVides_ = 0;
}

void JournalEcrit::fermer() {
    if (fd_ < 0)
        return;
    enAttente_ += "fin\n";
    vider(true);
    ::close(fd_);
    fd_ = -1;
}

} // namespace varlime
