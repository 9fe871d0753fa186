// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Numbers stored in a byte string, as the boxes of ISO media files (HEIF, CR3, MP4), the
// chunks of PNG and RIFF files and the heaps of CRW files store them. A number that does
// not lie wholly inside the string reads as 0: a damaged table is read to its end without
// a read outside it.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace varlime {

// The `bytes` bytes at `at`, most significant first (bigEndian) or last; 0 when they do
// not all lie in `b`.
inline std::uint64_t octetsEn(bool bigEndian, std::string_view b, std::size_t at, unsigned bytes) {
    if (at > b.size() || b.size() - at < bytes)
        return 0;
    std::uint64_t v = 0;
    for (unsigned i = 0; i < bytes; ++i)
        v = (v << 8) | static_cast<unsigned char>(b[at + (bigEndian ? i : bytes - 1 - i)]);
    return v;
}
inline std::uint32_t be16(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(octetsEn(true, b, at, 2));
}
inline std::uint32_t be32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(octetsEn(true, b, at, 4));
}
inline std::uint64_t be64(std::string_view b, std::size_t at) {
    return octetsEn(true, b, at, 8);
}
inline std::uint32_t le32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(octetsEn(false, b, at, 4));
}

// The same numbers one after the other. Past the string's end every number is 0 and
// the cursor is no longer ok.
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
        const std::uint64_t v = octetsEn(true, b, at, bytes);
        at += bytes;
        return v;
    }
};

} // namespace varlime
