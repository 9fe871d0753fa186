// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text from files: UTF-8 checks and the Windows-1252 code page that files made by the
// Windows program (settings, language files, EXIF texts) are written in.
#include <string>
#include <string_view>

namespace varlime {

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing
// above U+10FFFF).
bool isValidUtf8(std::string_view s);

// Appends the UTF-8 form of a code point (up to U+10FFFF).
void appendUtf8(std::string& out, char32_t codePoint);

// The character Windows-1252 gives a byte; the five unassigned bytes keep their Latin-1
// code points so that no byte is ever lost.
char32_t windows1252CodePoint(unsigned char byte);

// Every byte becomes the character Windows-1252 gives it.
std::string windows1252ToUtf8(std::string_view s);

// UTF-8 as is when valid, else read as Windows-1252.
std::string textFromFileBytes(std::string_view s);

} // namespace varlime
