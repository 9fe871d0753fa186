// SPDX-License-Identifier: GPL-3.0-or-later
// The image file reader and the directory walk, on files and EXIF blocks built byte
// by byte in both byte orders.
#include "exif/dEXIF.h"
#include "exif/exifDump.h"
#include "exif/exif_builder.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace varlime;
using varlime::test::exifApp1;
using varlime::test::jpeg;
using varlime::test::segment;
using varlime::test::TempDir;
using varlime::test::Tiff;

namespace {

// Walks a bare TIFF structure (header at buffer offset 0) into a fresh TImageInfo.
struct Walked {
    TimgData reader;
    TImageInfo info{&reader};
    Walked(bool be, const std::string& tiff) {
        info.BigEndian = be;
        info.Buffer = tiff;
        info.WalkDirectory(8, 0, static_cast<std::int64_t>(tiff.size()), TDirGroup::Main);
    }
};

std::vector<std::string> keys(const TImageInfo& info) {
    std::vector<std::string> out;
    for (const auto& e : info.Entries)
        out.push_back(e.KeyName);
    return out;
}

// The block used by the byte-order tests: an image directory with an EXIF, a GPS
// and an interoperability directory.
std::string sampleBlock(const Tiff& t) {
    std::vector<Tiff::Dir> dirs(4);
    dirs[0] = {
        t.ascii(0x010F, "Canon"), t.ascii(0x0110, "Canon EOS"),           t.shortE(0x0112, {6}),
        t.ratE(0x011A, 72, 1),    t.ascii(0x0132, "2020:01:02 03:04:05"), t.sub(0x8769, 1),
        t.sub(0x8825, 2)};
    dirs[1] = {t.ratE(0x829A, 1, 60),
               t.ratE(0x829D, 28, 10),
               t.bytes(0x9000, 7, "0221"),
               t.ascii(0x9003, "2021:05:06 07:08:09"),
               t.bytes(0x9101, 7, std::string("\x01\x02\x03\x00", 4)),
               t.ratE(0x9201, 6, 1, 10),
               t.shortE(0x9209, {0x19}),
               t.ratE(0x920A, 71, 10),
               t.bytes(0x9286, 7, std::string("ASCII\0\0\0  Hello world \0", 24)),
               t.shortE(0xA002, {640}),
               t.shortE(0xA003, {480}),
               t.sub(0xA005, 3)};
    dirs[2] = {t.bytes(0x0000, 1, std::string("\x02\x02\x00\x00", 4)), t.ascii(0x0001, "N"),
               t.rats(0x0002, {{48, 1}, {51, 1}, {2979, 100}}),
               t.rats(0x0007, {{14, 1}, {5, 1}, {9, 1}}), t.shortE(0x0020, {1})};
    dirs[3] = {t.ascii(0x0001, "R98"), t.shortE(0x1001, {1600}), t.shortE(0xC000, {5})};
    return t.build(dirs);
}

const char* const kSampleListing = "\r\nMake = Canon"
                                   "\r\nModel = Canon EOS"
                                   "\r\nOrientation = CounterClockwise 90°"
                                   "\r\nXResolution = 72.00"
                                   "\r\nDate Time = 2020:01:02 03:04:05"
                                   "\r\nExif Offset = 98"
                                   "\r\nExposure Time = 1/60 sec"
                                   "\r\nFNumber = F2.8"
                                   "\r\nExif Version = \"0221\""
                                   "\r\nDate Time Original = 2021:05:06 07:08:09"
                                   "\r\nComponents Configuration = YCbCr"
                                   "\r\nShutter Speed Value = 0.0156 sec (1/64)"
                                   "\r\nFlash = On, auto mode"
                                   "\r\nFocal Length =  7.10 mm"
                                   "\r\nUser Comment = Hello world"
                                   "\r\nExif Image Width = 640"
                                   "\r\nExif Image Length = 480"
                                   "\r\nInteroperability Offset = 314"
                                   "\r\nInteroperability Index = R98"
                                   "\r\nRelated Image Width = 1600"
                                   "\r\nUnknown = 5"
                                   "\r\nGPSInfo = 248"
                                   "\r\nGPSVersion ID = 2, 2, 0, 0"
                                   "\r\nGPSLatitude Ref = N"
                                   "\r\nGPSLatitude = 48 Degrees 51 Minutes 30 Seconds"
                                   "\r\nGPSTime Stamp = 14:5:9"
                                   "\r\nUnknown = 1";

class ByteOrderTest : public ::testing::TestWithParam<bool> {};

} // namespace

TEST_P(ByteOrderTest, WalksAllDirectoriesIntoTheListing) {
    const Tiff t{GetParam()};
    Walked w(t.be, sampleBlock(t));
    EXPECT_EQ(w.info.ExifText, kSampleListing);
    // Sub-directory entries come before the entry that points to them; tags missing
    // from the tables and the GPS version (tag number 0) get no entry.
    EXPECT_EQ(keys(w.info), (std::vector<std::string>{"Make",
                                                      "Model",
                                                      "Orientation",
                                                      "XResolution",
                                                      "DateTime",
                                                      "ExposureTime",
                                                      "FNumber",
                                                      "ExifVersion",
                                                      "DateTimeOriginal",
                                                      "ComponentsConfiguration",
                                                      "ShutterSpeedValue",
                                                      "Flash",
                                                      "FocalLength",
                                                      "UserComment",
                                                      "ExifImageWidth",
                                                      "ExifImageLength",
                                                      "InteroperabilityIndex",
                                                      "RelatedImageWidth",
                                                      "InteroperabilityOffset",
                                                      "ExifOffset",
                                                      "GPSLatitudeRef",
                                                      "GPSLatitude",
                                                      "GPSTimeStamp",
                                                      "GPSInfo"}));
    EXPECT_EQ(w.info.CameraMake, "Canon");
    EXPECT_EQ(w.info.CameraModel, "Canon EOS");
    EXPECT_EQ(w.info.DateTimeText, "2021:05:06 07:08:09");
    EXPECT_EQ(w.info.ExifVersionText, "0221");
    EXPECT_EQ(w.info.PixelWidth, 640);
    EXPECT_EQ(w.info.PixelHeight, 480);
    EXPECT_EQ(w.info.FlashValue, 0x19);
    EXPECT_EQ(w.reader.ErrorText, "");
}

TEST_P(ByteOrderTest, EntriesKeepRawBytesAndNumbers) {
    const Tiff t{GetParam()};
    Walked w(t.be, sampleBlock(t));
    ASSERT_NE(w.info.EntryByTag(tag::FNumber), nullptr);
    const TTagEntry f = *w.info.EntryByTag(tag::FNumber);
    EXPECT_EQ(f.TagNumber, 0x829D);
    EXPECT_EQ(f.ValueType, 5);
    EXPECT_EQ(f.RawSize, 8);
    EXPECT_EQ(f.RawBytes, t.rat(28, 10));
    EXPECT_EQ(f.Caption, "FNumber");
    EXPECT_EQ(f.ValueText, "F2.8");
    EXPECT_DOUBLE_EQ(f.Number(), 2.8);
    EXPECT_EQ(RoundHalfEven(f.Number()), 3);
    ASSERT_NE(w.info.EntryByTag(tag::ExifImageWidth), nullptr);
    EXPECT_EQ(RoundHalfEven(w.info.EntryByTag(tag::ExifImageWidth)->Number()), 640);
    ASSERT_NE(w.info.EntryByTag(tag::ExposureTime), nullptr);
    EXPECT_EQ(w.info.EntryByTag(tag::ExposureTime)->ValueText, "1/60 sec");
    EXPECT_EQ(w.info.EntryByTag(0x1234), nullptr);
    EXPECT_EQ(w.info.EntryByTag(tag::FNumber, kMakerGroup), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Walk, ByteOrderTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Motorola" : "Intel"; });

TEST(Walk, AsciiKeepsAllButOneTrailingZero) {
    const Tiff t{false};
    Walked w(false, t.build({{t.bytes(0x010F, 2, std::string("AB\0\0", 4)),
                              t.bytes(0x0110, 2, std::string("Canon\0", 6))}}));
    EXPECT_EQ(w.info.ExifText, "\r\nMake = AB.\r\nModel = Canon");
    EXPECT_EQ(w.info.CameraMake, "AB.");
}

TEST(Walk, SkipsEntriesWithoutBytes) {
    const Tiff t{true};
    Walked w(true, t.build({{{0x010F, 0, 4, "abcd"},
                             {0x0110, 13, 4, "abcd"},
                             {0x0112, 3, 0, ""},
                             t.shortE(0x0100, {12})}}));
    EXPECT_EQ(w.info.ExifText, "\r\nImage Width = 12");
    EXPECT_EQ(w.info.Entries.size(), 1u);
}

TEST(Walk, LongMakeIsCutIn32ButListedUpTo50) {
    const Tiff t{false};
    const std::string make(60, 'M');
    Walked w(false, t.build({{t.ascii(0x010F, make)}}));
    EXPECT_EQ(w.info.CameraMake, std::string(32, 'M'));
    EXPECT_EQ(w.info.ExifText, "\r\nMake = " + std::string(50, 'M'));
}

TEST(Walk, DateTimeOriginalWinsOverDateTime) {
    const Tiff t{false};
    Walked w(false, t.build({{t.ascii(0x9003, "2001:01:01 00:00:00"),
                              t.ascii(0x0132, "2002:02:02 00:00:00 and more text")}}));
    // The later one in reading order wins, cut to 20 characters.
    EXPECT_EQ(w.info.DateTimeText, "2002:02:02 00:00:00 ");
}

TEST(Walk, SelfAndMutualSubDirectoryPointersEnd) {
    const Tiff t{false};
    // Directory 0 points to itself and to 1; 1 points back to 0 and to itself.
    Walked w(false, t.build({{t.shortE(0x0100, {1}), t.sub(0x8769, 0), t.sub(0xA005, 1)},
                             {t.shortE(0x0101, {2}), t.sub(0x8769, 0), t.sub(0x014A, 1)}}));
    EXPECT_EQ(w.info.ExifText,
              "\r\nImage Width = 1\r\nExif Offset = 8\r\nInteroperability "
              "Offset = 50\r\nImage Length = 2\r\nExif Offset = 8\r\nSub IFDs = 50");
    EXPECT_EQ(w.reader.ErrorText, "");
}

TEST(Walk, DeepChainOfSubDirectoriesIsCut) {
    const Tiff t{false};
    std::vector<Tiff::Dir> dirs;
    for (int i = 0; i < 40; ++i)
        dirs.push_back({t.shortE(0x0100, {static_cast<unsigned>(i)}), t.sub(0x8769, i + 1)});
    dirs.push_back({t.shortE(0x0100, {99})});
    Walked w(false, t.build(dirs));
    // The first directory and eight levels below it.
    EXPECT_EQ(w.info.PixelWidth, 8);
    EXPECT_EQ(w.info.Entries.size(), 18u);
}

TEST(Walk, DirectoryPastTheDataIsReportedAndSkipped) {
    const Tiff t{true};
    Tiff::Entry far = t.sub(0x8769, 0);
    far.subDir = -1;
    far.rawOffset = 0x7FFFFF00;
    Walked w(true, t.build({{far, t.shortE(0x0100, {7})}}));
    EXPECT_EQ(w.reader.ErrorText, "Illegally sized directory");
    EXPECT_EQ(w.info.PixelWidth, 7);
}

TEST(Walk, CountLargerThanTheDataIsReported) {
    const Tiff t{false};
    std::string block = t.build({{t.shortE(0x0100, {7})}});
    block[8] = '\x40'; // 64 entries announced, one present
    Walked w(false, block);
    EXPECT_EQ(w.reader.ErrorText, "Illegally sized directory");
    EXPECT_TRUE(w.info.ExifText.empty());
}

TEST(Walk, ValuesPastTheDataAreCutNotReadBeyond) {
    const Tiff t{false};
    Tiff::Entry e{0x010E, 2, 1000, ""};
    e.rawOffset = 26; // header 8 + directory 18: the "tail" appended below
    std::string block = t.build({{e}});
    block += "tail";
    Walked w(false, block);
    const TTagEntry* d = w.info.EntryByTag(0x010E);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->RawSize, 4);
    EXPECT_EQ(w.info.ExifText, "\r\nImage Description = tail");
}

// Counts and offsets with their top bit set are large unsigned numbers, never
// negative ones: their values lie past the data and read nothing.
TEST(Walk, TopBitCountsAndOffsetsReadNothing) {
    const Tiff t{false};
    Tiff::Entry negCount{0x010E, 2, 0xFFFFFFFFu, ""};
    negCount.rawOffset = 0xFFFFFFF0u;
    Tiff::Entry negOffset{0x010F, 2, 10, ""};
    negOffset.rawOffset = 0x80000000u;
    Walked w(false, t.build({{negCount, negOffset, t.shortE(0x0100, {3})}}));
    EXPECT_EQ(w.info.ExifText, "\r\nImage Description = \r\nMake = \r\nImage Width = 3");
}

TEST(Walk, ZeroDenominatorHasNumberZero) {
    const Tiff t{false};
    Walked w(false, t.build({{t.ratE(0x829A, 5, 0), t.ratE(0x829D, 5, 0)}}));
    EXPECT_EQ(w.info.ExifText, "\r\nExposure Time = 5/0 sec\r\nFNumber = F0.0");
    ASSERT_NE(w.info.EntryByTag(tag::FNumber), nullptr);
    EXPECT_DOUBLE_EQ(w.info.EntryByTag(tag::FNumber)->Number(), 0.0);
}

TEST(Walk, GpsDirectoryUsesTheGpsTable) {
    const Tiff t{true};
    Walked w(true, t.build({{t.sub(0x8825, 1), t.shortE(0x0002, {1})},
                            {t.rats(0x0004, {{2, 1}, {1733, 100}, {0, 1}}), t.shortE(0x0005, {0}),
                             t.shortE(0x001E, {1}), t.shortE(0x001F, {1})}}));
    EXPECT_EQ(w.info.ExifText, "\r\nGPSInfo = 38"
                               "\r\nGPSLongitude = 2 Degrees 17 Minutes 20 Seconds"
                               "\r\nGPSAltitude Ref = Sealevel"
                               "\r\nGPSDifferential = 1"
                               "\r\nUnknown = 1"
                               "\r\nInteroperability Version = 1");
}

TEST(Walk, FlashThatIsNotANumberFailsTheDirectoryItIsIn) {
    const Tiff t{false};
    // In the first directory the failure ends the walk ...
    TimgData reader;
    TImageInfo top(&reader);
    top.Buffer = t.build({{t.ascii(0x9209, "x"), t.shortE(0x0100, {5})}});
    EXPECT_THROW(
        top.WalkDirectory(8, 0, static_cast<std::int64_t>(top.Buffer.size()), TDirGroup::Main),
        ExifFailure);
    // ... in a sub-directory only that directory ends.
    Walked w(false, t.build({{t.sub(0x8769, 1), t.shortE(0x0100, {5})},
                             {t.ascii(0x9209, "x"), t.shortE(0x0101, {6})}}));
    EXPECT_EQ(w.info.PixelWidth, 5);
    EXPECT_EQ(w.info.PixelHeight, 0);
}

TEST(Walk, WideTextTags) {
    const Tiff t{false};
    Walked w(false, t.build({{t.bytes(0x9C9B, 1, std::string("H\0i\0!\0\0\0", 8))}}));
    EXPECT_EQ(w.info.ExifText, "\r\nTitle = Hi!");
}

// ---------------------------------------------------------------------------
// 35 mm equivalent focal length

namespace {
std::string focalBlock(const Tiff& t, bool withPlane, int recorded35) {
    Tiff::Dir d = {t.shortE(0xA002, {2048}), t.shortE(0xA003, {1536}), t.ratE(0x920A, 58, 10)};
    if (withPlane) {
        d.push_back(t.shortE(0xA210, {2}));
        d.push_back(t.ratE(0xA20E, 8192, 1));
        d.push_back(t.ratE(0xA20F, 8192, 1));
    }
    if (recorded35)
        d.push_back(t.shortE(0xA405, {static_cast<unsigned>(recorded35)}));
    return t.build({d});
}
} // namespace

TEST(DeriveFocal35, FromTheFocalPlane) {
    const Tiff t{false};
    Walked w(false, focalBlock(t, true, 0));
    w.info.DeriveFocal35();
    // Sensor 6.35 x 4.7625 mm: diagonal 7.9375 mm, 5.8 * 43.26661531 / 7.9375 = 31.615...
    EXPECT_EQ(w.info.ExifText.substr(w.info.ExifText.rfind("\r\n")),
              "\r\nFocal Length in 35mm Film = 31.62");
    const auto e = w.info.Entries.back();
    EXPECT_EQ(e.TagNumber, 0xA405);
    EXPECT_EQ(e.ValueType, 10);
    EXPECT_EQ(e.ValueText, "31.62");
    EXPECT_EQ(e.FormatPattern, "%s mm");
    // Its typed value is the one listed, in hundredths of a millimetre.
    EXPECT_EQ(e.RawSize, 8);
    EXPECT_EQ(e.RationalAt().num, 3162);
    EXPECT_EQ(e.RationalAt().den, 100);
}

TEST(DeriveFocal35, NotWithoutFocalPlaneResolutions) {
    const Tiff t{true};
    Walked w(true, focalBlock(t, false, 0));
    const auto before = w.info.ExifText;
    w.info.DeriveFocal35();
    EXPECT_EQ(w.info.ExifText, before);
}

TEST(DeriveFocal35, RecordedValueIsKept) {
    const Tiff t{true};
    Walked w(true, focalBlock(t, true, 50));
    const auto before = w.info.ExifText;
    w.info.DeriveFocal35();
    EXPECT_EQ(w.info.ExifText, before);
    ASSERT_NE(w.info.EntryByTag(tag::FocalLengthIn35mmFormat), nullptr);
    EXPECT_EQ(w.info.EntryByTag(tag::FocalLengthIn35mmFormat)->ValueText, "50.00 mm");
}

TEST(EndInd, ReadsOutsideTheBufferGiveZero) {
    tEndInd b;
    b.Buffer = std::string("\x12\x34\x56", 3);
    b.BigEndian = true;
    EXPECT_EQ(b.ReadU16(0), 0x1234);
    EXPECT_EQ(b.ReadU16(2), 0x5600);
    EXPECT_EQ(b.ReadU16(3), 0);
    EXPECT_EQ(b.ReadU16(-1), 0);
    EXPECT_EQ(b.ReadU32(0), 0x12345600);
    EXPECT_EQ(b.ReadU32(std::int64_t{1} << 40), 0);
    b.BigEndian = false;
    EXPECT_EQ(b.ReadU16(0), 0x3412);
    EXPECT_EQ(b.ReadBytes(1, 100), "\x34\x56");
    EXPECT_EQ(b.ReadBytes(-5, 100), "");
}

// ---------------------------------------------------------------------------
// Reading files

namespace {
std::string sampleJpeg(bool be) {
    return jpeg({exifApp1(sampleBlock(Tiff{be}))});
}
const std::string kApp0 = segment(0xE0, "JFIF\0\x01\x02");
const std::string kXmp = segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0<x/>", 33));
} // namespace

TEST(ReadImageFile, JpegInBothByteOrders) {
    TempDir dir;
    for (bool be : {false, true}) {
        TimgData r;
        const auto path = dir.write(be ? "mm.jpg" : "ii.jpg", sampleJpeg(be));
        EXPECT_TRUE(r.ReadImageFile(path));
        EXPECT_EQ(r.ErrorText, "<none>");
        EXPECT_TRUE(r.HasExifBlock());
        EXPECT_EQ(r.BigEndian, be);
        EXPECT_EQ(r.LoadedFileName, path);
        EXPECT_EQ(r.LoadedFileSize, static_cast<std::int32_t>(sampleJpeg(be).size()));
        EXPECT_GT(r.LoadedFileTime, 0);
        ASSERT_TRUE(r.ExifInfo);
        EXPECT_EQ(r.ExifInfo->ExifText, kSampleListing);
        EXPECT_FALSE(r.ExifInfo->IsTiff);
    }
}

// The eight extensions read by name are read as their name says; when their reader finds
// no header of its kind, and any other name, the file is read by what its first bytes are.
TEST(ReadImageFile, ExtensionDecidesTheFormat) {
    TempDir dir;
    const std::string tiff = Tiff{false}.build({{Tiff{false}.ascii(0x010F, "Maker")}});
    struct Case {
        const char* name;
        bool jpegBytes;
        bool read;
    } cases[] = {{"a.JPG", true, true}, {"b.Jpeg", true, true},    {"c.jpe", true, true},
                 {"d.thm", true, true}, {"e.crw", true, true},     {"f.png", true, true},
                 {"noext", true, true}, {"g.jpg.bak", true, true}, {"h.jpg", false, true},
                 {"i.nef", true, true}, {"j.cr2", false, true},    {"k.txt", false, true},
                 {"l.avi", false, true}};
    for (const auto& c : cases) {
        TimgData r;
        EXPECT_EQ(r.ReadImageFile(dir.write(c.name, c.jpegBytes ? sampleJpeg(false) : tiff)),
                  c.read)
            << c.name;
        EXPECT_EQ(r.ErrorText, c.read ? "<none>" : "Not an EXIF file") << c.name;
        EXPECT_EQ(r.HasExifBlock(), c.read) << c.name;
    }
    // Bytes that are no known container leave any other name unread.
    TimgData r;
    EXPECT_FALSE(r.ReadImageFile(dir.write("m.cr2", "plain text, no picture")));
    EXPECT_EQ(r.ErrorText, "Not an EXIF file");
}

TEST(ReadImageFile, MissingFile) {
    TempDir dir;
    TimgData r;
    r.ReadImageFile(dir.write("x.jpg", sampleJpeg(false)));
    EXPECT_FALSE(r.ReadImageFile(dir.path() + "missing.jpg"));
    EXPECT_EQ(r.ErrorText, "");
    EXPECT_EQ(r.LoadedFileName, "");
    EXPECT_EQ(r.LoadedFileSize, 0);
    EXPECT_EQ(r.LoadedFileTime, 0);
    EXPECT_FALSE(r.HasExifBlock());
    EXPECT_FALSE(r.ExifInfo);
    EXPECT_FALSE(r.ReadImageFile(""));
}

TEST(ReadImageFile, EmptyAndTinyFiles) {
    TempDir dir;
    for (const char* bytes : {"", "\xFF", "\xFF\xD8", "\xFF\xD8\xFF", "\xFF\xD8\xFF\xE1\x00"}) {
        TimgData r;
        EXPECT_FALSE(r.ReadImageFile(dir.write("t.jpg", bytes)));
        EXPECT_EQ(r.ErrorText, "Not an EXIF file");
        TimgData t;
        EXPECT_FALSE(t.ReadImageFile(dir.write("t.tif", bytes)));
        EXPECT_EQ(t.ErrorText, "Not an EXIF file");
    }
}

TEST(ReadImageFile, WhatIsNotARegularFileIsNotRead) {
    TempDir dir;
    ASSERT_EQ(::mkdir((dir.path() + "folder.jpg").c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo((dir.path() + "pipe.jpg").c_str(), 0600), 0);
    for (const char* name : {"folder.jpg", "pipe.jpg"}) {
        TimgData r;
        EXPECT_FALSE(r.ReadImageFile(dir.path() + name));
        EXPECT_EQ(r.ErrorText, "Illegal Exif construction") << name;
    }
}

TEST(ReadImageFile, UnreadableFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not apply to root";
    TempDir dir;
    const auto path = dir.write("locked.jpg", sampleJpeg(false));
    ::chmod(path.c_str(), 0);
    TimgData r;
    EXPECT_FALSE(r.ReadImageFile(path));
    EXPECT_EQ(r.ErrorText, "Illegal Exif construction");
    EXPECT_EQ(r.LoadedFileName, path);
}

TEST(SegmentWalk, OtherApplicationBlockBeforeExifDoesNotHideIt) {
    TempDir dir;
    TimgData r;
    EXPECT_TRUE(r.ReadImageFile(
        dir.write("x.jpg", jpeg({kApp0, kXmp, exifApp1(sampleBlock(Tiff{false}))}))));
    EXPECT_EQ(r.ExifSegment, 3);
    EXPECT_EQ(r.ExifInfo->CameraMake, "Canon");
    EXPECT_EQ(r.ErrorText, "<none>");
}

TEST(SegmentWalk, OnlyAnotherApplicationBlockIsNoExif) {
    TempDir dir;
    TimgData r;
    EXPECT_FALSE(r.ReadImageFile(dir.write("x.jpg", jpeg({kApp0, kXmp}))));
    EXPECT_FALSE(r.HasExifBlock());
    EXPECT_EQ(r.ErrorText, "Not an EXIF file");
}

TEST(SegmentWalk, BadAlignmentMarkerKeepsTheBlockWithoutEntries) {
    TempDir dir;
    TimgData r;
    std::string tiff = sampleBlock(Tiff{false});
    tiff[0] = tiff[1] = 'X';
    EXPECT_TRUE(r.ReadImageFile(dir.write("x.jpg", jpeg({exifApp1(tiff)}))));
    EXPECT_TRUE(r.HasExifBlock());
    EXPECT_EQ(r.ErrorText, "<none>");
    ASSERT_TRUE(r.ExifInfo);
    EXPECT_TRUE(r.ExifInfo->Entries.empty());
    EXPECT_EQ(r.ExifInfo->CameraMake, "");
}

TEST(SegmentWalk, FifthSegmentEndsAWalkThatFoundNothing) {
    TempDir dir;
    const std::string app2 = segment(0xE2, "icc");
    TimgData r;
    EXPECT_FALSE(r.ReadImageFile(
        dir.write("x.jpg", jpeg({kApp0, app2, app2, app2, exifApp1(sampleBlock(Tiff{false}))}))));
    EXPECT_EQ(r.ErrorText, "Not an EXIF file");
    EXPECT_FALSE(r.HasExifBlock());
    EXPECT_EQ(r.SegmentCount, 5);
}

TEST(SegmentWalk, App1InSixthPlaceIsDropped) {
    TempDir dir;
    const std::string com = segment(0xFE, "comment");
    const std::string app2 = segment(0xE2, "icc");
    TimgData r;
    EXPECT_TRUE(r.ReadImageFile(dir.write(
        "x.jpg", jpeg({com, app2, app2, app2, app2, exifApp1(sampleBlock(Tiff{false}))}))));
    EXPECT_EQ(r.ErrorText, "<none>");
    EXPECT_FALSE(r.HasExifBlock());
    EXPECT_EQ(r.CommentSegment, 1);
}

TEST(SegmentWalk, OnlyAComment) {
    TempDir dir;
    TimgData r;
    EXPECT_TRUE(r.ReadImageFile(dir.write("x.jpg", jpeg({segment(0xFE, "hello")}))));
    EXPECT_EQ(r.ErrorText, "<none>");
    EXPECT_FALSE(r.HasExifBlock());
    EXPECT_EQ(r.CommentSegment, 1);
    EXPECT_EQ(r.Segments[1].Size, 7);
    EXPECT_EQ(r.Segments[1].Bytes, std::string("\x00\x07hello", 7));
}

TEST(SegmentWalk, SecondApp1AndIptcAndLastComment) {
    TempDir dir;
    TimgData r;
    EXPECT_TRUE(r.ReadImageFile(dir.write(
        "x.jpg",
        jpeg({exifApp1(sampleBlock(Tiff{true})), segment(0xED, "iptc1"), segment(0xFE, "c1"),
              exifApp1(Tiff{false}.build({{}})), segment(0xED, "iptc2"), segment(0xFE, "c2")}))));
    EXPECT_EQ(r.ExifSegment, 1);
    EXPECT_EQ(r.IptcSegment, 2);
    // The second APP1 is dropped and its slot reused.
    EXPECT_EQ(r.CommentSegment, 5);
    EXPECT_EQ(r.Segments[4].Marker, 0xED);
    EXPECT_EQ(r.ExifInfo->CameraMake, "Canon");
}

TEST(SegmentWalk, StopsAfterTwentySegments) {
    TempDir dir;
    std::vector<std::string> segs(30, segment(0xFE, "c"));
    TimgData r;
    EXPECT_TRUE(r.ReadImageFile(dir.write("x.jpg", jpeg(segs))));
    EXPECT_EQ(r.SegmentCount, 20);
    EXPECT_EQ(r.CommentSegment, 20);
}

TEST(SegmentWalk, FillBytesBeforeAMarkerAreSkipped) {
    TempDir dir;
    TimgData r;
    const std::string file = "\xFF\xD8\xFF\xFF\xFF" + exifApp1(sampleBlock(Tiff{false})).substr(1);
    EXPECT_TRUE(r.ReadImageFile(dir.write("x.jpg", file)));
    EXPECT_EQ(r.ExifInfo->CameraMake, "Canon");
}

TEST(SegmentWalk, TruncatedExifSegmentIsNotRead) {
    TempDir dir;
    const std::string full = jpeg({exifApp1(sampleBlock(Tiff{false}))});
    TimgData r;
    EXPECT_FALSE(r.ReadImageFile(dir.write("x.jpg", full.substr(0, 100))));
    EXPECT_EQ(r.ErrorText, "Not an EXIF file");
    EXPECT_FALSE(r.HasExifBlock());
    EXPECT_EQ(r.SegmentCount, 1);
    EXPECT_EQ(r.Segments[1].Bytes.size(), 96u);
}

TEST(SegmentWalk, FlashFailureInTheImageDirectoryFailsTheRead) {
    TempDir dir;
    const Tiff t{false};
    TimgData r;
    EXPECT_FALSE(r.ReadImageFile(dir.write(
        "x.jpg", jpeg({exifApp1(t.build({{t.ascii(0x010F, "Canon"), t.ascii(0x9209, "?")}}))}))));
    EXPECT_EQ(r.ErrorText, "Not an EXIF file");
    EXPECT_TRUE(r.HasExifBlock());
    EXPECT_EQ(r.ExifInfo->CameraMake, "Canon");
}

TEST(SegmentWalk, IllegallySizedDirectoryIsHiddenBySuccess) {
    TempDir dir;
    std::string tiff = Tiff{false}.build({{}});
    tiff[8] = '\x7F';
    TimgData r;
    EXPECT_TRUE(r.ReadImageFile(dir.write("x.jpg", jpeg({exifApp1(tiff)}))));
    EXPECT_EQ(r.ErrorText, "<none>");
    EXPECT_TRUE(r.ExifInfo->ExifText.empty());
}

TEST(TiffScan, BothByteOrdersAndTheReaderShowsTheFileOrder) {
    TempDir dir;
    for (bool be : {false, true}) {
        for (const char* name : {"x.tif", "x.TIFF", "x.nef", "x.pef"}) {
            TimgData r;
            EXPECT_TRUE(r.ReadImageFile(dir.write(name, sampleBlock(Tiff{be}))));
            EXPECT_EQ(r.ErrorText, "<none>");
            EXPECT_EQ(r.BigEndian, be);
            ASSERT_TRUE(r.ExifInfo);
            EXPECT_TRUE(r.ExifInfo->IsTiff);
            EXPECT_FALSE(r.IsTiffSource);
            EXPECT_EQ(r.ExifInfo->ExifText, kSampleListing) << name;
            EXPECT_EQ(r.ExifInfo->Buffer.size(), 256000u);
            EXPECT_EQ(r.SegmentCount, 1);
            EXPECT_EQ(r.ExifSegment, 1);
        }
    }
}

TEST(TiffScan, FirstDirectoryWhereTheHeaderSays) {
    TempDir dir;
    const Tiff t{true};
    // 100 bytes of pixels, then the directory: its offset in the header is 108.
    std::string body = t.build({{t.shortE(0x0100, {264}), t.shortE(0x0101, {84})}}).substr(8);
    std::string file = "MM" + t.u16(42) + t.u32(108) + std::string(100, '\x80') + body;
    TimgData r;
    EXPECT_TRUE(r.ReadImageFile(dir.write("x.tif", file)));
    EXPECT_EQ(r.ExifInfo->ExifText, "\r\nImage Width = 264\r\nImage Length = 84");
}

TEST(TiffScan, DirectoryBeyondTheBufferIsReported) {
    TempDir dir;
    const Tiff t{false};
    TimgData r;
    EXPECT_TRUE(r.ReadImageFile(dir.write("x.tif", "II" + t.u16(42) + t.u32(300000) + "1234")));
    EXPECT_EQ(r.ErrorText, "<none>");
    EXPECT_TRUE(r.ExifInfo->ExifText.empty());
}

TEST(TiffScan, WrongHeader) {
    TempDir dir;
    TimgData r;
    // A JPEG named .tif is read as the JPEG it is.
    EXPECT_TRUE(r.ReadImageFile(dir.write("x.tif", sampleJpeg(false))));
    EXPECT_EQ(r.ErrorText, "<none>");
    EXPECT_TRUE(r.HasExifBlock());
    EXPECT_FALSE(r.ReadImageFile(dir.write("y.tif", "MM\x00")));
    EXPECT_EQ(r.ErrorText, "Not an EXIF file");
}

// ---------------------------------------------------------------------------
// The dump and the numeric access

TEST(Dump, WithoutExif) {
    TempDir dir;
    TimgData r;
    EXPECT_EQ(DumpExifFile(r, dir.write("x.png", "png")),
              (std::vector<std::string>{" ", "-- EXIF-Data -------------- ",
                                        "ErrStr = Not an EXIF file"}));
    EXPECT_EQ(DumpExifFile(r, dir.path() + "missing.jpg"),
              (std::vector<std::string>{" ", "-- EXIF-Data -------------- ", "ErrStr = "}));
}

TEST(Dump, EntriesThenTheMakerNoteHeading) {
    TempDir dir;
    const Tiff t{true};
    TimgData r;
    const auto lines = DumpExifFile(
        r, dir.write("x.jpg", jpeg({exifApp1(t.build({{t.ascii(0x010F, "Maker"),
                                                       t.bytes(0x010E, 2, "two\r\nlines")}}))})));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         " ", "-- EXIF-Data -------------- ", "ErrStr = <none>",
                         "Motorola Byte Order", "Make = Maker", "Image Description = two..lines",
                         "", "--- Informations spécifiques supplémentaires ---"}));
}

TEST(Dump, MakerEntriesAreLeftOutAndMakerTextSplitIntoLines) {
    TimgData r;
    r.ExifSegment = 1;
    r.ExifInfo = std::make_unique<TImageInfo>(&r);
    TTagEntry shown;
    shown.Caption = "Make";
    shown.ValueText = "X";
    TTagEntry maker = shown;
    maker.TagGroup = kMakerGroup;
    maker.Caption = "OwnerName";
    r.ExifInfo->Entries = {shown, maker};
    r.ExifInfo->MakerText = "\r\nOwnerName = \"Me\"\r\nA = 1";
    EXPECT_EQ(DumpExifLines(r),
              (std::vector<std::string>{" ", "-- EXIF-Data -------------- ",
                                        "ErrStr = ", "Intel Byte Order", "Make = X", "",
                                        "--- Informations spécifiques supplémentaires ---", "",
                                        "OwnerName = \"Me\"", "A = 1"}));
}

// Naming reads a photo's first 16 KiB, then the rest of a longer EXIF block by itself.
// The block may start or end anywhere around that first read and around the 64 KiB the
// later reads take: each case puts its start there with another block of padding before
// it, and lengthens it with a long value (a camera's thumbnail) after the directories.
// The naming read must find the same facts and bytes as the full read.
TEST(SegmentWalk, ExifBlockAcrossTheFirstReadsIsReadWhole) {
    constexpr std::size_t k16 = 16 * 1024;
    // Bytes read: the first read; what a long block lacks then; 64 KiB when less than
    // 4 KiB of a segment is missing (it comes with what follows in one read).
    const struct {
        std::size_t debut;  // where the EXIF segment's marker starts in the file
        std::size_t taille; // its body's length
        std::size_t lus;    // bytes naming reads
    } cas[] = {
        {20, 400, k16},                        // in the first read
        {20, k16 - 100, k16},                  // ends just before the first read's end
        {20, k16 + 5000, 20 + 4 + k16 + 5000}, // ends after it, the rest read alone
        {k16 - 3, 3000, k16 + 65536},          // its length split by the first read's end
        {k16 + 7, 60000, k16 + 65536},         // after the first read, ends past 64 KiB
        {40000, 65000, 40000 + 65536},         // after a long block read alone
    };
    TempDir dir;
    const Tiff t{false};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.debut);
        const std::string tiffDebut =
            t.build({{t.ascii(0x010F, "Maker"), t.ascii(0x0110, "Model 7"), t.sub(0x8769, 1)},
                     {t.ascii(0x9003, "2021:03:04 05:06:07"), t.ratE(0x829D, 56, 10)}});
        // The thumbnail-like tail makes the body c.taille bytes long.
        const std::size_t corps = 6 + tiffDebut.size();
        ASSERT_LT(corps, c.taille);
        const std::string exif = exifApp1(tiffDebut + std::string(c.taille - corps, 'T'));
        // SOI (2 bytes), then another application's block as padding up to the EXIF
        // block's start.
        std::vector<std::string> segments;
        ASSERT_GE(c.debut, 2u + 4u);
        segments.push_back(segment(0xE2, std::string(c.debut - 2 - 4, ' ')));
        segments.push_back(exif);
        segments.push_back(segment(0xDB, std::string(64, '\x01')));
        // A camera's picture data follows: a megabyte naming must not read.
        const std::string octets = jpeg(segments) + std::string(1 << 20, '\x55');
        ASSERT_EQ(octets.substr(c.debut, 2), "\xFF\xE1");
        const std::string chemin = dir.write("p.jpg", octets);

        TimgData complet, nommage;
        nommage.NamingFactsOnly = true;
        ASSERT_TRUE(complet.ReadImageFile(chemin));
        ASSERT_TRUE(nommage.ReadImageFile(chemin));
        EXPECT_EQ(nommage.ExifInfo->Buffer, complet.ExifInfo->Buffer);
        EXPECT_EQ(nommage.ExifInfo->Buffer.size(), c.taille + 2);
        EXPECT_EQ(nommage.ExifInfo->MakeForNames, "Maker");
        EXPECT_EQ(nommage.ExifInfo->ModelForNames, "Model 7");
        EXPECT_EQ(nommage.ExifInfo->DateTimeText, "2021:03:04 05:06:07");
        ASSERT_NE(nommage.ExifInfo->EntryByTag(0x829D), nullptr);
        EXPECT_EQ(nommage.ExifInfo->EntryByTag(0x829D)->Number(), 5.6);
        // Naming stops at the EXIF block, and reads little of the picture data.
        EXPECT_EQ(nommage.TotalBytesRead, c.lus);
    }
}
