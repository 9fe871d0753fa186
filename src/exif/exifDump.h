// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the EXIF dump shows for the file last read by a reader, line by line, and
// the numeric access to the image size. Shared by the dump window and by
// `varlime --dump`, so both show exactly the same text.
#include "exif/dEXIF.h"

#include <cstdint>
#include <string>
#include <vector>

namespace varlime {

// The lines of the dump of the reader's last read, in order.
std::vector<std::string> DumpExifLines(const TimgData& reader);

// Reads `path` with the reader and returns its dump lines.
std::vector<std::string> DumpExifFile(TimgData& reader, const std::string& path);

// Numeric access to the image size of the file last read by the shared reader.
class TDB_exif {
public:
    explicit TDB_exif(const TimgData& reader) : reader_(reader) {}
    // 0 for the height, 1 for the width; 0 when nothing was read.
    std::int32_t Retourne_exif_entier(std::uint8_t which) const;

private:
    const TimgData& reader_;
};

} // namespace varlime
