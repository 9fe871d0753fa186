// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Value decoders of the maker tables. Each takes the presented value of one maker-note
// entry and returns the text to list. The three Canon decoders turn one value list
// into several labelled lines; their table rows say so (DecodesToLines), and the
// walk then lists those lines followed by the undecoded value.
#include <string>
#include <string_view>

namespace varlime {

// Nikon lens range: four rationals "a/b, c/d, e/f, g/h" ->
// "18.0-70.0(mm)  F3.5-F4.5".
std::string DecodeLensRange(std::string_view presented);
// Nikon colour space: the five characters after the opening double quote, named.
std::string DecodeColorSpaceMode(std::string_view presented);
// Canon camera settings (tag 0x0001), shot information (0x0004) and custom functions
// (0x000F): one CR LF-led line per labelled field with a non-empty text.
std::string DecodeCanonSettings(std::string_view presented);
std::string DecodeCanonShotInfo(std::string_view presented);
std::string DecodeCanonCustom(std::string_view presented);

} // namespace varlime
