// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One table of the files a photographer's folder holds: each extension with its
// kind (picture, camera RAW, film, sidecar ...) and the container its metadata is
// read from, and the first bytes that tell a container whatever the file's name.
// The EXIF reader, the picture loaders, the transfer and the listing all ask here.
#include <array>
#include <cstdint>
#include <string_view>

namespace varlime {

enum class FileKind : std::uint8_t {
    Unknown,
    Jpeg,
    Tiff,
    Raw,
    Heif,
    Video,
    Png,
    WebP,
    JpegXl,
    Bitmap,
    Sidecar,
    Thumbnail,
};

// Where a file keeps its EXIF data, as its reader walks it.
enum class Container : std::uint8_t {
    None,
    Jpeg,     // APP1 segment
    Tiff,     // the TIFF structure itself, whatever its magic number (ORF, RW2 ...)
    Raf,      // a JPEG embedded at an offset given by the header
    Crw,      // a heap of tagged records
    Mrw,      // blocks, one of them a TIFF structure
    IsoMedia, // boxes: CR3, HEIF, AVIF, MP4, MOV
    Png,      // eXIf chunk
    WebP,     // EXIF chunk of a RIFF file
    JpegXl,   // Exif box
};

// How a sidecar kind's names are made from its photo's (see core/annexes.h), as bits:
// BASE.suffix from the photo's name without its extension (IMG_0001.xmp), BASE.EXT.suffix
// from its whole name (IMG_0001.CR3.xmp).
inline constexpr std::uint8_t kAnnexeBase = 1;
inline constexpr std::uint8_t kAnnexeNomComplet = 2;

// The files of the Canon RAW pairs: the first cameras wrote a CRW beside a THM
// thumbnail, later ones a CR2 beside a JPG; the picture carries the EXIF data.
enum class PaireCanon : std::uint8_t { Aucune, Crw, Thm, Cr2, Jpg };

struct FileKindRow {
    std::string_view extension; // lower case, without the dot
    FileKind kind;
    Container container;
    std::uint8_t formesAnnexe = 0; // a sidecar kind's forms (kAnnexeBase, kAnnexeNomComplet)
    PaireCanon canon = PaireCanon::Aucune;
};

namespace fichiers {
using K = FileKind;
using C = Container;
using P = PaireCanon;
constexpr std::uint8_t B = kAnnexeBase;
constexpr std::uint8_t N = kAnnexeNomComplet;

// Every extension the program knows. The sidecar kinds are listed in the order a
// photo's sidecars are looked for.
inline constexpr std::array<FileKindRow, 53> kFileKindRows = {{
    {"jpg", K::Jpeg, C::Jpeg, 0, P::Jpg},
    {"jpeg", K::Jpeg, C::Jpeg},
    {"jpe", K::Jpeg, C::Jpeg},
    {"jfif", K::Jpeg, C::Jpeg},
    {"thm", K::Thumbnail, C::Jpeg, 0, P::Thm},
    {"tif", K::Tiff, C::Tiff},
    {"tiff", K::Tiff, C::Tiff},
    {"cr2", K::Raw, C::Tiff, 0, P::Cr2},
    {"dng", K::Raw, C::Tiff},
    {"arw", K::Raw, C::Tiff},
    {"sr2", K::Raw, C::Tiff},
    {"srf", K::Raw, C::Tiff},
    {"nef", K::Raw, C::Tiff},
    {"nrw", K::Raw, C::Tiff},
    {"pef", K::Raw, C::Tiff},
    {"srw", K::Raw, C::Tiff},
    {"3fr", K::Raw, C::Tiff},
    {"erf", K::Raw, C::Tiff},
    {"mef", K::Raw, C::Tiff},
    {"mos", K::Raw, C::Tiff},
    {"iiq", K::Raw, C::Tiff},
    {"dcr", K::Raw, C::Tiff},
    {"kdc", K::Raw, C::Tiff},
    {"orf", K::Raw, C::Tiff},
    {"rw2", K::Raw, C::Tiff},
    {"rwl", K::Raw, C::Tiff},
    {"raf", K::Raw, C::Raf},
    {"crw", K::Raw, C::Crw, 0, P::Crw},
    {"cr3", K::Raw, C::IsoMedia},
    {"mrw", K::Raw, C::Mrw},
    {"heic", K::Heif, C::IsoMedia},
    {"heif", K::Heif, C::IsoMedia},
    {"hif", K::Heif, C::IsoMedia},
    {"avif", K::Heif, C::IsoMedia},
    {"mp4", K::Video, C::IsoMedia},
    {"mov", K::Video, C::IsoMedia},
    {"m4v", K::Video, C::IsoMedia},
    {"3gp", K::Video, C::IsoMedia},
    {"avi", K::Video, C::None},
    {"mts", K::Video, C::None},
    {"png", K::Png, C::Png},
    {"webp", K::WebP, C::WebP},
    {"jxl", K::JpegXl, C::JpegXl},
    {"bmp", K::Bitmap, C::None},
    {"dib", K::Bitmap, C::None},
    {"x3f", K::Raw, C::None},
    {"xmp", K::Sidecar, C::None, B | N},
    {"pp3", K::Sidecar, C::None, N},
    {"pp2", K::Sidecar, C::None, N},
    {"dop", K::Sidecar, C::None, N},
    {"dxo", K::Sidecar, C::None, B | N},
    {"arp", K::Sidecar, C::None, B | N},
    {"on1", K::Sidecar, C::None, B | N},
}};
} // namespace fichiers
using fichiers::kFileKindRows;

// The row of a file name's extension (letter case ignored), or nullptr.
const FileKindRow* rowOfName(std::string_view name);
FileKind kindOfName(std::string_view name);

// The container that the first bytes of a file announce (a dozen bytes are enough;
// fewer give None).
Container containerOfBytes(std::string_view head);

// The two containers a name alone decides, for the eight extensions that have always
// been read by name (".jpg", ".jpeg", ".jpe", ".thm" as JPEG; ".tif", ".tiff", ".nef",
// ".pef" as TIFF); None for every other name, whose bytes then decide.
Container containerByName(std::string_view name);

// The kind of a file by its first bytes (a dozen are enough), for the picture loaders:
// a HEIF picture, a CR3 and a film are told apart by their file type box's brand, a
// TIFF-structured RAW by its own magic number (or a CR2's "CR" mark). A DNG and most
// other TIFF-based RAW files start as any TIFF does: Tiff.
FileKind kindOfBytes(std::string_view head);

// The kind of a file for the loaders: its name's, when the table knows the extension,
// else its first bytes'.
FileKind kindOfFile(std::string_view name, std::string_view head);

// A picture or film a camera writes (what a transfer from a camera folder takes).
bool isCameraFile(std::string_view name);

// A picture the JPEG decoder reads (JPEG files and camera thumbnails).
bool isJpegName(std::string_view name);

} // namespace varlime
