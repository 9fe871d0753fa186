// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The constant tag tables that name and describe the tags met in EXIF
// directories: the main table (image, EXIF, interoperability and sub-directories)
// and the GPS table. Maker-note tables use the same row type.
#include "exif/exifFormat.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace varlime {

// One row of a tag table. An empty Caption means "derived from the key name by the
// caption rule" in the main and GPS tables; maker-note rows always carry theirs.
struct TTagRow {
    std::uint16_t TagNumber = 0;
    std::string_view KeyName;
    std::string_view Caption;
    std::string_view ValueCodes;
    std::string_view FormatPattern;
    TDecoder Decoder = nullptr;
    // Set for maker-note decoders that produce whole lines of their own.
    bool DecodesToLines = false;
};

// Which table a directory's tags are looked up in.
enum class TDirGroup { Main, Gps };

// 250 tag rows followed by the final "Unknown" row (tag number 0).
std::span<const TTagRow> MainTagTable();
// 31 rows, tags 0x0000 to 0x001E.
std::span<const TTagRow> GpsTagTable();

// The caption rule: a blank goes before a capital letter that follows anything other
// than a capital ("ApertureValue" -> "Aperture Value", "FNumber" stays).
std::string CaptionFromKeyName(std::string_view keyName);

// A row's caption: its explicit one, or the one derived from its key name (computed
// once per process for the main and GPS tables).
std::string_view RowCaption(const TTagRow& row);

// The row of a tag in the table of a group; a miss gives the main table's final
// "Unknown" row.
const TTagRow& LookupTag(TDirGroup group, std::uint16_t tag);

} // namespace varlime
