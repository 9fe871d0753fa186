// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the tests: temporary folders, files made on demand, the sample photos.
#include <string>
#include <vector>

namespace varlime::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // Full path, ending in '/'.
    const std::string& path() const { return path_; }
    // Creates a file (and its folders) with the given bytes; returns its full path.
    std::string write(const std::string& name, const std::string& bytes = "x") const;
    bool exists(const std::string& name) const;
    std::string read(const std::string& name) const;
    // Names in the folder (exact bytes), sorted bytewise; "." and ".." left out.
    std::vector<std::string> names() const;

private:
    std::string path_;
};

// Folder of the sample photos (tests/data/photos unless VARLIME_TESTDATA_DIR names another
// folder), ending in '/'.
std::string photosDir();
std::string readFile(const std::string& path);

} // namespace varlime::test
