// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files of the card tests: written whole, rewritten in place with their dates put back
// (what a tool that keeps dates does, and what FAT and exFAT cannot tell from no change),
// and a folder's names in order.
#include "support/test_imageCarte.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace varlime::test {

// Where a card test runs: this computer's disk, or a FAT32 or exFAT card image.
enum class Lieu { Local, Fat32, ExFat };

inline std::string nomLieu(Lieu l) {
    return l == Lieu::Local ? "local" : l == Lieu::Fat32 ? "FAT32" : "exFAT";
}

// A folder on the place asked for; `raison` tells why a card cannot be had.
class DossierCarte {
public:
    explicit DossierCarte(Lieu l) {
        if (l != Lieu::Local)
            carte_ = std::make_unique<ImageCarte>(l == Lieu::Fat32 ? SystemeCarte::Fat32
                                                                   : SystemeCarte::ExFat);
    }
    bool ok() const { return !carte_ || carte_->ok(); }
    std::string raison() const { return carte_ ? carte_->reason() : ""; }
    std::string racine() const { return carte_ ? carte_->racine() : local_.path(); }

private:
    TempDir local_;
    std::unique_ptr<ImageCarte> carte_;
};

inline std::string octets(std::size_t n, char graine) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = char(graine + i * 7 + i / 4096);
    return s;
}

inline void ecrire(const std::string& chemin, const std::string& texte) {
    std::filesystem::create_directories(chemin.substr(0, chemin.rfind('/')));
    const int fd = ::open(chemin.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << chemin;
    ASSERT_EQ(::write(fd, texte.data(), texte.size()), ssize_t(texte.size()));
    ::close(fd);
}

inline void reecrireEnPlace(const std::string& chemin) {
    struct stat avant;
    ASSERT_EQ(::stat(chemin.c_str(), &avant), 0);
    const std::string autre = octets(std::size_t(avant.st_size), 'Z');
    const int fd = ::open(chemin.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, autre.data(), autre.size(), 0), ssize_t(autre.size()));
    ::close(fd);
    const struct timespec t[2] = {avant.st_atim, avant.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, chemin.c_str(), t, 0), 0);
}

inline std::vector<std::string> noms(const std::string& dossier) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dossier))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace varlime::test
