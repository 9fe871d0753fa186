#pragma once
// Small text helpers of the maker-note decoders.
#include <string>
#include <string_view>

namespace varlime {

// The text without the blanks and control characters at both ends.
std::string_view TrimBlanks(std::string_view s);
// The name of a coded value in a value decoding list such as "1:Macro,2:Normal": the
// text after ",value:" up to the next comma, or empty when the value is not listed.
std::string DecodeField(std::string_view codes, std::string_view value);
// "num/den" or "whole num/den" as a number; anything else (no slash, a zero
// denominator, a part that is not a number) gives 0.
double ParseFraction(std::string_view s);
// A number with one decimal, written with the program's decimal mark.
std::string FormatFixed1(double v);
// Byte offset of character number index (0-based) of a UTF-8 text, or its size.
std::size_t Utf8Offset(std::string_view s, std::size_t index);

} // namespace varlime
