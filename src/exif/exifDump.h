// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the EXIF dump shows for the file last read by a reader, line by line. Shared by the dump
// window and by `varlime --dump`, so both show exactly the same text.
#include "exif/dEXIF.h"

#include <cstdint>
#include <string>
#include <vector>

namespace varlime {

// The lines of the dump of the reader's last read, in order.
std::vector<std::string> DumpExifLines(const TimgData& reader);

// Reads `path` with the reader and returns its dump lines.
std::vector<std::string> DumpExifFile(TimgData& reader, const std::string& path);

} // namespace varlime
