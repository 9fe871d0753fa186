// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Big-endian numbers one after the other in a byte string, as the boxes of ISO media
// files (HEIF, CR3, MP4) store them. Past the string's end every number is 0 and the
// cursor is no longer ok: a damaged table is read to its end without a read outside it.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace varlime {

struct CurseurOctets {
    std::string_view b;
    std::size_t at = 0;
    bool ok = true;
    std::uint64_t take(unsigned bytes) {
        if (bytes == 0)
            return 0;
        if (at > b.size() || b.size() - at < bytes) {
            ok = false;
            at = b.size();
            return 0;
        }
        std::uint64_t v = 0;
        for (unsigned i = 0; i < bytes; ++i)
            v = (v << 8) | static_cast<unsigned char>(b[at + i]);
        at += bytes;
        return v;
    }
};

} // namespace varlime
