// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/fileKinds.h"

#include <array>
#include <cctype>

namespace varlime {

namespace {

// The extension of a name, from its last dot, in lower case; empty without a dot.
// Extensions of the table are short: a longer one is no row's.
bool extensionOf(std::string_view name, std::array<char, 8>& out, std::size_t& n) {
    const auto slash = name.rfind('/');
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view ext = name.substr(dot + 1);
    if (ext.empty() || ext.size() > out.size())
        return false;
    n = ext.size();
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(ext[i])));
    return true;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

} // namespace

const FileKindRow* rowOfName(std::string_view name) {
    std::array<char, 8> ext{};
    std::size_t n = 0;
    if (!extensionOf(name, ext, n))
        return nullptr;
    const std::string_view e(ext.data(), n);
    for (const FileKindRow& row : kFileKindRows)
        if (row.extension == e)
            return &row;
    return nullptr;
}

FileKind kindOfName(std::string_view name) {
    const FileKindRow* row = rowOfName(name);
    return row ? row->kind : FileKind::Unknown;
}

Container containerByName(std::string_view name) {
    const FileKindRow* row = rowOfName(name);
    if (!row)
        return Container::None;
    const std::string_view e = row->extension;
    if (e == "jpg" || e == "jpeg" || e == "jpe" || e == "thm")
        return Container::Jpeg;
    if (e == "tif" || e == "tiff" || e == "nef" || e == "pef")
        return Container::Tiff;
    return Container::None;
}

Container containerOfBytes(std::string_view h) {
    using namespace std::string_view_literals;
    if (startsWith(h, "\xFF\xD8\xFF"sv))
        return Container::Jpeg;
    // TIFF, and the RAW variants with their own magic number: ORF (IIRO, IIRS, MMOR)
    // and RW2/RWL (IIU).
    for (std::string_view magic : {"II*\0"sv, "MM\0*"sv, "IIRO"sv, "IIRS"sv, "MMOR"sv, "IIU\0"sv})
        if (startsWith(h, magic))
            return Container::Tiff;
    if (startsWith(h, "FUJIFILMCCD-RAW"sv))
        return Container::Raf;
    if (h.size() >= 14 && (startsWith(h, "II"sv) || startsWith(h, "MM"sv)) &&
        h.substr(6, 8) == "HEAPCCDR"sv)
        return Container::Crw;
    if (startsWith(h, "\0MRM"sv))
        return Container::Mrw;
    if (startsWith(h, "\x89PNG\r\n\x1A\n"sv))
        return Container::Png;
    if (h.size() >= 12 && startsWith(h, "RIFF"sv) && h.substr(8, 4) == "WEBP"sv)
        return Container::WebP;
    if (startsWith(h, "\0\0\0\x0CJXL \r\n\x87\n"sv))
        return Container::JpegXl;
    // Boxes: a file type box first, or for older QuickTime files a movie, data or
    // free-space box.
    if (h.size() >= 8) {
        const std::string_view type = h.substr(4, 4);
        for (std::string_view t : {"ftyp"sv, "moov"sv, "mdat"sv, "wide"sv, "free"sv, "skip"sv})
            if (type == t)
                return Container::IsoMedia;
    }
    return Container::None;
}

FileKind kindOfBytes(std::string_view h) {
    using namespace std::string_view_literals;
    switch (containerOfBytes(h)) {
    case Container::Jpeg:
        return FileKind::Jpeg;
    case Container::Tiff:
        if (!startsWith(h, "II*\0"sv) && !startsWith(h, "MM\0*"sv))
            return FileKind::Raw;
        return h.size() >= 10 && h.substr(8, 2) == "CR"sv ? FileKind::Raw : FileKind::Tiff;
    case Container::Raf:
    case Container::Crw:
    case Container::Mrw:
        return FileKind::Raw;
    case Container::IsoMedia: {
        if (h.substr(4, 4) != "ftyp"sv || h.size() < 12)
            return FileKind::Video;
        const std::string_view brand = h.substr(8, 4);
        // The brands of pictures coded with HEVC, AVC or AV1, images and sequences.
        for (std::string_view b : {"heic"sv, "heix"sv, "heim"sv, "heis"sv, "hevc"sv, "hevx"sv,
                                   "hevm"sv, "hevs"sv, "mif1"sv, "msf1"sv, "avif"sv, "avis"sv})
            if (brand == b)
                return FileKind::Heif;
        return brand == "crx "sv ? FileKind::Raw : FileKind::Video;
    }
    case Container::Png:
        return FileKind::Png;
    case Container::WebP:
        return FileKind::WebP;
    case Container::JpegXl:
        return FileKind::JpegXl;
    case Container::None:
        break;
    }
    // A bare JPEG XL code stream, and a Windows bitmap.
    if (startsWith(h, "\xFF\x0A"sv))
        return FileKind::JpegXl;
    return startsWith(h, "BM"sv) && h.size() >= 14 ? FileKind::Bitmap : FileKind::Unknown;
}

FileKind kindOfFile(std::string_view name, std::string_view head) {
    const FileKind k = kindOfName(name);
    return k != FileKind::Unknown ? k : kindOfBytes(head);
}

bool isCameraFile(std::string_view name) {
    switch (kindOfName(name)) {
    case FileKind::Jpeg:
    case FileKind::Tiff:
    case FileKind::Raw:
    case FileKind::Heif:
    case FileKind::Video:
    case FileKind::Thumbnail:
        return true;
    default:
        return false;
    }
}

bool isJpegName(std::string_view name) {
    const FileKind k = kindOfName(name);
    return k == FileKind::Jpeg || k == FileKind::Thumbnail;
}

} // namespace varlime
