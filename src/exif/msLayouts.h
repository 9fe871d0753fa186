// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which maker-note layout a picture uses: chosen from the camera make, the EXIF
// version, the camera model and the note's own first bytes.
#include "exif/msTables.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace varlime {

enum class TMakerValueBase {
    TiffHeader, // offsets count from the TIFF header of the EXIF block
    MakerNote,  // offsets count from a position inside the maker note
};

struct TMakerLayout {
    std::string_view Name;
    std::span<const TTagRow> Table;
    std::size_t DirectoryOffset; // where the directory starts in the maker note
    TMakerValueBase ValueBase;
    std::size_t MakerNoteBase; // with TMakerValueBase::MakerNote: the offset counted from
    bool LittleEndian;         // read little-endian whatever the EXIF block's order
};

struct TMakerSource {
    std::string_view CameraMake;
    std::string_view CameraModel;
    std::string_view ExifVersionText;
    bool FromTiff = false;
    std::string_view MakerNote;
};

// The layout of the maker note, or nothing when the make belongs to no known maker.
std::optional<TMakerLayout> ChooseMakerLayout(const TMakerSource& source);

} // namespace varlime
