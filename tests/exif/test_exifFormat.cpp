// SPDX-License-Identifier: GPL-3.0-or-later
// Presentation of raw EXIF values: the texts that later parts search and parse
// (apertures, exposures, focal lengths, orientation names, flash wording).
#include "exif/exifFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace varlime;

namespace {

// Bytes of 16- and 32-bit values in either byte order.
std::string u16(bool be, unsigned v) {
    std::string s(2, '\0');
    s[be ? 0 : 1] = static_cast<char>((v >> 8) & 0xFF);
    s[be ? 1 : 0] = static_cast<char>(v & 0xFF);
    return s;
}
std::string u32(bool be, unsigned long v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[be ? 3 - i : i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}
std::string rat(bool be, long n, long d) {
    return u32(be, static_cast<unsigned long>(n)) + u32(be, static_cast<unsigned long>(d));
}

struct DecimalMarkGuard {
    ~DecimalMarkGuard() { setDecimalMark('.'); }
};

} // namespace

struct FormatCase {
    const char* name;
    bool bigEndian;
    std::string raw;
    int type;
    const char* codes;
    const char* pattern;
    const char* expected;
};

class FormatValueTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatValueTest, Presents) {
    const auto& c = GetParam();
    EXPECT_EQ(FormatValue(c.bigEndian, c.raw, c.type, c.codes, c.pattern), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    FormatValue, FormatValueTest,
    ::testing::Values(
        FormatCase{"short_list", false, u16(false, 8) + u16(false, 8) + u16(false, 8), 3, "", "",
                   "8, 8, 8"},
        FormatCase{"short_list_be", true, u16(true, 8) + u16(true, 8) + u16(true, 8), 3, "", "",
                   "8, 8, 8"},
        FormatCase{"exposure_not_reduced", false, rat(false, 10, 600), 5, "", "%s sec",
                   "10/600 sec"},
        FormatCase{"exposure_1_60", true, rat(true, 1, 60), 5, "", "%s sec", "1/60 sec"},
        FormatCase{"aperture", false, rat(false, 28, 10), 5, "", "F%0.1f", "F2.8"},
        FormatCase{"aperture_be", true, rat(true, 28, 10), 5, "", "F%0.1f", "F2.8"},
        FormatCase{"focal_padded", false, rat(false, 71, 10), 5, "", "%5.2f mm", " 7.10 mm"},
        FormatCase{"zero_denominator_text", false, rat(false, 5, 0), 5, "", "", "5/0"},
        FormatCase{"zero_denominator_number", false, rat(false, 5, 0), 5, "", "F%0.1f", "F0.0"},
        FormatCase{"srational_negative", false, rat(false, -1, 3), 10, "", "", "-1/3"},
        FormatCase{"sshort_minus_one_unsigned", false, u16(false, 0xFFFF), 8, "", "", "65535"},
        FormatCase{"float_each_component", false, u32(false, 0x3F800000) + u32(false, 0), 11, "",
                   "", "-9999.99, -9999.99"},
        FormatCase{"orientation_normal", false, u16(false, 1), 3,
                   "1:Normal,3:Rotated 180°,6:CounterClockwise 90°,8:Clockwise 90°", "", "Normal"},
        FormatCase{"orientation_6", true, u16(true, 6), 3,
                   "1:Normal,3:Rotated 180°,6:CounterClockwise 90°,8:Clockwise 90°", "",
                   "CounterClockwise 90°"},
        FormatCase{"orientation_missing_code", false, u16(false, 2), 3,
                   "1:Normal,3:Rotated 180°,6:CounterClockwise 90°,8:Clockwise 90°", "", ""},
        FormatCase{"rational_with_codes", false, rat(false, 1, 2), 5, "1/2:half", "", "1/2half"},
        FormatCase{"unknown_type", false, "abcd", 13, "", "", "0"},
        FormatCase{"partial_component_dropped", false, std::string("\x01\x00\x02", 3), 3, "", "",
                   "1"},
        FormatCase{"long_top_bit_unsigned", false, u32(false, 0xFFFFFFFFul), 4, "", "",
                   "4294967295"},
        FormatCase{"slong_top_bit_signed", false, u32(false, 0xFFFFFFFFul), 9, "", "", "-1"},
        FormatCase{"rational_top_bits_unsigned", true, rat(true, -16, -1), 5, "", "",
                   "4294967280/4294967295"},
        FormatCase{"resolution", false, rat(false, 72, 1), 5, "", "%5.2f", "72.00"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatValue, StopsAt128Components) {
    const std::string raw(300, '\x07');
    std::string expected = "7";
    for (int i = 1; i < 128; ++i)
        expected += ", 7";
    EXPECT_EQ(FormatValue(false, raw, 1, "", ""), expected);
}

TEST(FormatValue, UsesTheProgramDecimalMark) {
    DecimalMarkGuard guard;
    setDecimalMark(',');
    EXPECT_EQ(FormatValue(false, rat(false, 28, 10), 5, "", "F%0.1f"), "F2,8");
    EXPECT_DOUBLE_EQ(ParseFraction("2,5/1"), 2.5);
}

struct TextCase {
    const char* name;
    const char* input;
    const char* expected;
};

TEST(DecodeField, Cases) {
    const char* codes = "1:Normal,10:Flash,3:Rotated 180°";
    EXPECT_EQ(DecodeField(codes, "1"), "Normal");
    EXPECT_EQ(DecodeField(codes, " 10 "), "Flash");
    EXPECT_EQ(DecodeField(codes, "0"), "");
    EXPECT_EQ(DecodeField(codes, "3"), "Rotated 180°");
    // The value 1 must not match the code 10 nor a text after a colon.
    EXPECT_EQ(DecodeField("10:Ten", "1"), "");
    EXPECT_EQ(DecodeField("0:0, -, + / Enabled1: 0, -, + / Disabled,2: -, 0, + / Enabled", "2"),
              " -");
    EXPECT_EQ(DecodeField("", "1"), "");
}

TEST(Printable, CutsAndMasks) {
    EXPECT_EQ(Printable(std::string("AB\0", 3)), "AB.");
    EXPECT_EQ(Printable("a\tb\r\n"), "a.b..");
    EXPECT_EQ(Printable(std::string(60, 'x')), std::string(50, 'x'));
    // Characters, not bytes, are counted; those from 128 up stay.
    std::string accents;
    for (int i = 0; i < 60; ++i)
        accents += "é";
    std::string fifty;
    for (int i = 0; i < 50; ++i)
        fifty += "é";
    EXPECT_EQ(Printable(accents), fifty);
}

TEST(ParseFraction, Cases) {
    EXPECT_DOUBLE_EQ(ParseFraction("28/10"), 2.8);
    EXPECT_DOUBLE_EQ(ParseFraction("  1/4 "), 0.25);
    EXPECT_DOUBLE_EQ(ParseFraction("1 1/2"), 1.5);
    EXPECT_DOUBLE_EQ(ParseFraction("-1/3"), -1.0 / 3.0);
    EXPECT_DOUBLE_EQ(ParseFraction("12"), 0.0);
    EXPECT_DOUBLE_EQ(ParseFraction("5/0"), 0.0);
    EXPECT_DOUBLE_EQ(ParseFraction("a/2"), 0.0);
    EXPECT_DOUBLE_EQ(ParseFraction(""), 0.0);
    EXPECT_DOUBLE_EQ(ParseFraction("x 1/2"), 0.0);
}

class DecoderTest : public ::testing::TestWithParam<std::tuple<const char*, TDecoder, TextCase>> {};

TEST_P(DecoderTest, Decodes) {
    const auto& [group, decoder, c] = GetParam();
    (void)group;
    EXPECT_EQ(decoder(c.input), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Decoders, DecoderTest,
    ::testing::Values(
        std::make_tuple("components", DecodeComponents,
                        TextCase{"ycbcr", "\"\x01\x02\x03\"", "YCbCr"}),
        std::make_tuple("components", DecodeComponents, TextCase{"rgb", "\"\x04\x05\x06\"", "RGB"}),
        std::make_tuple("components", DecodeComponents, TextCase{"empty", "\"\"", ""}),
        std::make_tuple("components", DecodeComponents, TextCase{"nothing", "", ""}),
        std::make_tuple("shutter", DecodeShutterSpeed, TextCase{"six", "6/1", "0.0156 sec (1/64)"}),
        std::make_tuple("shutter", DecodeShutterSpeed, TextCase{"zero", "0/1", "1.0000 sec"}),
        std::make_tuple("shutter", DecodeShutterSpeed, TextCase{"half", "1/1", "0.5000 sec (1/2)"}),
        std::make_tuple("shutter", DecodeShutterSpeed,
                        TextCase{"point_nine", "9/10", "0.5359 sec"}),
        std::make_tuple("shutter", DecodeShutterSpeed,
                        TextCase{"huge", "2147483647/1", "0.0000 sec (1/2147483647)"}),
        std::make_tuple("flash", DecodeFlash, TextCase{"auto_fired", "25", "On, auto mode"}),
        std::make_tuple("flash", DecodeFlash, TextCase{"suppressed", "16", "Off, surpressed"}),
        std::make_tuple("flash", DecodeFlash, TextCase{"red_eye", "65", "On, red-eye reduction"}),
        std::make_tuple("flash", DecodeFlash,
                        TextCase{"all", "127",
                                 "On, strobe return, auto mode, no flash function, red-eye "
                                 "reduction"}),
        std::make_tuple("flash", DecodeFlash, TextCase{"unknown_return", "2", "Off, UNKNOWN"}),
        std::make_tuple("flash", DecodeFlash,
                        TextCase{"no_return_forced", "13", "On, no strobe return, forced"}),
        std::make_tuple("wide", DecodeWideText, TextCase{"hi", "72, 0, 105, 0, 33, 0", "Hi!"}),
        std::make_tuple("wide", DecodeWideText, TextCase{"last_field_never", "72, 0, 105", "H"}),
        std::make_tuple("wide", DecodeWideText, TextCase{"latin1", "233, 0, 0, 0", "é"}),
        std::make_tuple("wide", DecodeWideText, TextCase{"text_not_numbers", "a, b, c", ""}),
        std::make_tuple("degrees", DecodeDegrees,
                        TextCase{"with_seconds", "48/1, 51/1, 2979/100",
                                 "48 Degrees 51 Minutes 30 Seconds"}),
        std::make_tuple("degrees", DecodeDegrees,
                        TextCase{"minutes_to_seconds", "2/1, 1733/100, 0/1",
                                 "2 Degrees 17 Minutes 20 Seconds"}),
        std::make_tuple("degrees", DecodeDegrees,
                        TextCase{"one_piece", "5/1", "5 Degrees 0 Minutes 0 Seconds"}),
        std::make_tuple("gps_time", DecodeGpsTime,
                        TextCase{"no_zeros", "14/1, 5/1, 9/1", "14:5:9"}),
        std::make_tuple("gps_time", DecodeGpsTime,
                        TextCase{"no_minutes_rule", "14/1, 55/2, 0/1", "14:28:0"})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param)) + "_" + std::get<2>(info.param).name;
    });

TEST(DecodeFlash, RejectsWhatIsNotAnInteger) {
    EXPECT_THROW(DecodeFlash("1/2"), ExifFailure);
    EXPECT_THROW(DecodeFlash("8, 8"), ExifFailure);
    EXPECT_THROW(DecodeFlash(""), ExifFailure);
}

TEST(ValueAsNumber, ByType) {
    EXPECT_DOUBLE_EQ(ValueAsNumber(false, rat(false, 28, 10), 5), 2.8);
    EXPECT_DOUBLE_EQ(ValueAsNumber(true, rat(true, 5, 0), 5), 0.0);
    EXPECT_DOUBLE_EQ(ValueAsNumber(false, rat(false, -3, 2), 10), -1.5);
    EXPECT_DOUBLE_EQ(ValueAsNumber(false, u16(false, 640), 3), 640.0);
    EXPECT_DOUBLE_EQ(ValueAsNumber(true, u16(true, 640), 3), 640.0);
    EXPECT_DOUBLE_EQ(ValueAsNumber(false, "text", 2), 0.0);
    EXPECT_DOUBLE_EQ(ValueAsNumber(false, "text", 7), 0.0);
    EXPECT_DOUBLE_EQ(ValueAsNumber(false, u32(false, 0x3FC00000), 11), 1.5);
    EXPECT_DOUBLE_EQ(ValueAsNumber(true, u32(true, 0x3FF80000) + u32(true, 0), 12), 1.5);
    EXPECT_DOUBLE_EQ(ValueAsNumber(false, u32(false, 0) + u32(false, 0x3FF80000), 12), 1.5);
    EXPECT_DOUBLE_EQ(ValueAsNumber(false, "\x01", 5), 0.0);
    EXPECT_DOUBLE_EQ(ValueAsNumber(false, "abcd", 99), 0.0);
}

TEST(BytesToInt, BothOrders) {
    EXPECT_EQ(BytesToInt(true, std::string("\x01\x02", 2)), 0x0102);
    EXPECT_EQ(BytesToInt(false, std::string("\x01\x02", 2)), 0x0201);
    EXPECT_EQ(BytesToInt(false, std::string("\xFF", 1)), 255);
    EXPECT_EQ(BytesToInt(true, std::string("\x01\x02\x03\x04\x05", 5)), 0x02030405);
    EXPECT_EQ(BytesToInt(false, std::string("\x01\x02\x03\x04\x05", 5)), 0x04030201);
    EXPECT_EQ(BytesToInt(true, ""), 0);
}

TEST(RoundHalfEven, Cases) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.6), 3);
    EXPECT_EQ(RoundHalfEven(1e300), 2147483647);
    EXPECT_EQ(RoundHalfEven(-1e300), -2147483647 - 1);
    EXPECT_EQ(RoundHalfEven(0.0 / 0.0), 0);
}

TEST(FormatNumber, Patterns) {
    EXPECT_EQ(FormatNumber("%5.2f", 31.6237), "31.62");
    EXPECT_EQ(FormatNumber("%5.2f", 5.8), " 5.80");
    EXPECT_EQ(FormatNumber("%4.4f sec", 0.015625), "0.0156 sec");
    EXPECT_EQ(FormatNumber("F%0.1f", 2.8), "F2.8");
    EXPECT_EQ(FormatNumber("(1/%d)", 64.0), "(1/64)");
    EXPECT_EQ(FormatNumber("100%%", 1.0), "100%");
    EXPECT_EQ(FormatNumber("%0.0f", 1.0 / 0.0), "INF");
}

TEST(BytesAsText, KeepsUtf8AndReadsTheRestAsWindows1252) {
    EXPECT_EQ(BytesAsText("plain"), "plain");
    EXPECT_EQ(BytesAsText("caf\xC3\xA9"), "café");
    EXPECT_EQ(BytesAsText("caf\xE9"), "café");
    EXPECT_EQ(BytesAsText("\x80\x99"), "€™");
    EXPECT_EQ(BytesAsText(std::string("a\0b", 3)), std::string("a\0b", 3));
}
