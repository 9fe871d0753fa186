// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_imageCarte.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace varlime::test {
namespace {

// The tool's full path, looking also in the sbin folders a user's PATH often lacks.
std::string outil(const std::string& nom) {
    std::string chemins = std::getenv("PATH") ? std::getenv("PATH") : "";
    chemins += ":/usr/sbin:/sbin:/usr/bin:/bin";
    size_t debut = 0;
    while (debut <= chemins.size()) {
        size_t fin = chemins.find(':', debut);
        if (fin == std::string::npos)
            fin = chemins.size();
        const std::string essai = chemins.substr(debut, fin - debut) + "/" + nom;
        if (fin > debut && ::access(essai.c_str(), X_OK) == 0)
            return essai;
        debut = fin + 1;
    }
    return {};
}

// Starts argv with stdout and stderr into `journal`; returns the child's pid, or -1.
pid_t demarrer(const std::vector<std::string>& argv, const std::string& journal) {
    // Everything the child needs is made before the fork: it only opens, dups and execs.
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    const int fd = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::dup2(fd, 1);
        ::dup2(fd, 2);
    }
    ::execv(args[0], args.data());
    ::_exit(127);
}

std::string lireJournal(const std::string& journal) {
    std::string texte;
    if (FILE* f = std::fopen(journal.c_str(), "rb")) {
        char tampon[512];
        size_t n;
        while ((n = std::fread(tampon, 1, sizeof tampon, f)) > 0 && texte.size() < 2000)
            texte.append(tampon, n);
        std::fclose(f);
    }
    while (!texte.empty() && (texte.back() == '\n' || texte.back() == ' '))
        texte.pop_back();
    return texte;
}

// Runs argv to its end; true on status 0, else `raison` gets the tool's words.
bool lancer(const std::vector<std::string>& argv, const std::string& journal, std::string& raison,
            std::string* sortie = nullptr) {
    ::unlink(journal.c_str());
    const pid_t pid = demarrer(argv, journal);
    int etat = 0;
    if (pid < 0 || ::waitpid(pid, &etat, 0) != pid) {
        raison = argv[0] + ": cannot be started";
        return false;
    }
    const std::string dit = lireJournal(journal);
    if (sortie)
        *sortie = dit;
    if (WIFEXITED(etat) && WEXITSTATUS(etat) == 0)
        return true;
    raison = argv[0] + " failed: " + dit;
    return false;
}

bool estMonte(const std::string& point) {
    struct stat a {
    }, b{};
    return ::stat(point.c_str(), &a) == 0 && ::stat((point + "..").c_str(), &b) == 0 &&
           a.st_dev != b.st_dev;
}

} // namespace

const char* nomSysteme(SystemeCarte s) {
    return s == SystemeCarte::Fat32 ? "FAT32" : "exFAT";
}

ImageCarte::ImageCarte(SystemeCarte s, unsigned sizeMiB, std::uint32_t serial) : systeme_(s) {
    const bool fat = s == SystemeCarte::Fat32;
    const int fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        raison_ = "FUSE is not available (/dev/fuse cannot be opened)";
        return;
    }
    ::close(fd);
    const std::string mkfs = outil(fat ? "mkfs.vfat" : "mkfs.exfat");
    const std::string fuse = outil(fat ? "fusefat" : "mount.exfat-fuse");
    if (mkfs.empty() || fuse.empty()) {
        raison_ = std::string(fat ? "dosfstools or fusefat" : "exfatprogs or exfat-fuse") +
                  " is not installed";
        return;
    }
    std::string modele = (std::filesystem::temp_directory_path() / "varlime-card-XXXXXX").string();
    if (!::mkdtemp(modele.data())) {
        raison_ = "no temporary folder";
        return;
    }
    dossier_ = modele + "/";
    image_ = dossier_ + "card.img";
    point_ = dossier_ + "card/";
    ::mkdir(point_.c_str(), 0755);
    const int img = ::open(image_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (img < 0 || ::ftruncate(img, off_t(sizeMiB) << 20) != 0) {
        raison_ = "cannot make the image file";
        if (img >= 0)
            ::close(img);
        return;
    }
    ::close(img);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08x", unsigned(serial));
    std::vector<std::string> argv{mkfs};
    if (fat) {
        argv.insert(argv.end(), {"-F", "32"}); // no label: fusefat would list it as a file
        if (serial)
            argv.insert(argv.end(), {"-i", hex});
    } else {
        argv.insert(argv.end(), {"-L", "VARLIME"});
    }
    argv.push_back(image_);
    if (!lancer(argv, dossier_ + "log", raison_))
        return;
    if (!fat && serial) {
        const std::string tune = outil("tune.exfat");
        if (tune.empty() ||
            !lancer({tune, "-I", std::string("0x") + hex, image_}, dossier_ + "log", raison_)) {
            raison_ = "cannot set the exFAT serial: " + raison_;
            return;
        }
    }
    monter();
}

bool ImageCarte::monter() {
    if (monte_)
        return true;
    const bool fat = systeme_ == SystemeCarte::Fat32;
    const std::string journal = dossier_ + "mount.log";
    if (fat) {
        // In the foreground and single-threaded, so the unmount can wait for the image to be
        // written out before anyone reads it or mounts it again.
        demon_ = demarrer({outil("fusefat"), "-f", "-s", "-o", "rw+", image_, point_}, journal);
    } else {
        std::string source = image_;
        // As root, exfat-fuse asks for a block device: lend it a loop device.
        if (::geteuid() == 0) {
            const std::string losetup = outil("losetup");
            std::string sortie;
            if (losetup.empty() ||
                !lancer({losetup, "-f", "--show", image_}, journal, raison_, &sortie)) {
                raison_ = "no loop device for exfat-fuse as root: " + raison_;
                return false;
            }
            boucle_ = sortie.substr(0, sortie.find('\n'));
            source = boucle_;
        }
        if (!lancer({outil("mount.exfat-fuse"), source, point_}, journal, raison_)) {
            demonter();
            return false;
        }
    }
    for (int i = 0; i < 100; ++i) {
        if (estMonte(point_)) {
            monte_ = true;
            return true;
        }
        if (demon_ > 0 && ::waitpid(demon_, nullptr, WNOHANG) == demon_) {
            demon_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    raison_ = std::string(fat ? "fusefat" : "exfat-fuse") +
              " did not mount the card: " + lireJournal(journal);
    demonter();
    return false;
}

bool ImageCarte::demonter() {
    std::string raison;
    if (estMonte(point_)) {
        const std::string fusermount =
            outil("fusermount").empty() ? outil("fusermount3") : outil("fusermount");
        bool fait =
            !fusermount.empty() && lancer({fusermount, "-u", point_}, dossier_ + "u.log", raison);
        if (!fait && ::geteuid() == 0 && !outil("umount").empty())
            fait = lancer({outil("umount"), point_}, dossier_ + "u.log", raison);
        if (!fait && !fusermount.empty())
            lancer({fusermount, "-u", "-z", point_}, dossier_ + "u.log", raison);
    }
    if (demon_ > 0) {
        // Give the FAT daemon time to write its tables out, then stop it.
        int etat;
        bool fini = false;
        for (int i = 0; i < 100 && !fini; ++i) {
            fini = ::waitpid(demon_, &etat, WNOHANG) == demon_;
            if (!fini)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!fini) {
            ::kill(demon_, SIGTERM);
            ::waitpid(demon_, &etat, 0);
        }
        demon_ = -1;
    }
    if (!boucle_.empty()) {
        lancer({outil("losetup"), "-d", boucle_}, dossier_ + "u.log", raison);
        boucle_.clear();
    }
    monte_ = false;
    if (estMonte(point_)) {
        raison_ = "cannot unmount " + point_ + ": " + raison;
        return false;
    }
    return true;
}

bool ImageCarte::remonter() {
    return demonter() && monter();
}

ImageCarte::~ImageCarte() {
    demonter();
    if (!dossier_.empty() && !estMonte(point_)) {
        std::error_code ec;
        std::filesystem::remove_all(dossier_, ec);
    }
}

} // namespace varlime::test
