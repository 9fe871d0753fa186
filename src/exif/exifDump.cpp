// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif/exifDump.h"

#include <algorithm>

namespace varlime {

namespace {

// Adds a text the way a multi-line text box does: each line break (CR LF, CR or LF)
// starts a new line.
void addText(std::vector<std::string>& lines, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    lines.emplace_back(text.substr(start));
}

} // namespace

std::vector<std::string> DumpExifLines(const TimgData& reader) {
    std::vector<std::string> lines;
    lines.reserve(reader.ExifInfo ? reader.ExifInfo->Entries.size() + 8 : 4);
    lines.emplace_back(" ");
    lines.emplace_back("-- EXIF-Data -------------- ");
    addText(lines, "ErrStr = " + reader.ErrorText);
    if (!reader.HasExifBlock())
        return lines;
    lines.emplace_back(reader.BigEndian ? "Motorola Byte Order" : "Intel Byte Order");
    if (reader.ExifInfo) {
        for (const TTagEntry& e : reader.ExifInfo->Entries) {
            if (e.TagGroup != kExifGroup)
                continue;
            std::string line;
            line.reserve(e.Caption.size() + 3 + e.ValueText.size());
            line += e.Caption;
            line += " = ";
            line += e.ValueText;
            if (std::none_of(line.begin(), line.end(),
                             [](char c) { return c == '\r' || c == '\n'; }))
                lines.push_back(std::move(line));
            else
                addText(lines, line);
        }
    }
    lines.emplace_back("");
    lines.emplace_back("--- Informations spécifiques supplémentaires ---");
    if (reader.ExifInfo && !reader.ExifInfo->MakerText.empty())
        addText(lines, reader.ExifInfo->MakerText);
    return lines;
}

std::vector<std::string> DumpExifFile(TimgData& reader, const std::string& path) {
    reader.ReadImageFile(path);
    return DumpExifLines(reader);
}

} // namespace varlime
