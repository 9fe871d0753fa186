// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_support.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace varlime::test {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/varlime-test-XXXXXX";
    if (!mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = templ + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    // Make read-only folders removable again before removing everything.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec))
            ::chmod(it->path().c_str(), 0700);
    }
    ::chmod(path_.c_str(), 0700);
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    const std::string full = path_ + name;
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    std::ofstream out(full, std::ios::binary);
    out << bytes;
    return full;
}

bool TempDir::exists(const std::string& name) const {
    struct stat st;
    return ::lstat((path_ + name).c_str(), &st) == 0;
}

std::string TempDir::read(const std::string& name) const {
    return readFile(path_ + name);
}

std::vector<std::string> TempDir::names() const {
    std::vector<std::string> out;
    if (DIR* d = ::opendir(path_.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..")
                out.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string photosDir() {
    return std::string(VARLIME_TESTDATA_DIR) + "/photos/";
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace varlime::test
