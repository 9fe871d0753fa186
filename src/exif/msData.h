// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Maker notes: the camera maker's own directory stored in the EXIF tag 0x927C.
// The directory reader hands the maker note to a TmsInfo as soon as it meets it;
// the results go to the owner's MakerText and Entries (group kMakerGroup).
#include "exif/dEXIF.h"

#include <cstdint>
#include <optional>

namespace varlime {

class TmsInfo {
public:
    TmsInfo(bool fromTiff, TImageInfo& owner);

    // Recognises the layout from the camera make and walks the maker note; false
    // when the make matches no layout (then nothing is listed).
    bool ReadMakerNote();

    bool FromTiff;
    TImageInfo& Owner;
    // Where the TIFF header the note's offsets count from lies in the owner's Buffer,
    // when not where a JPEG or TIFF file has it.
    std::optional<std::int64_t> TiffHeaderAt;
};

} // namespace varlime
