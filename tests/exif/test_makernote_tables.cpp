// SPDX-License-Identifier: GPL-3.0-or-later
// The maker tables, row by row: tag numbers and captions in table order, key names,
// value decoding lists and decoders, each written out as the camera makers' tables
// list them.
#include "exif/msDecoders.h"
#include "exif/msTables.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace varlime;

namespace {

// "0x0001 Family ID; 0x0002 ISO Speed; ..." with a tab shown as (TAB).
std::string listing(std::span<const TTagRow> table) {
    std::string out;
    for (const TTagRow& row : table) {
        char num[16];
        std::snprintf(num, sizeof num, "0x%04X ", row.TagNumber);
        if (!out.empty())
            out += "; ";
        out += num;
        for (char c : row.Caption) {
            if (c == '\t')
                out += "(TAB)";
            else
                out += c;
        }
    }
    return out;
}

struct TableCase {
    const char* name;
    std::span<const TTagRow> table;
    std::size_t rows;
    const char* expected;
};

const TableCase kTables[] = {
    {"NikonNewer", kNikonNewerTags, 28,
     "0x0001 Family ID; 0x0002 ISO Speed; 0x0003 Color Mode; 0x0004 Quality; 0x0005 White "
     "Balance; 0x0006 Image Sharpening; 0x0007 Focus Mode; 0x0008 Flash Setting; 0x0009 Auto "
     "Flash Mode; 0x000A Skip; 0x000B White Bias Value; 0x000F Digital Zoom; 0x0010 Skip; 0x0011 "
     "Skip; 0x0080 Image Adjustment; 0x0081 Image Adjustment; 0x0082 Adapter; 0x0084 Lens "
     "information; 0x0085 Manual Focus Distance; 0x0086 Digital Zoom; 0x0088 Focus Area; 0x0089 "
     "Mode; 0x008D Color Mode; 0x008F Scene Mode; 0x0092 Hue Adjustment; 0x0094 Saturation; "
     "0x0095 Noise Reduction; 0x0F00 Skip"},
    {"NikonHeader", kNikonHeaderTags, 11,
     "0x0002 FamilyID; 0x0003 Quality; 0x0004 ColorMode; 0x0005 ImageAdjustment; 0x0006 "
     "ISOSpeed; 0x0007 WhiteBalance; 0x0008 Focus; 0x0009 Skip; 0x000A DigitalZoom; 0x000B "
     "Converter; 0x0F00 Skip"},
    {"Olympus", kOlympusTags, 33,
     "0x0200 SpecialMode; 0x0201 JpegQual; 0x0202 Macro; 0x0203 Skip; 0x0204 Digital Zoom "
     "Ratio; 0x0205 Skip; 0x0206 Skip; 0x0207 Firmware; 0x0208 Picture Info; 0x0209 Camera ID; "
     "0x0F00 Skip; 0x1004 Flash Mode; 0x1006 Bracket; 0x100B Focus Mode; 0x100C Focus Distance; "
     "0x100D Zoom; 0x100E Macro Focus; 0x100F Sharpness; 0x1011 Color Matrix; 0x1012 Black "
     "Level; 0x1015 White Balance; 0x1017 Red Bias; 0x1018 Blue Bias; 0x101A SerialNumber; "
     "0x1023 Flash Bias; 0x1029 Contrast; 0x102A Sharpness Factor; 0x102B Color Control; 0x102C "
     "Valid Bits; 0x102D Coring Filter; 0x102E Final Width; 0x102F Final Height; 0x1034 "
     "Compression Ratio"},
    {"Casio", kCasioTags, 26,
     "0x0001 RecordingMode; 0x0002 Quality; 0x0003 FocusingMode; 0x0004 FlashMode; 0x0005 "
     "FlashIntensity; 0x0006 ObjectDistance; 0x0007 WhiteBalance; 0x0008 Skip; 0x0009 Skip; "
     "0x000A DigitalZoom; 0x000B Sharpness; 0x000C Contrast; 0x000D Saturation; 0x000E Skip; "
     "0x000F Skip; 0x0010 Skip; 0x0011 Skip; 0x0012 Skip; 0x0013 Skip; 0x0014 CCDSensitivity; "
     "0x0015 Skip; 0x0016 Skip; 0x0017 Skip; 0x0018 Skip; 0x0019 Skip; 0x001A Skip"},
    {"CasioQvc", kCasioQvcTags, 45,
     "0x0002 Thumbnail Dimensions; 0x0003 Thumbnail Size; 0x0004 Thumbnail OffSet; 0x0008 "
     "Quality; 0x0009 ImageSize; 0x000D FocusMode; 0x0014 IsoSensitivity; 0x0019 WhiteBalance; "
     "0x001D Focal Length (.1 mm); 0x001F Saturation; 0x0020 Contrast; 0x0021 Sharpness; 0x0E00 "
     "(TAB)Print Image Matching Info; 0x2000 Skip; 0x2001 Skip; 0x2002 Skip; 0x2003 Skip; 0x2011 "
     "White Balance Bias; 0x2013 Skip; 0x2012 White Balance; 0x2021 Skip; 0x2022 Object Distance "
     "(mm); 0x2023 Skip; 0x2031 Skip; 0x2032 Skip; 0x2033 Skip; 0x2034 Flash Distance; 0x3000 "
     "Record Mode; 0x3001 Self Timer; 0x3002 Quality; 0x3003 Focus Mode; 0x3005 Skip; 0x3006 "
     "Time Zone; 0x3007 Bestshot Mode; 0x3011 Skip; 0x3012 Skip; 0x3013 Skip; 0x3014 CCD "
     "Sensitivity; 0x3015 Color Mode; 0x3016 Enhancement; 0x3017 Filter; 0x3018 Skip; 0x3019 "
     "Skip; 0x301A Skip; 0x301B Skip"},
    {"Fujifilm", kFujifilmTags, 18,
     "0x0000 Version; 0x1000 Quality; 0x1001 Sharpness; 0x1002 WhiteBalance; 0x1003 Color; "
     "0x1004 Tone; 0x1010 FlashMode; 0x1011 FlashStrength; 0x1020 Macro; 0x1021 Focusmode; "
     "0x1030 SlowSync; 0x1031 PictureMode; 0x1032 Skip; 0x1100 ContTake/Bracket; 0x1200 Skip; "
     "0x1300 BlurWarning; 0x1301 FocusWarning; 0x1302 AEWarning"},
    {"Canon", kCanonTags, 16,
     "0x0000 Skip; 0x0001 ExposureInfo1; 0x0002 Skip; 0x0003 Skip; 0x0004 ExposureInfo2; 0x0006 "
     "ImageType; 0x0007 FirmwareVersion; 0x0008 ImageNumber; 0x0009 OwnerName; 0x000A Skip; "
     "0x000B Skip; 0x000C CameraSerialNumber; 0x000D Skip; 0x000E Skip; 0x000F CustomFunctions; "
     "0x0010 Skip"},
    {"Seiko", kSeikoTags, 12,
     "0x0200 Special Mode; 0x0201 JpegQuality; 0x0202 Macro; 0x0203 Skip; 0x0204 DigiZoom; "
     "0x0209 CameraID; 0x020A Comments; 0x020B Width; 0x020C Height; 0x020D SoftRelease; 0x0300 "
     "??; 0x0F00 skip"},
    {"Sanyo", kSanyoTags, 6,
     "0x0200 Special Mode; 0x0201 JpegQuality; 0x0202 Macro; 0x0203 Skip; 0x0204 DigiZoom; "
     "0x0F00 DataDump"},
    {"Minolta", kMinoltaTags, 2, "0x0000 ModelID; 0x0E00 PIMdata"},
};

TEST(MakerTables, RowsAreAsListed) {
    for (const TableCase& c : kTables) {
        EXPECT_EQ(c.table.size(), c.rows) << c.name;
        EXPECT_EQ(listing(c.table), c.expected) << c.name;
    }
}

// Key names are the captions without blanks, except for these rows.
struct KeyException {
    std::span<const TTagRow> table;
    std::uint16_t tag;
    const char* key;
};

const KeyException kKeyExceptions[] = {
    {kNikonNewerTags, 0x0084, "LensInformation"},
    {kOlympusTags, 0x0204, "DigiZoom"},
    {kOlympusTags, 0x0208, "PictInfo"},
    {kOlympusTags, 0x102D, "Coring"},
    {kCasioQvcTags, 0x0004, "ThumbnailOffset"},
    {kCasioQvcTags, 0x001D, "FocalLength"},
    {kCasioQvcTags, 0x0E00, "PIM"},
    {kCasioQvcTags, 0x2022, "ObjectDistance"},
    {kSeikoTags, 0x0200, "Special Mode"},
    {kSanyoTags, 0x0200, "Special Mode"},
};

TEST(MakerTables, KeyNamesAreCaptionsWithoutBlanksSaveTheExceptions) {
    int exceptionsSeen = 0;
    for (const TableCase& c : kTables) {
        for (const TTagRow& row : c.table) {
            const char* expected = nullptr;
            for (const KeyException& e : kKeyExceptions) {
                if (e.table.data() == c.table.data() && e.tag == row.TagNumber)
                    expected = e.key;
            }
            std::string plain;
            for (char ch : row.Caption) {
                if (ch != ' ')
                    plain += ch;
            }
            if (expected) {
                ++exceptionsSeen;
                EXPECT_EQ(row.KeyName, expected) << c.name << " " << row.TagNumber;
            } else {
                EXPECT_EQ(row.KeyName, plain) << c.name << " " << row.TagNumber;
            }
        }
    }
    EXPECT_EQ(exceptionsSeen, 10);
}

struct CodesCase {
    std::span<const TTagRow> table;
    std::uint16_t tag;
    const char* codes;
};

const CodesCase kCodes[] = {
    {kNikonHeaderTags, 0x0003,
     "1:Vga Basic,2:Vga Normal,3:Vga Fine,4:SXGA Basic,5:SXGA Normal,6:SXGA Fine10:2 Mpixel "
     "Basic,11:2 Mpixel Normal,12:2 Mpixel Fine"},
    {kNikonHeaderTags, 0x0004, "1:Color,2:Monochrome"},
    {kNikonHeaderTags, 0x0005, "0:Normal,1:Bright+,2:Bright-,3:Contrast+,4:Contrast-"},
    {kNikonHeaderTags, 0x0006, "0:ISO80,2:ISO160,4:ISO320,5:ISO100"},
    {kNikonHeaderTags, 0x0007,
     "0:Auto,1:Preset,2:Daylight,3:Incandescense,4:Fluorescence,5:Cloudy,6:SpeedLight"},
    {kNikonHeaderTags, 0x000B, "0:Not used,1:Used"},
    {kOlympusTags, 0x0201, "1:SQ,2:HQ,3:SHQ,4:Raw"},
    {kOlympusTags, 0x0202, "0=Normal,1:Macro;"},
    {kCasioTags, 0x0001, "1:Single Shutter,2:Panorama,3:Night Scene,4:Portrait,5:Landscape"},
    {kCasioTags, 0x0002, "1:Economy,2:Normal,3:Fine"},
    {kCasioTags, 0x0003, "2:Macro,3:Auto Focus,4:Manual Focus,5:Infinity"},
    {kCasioTags, 0x0004, "1:Auto,2:On,3:Off,4:Red Eye Reduction"},
    {kCasioTags, 0x0005, "11:Weak,13:Normal,15:Strong"},
    {kCasioTags, 0x0007, "1:Auto,2:Tungsten,3:Daylight,4:Fluorescent,5:Shade,129:Manual"},
    {kCasioTags, 0x000A, "65536:Off,65537:2X Digital Zoom"},
    {kCasioTags, 0x000B, "0:Normal,1:Soft,2:Hard"},
    {kCasioTags, 0x000C, "0:Normal,1:Low,2:High"},
    {kCasioTags, 0x000D, "0:Normal,1:Low,2:High"},
    {kCasioTags, 0x0014, "64:Normal,125:+1.0,250:+2.0,244:+3.0,80:Normal,100:High"},
    {kCasioQvcTags, 0x0008, "1:Fine,2:Super Fine"},
    {kCasioQvcTags, 0x0009,
     "0:640 x 480,4:1600 x 1200,5:2048 x 1536,20:2288 x 1712,21:2592 x 1944,22:2304 x "
     "1728,36:3008 x 2008"},
    {kCasioQvcTags, 0x000D, "0:Normal,1:Macro"},
    {kCasioQvcTags, 0x0014, "3:50,4:64,6:100,9:200"},
    {kCasioQvcTags, 0x0019, "0:Auto,1:Daylight,2:Shade,3:Tungsten,4:Fluorescent,5:Manual"},
    {kCasioQvcTags, 0x001F, "0:-1,1:Normal,2:+1"},
    {kCasioQvcTags, 0x0020, "0:-1,1:Normal,2:+1"},
    {kCasioQvcTags, 0x0021, "0:-1,1:Normal,2:+1"},
    {kCasioQvcTags, 0x2012, "0:Manual,1:Auto,4:Flash,12:Flash"},
    {kCasioQvcTags, 0x3000, "2:Normal"},
    {kCasioQvcTags, 0x3001, "0:Off,1:On"},
    {kCasioQvcTags, 0x3002, "1:Economy,2:Normal,3:Fine"},
    {kCasioQvcTags, 0x3003, "1:Fixed,3:Auto Focus,6:Multi-Area Auto Focus"},
    {kCasioQvcTags, 0x3007, "0:Off,1:On"},
    {kCasioQvcTags, 0x3015, "0:Off,1:On"},
    {kCasioQvcTags, 0x3016, "0:Off,1:On"},
    {kCasioQvcTags, 0x3017, "0:Off,1:On"},
    {kFujifilmTags, 0x1001, "1:Soft,2:Soft,3:Normal,4:Hard,5:Hard"},
    {kFujifilmTags, 0x1002,
     "0:Auto,256:Daylight,512:Cloudy,768:DaylightColor-fluorescence,769:DaywhiteColor-"
     "fluorescence,770:White-fluorescence,1024:Incandenscense,3840:Custom white balance."},
    {kFujifilmTags, 0x1003, "0:Normal,256:High,512:Low"},
    {kFujifilmTags, 0x1004, "0:Normal,256:High,512:Low"},
    {kFujifilmTags, 0x1010, "0:Auto,1:On,2:Off,3:Red-eye reduction"},
    {kFujifilmTags, 0x1020, "0:Off,1:On"},
    {kFujifilmTags, 0x1021, "0:Auto Focus,1:Manual Focus"},
    {kFujifilmTags, 0x1030, "0:Off,1:On"},
    {kFujifilmTags, 0x1031,
     "0:Auto,1:Portrait scene,2:Landscape scene,4:Sports scene,5:Night scene,6:Program "
     "AE,256:Aperture prior AE,512:Shutter prior AE,768:Manual exposure"},
    {kFujifilmTags, 0x1100, "0:Off,1:On"},
    {kFujifilmTags, 0x1300, "0:No blur warning,1:Blur warning"},
    {kFujifilmTags, 0x1301, "0:Auto Focus good,1:Out of focus"},
    {kFujifilmTags, 0x1302, "0:AE good,1:Over exposure"},
};

TEST(MakerTables, ValueCodesOnlyWhereListed) {
    std::size_t withCodes = 0;
    for (const TableCase& c : kTables) {
        for (const TTagRow& row : c.table) {
            const char* expected = "";
            for (const CodesCase& k : kCodes) {
                if (k.table.data() == c.table.data() && k.tag == row.TagNumber)
                    expected = k.codes;
            }
            if (!row.ValueCodes.empty())
                ++withCodes;
            EXPECT_EQ(row.ValueCodes, expected) << c.name << " " << row.TagNumber;
        }
    }
    EXPECT_EQ(withCodes, std::size(kCodes));
}

TEST(MakerTables, DecodersOnlyOnLensColourAndCanonRows) {
    struct DecoderCase {
        std::span<const TTagRow> table;
        std::uint16_t tag;
        TDecoder decoder;
        bool lines;
    };
    const DecoderCase decoders[] = {
        {kNikonNewerTags, 0x0084, DecodeLensRange, false},
        {kNikonNewerTags, 0x008D, DecodeColorSpaceMode, false},
        {kCanonTags, 0x0001, DecodeCanonSettings, true},
        {kCanonTags, 0x0004, DecodeCanonShotInfo, true},
        {kCanonTags, 0x000F, DecodeCanonCustom, true},
    };
    int found = 0;
    for (const TableCase& c : kTables) {
        for (const TTagRow& row : c.table) {
            TDecoder expected = nullptr;
            bool lines = false;
            for (const DecoderCase& d : decoders) {
                if (d.table.data() == c.table.data() && d.tag == row.TagNumber) {
                    expected = d.decoder;
                    lines = d.lines;
                }
            }
            // The Canon decoders make whole lines; the walk lists the raw value after them.
            EXPECT_EQ(row.DecodesToLines, lines) << c.name << " " << row.TagNumber;
            EXPECT_TRUE(row.FormatPattern.empty()) << c.name << " " << row.TagNumber;
            if (row.Decoder)
                ++found;
            EXPECT_EQ(row.Decoder, expected) << c.name << " " << row.TagNumber;
        }
    }
    EXPECT_EQ(found, 5);
}

TEST(MakerTables, LookupTakesTheFirstRowAndSkipIgnoresCase) {
    // Casio "QVC" lists 0x2013 before 0x2012; both must still be found by number.
    ASSERT_NE(FindMakerTag(kCasioQvcTags, 0x2012), nullptr);
    EXPECT_EQ(FindMakerTag(kCasioQvcTags, 0x2012)->Caption, "White Balance");
    EXPECT_EQ(FindMakerTag(kCasioQvcTags, 0x2013)->Caption, "Skip");
    EXPECT_EQ(FindMakerTag(kCanonTags, 0x0005), nullptr);
    EXPECT_EQ(FindMakerTag(kMinoltaTags, 0x0000)->KeyName, "ModelID");

    const struct {
        const char* caption;
        bool skip;
    } skips[] = {{"Skip", true},   {"skip", true},   {"SKIP", true}, {"sKiP", true},
                 {"Skips", false}, {" Skip", false}, {"", false},    {"??", false}};
    for (const auto& s : skips)
        EXPECT_EQ(IsSkipCaption(s.caption), s.skip) << s.caption;
}

} // namespace
