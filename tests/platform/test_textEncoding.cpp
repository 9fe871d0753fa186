// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 checks and the Windows-1252 code page, shared by the ini files and the EXIF reader.
#include "platform/textEncoding.h"

#include <QString>
#include <gtest/gtest.h>

#include <cerrno>
#include <iconv.h>
#include <string>

using namespace varlime;

namespace {

TEST(Encoding, Utf8Validation) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"abc", true},
        {"\xC3\xA9", true},
        {"\xE2\x82\xAC", true},
        {"\xF0\x9F\x93\xB7", true},
        {"\xE9t\xE9", false},        // Windows-1252 accents
        {"\xC3", false},             // cut short
        {"\xC0\xAF", false},         // overlong '/'
        {"\xE0\x80\xAF", false},     // overlong '/'
        {"\xED\xA0\x80", false},     // surrogate
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"\xF0\x9F\x93", false},     // cut short
        {"\x80", false},             // lone continuation byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
}

TEST(Encoding, Windows1252) {
    EXPECT_EQ(windows1252ToUtf8("\xC9t\xE9 \x80 \x9C \x81"),
              "\xC3\x89t\xC3\xA9 \xE2\x82\xAC \xC5\x93 \xC2\x81");
    EXPECT_EQ(textFromFileBytes("d\xC3\xA9j\xC3\xA0"), "d\xC3\xA9j\xC3\xA0");
    EXPECT_EQ(textFromFileBytes("d\xE9j\xE0"), "d\xC3\xA9j\xC3\xA0");
}

// Every byte against the C library's own Windows-1252 converter; the five bytes it
// refuses (unassigned in the code page) keep their Latin-1 code points.
TEST(Encoding, Windows1252AgreesWithTheSystemConverterOnEveryByte) {
    const iconv_t cd = ::iconv_open("UTF-8", "WINDOWS-1252");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1)) << "no Windows-1252 converter";
    int unassigned = 0;
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        char out[8] = {};
        char* inPtr = &in;
        char* outPtr = out;
        std::size_t inLeft = 1, outLeft = sizeof out;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const std::string ours = windows1252ToUtf8(std::string(1, in));
        EXPECT_TRUE(isValidUtf8(ours)) << b;
        if (::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            ++unassigned;
            EXPECT_EQ(windows1252CodePoint(static_cast<unsigned char>(b)), char32_t(b)) << b;
            continue;
        }
        EXPECT_EQ(ours, std::string(out, static_cast<std::size_t>(outPtr - out))) << b;
    }
    ::iconv_close(cd);
    EXPECT_EQ(unassigned, 5);
}

// Every length of the encoding, against Qt's encoder.
TEST(Encoding, AppendUtf8AgreesWithQt) {
    const char32_t cases[] = {0x41,   0x7F,   0x80,    0xE9,    0x7FF,   0x800,
                              0x20AC, 0xFFFD, 0x10000, 0x1F4F7, 0x10FFFF};
    for (const char32_t c : cases) {
        std::string out = "x";
        appendUtf8(out, c);
        EXPECT_EQ(out, "x" + QString::fromUcs4(&c, 1).toUtf8().toStdString())
            << std::hex << static_cast<unsigned>(c);
    }
}

} // namespace
