// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tag tables of the camera makers' own directories (maker notes). Each row names a
// tag of one maker's directory; the walk of that directory looks tags up here. Captions
// are stored as written (no caption rule applies to maker tags), and a row captioned
// "Skip" marks a tag that is read but never listed.
#include "exif/exifTables.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace varlime {

extern const std::span<const TTagRow> kNikonNewerTags;  // 28 rows
extern const std::span<const TTagRow> kNikonHeaderTags; // 11 rows
extern const std::span<const TTagRow> kOlympusTags;     // 33 rows
extern const std::span<const TTagRow> kCasioTags;       // 26 rows
extern const std::span<const TTagRow> kCasioQvcTags;    // 45 rows
extern const std::span<const TTagRow> kFujifilmTags;    // 18 rows
extern const std::span<const TTagRow> kCanonTags;       // 16 rows
extern const std::span<const TTagRow> kSeikoTags;       // 12 rows
extern const std::span<const TTagRow> kSanyoTags;       // 6 rows
extern const std::span<const TTagRow> kMinoltaTags;     // 2 rows

// The first row of the table with this tag number, or nullptr.
const TTagRow* FindMakerTag(std::span<const TTagRow> table, std::uint16_t tag);

// True for a caption that marks a tag read but not listed ("Skip", any letter case).
bool IsSkipCaption(std::string_view caption);

} // namespace varlime
