// SPDX-License-Identifier: GPL-3.0-or-later
// The card images the other tests mount: a file written on one survives an eject and
// re-insert, and the file system really is the one asked for.
#include "support/test_imageCarte.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/vfs.h>

using namespace varlime::test;

class ImageCarteTest : public ::testing::TestWithParam<SystemeCarte> {};

TEST_P(ImageCarteTest, keepsAFileAcrossARemount) {
    ImageCarte carte(GetParam());
    if (!carte.ok())
        GTEST_SKIP() << "skipped: " << carte.reason();
    struct statfs fs {};
    ASSERT_EQ(::statfs(carte.racine().c_str(), &fs), 0);
    EXPECT_EQ(fs.f_type, 0x65735546) << "FUSE"; // FUSE_SUPER_MAGIC
    {
        FILE* f = std::fopen((carte.racine() + "IMG_0001.JPG").c_str(), "wb");
        ASSERT_TRUE(f);
        std::fputs("photo", f);
        std::fclose(f);
    }
    ASSERT_TRUE(carte.remonter()) << carte.reason();
    EXPECT_EQ(readFile(carte.racine() + "IMG_0001.JPG"), "photo");
    std::vector<std::string> noms;
    for (const auto& e : std::filesystem::directory_iterator(carte.racine()))
        noms.push_back(e.path().filename().string());
    EXPECT_EQ(noms, std::vector<std::string>{"IMG_0001.JPG"}) << "only the photo is listed";
}

INSTANTIATE_TEST_SUITE_P(Cartes, ImageCarteTest,
                         ::testing::Values(SystemeCarte::Fat32, SystemeCarte::ExFat),
                         [](const auto& i) { return std::string(nomSysteme(i.param)); });
