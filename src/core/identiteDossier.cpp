// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/identiteDossier.h"
#include "core/curseurOctets.h"
#include "core/renameJournal.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>
#include <xxhash.h>

namespace varlime {

namespace {

// One line of /proc/self/mountinfo, the fields used here.
struct Montage {
    unsigned majeur = 0, mineur = 0;
    std::string racine; // the folder of the volume mounted here
    std::string point;  // where it is mounted
    std::string type;   // the file system's type
    std::string source; // the device (or what the driver calls it)
};

// mountinfo writes spaces, tabs, line breaks and backslashes as \OOO.
std::string desechapperOctal(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            const std::string o = s.substr(i + 1, 3);
            if (o.size() == 3 && o.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::stoi(o, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::vector<Montage> montages() {
    std::vector<Montage> out;
    std::ifstream f("/proc/self/mountinfo");
    std::string ligne;
    while (std::getline(f, ligne)) {
        std::istringstream in(ligne);
        std::string id, parent, majMin, racine, point, champ;
        if (!(in >> id >> parent >> majMin >> racine >> point))
            continue;
        Montage m;
        if (std::sscanf(majMin.c_str(), "%u:%u", &m.majeur, &m.mineur) != 2)
            continue;
        // Optional fields end with a lone "-".
        while (in >> champ && champ != "-") {
        }
        if (!(in >> m.type >> m.source))
            continue;
        m.racine = desechapperOctal(racine);
        m.point = desechapperOctal(point);
        m.source = desechapperOctal(m.source);
        out.push_back(std::move(m));
    }
    return out;
}

bool typeSansInodesStables(const std::string& type) {
    return type == "vfat" || type == "msdos" || type == "exfat" || type == "fuseblk" ||
           type.starts_with("fuse");
}

bool typeCarte(const std::string& type) {
    return type == "vfat" || type == "msdos" || type == "exfat" || type.starts_with("fuse");
}

// The name udev gave the device under /dev/disk/by-uuid: read from the volume by udev,
// it needs no right to read the device itself.
std::string uuidParUdev(const std::string& source) {
    struct stat sd;
    if (source.empty() || source.front() != '/' || ::stat(source.c_str(), &sd) != 0 ||
        !S_ISBLK(sd.st_mode))
        return {};
    const std::string dossier = "/dev/disk/by-uuid/";
    std::string trouve;
    if (DIR* d = ::opendir(dossier.c_str())) {
        while (dirent* e = ::readdir(d)) {
            if (e->d_name[0] == '.')
                continue;
            struct stat se;
            if (::stat((dossier + e->d_name).c_str(), &se) == 0 && S_ISBLK(se.st_mode) &&
                se.st_rdev == sd.st_rdev) {
                trouve = e->d_name;
                break;
            }
        }
        ::closedir(d);
    }
    return trouve;
}

// The serial of a FAT or exFAT volume read from its first sector, when the device or
// image can be read (a card image mounted through FUSE, or a device the user may read).
std::string serieParSecteur(const std::string& source) {
    if (source.empty() || source.front() != '/')
        return {};
    const int fd = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {};
    struct stat st;
    unsigned char secteur[512];
    ssize_t lu = -1;
    if (::fstat(fd, &st) == 0 && (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode)))
        lu = ::pread(fd, secteur, sizeof secteur, 0);
    ::close(fd);
    return lu == ssize_t(sizeof secteur) ? serieVolumeFat(secteur, sizeof secteur) : std::string();
}

std::string plierAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string hex32(std::uint32_t v) {
    char b[16];
    std::snprintf(b, sizeof b, "%04X-%04X", unsigned(v >> 16), unsigned(v & 0xFFFF));
    return b;
}

} // namespace

std::string serieVolumeFat(const unsigned char* s, std::size_t taille) {
    if (taille < 512 || s[510] != 0x55 || s[511] != 0xAA)
        return {};
    const std::string_view secteur(reinterpret_cast<const char*>(s), taille);
    auto le32 = [secteur](std::size_t o) { return varlime::le32(secteur, o); };
    if (std::string_view(reinterpret_cast<const char*>(s) + 3, 8) == "EXFAT   ")
        return hex32(le32(100));
    // FAT32 keeps its extended boot record further than FAT12 and FAT16.
    if (std::string_view(reinterpret_cast<const char*>(s) + 82, 5) == "FAT32" && s[66] == 0x29)
        return hex32(le32(67));
    if (std::string_view(reinterpret_cast<const char*>(s) + 54, 3) == "FAT" && s[38] == 0x29)
        return hex32(le32(39));
    return {};
}

IdentiteDossier identiteDossier(int fd) {
    IdentiteDossier id;
    struct statx st {};
    if (fd < 0 || ::statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &st) != 0)
        return id;
    id.device = makedev(st.stx_dev_major, st.stx_dev_minor);
    id.inode = st.stx_ino;
    if (st.stx_mask & STATX_BTIME)
        id.naissance = std::uint64_t(st.stx_btime.tv_sec) * 1000000000u + st.stx_btime.tv_nsec;
    // The folder's path as the kernel knows it, whatever path it was opened by.
    char lien[64];
    std::snprintf(lien, sizeof lien, "/proc/self/fd/%d", fd);
    std::string chemin(4096, '\0');
    const ssize_t n = ::readlink(lien, chemin.data(), chemin.size());
    chemin.resize(n > 0 ? std::size_t(n) : 0);
    const Montage* choisi = nullptr;
    const std::vector<Montage> liste = montages();
    for (const Montage& m : liste) {
        if (m.majeur != st.stx_dev_major || m.mineur != st.stx_dev_minor)
            continue;
        const bool dedans =
            m.point == "/" || chemin == m.point || chemin.starts_with(m.point + "/");
        if (dedans && (!choisi || m.point.size() > choisi->point.size()))
            choisi = &m;
    }
    if (!choisi)
        return id;
    std::string reste = choisi->point == "/" ? chemin : chemin.substr(choisi->point.size());
    id.interne = (choisi->racine == "/" ? "" : choisi->racine) + reste;
    if (id.interne.empty())
        id.interne = "/";
    id.inodesStables = !typeSansInodesStables(choisi->type);
    id.volume = uuidParUdev(choisi->source);
    if (id.volume.empty() && typeCarte(choisi->type))
        id.volume = serieParSecteur(choisi->source);
    // Where the file system derives it from its UUID, the id statfs gives is as stable;
    // FAT and exFAT give their device's number there, and FUSE nothing.
    const std::string& t = choisi->type;
    struct statfs sf {};
    if (id.volume.empty() && (t == "ext2" || t == "ext3" || t == "ext4" || t == "btrfs") &&
        ::fstatfs(fd, &sf) == 0) {
        unsigned v[2];
        static_assert(sizeof sf.f_fsid == sizeof v);
        std::memcpy(v, &sf.f_fsid, sizeof v);
        if (v[0] || v[1]) {
            char b[32];
            std::snprintf(b, sizeof b, "fsid:%08x%08x", v[0], v[1]);
            id.volume = b;
        }
    }
    return id;
}

bool memeDossier(const IdentiteDossier& j, const IdentiteDossier& ici) {
    if (!j.volume.empty() || !ici.volume.empty()) {
        if (j.volume != ici.volume)
            return false;
    } else if (j.device != ici.device) {
        return false;
    }
    if (j.inodesStables && ici.inodesStables)
        return j.inode == ici.inode &&
               (j.naissance == 0 || ici.naissance == 0 || j.naissance == ici.naissance);
    // FAT and exFAT ignore the case of ASCII letters in names.
    return !j.interne.empty() && plierAscii(j.interne) == plierAscii(ici.interne);
}

std::string cleDossier(const IdentiteDossier& id) {
    std::string cle = id.volume.empty() ? "dev:" + std::to_string(id.device) : id.volume;
    if (id.inodesStables)
        cle += "|ino:" + std::to_string(id.inode);
    else
        cle += "|" + plierAscii(id.interne);
    return cle;
}

VerrouDossier::~VerrouDossier() {
    rendre();
}

bool VerrouDossier::prendre(const std::string& dossierJournaux, const IdentiteDossier& id) {
    rendre();
    erreur_ = 0;
    if (dossierJournaux.empty() || !creerDossiers(dossierJournaux)) {
        erreur_ = dossierJournaux.empty() ? ENOENT : errno;
        return false;
    }
    const std::string cle = cleDossier(id);
    char nom[64];
    std::snprintf(nom, sizeof nom, "verrou-%016llx.lock",
                  static_cast<unsigned long long>(XXH3_64bits(cle.data(), cle.size())));
    const std::string chemin = dossierJournaux + nom;
    // The holder removes the lock file when it ends: a lock taken on a file already
    // removed is taken again on the new one.
    for (int essai = 0; essai < 100; ++essai) {
        const int fd = ::open(chemin.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            erreur_ = errno;
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int e = errno;
            ::close(fd);
            if (e == EINTR)
                continue;
            if (e != EWOULDBLOCK)
                erreur_ = e;
            return false;
        }
        struct stat a, b;
        if (::fstat(fd, &a) == 0 && ::stat(chemin.c_str(), &b) == 0 && a.st_ino == b.st_ino &&
            a.st_dev == b.st_dev) {
            fd_ = fd;
            chemin_ = chemin;
            return true;
        }
        ::close(fd);
    }
    erreur_ = EAGAIN;
    return false;
}

void VerrouDossier::rendre() {
    if (fd_ < 0)
        return;
    ::unlink(chemin_.c_str());
    ::close(fd_);
    fd_ = -1;
}

} // namespace varlime
