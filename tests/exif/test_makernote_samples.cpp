// SPDX-License-Identifier: GPL-3.0-or-later
// The maker-note listings of the sample photos. Values were checked against the
// camera makers' fields as another EXIF tool reads them (Canon owner name and
// settings, Nikon version, ISO, colour mode and quality, Fujifilm sharpness, white
// balance, flash and macro, Sanyo special mode and quality).
#include "exif/dEXIF.h"
#include "makerNoteFiles.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace varlime;

namespace {

struct SampleCase {
    const char* file;
    const char* makerText;
};

// Canon_40D, Nikon_D70 and Olympus_C8080WZ went through a picture editor that dropped
// their maker notes. The Konica Minolta make does not start with MINOL, so its note is
// not read.
const SampleCase kSamples[] = {
    {"Canon_DIGITAL_IXUS_400.jpg", VARLIME_IXUS_SETTINGS_LINES
     "\r\nExposureInfo1 = 92, 2, 0, 3, 1, 0, 0, 4, 0, 1, 0, 0, 0, 0, 0, 0, 15, 3, 1, 16385, 0, "
     "65535, 65535, 711, 237, 32, 130, 215, 0, 0, 0, 0, 0, 0, 65535, 0, 2272, 2272, 0, 1, 0, 0, "
     "32767, 0, 0, 0"
     "\r\nWhite balance = Auto"
     "\r\nSequence Number =  0"
     "\r\nOpticalZoom Step =  4"
     "\r\nAF point =  0"
     "\r\nFlash bias = 0 EV"
     "\r\nDistance =  1"
     "\r\nExposureInfo2 = 68, 0, 128, 335, 213, 245, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 1, 216, "
     "0, 215, 243, 0, 0, 0, 250, 0, 0, 0, 0, 0, 0, 0"
     "\r\nImageType = \"IMG:DIGITAL IXUS 400 JPEG\""
     "\r\nFirmwareVersion = \"Firmware Version 1.00\""
     "\r\nImageNumber = 1242489"
     "\r\nOwnerName = \"Jean-Pierre Grignon\""
     "\r\nUnknown = 9, 9, 2272, 1704, 2272, 212, 409, 38, 65126, 0, 41"
     "\r\nUnknown = 0, 0, 0, 0"},
    {"DSCN0010.jpg", "\r\nFamily ID = \"0210\""
                     "\r\nISO Speed = 0, 0"
                     "\r\nColor Mode = \"COLOR\""
                     "\r\nQuality = \"FINE   \""
                     "\r\nWhite Balance = \"AUTO        \""
                     "\r\nImage Sharpening = \"NORMAL\""
                     "\r\nFocus Mode = \"AF-S  \""
                     "\r\nFlash Setting = \"       \""
                     "\r\nDigital Zoom = \"AUTO  \""
                     "\r\nUnknown = \"..@.ð...\""
                     "\r\nUnknown = 0"
                     "\r\nUnknown = 0, 0"
                     "\r\nUnknown = 0"
                     "\r\nImage Adjustment = \"NORMAL       \""
                     "\r\nImage Adjustment = \"NORMAL  \""
                     "\r\nAdapter = \"OFF         \""
                     "\r\nDigital Zoom = 1/1"
                     "\r\nFocus Area = \"....\""
                     "\r\nScene Mode = \"               \""
                     "\r\nUnknown = \"..............DC..\""
                     "\r\nSaturation = 0"
                     "\r\nNoise Reduction = \"OFF \""
                     "\r\nUnknown = 0, 0"
                     "\r\nUnknown = \"                    \""
                     "\r\nUnknown = 0"
                     "\r\nUnknown = 0, 0, 0, 0, 0, 0"
                     "\r\nUnknown = \"NORMAL\""
                     "\r\nUnknown = \"VR-ON\""
                     "\r\nUnknown = \"NORMAL  \""
                     "\r\nUnknown = \"0100STANDARD   .........STANDARD   .............."
                     "\r\nUnknown = \"COOLPIX P6000V1.0              \""
                     "\r\nUnknown = 3292"
                     "\r\nUnknown = 265, 264, 282, 268"},
    {"Fujifilm_FinePix_E500.jpg", "\r\nVersion = \"0130\""
                                  "\r\nQuality = \"FINE   \""
                                  "\r\nSharpness = Normal"
                                  "\r\nWhiteBalance = Auto"
                                  "\r\nColor = Normal"
                                  "\r\nFlashMode = Off"
                                  "\r\nFlashStrength = 0/100"
                                  "\r\nMacro = On"
                                  "\r\nFocusmode = Auto Focus"
                                  "\r\nUnknown = 0"
                                  "\r\nUnknown = 1152, 864"
                                  "\r\nSlowSync = Off"
                                  "\r\nPictureMode = Auto"
                                  "\r\nContTake/Bracket = Off"
                                  "\r\nUnknown = 0"
                                  "\r\nUnknown = 16"
                                  "\r\nBlurWarning = No blur warning"
                                  "\r\nFocusWarning = Auto Focus good"
                                  "\r\nAEWarning = AE good"},
    {"sanyo-vpcg250.jpg", "\r\nSpecial Mode = 0, 0, 0"
                          "\r\nJpegQuality = 2"
                          "\r\nDataDump = 939851776, 3598974976, 135856128, 2890661888, 3222"},
    {"Konica_Minolta_DiMAGE_Z3.jpg", ""},
    {"Canon_40D.jpg", ""},
    {"Nikon_D70.jpg", ""},
    {"Olympus_C8080WZ.jpg", ""},
};

TEST(MakerNoteSamples, ListingsOfTheSamplePhotos) {
    for (const SampleCase& c : kSamples) {
        TimgData reader;
        reader.ReadImageFile(test::photosDir() + c.file);
        ASSERT_NE(reader.ExifInfo, nullptr) << c.file;
        EXPECT_EQ(reader.ExifInfo->MakerText, c.makerText) << c.file;
        EXPECT_EQ(reader.ErrorText, "<none>") << c.file;
    }
}

TEST(MakerNoteSamples, CanonOwnerNameAndMakerEntries) {
    TimgData reader;
    reader.ReadImageFile(test::photosDir() + "Canon_DIGITAL_IXUS_400.jpg");
    ASSERT_NE(reader.ExifInfo, nullptr);
    const TImageInfo& info = *reader.ExifInfo;
    EXPECT_NE(info.MakerText.find("\r\nOwnerName = \"Jean-Pierre Grignon\""), std::string::npos);
    ASSERT_NE(info.EntryByTag(0x0009, kMakerGroup), nullptr);
    const TTagEntry owner = *info.EntryByTag(0x0009, kMakerGroup);
    EXPECT_EQ(owner.KeyName, "OwnerName");
    EXPECT_EQ(owner.ValueText, "\"Jean-Pierre Grignon\"");
    EXPECT_EQ(owner.RawSize, 32);
    // The EXIF entries come first and keep group 0.
    ASSERT_NE(info.EntryByTag(tag::Make), nullptr);
    EXPECT_LT(info.EntryByTag(tag::Make), info.EntryByTag(0x0009, kMakerGroup));
    std::vector<std::string> makerKeys;
    for (const TTagEntry& e : info.Entries)
        if (e.TagGroup == 1)
            makerKeys.push_back(e.KeyName);
    const std::vector<std::string> expected = {"ExposureInfo1",   "ExposureInfo2", "ImageType",
                                               "FirmwareVersion", "ImageNumber",   "OwnerName"};
    EXPECT_EQ(makerKeys, expected);
}

// One reader naming file after file lends each maker note to the walk instead of
// copying it: the note, the EXIF block and the owner's name must come back whole, the
// same as a reader made for that file alone lists them.
TEST(MakerNoteSamples, OneNamingReaderKeepsEachNoteWhole) {
    const std::string raw = test::photosDir() + "../raw/";
    const std::string files[] = {test::photosDir() + "Canon_DIGITAL_IXUS_400.jpg",
                                 raw + "CanonRaw.cr2", raw + "FujiFilm.raf",
                                 test::photosDir() + "Canon_DIGITAL_IXUS_400.jpg",
                                 raw + "CanonRaw.cr2"};
    TimgData naming;
    naming.NamingFactsOnly = true;
    for (const std::string& file : files) {
        TimgData alone;
        alone.NamingFactsOnly = true;
        ASSERT_TRUE(alone.ReadImageFile(file)) << file;
        ASSERT_TRUE(naming.ReadImageFile(file)) << file;
        const TImageInfo& a = *alone.ExifInfo;
        const TImageInfo& n = *naming.ExifInfo;
        EXPECT_FALSE(n.MakerNoteBytes.empty()) << file;
        EXPECT_EQ(n.MakerNoteBytes, a.MakerNoteBytes) << file;
        EXPECT_EQ(n.Buffer, a.Buffer) << file;
        EXPECT_EQ(n.MakerText, a.MakerText) << file;
        EXPECT_EQ(n.ExifText, a.ExifText) << file;
        const auto owner = [](const TImageInfo& i) {
            const TTagEntry* e = i.EntryByTag(0x0009, kMakerGroup);
            return e ? e->ValueText : std::string();
        };
        EXPECT_EQ(owner(n), owner(a)) << file;
        // The note lies where the directory says, in the block walked.
        EXPECT_EQ(std::string_view(n.Buffer).substr(n.MakerNotePosition, n.MakerNoteBytes.size()),
                  n.MakerNoteBytes)
            << file;
    }
}

} // namespace
