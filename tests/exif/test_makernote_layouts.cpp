// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing the maker-note layout from the make, the EXIF version, the model, the file
// kind and the note's first bytes.
#include "exif/msLayouts.h"

#include <gtest/gtest.h>

using namespace varlime;

namespace {

struct LayoutCase {
    const char* name;
    const char* make;
    const char* model;
    const char* version;
    bool tiff;
    const char* note;
    const char* layout; // nullptr: no layout
    std::int64_t directory;
    std::size_t tableRows;
};

const LayoutCase kCases[] = {
    {"nikon/0220", "NIKON", "E990", "0220", false, "", "Nikon", 18, 28},
    {"nikon/0221-corporation", "NIKON CORPORATION", "NIKON D70", "0221", false, "Nikon", "Nikon",
     18, 28},
    {"nikon/0210-header", "NIKON", "E990", "0210", false, "Nikon\0", "Nikon header", 8, 11},
    {"nikon/0200-plain", "NIKON", "E700", "0200", false, "\x0a\x00", "Nikon plain", 0, 28},
    // No EXIF version: the newer layout only for a D model in a TIFF file.
    {"nikon/noversion-tiff-D", "NIKON CORPORATION", "NIKON D100", "", true, "Nikon", "Nikon", 18,
     28},
    {"nikon/noversion-jpeg-D", "NIKON CORPORATION", "NIKON D70", "", false, "Nikon", "Nikon header",
     8, 11},
    {"nikon/noversion-tiff-E", "NIKON", "NIKON E5000", "", true, "", "Nikon plain", 0, 28},
    {"nikon/noversion-tiff-noblank", "NIKON", "D1X", "", true, "", "Nikon", 18, 28},
    {"nikon/noversion-tiff-trailing-blank", "NIKON", "NIKON ", "", true, "", "Nikon plain", 0, 28},
    {"nikon/lower-case-make", "Nikon", "E990", "0220", false, "", "Nikon", 18, 28},
    // "0210 " is longer than "0210" and so compares greater, character by character.
    {"nikon/version-compare", "NIKON", "E990", "0210 ", false, "Nikon", "Nikon", 18, 28},
    {"nikon/version-0100", "NIKON", "E990", "0100", false, "Nikon", "Nikon header", 8, 11},
    {"olympus", "OLYMPUS OPTICAL CO.,LTD", "C3030Z", "0210", false, "OLYMP\0", "Olympus", 8, 33},
    {"casio/qvc", "CASIO COMPUTER CO.,LTD.", "EX-Z3", "0221", false, "QVC\0\0\0", "Casio QVC", 6,
     45},
    {"casio/plain", "CASIO", "QV-3000EX", "0210", false, "\x00\x14", "Casio", 0, 26},
    {"fujifilm", "FUJIFILM", "FinePix E500", "0220", false, "FUJIFILM", "Fujifilm", 12, 18},
    {"canon", "Canon", "Canon EOS 40D", "0221", false, "", "Canon", 0, 16},
    {"seiko", "SEIKO EPSON CORP.", "PhotoPC 3000Z", "0210", false, "", "Seiko", 8, 12},
    {"sanyo", "SANYO Electric Co.,Ltd.", "SR6", "0200", false, "SANYO\0", "Sanyo", 8, 6},
    {"minolta", "Minolta Co., Ltd.", "DiMAGE 7", "0220", false, "", "Minolta", 0, 2},
    // Makes of other makers, or spelt so that the first five letters differ.
    {"other/konica-minolta", "KONICA MINOLTA", "DiMAGE Z3", "0220", false, "", nullptr, 0, 0},
    {"other/pentax", "PENTAX Corporation", "PENTAX *ist D", "0220", false, "AOC\0", nullptr, 0, 0},
    {"other/empty", "", "", "", false, "", nullptr, 0, 0},
    {"other/short", "NIKO", "", "0220", false, "", nullptr, 0, 0},
    {"other/leading-blank", " NIKON", "", "0220", false, "", nullptr, 0, 0},
};

TEST(MakerLayouts, ChosenByMakeVersionModelAndHeader) {
    for (const LayoutCase& c : kCases) {
        TMakerSource s;
        s.CameraMake = c.make;
        s.CameraModel = c.model;
        s.ExifVersionText = c.version;
        s.FromTiff = c.tiff;
        s.MakerNote = c.note;
        const auto layout = ChooseMakerLayout(s);
        if (!c.layout) {
            EXPECT_FALSE(layout.has_value()) << c.name;
            continue;
        }
        ASSERT_TRUE(layout.has_value()) << c.name;
        EXPECT_EQ(layout->Name, c.layout) << c.name;
        EXPECT_EQ(layout->DirectoryOffset, c.directory) << c.name;
        EXPECT_EQ(layout->Table.size(), c.tableRows) << c.name;
    }
}

TEST(MakerLayouts, ValueBasesAndByteOrder) {
    TMakerSource s;
    s.ExifVersionText = "0220";
    s.CameraMake = "NIKON";
    auto nikon = ChooseMakerLayout(s);
    ASSERT_TRUE(nikon);
    EXPECT_EQ(nikon->ValueBase, TMakerValueBase::MakerNote);
    EXPECT_EQ(nikon->MakerNoteBase, 10);
    EXPECT_FALSE(nikon->LittleEndian);

    s.CameraMake = "FUJIFILM";
    auto fuji = ChooseMakerLayout(s);
    ASSERT_TRUE(fuji);
    EXPECT_EQ(fuji->ValueBase, TMakerValueBase::MakerNote);
    EXPECT_EQ(fuji->MakerNoteBase, 0);
    EXPECT_TRUE(fuji->LittleEndian);

    for (const char* make : {"OLYMPUS", "CASIO", "Canon", "SEIKO", "SANYO", "MINOLTA"}) {
        s.CameraMake = make;
        auto l = ChooseMakerLayout(s);
        ASSERT_TRUE(l) << make;
        EXPECT_EQ(l->ValueBase, TMakerValueBase::TiffHeader) << make;
        EXPECT_FALSE(l->LittleEndian) << make;
    }
}

} // namespace
