// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds small EXIF blocks around a crafted maker note, as JPEG or TIFF files, in
// either byte order. Layout of the TIFF data (offsets from the TIFF header):
//   0   header ("II"/"MM", 42, first directory at 8)
//   8   IFD0: Make, Model, ExifOffset (+ their texts after the directory)
//   X   EXIF directory: ExifVersion, MakerNote, ColorSpace
//   M   the maker note, right after the EXIF directory
// The maker note is made by a function of M, so that notes whose offsets count from
// the TIFF header can be written.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The camera-settings lines that the Canon DIGITAL IXUS 400 sample photo lists, in order.
#define VARLIME_IXUS_SETTINGS_LINES                                                                \
    "\r\nMacro mode = Normal"                                                                      \
    "\r\nSelf Timer =  2"                                                                          \
    "\r\nCompression Rate = Basic"                                                                 \
    "\r\nFlash Mode = Auto"                                                                        \
    "\r\nDrive Mode = Single"                                                                      \
    "\r\nFocus Mode = Single"                                                                      \
    "\r\nImage Size = Large"                                                                       \
    "\r\nEasy Shoot = Full Auto"                                                                   \
    "\r\nContrast = Normal"                                                                        \
    "\r\nSaturation = Normal"                                                                      \
    "\r\nSharpness = Normal"                                                                       \
    "\r\nCCD ISO = auto"                                                                           \
    "\r\nMetering Mode = Evaluative"                                                               \
    "\r\nAF Point = Auto AF point selection"                                                       \
    "\r\nExposure Mode = Easy"                                                                     \
    "\r\nLong focal =  711"                                                                        \
    "\r\nShort focal =  237"                                                                       \
    "\r\nFocal Units =  32"                                                                        \
    "\r\nFlash Details =  0"                                                                       \
    "\r\nFocus Mode = Single"

namespace varlime::test {

class ByteWriter {
public:
    explicit ByteWriter(bool bigEndian) : big_(bigEndian) {}
    void u16(std::uint32_t v) {
        if (big_) {
            out_ += static_cast<char>(v >> 8 & 0xFF);
            out_ += static_cast<char>(v & 0xFF);
        } else {
            out_ += static_cast<char>(v & 0xFF);
            out_ += static_cast<char>(v >> 8 & 0xFF);
        }
    }
    void u32(std::uint32_t v) {
        if (big_) {
            u16(v >> 16);
            u16(v & 0xFFFF);
        } else {
            u16(v & 0xFFFF);
            u16(v >> 16);
        }
    }
    void bytes(const std::string& s) { out_ += s; }
    const std::string& str() const { return out_; }
    std::size_t size() const { return out_.size(); }

private:
    bool big_;
    std::string out_;
};

// One directory entry: its value bytes are given already in the file's byte order
// (see shorts(), longs(), rationals()); count is the number of components.
struct TestEntry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::string value;
    // When set, the stored offset is this number instead of the value's position.
    std::int64_t forcedOffset = -1;
};

inline std::string shorts(bool big, std::initializer_list<std::uint32_t> v) {
    ByteWriter w(big);
    for (auto x : v)
        w.u16(x);
    return w.str();
}
inline std::string longs(bool big, std::initializer_list<std::uint32_t> v) {
    ByteWriter w(big);
    for (auto x : v)
        w.u32(x);
    return w.str();
}
// Pairs of numerator and denominator.
inline std::string rationals(bool big, std::initializer_list<std::uint32_t> v) {
    return longs(big, v);
}

// A directory placed at `position` of some area, followed by the values that do not
// fit in their entry. A value placed at area position q is stored as offset q + delta.
inline std::string directory(bool big, const std::vector<TestEntry>& entries, std::int64_t position,
                             std::int64_t delta) {
    ByteWriter dir(big);
    std::string data;
    const std::int64_t dataStart =
        position + 2 + 12 * static_cast<std::int64_t>(entries.size()) + 4;
    dir.u16(static_cast<std::uint32_t>(entries.size()));
    for (const TestEntry& e : entries) {
        dir.u16(e.tag);
        dir.u16(e.type);
        dir.u32(e.count);
        if (e.forcedOffset >= 0) {
            dir.u32(static_cast<std::uint32_t>(e.forcedOffset));
            continue;
        }
        if (e.value.size() <= 4) {
            std::string v = e.value;
            v.resize(4, '\0');
            dir.bytes(v);
        } else {
            dir.u32(static_cast<std::uint32_t>(dataStart + static_cast<std::int64_t>(data.size()) +
                                               delta));
            data += e.value;
            if (data.size() % 2)
                data += '\0';
        }
    }
    dir.u32(0);
    return dir.str() + data;
}

struct ExifSpec {
    bool bigEndian = false;
    std::string make;
    std::string model = "Test camera";
    std::string exifVersion = "0220";
    // Maker note bytes as a function of its offset from the TIFF header.
    std::function<std::string(std::uint32_t)> makerNote;
};

// The TIFF data: header, IFD0, EXIF directory and maker note.
inline std::string tiffData(const ExifSpec& s) {
    const bool big = s.bigEndian;
    ByteWriter header(big);
    header.bytes(big ? "MM" : "II");
    header.u16(42);
    header.u32(8);
    auto text = [](const std::string& t) { return t + '\0'; };
    const std::string make = text(s.make);
    const std::string model = text(s.model);
    // IFD0 size does not depend on where the EXIF directory goes: compute it twice.
    auto ifd0 = [&](std::uint32_t exifAt) {
        return directory(big,
                         {{0x010F, 2, static_cast<std::uint32_t>(make.size()), make},
                          {0x0110, 2, static_cast<std::uint32_t>(model.size()), model},
                          {0x8769, 4, 1, longs(big, {exifAt})}},
                         8, 0);
    };
    const std::uint32_t exifAt = static_cast<std::uint32_t>(8 + ifd0(0).size());
    // Without a version text the EXIF directory has no ExifVersion entry at all.
    const std::uint32_t exifCount = s.exifVersion.empty() ? 2 : 3;
    const std::uint32_t noteAt = exifAt + 2 + exifCount * 12 + 4;
    const std::string note = s.makerNote(noteAt);
    std::vector<TestEntry> exifEntries;
    if (!s.exifVersion.empty()) {
        std::string version = s.exifVersion;
        version.resize(4, '\0');
        exifEntries.push_back({0x9000, 7, 4, version});
    }
    exifEntries.push_back({0x927C, 7, static_cast<std::uint32_t>(note.size()), "", noteAt});
    exifEntries.push_back({0xA001, 3, 1, shorts(big, {1})});
    const std::string exif = directory(big, exifEntries, exifAt, 0);
    return header.str() + ifd0(exifAt) + exif + note;
}

// A JPEG holding the TIFF data in its APP1 segment (then the end of the image).
inline std::string jpegFile(const ExifSpec& s) {
    const std::string body = std::string("Exif\0\0", 6) + tiffData(s);
    std::string out = "\xFF\xD8\xFF\xE1";
    const std::size_t len = body.size() + 2;
    out += static_cast<char>(len >> 8 & 0xFF);
    out += static_cast<char>(len & 0xFF);
    out += body;
    out += "\xFF\xD9";
    return out;
}

inline std::string tiffFile(const ExifSpec& s) {
    return tiffData(s);
}

} // namespace varlime::test
