// SPDX-License-Identifier: GPL-3.0-or-later
// The value decoders of the maker tables, on presented values as the walk makes them.
#include "exif/msDecoders.h"
#include "makerNoteFiles.h"

#include <gtest/gtest.h>

using namespace varlime;

namespace {

struct DecodeCase {
    const char* input;
    const char* expected;
};

TEST(MakerDecoders, LensRange) {
    const DecodeCase cases[] = {
        {"18/1, 70/1, 35/10, 45/10", "18.0-70.0(mm)  F3.5-F4.5"},
        {"240/10, 1200/10, 28/10, 56/10", "24.0-120.0(mm)  F2.8-F5.6"},
        // Stored order is kept, even when it is not shortest first.
        {"70/1, 18/1, 45/10, 35/10", "70.0-18.0(mm)  F4.5-F3.5"},
        // A zero denominator or a missing piece reads as 0.
        {"18/0, 70/1", "0.0-70.0(mm)  F0.0-F0.0"},
        {"", "0.0-0.0(mm)  F0.0-F0.0"},
        {"garbage", "0.0-0.0(mm)  F0.0-F0.0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeLensRange(c.input), c.expected) << c.input;
}

TEST(MakerDecoders, ColorSpaceMode) {
    const DecodeCase cases[] = {
        {"\"MODE1\"", "Mode1 (sRGB)"},
        {"\"MODE2\"", "Mode 2 (Adobe RGB)"},
        {"\"MODE3a\"", "Mode 3 (sRGB): higher saturation"},
        {"\"sRGB\"", "sRGB\""},
        {"\"MODE4 \"", "MODE4"},
        {"\"", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeColorSpaceMode(c.input), c.expected) << c.input;
}

// The camera settings of a Canon DIGITAL IXUS 400 picture (46 SHORT values).
constexpr const char* kIxusSettings =
    "92, 2, 0, 3, 1, 0, 0, 4, 0, 1, 0, 0, 0, 0, 0, 0, 15, 3, 1, 16385, 0, 0, 65535, 711, 237, "
    "32, 130, 215, 0, 0, 0, 0, 0, 0, 65535, 0, 2272, 2272, 0, 1, 0, 0, 32767, 0, 0, 0";

TEST(MakerDecoders, CanonSettings) {
    const DecodeCase cases[] = {
        // Fields without a list keep the blank after their comma ("Self Timer =  2");
        // Metering Mode 3 and AF Point 16385 are not in their list and give no line.
        {kIxusSettings, VARLIME_IXUS_SETTINGS_LINES},
        // Metering mode, AF point, exposure mode and continuous focus by their own lists.
        {"99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 5, 99, 12291, 3, 99, "
         "99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 1",
         "\r\nSelf Timer =  99"
         "\r\nMetering Mode = Center-weighted average"
         "\r\nAF Point = Center"
         "\r\nExposure Mode = Aperture-priority AE"
         "\r\nLong focal =  99"
         "\r\nShort focal =  99"
         "\r\nFocal Units =  99"
         "\r\nFlash Details =  99"
         "\r\nFocus Mode = Continuous"},
        // A short list: positions beyond it are empty and give no line.
        {"92, 1, 7, 65535", "\r\nMacro mode = Macro"
                            "\r\nSelf Timer =  1"},
        {"", ""},
        {"1", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeCanonSettings(c.input), c.expected) << c.input;
    }
}

TEST(MakerDecoders, CanonShotInfo) {
    const DecodeCase cases[] = {
        {"68, 0, 160, 120, 0, 0, 0, 1, 0, 0, 3, 0, 0, 12288, 0, 65524, 0, 0, 153",
         "\r\nWhite balance = Sunny"
         "\r\nSequence Number =  0"
         "\r\nOpticalZoom Step =  3"
         "\r\nAF point =  12288"
         "\r\nFlash bias = -0.33 EV"
         "\r\nDistance =  153"},
        // White balance 9 and flash bias 5 are not in their lists.
        {"0, 0, 0, 0, 0, 0, 0, 9, 2, 0, 0, 0, 0, 0, 0, 5", "\r\nSequence Number =  2"
                                                           "\r\nOpticalZoom Step =  0"
                                                           "\r\nAF point =  0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeCanonShotInfo(c.input), c.expected) << c.input;
    }
}

TEST(MakerDecoders, CanonCustomFunctions) {
    const DecodeCase cases[] = {
        // 0x0101: function 1 setting 1; the list has a blank after the colon.
        {"257, 0", "\r\nNoise Reduction =  On"},
        // 1794 = function 7 setting 2: the text up to the next comma of its list.
        // 2 is below 256, -1 negative, abc no number, 4096 above 4095; 4095 is
        // function 15 with setting 255, which its list does not name.
        {"257, 512, 1794, 2, 3840, -1, abc, 4096, 4095, 256",
         "\r\nNoise Reduction =  On"
         "\r\nShutter AE Lock Button = AF/AE lock"
         "\r\nAEB Sequence =  -"
         "\r\nShutter Release w/o CF Card = Enable"},
        // The value after the last comma is never read.
        {"257", ""},
        {"0, 257", ""},
        // 7 * 256 + 1: the AEB list has no ",1:" (its text runs "Enabled1:").
        {"1793, 0", ""},
        {"3329, 3585, 2817, 0", "\r\nSensor Cleaning = Enable"
                                "\r\nSuperimposed Display =  Off"
                                "\r\nMenu Return = Previous (volatile)"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeCanonCustom(c.input), c.expected) << c.input;
    }
}

} // namespace
