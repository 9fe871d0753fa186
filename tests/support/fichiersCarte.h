// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files of the card tests: written whole, rewritten in place with their dates put back
// (what a tool that keeps dates does, and what FAT and exFAT cannot tell from no change),
// and a folder's names in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace varlime::test {

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
