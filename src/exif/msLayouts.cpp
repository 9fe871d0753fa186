// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif/msLayouts.h"

#include <string>

namespace varlime {

namespace {

// The first five characters of the make in upper case: enough to tell the makers apart
// ("NIKON CORPORATION", "Nikon", "OLYMPUS OPTICAL CO.,LTD" ...).
std::string makeKey(std::string_view make) {
    std::string key;
    for (std::size_t i = 0; i < make.size() && key.size() < 5; ++i) {
        char c = make[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        key += c;
    }
    return key;
}

// The newer Nikon notes carry their own TIFF header at offset 10. Cameras that write
// EXIF versions after 2.1 use it, and so do the D-series cameras' TIFF (NEF) files,
// which may carry no EXIF version at all.
bool isNewerNikon(const TMakerSource& s) {
    if (s.ExifVersionText > std::string_view("0210"))
        return true;
    if (!s.ExifVersionText.empty() || !s.FromTiff)
        return false;
    const std::size_t blank = s.CameraModel.find(' ');
    const std::size_t at = blank == std::string_view::npos ? 0 : blank + 1;
    return at < s.CameraModel.size() && s.CameraModel[at] == 'D';
}

constexpr TMakerLayout layout(std::string_view name, std::span<const TTagRow> table,
                              std::size_t directory) {
    return {name, table, directory, TMakerValueBase::TiffHeader, 0, false};
}

} // namespace

std::optional<TMakerLayout> ChooseMakerLayout(const TMakerSource& s) {
    const std::string key = makeKey(s.CameraMake);
    if (key == "NIKON") {
        if (isNewerNikon(s))
            return TMakerLayout{"Nikon", kNikonNewerTags, 18, TMakerValueBase::MakerNote, 10,
                                false};
        if (s.MakerNote.starts_with("Nikon"))
            return layout("Nikon header", kNikonHeaderTags, 8);
        return layout("Nikon plain", kNikonNewerTags, 0);
    }
    if (key == "OLYMP")
        return layout("Olympus", kOlympusTags, 8);
    if (key == "CASIO") {
        if (s.MakerNote.starts_with("QVC"))
            return layout("Casio QVC", kCasioQvcTags, 6);
        return layout("Casio", kCasioTags, 0);
    }
    if (key == "FUJIF")
        return TMakerLayout{"Fujifilm", kFujifilmTags, 12, TMakerValueBase::MakerNote, 0, true};
    if (key == "CANON")
        return layout("Canon", kCanonTags, 0);
    if (key == "SEIKO")
        return layout("Seiko", kSeikoTags, 8);
    if (key == "SANYO")
        return layout("Sanyo", kSanyoTags, 8);
    if (key == "MINOL")
        return layout("Minolta", kMinoltaTags, 0);
    return std::nullopt;
}

} // namespace varlime
