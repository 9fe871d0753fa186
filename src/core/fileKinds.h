#pragma once
// One table of the files a photographer's folder holds: each extension with its
// kind (picture, camera RAW, film, sidecar ...) and the container its metadata is
// read from, and the first bytes that tell a container whatever the file's name.
// The EXIF reader, the picture loaders, the transfer and the listing all ask here.
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

struct FileKindRow {
    std::string_view extension; // lower case, without the dot
    FileKind kind;
    Container container;
};

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
