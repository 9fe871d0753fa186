// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// UTF-8 bytes of the core (names, settings, EXIF texts) as the text a window shows.
#include <QString>
#include <string_view>

namespace varlime {

inline QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace varlime
