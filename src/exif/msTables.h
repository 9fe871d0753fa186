#pragma once
// The tag tables of the camera makers' own directories (maker notes). Each row names a
// tag of one maker's directory; the walk of that directory looks tags up here. Captions
// are stored as written (no caption rule applies to maker tags), and a row captioned
// "Skip" marks a tag that is read but never listed.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace varlime {

// A value decoder of a maker row: takes the presented value, returns the text to list.
using MakerDecoder = std::string (*)(std::string_view);

struct TMakerTag {
    std::uint16_t TagNumber;
    std::string_view KeyName;
    std::string_view Caption;
    std::string_view ValueCodes;
    MakerDecoder Decoder;
};

extern const std::span<const TMakerTag> kNikonNewerTags;  // 28 rows
extern const std::span<const TMakerTag> kNikonHeaderTags; // 11 rows
extern const std::span<const TMakerTag> kOlympusTags;     // 33 rows
extern const std::span<const TMakerTag> kCasioTags;       // 26 rows
extern const std::span<const TMakerTag> kCasioQvcTags;    // 45 rows
extern const std::span<const TMakerTag> kFujifilmTags;    // 18 rows
extern const std::span<const TMakerTag> kCanonTags;       // 16 rows
extern const std::span<const TMakerTag> kSeikoTags;       // 12 rows
extern const std::span<const TMakerTag> kSanyoTags;       // 6 rows
extern const std::span<const TMakerTag> kMinoltaTags;     // 2 rows

// The first row of the table with this tag number, or nullptr.
const TMakerTag* FindMakerTag(std::span<const TMakerTag> table, std::uint16_t tag);

// True for a caption that marks a tag read but not listed ("Skip", any letter case).
bool IsSkipCaption(std::string_view caption);

} // namespace varlime
