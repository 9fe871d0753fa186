// SPDX-License-Identifier: GPL-3.0-or-later
// The EXIF dump of every sample photo and camera file, compared with the text kept under
// tests/exif/golden/ (one file per file, those of tests/data/raw/ under raw__NAME; its
// lines are what `varlime --dump` prints; films are dated in UTC here).
// VARLIME_UPDATE_GOLDEN=1 rewrites the files instead; check the difference by hand.
#include "exif/exifDump.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace varlime;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> filesUnder(const std::string& dir) {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file())
            out.push_back(fs::relative(it->path(), dir).string());
    std::sort(out.begin(), out.end());
    return out;
}

std::string goldenName(std::string rel) {
    std::string out;
    for (char c : rel)
        out += c == '/' ? std::string("__") : std::string(1, c);
    return out + ".txt";
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines)
        out += l + "\n";
    return out;
}

} // namespace

// The sample photos, then the camera files of raw/ as "raw/NAME".
std::vector<std::string> samples() {
    auto files = filesUnder(test::photosDir());
    for (const auto& f : filesUnder(test::photosDir() + "../raw/"))
        files.push_back("raw/" + f);
    return files;
}

std::string samplePath(const std::string& rel) {
    return test::photosDir() + (rel.starts_with("raw/") ? "../" : "") + rel;
}

TEST(Golden, DumpOfEverySamplePhoto) {
    const std::string goldenDir = std::string(VARLIME_TESTS_DIR) + "/exif/golden/";
    const auto files = samples();
    ASSERT_GE(files.size(), 38u) << test::photosDir();
    // A film without a zoned date is dated in this computer's time zone.
    const char* tz = std::getenv("TZ");
    const std::string savedTz = tz ? tz : "";
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const bool update = std::getenv("VARLIME_UPDATE_GOLDEN") != nullptr;
    TimgData reader;
    for (const auto& rel : files) {
        const std::string text = joined(DumpExifFile(reader, samplePath(rel)));
        const std::string golden = goldenDir + goldenName(rel);
        if (update) {
            std::ofstream(golden, std::ios::binary) << text;
            continue;
        }
        ASSERT_TRUE(fs::exists(golden)) << "no golden file for " << rel;
        EXPECT_EQ(text, test::readFile(golden)) << rel;
    }
    if (tz)
        ::setenv("TZ", savedTz.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

TEST(Golden, EveryGoldenFileHasItsPhoto) {
    const std::string goldenDir = std::string(VARLIME_TESTS_DIR) + "/exif/golden/";
    std::vector<std::string> expected;
    for (const auto& rel : samples())
        expected.push_back(goldenName(rel));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(filesUnder(goldenDir), expected);
}

// Inputs that once made the reader fail (found by fuzzing or written by hand for a
// bug): each is read as a JPEG and as a TIFF and must give a dump, nothing else.
TEST(Regressions, EveryInputReadsSafely) {
    const std::string dir = std::string(VARLIME_SOURCE_DIR) + "/fuzz/regressions/";
    const auto files = filesUnder(dir);
    EXPECT_FALSE(files.empty());
    test::TempDir tmp;
    TimgData reader;
    for (const auto& rel : files) {
        const std::string bytes = test::readFile(dir + rel);
        for (const char* ext : {".jpg", ".tif"}) {
            const auto lines = DumpExifFile(reader, tmp.write("input" + std::string(ext), bytes));
            ASSERT_GE(lines.size(), 3u) << rel;
            EXPECT_EQ(lines[1], "-- EXIF-Data -------------- ") << rel;
            EXPECT_EQ(lines[2].rfind("ErrStr = ", 0), 0u) << rel;
        }
    }
}
