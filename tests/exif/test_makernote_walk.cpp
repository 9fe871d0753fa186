// SPDX-License-Identifier: GPL-3.0-or-later
// Crafted maker notes of every layout, in both byte orders, read through the image
// file reader: the maker-note listing, the maker entries (group 1) and the failures.
#include "exif/dEXIF.h"
#include "exif/msData.h"
#include "makerNoteFiles.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace varlime;
using namespace varlime::test;

namespace {

struct ReadResult {
    std::string makerText;
    std::string exifText;
    std::string error;
    std::vector<TTagEntry> makerEntries;
};

ReadResult readFile(const std::string& bytes, const std::string& name) {
    TempDir dir;
    const std::string path = dir.write(name, bytes);
    TimgData reader;
    reader.ReadImageFile(path);
    ReadResult r;
    r.error = reader.ErrorText;
    if (reader.ExifInfo) {
        r.makerText = reader.ExifInfo->MakerText;
        r.exifText = reader.ExifInfo->ExifText;
        for (const TTagEntry& e : reader.ExifInfo->Entries)
            if (e.TagGroup == kMakerGroup)
                r.makerEntries.push_back(e);
    }
    return r;
}

ReadResult readJpeg(const ExifSpec& s) {
    return readFile(jpegFile(s), "note.jpg");
}
ReadResult readTiff(const ExifSpec& s) {
    return readFile(tiffFile(s), "note.tif");
}

// Key name and value text of each maker entry, one "key=value" per line.
std::string entryList(const ReadResult& r) {
    std::string out;
    for (const TTagEntry& e : r.makerEntries)
        out += e.KeyName + "=" + e.ValueText + "\n";
    return out;
}

std::string ascii(std::string text, std::size_t size) {
    text.resize(size, '\0');
    return text;
}

// Maker-note makers, one per layout: header bytes, then the directory.
using Entries = std::vector<TestEntry>;

std::function<std::string(std::uint32_t)> tiffRelative(bool big, std::string header,
                                                       Entries entries) {
    return [=](std::uint32_t at) {
        const auto position = static_cast<std::int64_t>(header.size());
        return header + directory(big, entries, position, at);
    };
}

std::function<std::string(std::uint32_t)> nikonNewer(bool noteBig, Entries entries) {
    return [=](std::uint32_t) {
        ByteWriter w(noteBig);
        w.bytes(std::string("Nikon\0\x02\x10\0\0", 10));
        w.bytes(noteBig ? "MM" : "II");
        w.u16(42);
        w.u32(8);
        return w.str() + directory(noteBig, entries, 18, -10);
    };
}

std::function<std::string(std::uint32_t)> fujifilm(Entries entries) {
    return [=](std::uint32_t) {
        ByteWriter w(false);
        w.bytes("FUJIFILM");
        w.u32(12);
        return w.str() + directory(false, entries, 12, 0);
    };
}

const bool kOrders[] = {false, true};
const char* orderName(bool big) {
    return big ? "big-endian" : "little-endian";
}

// The camera settings of a Canon DIGITAL IXUS 400 picture.
std::string ixusSettings(bool big) {
    return shorts(big,
                  {92, 2, 0,     3,     1,    0,    0,     4,   0,   1,  0,     0,   0, 0, 0, 0,
                   15, 3, 1,     16385, 0,    0,    65535, 711, 237, 32, 130,   215, 0, 0, 0, 0,
                   0,  0, 65535, 0,     2272, 2272, 0,     1,   0,   0,  32767, 0,   0, 0});
}

Entries canonEntries(bool big) {
    return {
        {0x0000, 3, 6, shorts(big, {0, 0, 0, 0, 0, 0})},
        {0x0001, 3, 46, ixusSettings(big)},
        {0x0005, 3, 1, shorts(big, {7})},
        {0x0006, 2, 26, ascii("IMG:DIGITAL IXUS 400 JPEG", 26)},
        {0x0007, 2, 62, ascii("Firmware Version 1.00 abcdefghijklmnopqrstuvwxyz0123456789", 62)},
        {0x0008, 4, 1, longs(big, {1000042})},
        {0x000F, 3, 4, shorts(big, {257, 512, 1794, 0})},
        // Last value of the note: it ends exactly at the note's last byte.
        {0x0009, 2, 32, ascii("Jean Dupont", 32)},
    };
}

const char* const kCanonText = VARLIME_IXUS_SETTINGS_LINES
    "\r\nExposureInfo1 = 92, 2, 0, 3, 1, 0, 0, 4, 0, 1, 0, 0, 0, 0, 0, 0, 15, 3, 1, 16385, 0, "
    "0, 65535, 711, 237, 32, 130, 215, 0, 0, 0, 0, 0, 0, 65535, 0, 2272, 2272, 0, 1, 0, 0, "
    "32767, 0, 0, 0"
    "\r\nUnknown = 7"
    "\r\nImageType = \"IMG:DIGITAL IXUS 400 JPEG\""
    "\r\nFirmwareVersion = \"Firmware Version 1.00 abcdefghijklmnopqrstuvwxyz0"
    "\r\nImageNumber = 1000042"
    "\r\nNoise Reduction =  On"
    "\r\nShutter AE Lock Button = AF/AE lock"
    "\r\nAEB Sequence =  -"
    "\r\nCustomFunctions = 257, 512, 1794, 0"
    "\r\nOwnerName = \"Jean Dupont\"";

const char* const kCanonEntries =
    "ExposureInfo1=92, 2, 0, 3, 1, 0, 0, 4, 0, 1, 0, 0, 0, 0, 0, 0, 15, 3, 1, 16385, 0, 0, "
    "65535, 711, 237, 32, 130, 215, 0, 0, 0, 0, 0, 0, 65535, 0, 2272, 2272, 0, 1, 0, 0, 32767, "
    "0, 0, 0\n"
    "ImageType=\"IMG:DIGITAL IXUS 400 JPEG\"\n"
    "FirmwareVersion=\"Firmware Version 1.00 abcdefghijklmnopqrstuvwxyz0\n"
    "ImageNumber=1000042\n"
    "CustomFunctions=257, 512, 1794, 0\n"
    "OwnerName=\"Jean Dupont\"\n";

TEST(MakerNoteWalk, CanonJpegAndTiffInBothByteOrders) {
    for (bool big : kOrders) {
        ExifSpec s;
        s.bigEndian = big;
        s.make = "Canon";
        s.makerNote = tiffRelative(big, "", canonEntries(big));
        for (const ReadResult& r : {readJpeg(s), readTiff(s)}) {
            EXPECT_EQ(r.makerText, kCanonText) << orderName(big);
            EXPECT_EQ(entryList(r), kCanonEntries) << orderName(big);
            // The EXIF walk goes on after the maker note.
            EXPECT_NE(r.exifText.find("\r\nColor Space = sRGB"), std::string::npos);
            EXPECT_EQ(r.error, "<none>");
        }
    }
}

TEST(MakerNoteWalk, MakerEntriesKeepTypeRawBytesAndGroup) {
    ExifSpec s;
    s.make = "CANON";
    s.makerNote = tiffRelative(false, "", canonEntries(false));
    const ReadResult r = readJpeg(s);
    ASSERT_EQ(r.makerEntries.size(), 6u);
    const TTagEntry& owner = r.makerEntries[5];
    EXPECT_EQ(owner.TagNumber, 0x0009);
    EXPECT_EQ(owner.TagGroup, 1);
    EXPECT_EQ(owner.ValueType, 2);
    EXPECT_EQ(owner.Caption, "OwnerName");
    EXPECT_EQ(owner.RawBytes, ascii("Jean Dupont", 32));
    EXPECT_EQ(owner.RawSize, 32);
    const TTagEntry& settings = r.makerEntries[0];
    EXPECT_EQ(settings.ValueType, 3);
    EXPECT_EQ(settings.RawSize, 92);
    EXPECT_EQ(settings.RawBytes, ixusSettings(false));
    // Maker entries do not replace the EXIF entries in lookups made before them.
}

struct LayoutCase {
    const char* name;
    const char* make;
    const char* version;
    std::function<std::function<std::string(std::uint32_t)>(bool)> note;
    const char* text;
    const char* entries;
};

const LayoutCase kLayouts[] = {
    {"nikon-newer", "NIKON", "0220",
     [](bool big) {
         return nikonNewer(big, {
                                    {0x0001, 7, 4, "0210"},
                                    {0x0002, 3, 2, shorts(big, {0, 200})},
                                    {0x0004, 2, 8, ascii("FINE   ", 8)},
                                    {0x0010, 7, 8, "\1\2\3\4\5\6\7\x08"},
                                    {0x0082, 2, 7, "", 0x7FFFFF00},
                                    {0x0084, 5, 4, rationals(big, {18, 1, 70, 1, 35, 10, 45, 10})},
                                    {0x008D, 2, 9, ascii("MODE2", 9)},
                                    {0x0099, 3, 1, shorts(big, {5})},
                                });
     },
     "\r\nFamily ID = \"0210\""
     "\r\nISO Speed = 0, 200"
     "\r\nQuality = \"FINE   \""
     "\r\nAdapter = \"\""
     "\r\nLens information = 18.0-70.0(mm)  F3.5-F4.5"
     "\r\nColor Mode = Mode 2 (Adobe RGB)"
     "\r\nUnknown = 5",
     "FamilyID=\"0210\"\nISOSpeed=0, 200\nQuality=\"FINE   \"\nAdapter=\"\"\n"
     "LensInformation=18.0-70.0(mm)  F3.5-F4.5\nColorMode=Mode 2 (Adobe RGB)\n"},
    {"nikon-header", "NIKON", "0210",
     [](bool big) {
         return tiffRelative(big, std::string("Nikon\0\1\0", 8),
                             {
                                 {0x0003, 3, 1, shorts(big, {6})},
                                 {0x0006, 3, 1, shorts(big, {4})},
                                 {0x0007, 3, 1, shorts(big, {1})},
                                 {0x0008, 2, 7, ascii("AF-C  ", 7)},
                                 {0x0009, 2, 6, ascii("skip", 6)},
                                 {0x000A, 5, 1, rationals(big, {0, 100})},
                                 {0x000B, 3, 1, shorts(big, {1})},
                                 {0x0F00, 7, 6, "abcdef"},
                             });
     },
     // "6:SXGA Fine10:..." is one piece of the Quality list: no comma before 10.
     "\r\nQuality = SXGA Fine10:2 Mpixel Basic"
     "\r\nISOSpeed = ISO320"
     "\r\nWhiteBalance = Preset"
     "\r\nFocus = \"AF-C  \""
     "\r\nDigitalZoom = 0/100"
     "\r\nConverter = Used",
     "Quality=SXGA Fine10:2 Mpixel Basic\nISOSpeed=ISO320\nWhiteBalance=Preset\n"
     "Focus=\"AF-C  \"\nDigitalZoom=0/100\nConverter=Used\n"},
    {"nikon-plain", "Nikon", "0200",
     [](bool big) {
         return tiffRelative(big, "",
                             {
                                 {0x0003, 2, 6, ascii("COLOR", 6)},
                                 {0x0007, 2, 7, ascii("AF-S  ", 7)},
                                 {0x000A, 5, 1, rationals(big, {1, 2})},
                             });
     },
     "\r\nColor Mode = \"COLOR\""
     "\r\nFocus Mode = \"AF-S  \"",
     "ColorMode=\"COLOR\"\nFocusMode=\"AF-S  \"\n"},
    {"olympus", "OLYMPUS OPTICAL CO.,LTD", "0210",
     [](bool big) {
         return tiffRelative(big, std::string("OLYMP\0\1\0", 8),
                             {
                                 {0x0200, 4, 3, longs(big, {0, 1, 0})},
                                 {0x0201, 3, 1, shorts(big, {2})},
                                 {0x0202, 3, 1, shorts(big, {0})},
                                 {0x0202, 3, 1, shorts(big, {1})},
                                 {0x0204, 5, 1, rationals(big, {100, 100})},
                                 {0x0207, 2, 8, ascii("SX756", 8)},
                                 // Offset 50 from the TIFF header: the make's text,
                                 // before the maker note.
                                 {0x0209, 7, 7, "", 50},
                                 {0x0F00, 7, 6, "abcdef"},
                                 {0x102D, 3, 1, shorts(big, {0})},
                             });
     },
     // "0=Normal" has no colon: the value 0 is not found; "1:Macro;" keeps its ";".
     "\r\nSpecialMode = 0, 1, 0"
     "\r\nJpegQual = HQ"
     "\r\nMacro = "
     "\r\nMacro = Macro;"
     "\r\nDigital Zoom Ratio = 100/100"
     "\r\nFirmware = \"SX756\""
     "\r\nCamera ID = \"OLYMPUS\""
     "\r\nCoring Filter = 0",
     "SpecialMode=0, 1, 0\nJpegQual=HQ\nMacro=\nMacro=Macro;\nDigiZoom=100/100\n"
     "Firmware=\"SX756\"\nCameraID=\"OLYMPUS\"\nCoring=0\n"},
    {"casio-qvc", "CASIO COMPUTER CO.,LTD.", "0221",
     [](bool big) {
         return tiffRelative(big, std::string("QVC\0\0\0", 6),
                             {
                                 {0x0008, 3, 1, shorts(big, {2})},
                                 {0x001D, 4, 1, longs(big, {63})},
                                 {0x0E00, 7, 8, std::string("PrintIM\0", 8)},
                                 {0x2001, 7, 5, "abcde"},
                                 {0x2012, 3, 1, shorts(big, {12})},
                                 {0x3001, 3, 1, shorts(big, {1})},
                             });
     },
     "\r\nQuality = Super Fine"
     "\r\nFocal Length (.1 mm) = 63"
     "\r\n\tPrint Image Matching Info = \"PrintIM.\""
     "\r\nWhite Balance = Flash"
     "\r\nSelf Timer = On",
     "Quality=Super Fine\nFocalLength=63\nPIM=\"PrintIM.\"\nWhiteBalance=Flash\n"
     "SelfTimer=On\n"},
    {"casio-plain", "CASIO", "0210",
     [](bool big) {
         return tiffRelative(big, "",
                             {
                                 {0x0001, 3, 1, shorts(big, {5})},
                                 {0x0008, 3, 1, shorts(big, {1})},
                                 {0x000A, 4, 1, longs(big, {65537})},
                                 {0x0014, 3, 1, shorts(big, {244})},
                             });
     },
     "\r\nRecordingMode = Landscape"
     "\r\nDigitalZoom = 2X Digital Zoom"
     "\r\nCCDSensitivity = +3.0",
     "RecordingMode=Landscape\nDigitalZoom=2X Digital Zoom\nCCDSensitivity=+3.0\n"},
    // The Fujifilm note is little-endian whatever the EXIF block's order.
    {"fujifilm", "FUJIFILM", "0220",
     [](bool) {
         return fujifilm({
             {0x0000, 7, 4, "0130"},
             {0x1000, 2, 8, ascii("NORMAL ", 8)},
             {0x1001, 3, 1, shorts(false, {3})},
             {0x1002, 3, 1, shorts(false, {256})},
             {0x1031, 3, 1, shorts(false, {768})},
             {0x1032, 3, 1, shorts(false, {1})},
             {0x1100, 3, 1, shorts(false, {1})},
         });
     },
     "\r\nVersion = \"0130\""
     "\r\nQuality = \"NORMAL \""
     "\r\nSharpness = Normal"
     "\r\nWhiteBalance = Daylight"
     "\r\nPictureMode = Manual exposure"
     "\r\nContTake/Bracket = On",
     // Version has tag number 0: listed, but no entry.
     "Quality=\"NORMAL \"\nSharpness=Normal\nWhiteBalance=Daylight\n"
     "PictureMode=Manual exposure\nContTake/Bracket=On\n"},
    {"seiko", "SEIKO EPSON CORP.", "0210",
     [](bool big) {
         return tiffRelative(big, std::string("SEIKO\0\1\0", 8),
                             {
                                 {0x0200, 4, 3, longs(big, {0, 0, 0})},
                                 {0x020B, 4, 1, longs(big, {1600})},
                                 {0x0300, 3, 1, shorts(big, {1})},
                                 {0x0F00, 7, 8, "12345678"},
                             });
     },
     "\r\nSpecial Mode = 0, 0, 0"
     "\r\nWidth = 1600"
     "\r\n?? = 1",
     "Special Mode=0, 0, 0\nWidth=1600\n?"
     "?=1\n"},
    {"sanyo", "SANYO Electric Co.,Ltd.", "0200",
     [](bool big) {
         return tiffRelative(big, std::string("SANYO\0\1\0", 8),
                             {
                                 {0x0200, 4, 3, longs(big, {0, 0, 0})},
                                 {0x0201, 3, 1, shorts(big, {33})},
                                 {0x0203, 2, 6, ascii("skip", 6)},
                                 {0x0F00, 7, 6, std::string("ab\0cd\1", 6)},
                             });
     },
     "\r\nSpecial Mode = 0, 0, 0"
     "\r\nJpegQuality = 33"
     "\r\nDataDump = \"ab.cd.\"",
     "Special Mode=0, 0, 0\nJpegQuality=33\nDataDump=\"ab.cd.\"\n"},
    {"minolta", "Minolta Co., Ltd.", "0220",
     [](bool big) {
         return tiffRelative(big, "",
                             {
                                 {0x0000, 7, 4, "MLT0"},
                                 {0x0E00, 7, 8, std::string("PrintIM\0", 8)},
                             });
     },
     "\r\nModelID = \"MLT0\""
     "\r\nPIMdata = \"PrintIM.\"",
     "PIMdata=\"PrintIM.\"\n"},
    // Another maker's make: nothing is listed.
    {"unknown-make", "PENTAX Corporation", "0220",
     [](bool big) {
         return tiffRelative(big, "AOC\0", {{0x0001, 3, 1, shorts(big, {1})}});
     },
     "", ""},
};

TEST(MakerNoteWalk, EveryLayoutInBothByteOrders) {
    for (const LayoutCase& c : kLayouts) {
        for (bool big : kOrders) {
            ExifSpec s;
            s.bigEndian = big;
            s.make = c.make;
            s.exifVersion = c.version;
            s.makerNote = c.note(big);
            const ReadResult r = readJpeg(s);
            EXPECT_EQ(r.makerText, c.text) << c.name << " " << orderName(big);
            EXPECT_EQ(entryList(r), c.entries) << c.name << " " << orderName(big);
            EXPECT_EQ(r.error, "<none>") << c.name << " " << orderName(big);
        }
    }
}

TEST(MakerNoteWalk, NikonNoteInItsOwnByteOrder) {
    // A newer Nikon note keeps the byte order of its own header, also when the EXIF
    // block around it was rewritten in the other order.
    for (bool big : kOrders) {
        ExifSpec s;
        s.bigEndian = big;
        s.make = "NIKON CORPORATION";
        s.exifVersion = "0221";
        s.makerNote =
            nikonNewer(!big, {{0x0002, 3, 2, shorts(!big, {0, 400})},
                              {0x0084, 5, 4, rationals(!big, {24, 1, 120, 1, 35, 10, 56, 10})}});
        const ReadResult r = readJpeg(s);
        EXPECT_EQ(r.makerText, "\r\nISO Speed = 0, 400"
                               "\r\nLens information = 24.0-120.0(mm)  F3.5-F5.6")
            << orderName(big);
    }
}

TEST(MakerNoteWalk, NikonD70TiffWithoutExifVersion) {
    // No EXIF version, a D model and a TIFF file: the newer layout.
    ExifSpec s;
    s.make = "NIKON CORPORATION";
    s.model = "NIKON D70";
    s.exifVersion = "";
    s.makerNote = nikonNewer(false, {{0x0002, 3, 2, shorts(false, {0, 200})}});
    EXPECT_EQ(readTiff(s).makerText, "\r\nISO Speed = 0, 200");
    // The same note in a JPEG is read with the "Nikon" header layout, at offset 8,
    // where this note holds its TIFF header's last bytes: no entries.
    EXPECT_EQ(readJpeg(s).makerText, "");
}

// Walks a maker note directly, to see the reader's ErrorText before a successful
// read replaces it.
struct DirectResult {
    bool known;
    std::string makerText;
    std::string error;
};

DirectResult readDirect(const std::string& make, const std::string& note) {
    TimgData parent;
    TImageInfo info(&parent);
    info.CameraMake = make;
    info.ExifVersionText = "0220";
    info.Buffer = std::string(8, '\0') + note;
    info.MakerNoteBytes = note;
    info.MakerNotePosition = 8;
    DirectResult r;
    r.known = TmsInfo(false, info).ReadMakerNote();
    r.makerText = info.MakerText;
    r.error = parent.ErrorText;
    return r;
}

TEST(MakerNoteWalk, FailuresEndTheWalkWithErrorDetected) {
    ByteWriter w(false);
    // Directory of 5 entries of which only the first is present.
    w.u16(5);
    w.u16(0x0008);
    w.u16(4);
    w.u32(1);
    w.u32(77);
    const struct {
        const char* name;
        std::string make;
        std::string note;
        bool known;
        const char* text;
        const char* error;
    } cases[] = {
        {"truncated-directory", "Canon", w.str(), true, "\r\nImageNumber = 77",
         "Error Detected = Maker note directory runs past its end"},
        {"note-shorter-than-header", "OLYMPUS", "OLYMP", true, "",
         "Error Detected = Maker note directory runs past its end"},
        {"empty-directory", "Canon", std::string("\0\0", 2), true, "", ""},
        {"unknown-make", "Leica", w.str(), false, "", ""},
    };
    for (const auto& c : cases) {
        const DirectResult r = readDirect(c.make, c.note);
        EXPECT_EQ(r.known, c.known) << c.name;
        EXPECT_EQ(r.makerText, c.text) << c.name;
        EXPECT_EQ(r.error, c.error) << c.name;
    }
}

TEST(MakerNoteWalk, TheExifWalkGoesOnAfterAFailedMakerNote) {
    for (bool big : kOrders) {
        ExifSpec s;
        s.bigEndian = big;
        s.make = "Canon";
        // A directory claiming 300 entries of which one is present.
        s.makerNote = [big](std::uint32_t) {
            ByteWriter w(big);
            w.u16(300);
            w.u16(0x0008);
            w.u16(4);
            w.u32(1);
            w.u32(42);
            return w.str();
        };
        const ReadResult r = readJpeg(s);
        EXPECT_EQ(r.makerText, "\r\nImageNumber = 42") << orderName(big);
        EXPECT_NE(r.exifText.find("\r\nColor Space = sRGB"), std::string::npos) << orderName(big);
        // A read that ends well replaces the maker note's error text.
        EXPECT_EQ(r.error, "<none>") << orderName(big);
    }
}

TEST(MakerNoteWalk, HugeCountsAndOffsetsStayInsideTheData) {
    for (bool big : kOrders) {
        ExifSpec s;
        s.bigEndian = big;
        s.make = "Canon";
        s.makerNote = tiffRelative(big, "",
                                   {
                                       // 2^31 rationals far beyond every buffer.
                                       {0x0006, 5, 0x80000000u, "", 0xFFFFFFF0u},
                                       // An offset just before the TIFF header.
                                       {0x0007, 2, 8, "", 0xFFFFFFFFu},
                                       {0x0008, 4, 1, longs(big, {5})},
                                   });
        const ReadResult r = readJpeg(s);
        EXPECT_EQ(r.makerText, "\r\nImageType = "
                               "\r\nFirmwareVersion = \"\""
                               "\r\nImageNumber = 5")
            << orderName(big);
    }
}

} // namespace
