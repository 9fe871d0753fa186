// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds the containers of today's cameras and phones byte by byte (ISO boxes, PNG
// chunks, RIFF chunks), so that tests can make files holding a TIFF structure where
// each container keeps its EXIF data.
#include <brotli/encode.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace varlime::test {

inline std::string be32(std::uint32_t v) {
    std::string s;
    for (int i = 3; i >= 0; --i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}
inline std::string be16(unsigned v) {
    return std::string{static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
}
inline std::string le32(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

// An ISO base media box (or JPEG XL box): 32-bit size, type, payload.
inline std::string box(const std::string& type, const std::string& payload) {
    return be32(static_cast<std::uint32_t>(8 + payload.size())) + type + payload;
}
// A full box: version and flags before the payload.
inline std::string fullBox(const std::string& type, unsigned version, const std::string& payload) {
    return box(type, std::string(1, static_cast<char>(version)) + std::string(3, '\0') + payload);
}

// A movie's metadata box with keys (com.apple.quicktime.make ...) and their values.
inline std::string keyedMeta(const std::vector<std::pair<std::string, std::string>>& items) {
    std::string keys = be32(static_cast<std::uint32_t>(items.size()));
    std::string list;
    std::uint32_t index = 1;
    for (const auto& [key, value] : items) {
        keys += be32(static_cast<std::uint32_t>(8 + key.size())) + "mdta" + key;
        list += box(be32(index++), box("data", be32(1) + be32(0) + value));
    }
    // A QuickTime movie's metadata box has no version and flags of its own.
    return box("meta", fullBox("hdlr", 0, be32(0) + "mdta" + std::string(13, '\0')) +
                           fullBox("keys", 0, keys) + box("ilst", list));
}

// A version 0 movie header created at `seconds` since 1904.
inline std::string movieHeader(std::uint32_t seconds) {
    return fullBox("mvhd", 0,
                   be32(seconds) + be32(seconds) + be32(600) + be32(0) + std::string(80, '\0'));
}

inline std::uint32_t crc32(const std::string& bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return c ^ 0xFFFFFFFFu;
}

inline std::string pngChunk(const std::string& type, const std::string& data) {
    return be32(static_cast<std::uint32_t>(data.size())) + type + data + be32(crc32(type + data));
}

// A 1 x 1 grey PNG with the TIFF structure in an eXIf chunk.
inline std::string pngWithExif(const std::string& tiff) {
    const std::string header = be32(1) + be32(1) + std::string("\x08\x00\x00\x00\x00", 5);
    const std::string pixels("\x78\x9c\x63\x60\x00\x00\x00\x02\x00\x01", 10);
    return std::string("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", header) + pngChunk("eXIf", tiff) +
           pngChunk("IDAT", pixels) + pngChunk("IEND", "");
}

inline std::string riffChunk(const std::string& type, const std::string& data) {
    std::string s = type + le32(static_cast<std::uint32_t>(data.size())) + data;
    if (data.size() % 2)
        s += '\0';
    return s;
}

// A WebP file's chunks (no picture data: the EXIF reader needs none).
inline std::string webpWithExif(const std::string& tiff) {
    const std::string vp8x = std::string("\x08\0\0\0", 4) + std::string(6, '\0');
    const std::string body = "WEBP" + riffChunk("VP8X", vp8x) + riffChunk("EXIF", tiff);
    return "RIFF" + le32(static_cast<std::uint32_t>(body.size())) + body;
}

// A JPEG XL container with its Exif box.
inline std::string jxlWithExif(const std::string& tiff) {
    return box("JXL ", "\r\n\x87\n") + box("ftyp", std::string("jxl \0\0\0\0jxl ", 12)) +
           box("Exif", be32(0) + tiff) + box("jxlc", std::string("\xFF\x0A", 2));
}

// Bytes compressed with Brotli, as a JPEG XL writer compresses a box.
inline std::string brotli(const std::string& bytes) {
    std::string out(BrotliEncoderMaxCompressedSize(bytes.size()), '\0');
    std::size_t n = out.size();
    if (!BrotliEncoderCompress(BROTLI_DEFAULT_QUALITY, BROTLI_DEFAULT_WINDOW, BROTLI_MODE_GENERIC,
                               bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()),
                               &n, reinterpret_cast<std::uint8_t*>(out.data())))
        return {};
    out.resize(n);
    return out;
}

// A JPEG XL container whose Exif box is compressed: a "brob" box holding the type it
// stands for, then that box's payload (here `payload` as given) compressed.
inline std::string jxlWithCompressedBox(const std::string& type, const std::string& payload) {
    return box("JXL ", "\r\n\x87\n") + box("ftyp", std::string("jxl \0\0\0\0jxl ", 12)) +
           box("brob", type + brotli(payload)) + box("jxlc", std::string("\xFF\x0A", 2));
}

} // namespace varlime::test
