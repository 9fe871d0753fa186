// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds small EXIF blocks, TIFF files and JPEG files byte by byte, in either byte
// order, so that tests can pin every path of the reader on data they control.
#include <cstdint>
#include <string>
#include <vector>

namespace varlime::test {

struct Tiff {
    bool be;

    std::string u16(unsigned v) const {
        std::string s(2, '\0');
        s[be ? 0 : 1] = static_cast<char>((v >> 8) & 0xFF);
        s[be ? 1 : 0] = static_cast<char>(v & 0xFF);
        return s;
    }
    std::string u32(std::uint32_t v) const {
        std::string s(4, '\0');
        for (int i = 0; i < 4; ++i)
            s[be ? 3 - i : i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    }
    std::string rat(std::int32_t n, std::int32_t d) const {
        return u32(static_cast<std::uint32_t>(n)) + u32(static_cast<std::uint32_t>(d));
    }

    struct Entry {
        std::uint16_t tag;
        std::uint16_t type;
        std::uint32_t count;
        std::string data;            // value bytes; placed after the directories when over 4 bytes
        int subDir = -1;             // when >= 0, the value is the offset of that directory
        std::int64_t rawOffset = -1; // when >= 0, this offset is stored as is
    };
    using Dir = std::vector<Entry>;

    Entry shortE(std::uint16_t tag, std::vector<unsigned> v) const {
        std::string d;
        for (unsigned x : v)
            d += u16(x);
        return {tag, 3, static_cast<std::uint32_t>(v.size()), d};
    }
    Entry longE(std::uint16_t tag, std::uint32_t v) const { return {tag, 4, 1, u32(v)}; }
    Entry ratE(std::uint16_t tag, std::int32_t n, std::int32_t d, std::uint16_t type = 5) const {
        return {tag, type, 1, rat(n, d)};
    }
    Entry rats(std::uint16_t tag, std::vector<std::pair<int, int>> v) const {
        std::string d;
        for (auto [n, dd] : v)
            d += rat(n, dd);
        return {tag, 5, static_cast<std::uint32_t>(v.size()), d};
    }
    Entry ascii(std::uint16_t tag, const std::string& text) const {
        return {tag, 2, static_cast<std::uint32_t>(text.size() + 1), text + std::string(1, '\0')};
    }
    Entry bytes(std::uint16_t tag, std::uint16_t type, const std::string& b) const {
        return {tag, type, static_cast<std::uint32_t>(b.size()), b};
    }
    Entry sub(std::uint16_t tag, int dir) const { return {tag, 4, 1, "", dir}; }

    // The TIFF structure: 8-byte header, the directories one after the other (the
    // first at offset 8), then the values that do not fit in their entries.
    std::string build(const std::vector<Dir>& dirs) const {
        std::vector<std::uint32_t> dirOffset;
        std::uint32_t at = 8;
        for (const auto& d : dirs) {
            dirOffset.push_back(at);
            at += static_cast<std::uint32_t>(2 + 12 * d.size() + 4);
        }
        std::string data;
        std::string out = std::string(be ? "MM" : "II") + u16(42) + u32(8);
        for (const auto& d : dirs) {
            out += u16(static_cast<unsigned>(d.size()));
            for (const auto& e : d) {
                out += u16(e.tag) + u16(e.type) + u32(e.count);
                if (e.subDir >= 0) {
                    out += u32(dirOffset[static_cast<std::size_t>(e.subDir)]);
                } else if (e.rawOffset >= 0) {
                    out += u32(static_cast<std::uint32_t>(e.rawOffset));
                } else if (e.data.size() <= 4) {
                    out += e.data + std::string(4 - e.data.size(), '\0');
                } else {
                    out += u32(at + static_cast<std::uint32_t>(data.size()));
                    data += e.data;
                }
            }
            out += u32(0);
        }
        return out + data;
    }
};

// A JPEG segment: marker, big-endian length (counting itself), body.
inline std::string segment(unsigned char marker, const std::string& body) {
    const std::size_t len = body.size() + 2;
    std::string s;
    s += '\xFF';
    s += static_cast<char>(marker);
    s += static_cast<char>((len >> 8) & 0xFF);
    s += static_cast<char>(len & 0xFF);
    return s + body;
}

inline std::string exifApp1(const std::string& tiff) {
    return segment(0xE1, std::string("Exif\0\0", 6) + tiff);
}

// SOI, the given segments, then a start of scan and the end of the image.
inline std::string jpeg(const std::vector<std::string>& segments) {
    std::string s = "\xFF\xD8";
    for (const auto& seg : segments)
        s += seg;
    return s + segment(0xDA, std::string(10, '\0')) + "\xFF\xD9";
}

} // namespace varlime::test
