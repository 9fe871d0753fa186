// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The item location table ("iloc") of ISO media files (HEIF, AVIF, CR3): where the bytes
// of one item lie. Read by the EXIF reader for the "Exif" item and by the check of HEIF
// pictures for the descriptions of grids and overlays.
#include <cstdint>
#include <string_view>
#include <vector>

namespace varlime {

struct Extent {
    std::uint64_t offset = 0, length = 0;
};

// The extents of item `wanted` (at most 64), offsets already counted from the item's base,
// and whether they lie in the "idat" box rather than the file; false when the table is
// damaged, declares more than 65,536 extents in all, or stores the item another way.
bool itemExtents(std::string_view iloc, std::uint32_t wanted, std::vector<Extent>& out,
                 bool& inIdat);

} // namespace varlime
