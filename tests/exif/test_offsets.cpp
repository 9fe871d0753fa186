// SPDX-License-Identifier: GPL-3.0-or-later
// Offsets near 2^32 added to the reader's bases: they lie past the data and read
// nothing, never wrapping round onto the block's first bytes; LONG values with the
// top bit set stay positive.
#include "exif/dEXIF.h"
#include "exif/exif_builder.h"
#include "makerNoteFiles.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <functional>

using namespace varlime;
using namespace varlime::test;

namespace {

constexpr std::size_t k4G = std::size_t{1} << 32;

TEST(Offsets, PositionsNeverWrap) {
    const struct {
        std::uint32_t offset;
        std::int64_t base;
        std::size_t position;
    } cases[] = {
        {0xFFFFFFF8u, 8, k4G},          // 8 + 0xFFFFFFF8 = 2^32, not 0
        {0xFFFFFFFFu, 8, k4G + 7},      // 8 + 0xFFFFFFFF = 2^32 + 7, not 7
        {0xFFFFFFFFu, -8, 0xFFFFFFF7u}, // TIFF buffer: 0xFFFFFFFF - 8, far past it
        {8, -8, 0},                     // TIFF buffer: offset 8 is its first byte
        {4, -8, kNowhere},              // TIFF buffer: 4 - 8 lies before its start
    };
    for (const auto& c : cases)
        EXPECT_EQ(PositionOf(c.offset, c.base), c.position) << c.offset << " + " << c.base;
    EXPECT_TRUE(FitsIn(16, 0, 16));
    EXPECT_FALSE(FitsIn(8, kNowhere - 4, 16)); // 8 + (2^64 - 5) would wrap to 3
    EXPECT_FALSE(FitsIn(kNowhere, 0, 16));
}

// A newer Nikon note: "Nikon" header, its own TIFF header at 10 from which its offsets
// count, the directory at 18.
std::string nikonNote(bool big, const std::vector<TestEntry>& entries) {
    ByteWriter w(big);
    w.bytes(std::string("Nikon\0\x02\x10\0\0", 10));
    w.bytes(big ? "MM" : "II");
    w.u16(42);
    w.u32(8);
    return w.str() + directory(big, entries, 18, -10);
}

std::string makerNoteJpeg(bool big, const std::string& make,
                          std::function<std::string(std::uint32_t)> note) {
    ExifSpec s;
    s.bigEndian = big;
    s.make = make;
    s.makerNote = std::move(note);
    return jpegFile(s);
}

// An ASCII value whose stored offset is `offset`.
Tiff::Entry farText(std::uint16_t tag, std::uint32_t offset) {
    Tiff::Entry e{tag, 2, 8, ""};
    e.rawOffset = offset;
    return e;
}

struct OffsetCase {
    const char* name;
    const char* fileName;
    std::function<std::string(bool big)> file;
    const char* exifText; // nullptr: not looked at
    const char* makerText;
    std::uint16_t tag; // an entry whose number is looked at
    std::int32_t group;
    double number;
};

TEST(Offsets, FarOffsetsReadNothingInBothByteOrders) {
    const OffsetCase cases[] = {
        // JPEG: 8 + 0xFFFFFFF8 = 2^32, past the block, not the segment length and "Exif"
        // at its start.
        {"entry value", "v.jpg",
         [](bool big) {
             const Tiff t{big};
             return jpeg({exifApp1(
                 t.build({{farText(0x010F, 0xFFFFFFF8u), t.longE(0x0100, 0x80000000u)}}))});
         },
         "\r\nMake = \r\nImage Width = 2147483648", "", tag::ImageWidth, kExifGroup, 2147483648.0},
        // TIFF: 0xFFFFFFFC - 8 lies far past the buffer, and 4 - 8 before its start.
        {"entry value, TIFF", "v.tif",
         [](bool big) {
             const Tiff t{big};
             return t.build({{farText(0x010F, 0xFFFFFFFCu), farText(0x0110, 4),
                              t.longE(0x0100, 0xFFFFFFF0u)}});
         },
         "\r\nMake = \r\nModel = \r\nImage Width = 4294967280", "", tag::ImageWidth, kExifGroup,
         4294967280.0},
        // JPEG: 8 + 0xFFFFFFF8 = 2^32 for the EXIF directory, 8 + 0xFFFFFFFE = 2^32 + 6
        // for the GPS one, not 0 and 6 in the segment's first bytes.
        {"sub-directory pointer", "d.jpg",
         [](bool big) {
             const Tiff t{big};
             Tiff::Entry exif{0x8769, 4, 1, ""}, gps{0x8825, 4, 1, ""};
             exif.rawOffset = 0xFFFFFFF8u;
             gps.rawOffset = 0xFFFFFFFEu;
             return jpeg({exifApp1(t.build({{exif, gps, t.longE(0x0100, 0xFFFFFFFFu)}}))});
         },
         "\r\nExif Offset = 4294967288\r\nGPSInfo = 4294967294\r\nImage Width = 4294967295", "",
         tag::ImageWidth, kExifGroup, 4294967295.0},
        // Canon note, offsets from the TIFF header: 8 + 0xFFFFFFFA = 2^32 + 2 in the block,
        // not 2 where its "Exif" lies; (8 - note position) + 0xFFFFFFFA is far past the note.
        {"maker-note offset from the TIFF header", "c.jpg",
         [](bool big) {
             return makerNoteJpeg(big, "Canon", [big](std::uint32_t at) {
                 return directory(
                     big,
                     {{0x0006, 2, 8, "", 0xFFFFFFFAu}, {0x0008, 4, 1, longs(big, {0xFFFFFFF0u})}},
                     0, at);
             });
         },
         nullptr, "\r\nImageType = \"\"\r\nImageNumber = 4294967280", 0x0008, kMakerGroup,
         4294967280.0},
        // Nikon note, offsets from its own header: 10 + 0xFFFFFFF6 = 2^32 in the note, not
        // its "Nikon" at 0; 8 + 0xFFFFFFF6 = 2^32 - 2 in the block.
        {"maker-note offset from the note", "n.jpg",
         [](bool big) {
             return makerNoteJpeg(big, "NIKON", [big](std::uint32_t) {
                 return nikonNote(big, {{0x0004, 2, 8, "", 0xFFFFFFF6u},
                                        {0x0001, 4, 1, longs(big, {0x80000000u})}});
             });
         },
         nullptr, "\r\nQuality = \"\"\r\nFamily ID = 2147483648", 0x0001, kMakerGroup,
         2147483648.0},
    };
    TempDir dir;
    for (const auto& c : cases) {
        for (const bool big : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (big ? ", big-endian" : ", little-endian"));
            TimgData reader;
            ASSERT_TRUE(reader.ReadImageFile(dir.write(c.fileName, c.file(big))));
            const TImageInfo& info = *reader.ExifInfo;
            if (c.exifText) {
                EXPECT_EQ(info.ExifText, c.exifText);
            }
            EXPECT_EQ(info.MakerText, c.makerText);
            const TTagEntry* e = info.EntryByTag(c.tag, c.group);
            ASSERT_NE(e, nullptr);
            EXPECT_DOUBLE_EQ(e->Number(), c.number);
        }
    }
}

} // namespace
