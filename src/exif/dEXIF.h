// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading the EXIF data of JPEG and TIFF files: the image file reader (TimgData),
// which finds the EXIF block in a file, and the directory reader (TImageInfo),
// which walks its TIFF directories into a text listing, an entry list and a few
// camera fields. Nothing here raises to its caller or shows a message: every read
// ends with the reader's ErrorText set.
#include "core/fileKinds.h"
#include "exif/exifContainers.h"
#include "exif/exifDates.h"
#include "exif/exifFormat.h"
#include "exif/exifTables.h"
#include "exif/exifTags.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace varlime {

class TimgData;

// Offsets stored in a file are 32-bit unsigned numbers counted from a base; every
// position made from them is a size_t that cannot wrap. kNowhere is the position of
// an offset that lands before the buffer's start (or past anything addressable):
// it lies beyond every buffer, so every read there finds nothing.
inline constexpr std::size_t kNowhere = std::numeric_limits<std::size_t>::max();

// The buffer position of `offset` counted from `base`, the place of the TIFF header
// in the buffer. The base lies before the buffer's start (it is negative) when the
// buffer lacks the header, as for a TIFF file; an offset that falls short of the
// buffer's start then gives kNowhere instead of wrapping onto an in-range position.
std::size_t PositionOf(std::uint64_t offset, std::int64_t base);

// Whether n bytes from offset lie inside size bytes, compared so that no sum wraps.
constexpr bool FitsIn(std::size_t offset, std::size_t n, std::size_t size) {
    return offset <= size && n <= size - offset;
}

// Bytes of `count` values of a TIFF type, with the count first capped just past
// `limit`: no value is read past its buffer of `limit` bytes, so a larger count reads
// the same, and the product stays far from overflowing.
std::size_t ValueByteCount(std::uint32_t count, int type, std::size_t limit);

// A byte buffer with its byte order. Every read is bounds-checked: bytes outside
// the buffer read as zero, so no value from a file can make a read leave the buffer.
class tEndInd {
public:
    bool BigEndian = false;
    std::string Buffer;

    std::uint16_t ReadU16(std::size_t offset) const;
    std::uint32_t ReadU32(std::size_t offset) const;
    std::int32_t BytesToInt(std::string_view bytes) const;
    // Up to n bytes of Buffer from offset: fewer when the buffer ends earlier,
    // none when offset lies outside it.
    std::string_view ReadBytes(std::size_t offset, std::size_t n) const;
};

// One JPEG segment as read: its two length bytes followed by its body.
struct tSection {
    std::string Bytes;
    std::int32_t Marker = 0;
    // The length the segment announces (for a TIFF file, the bytes read).
    std::size_t Size = 0;
};

// One tag-table row, or one entry read from a directory.
struct TTagEntry {
    std::int32_t TagGroup = 0;
    ExifType ValueType{};
    std::uint16_t TagNumber = 0;
    std::string KeyName;
    std::string Caption;
    std::string ValueCodes;
    std::string ValueText;
    std::string RawBytes;
    // Where the value lies in the buffer it was read from (kNowhere when before it).
    std::size_t RawPosition = 0;
    std::string FormatPattern;
    std::int32_t RawSize = 0;
    TDecoder Decoder = nullptr;
    bool DecodesToLines = false;
    // Byte order of RawBytes.
    bool BigEndianValue = false;

    // A copy of a table row (caption completed), with the read fields empty.
    static TTagEntry FromRow(const TTagRow& row);

    // The typed value, read from RawBytes by ValueType: how many components it holds,
    // and each as a number (integers as they are, rationals divided, a zero
    // denominator giving 0; texts and unknown types give 0). A component the bytes
    // do not hold whole reads as 0.
    std::size_t ComponentCount() const;
    double Number(std::size_t i = 0) const;
    struct Rational {
        std::int64_t num = 0, den = 0;
    };
    // Numerator and denominator of a rational component ({n, 1} for an integer).
    Rational RationalAt(std::size_t i = 0) const;
};

// Group keys of TTagEntry::TagGroup.
inline constexpr std::int32_t kExifGroup = 0;
inline constexpr std::int32_t kMakerGroup = 1;

// The TIFF directories of one EXIF block.
class TImageInfo : public tEndInd {
public:
    explicit TImageInfo(TimgData* parent);

    TimgData* Parent = nullptr;
    std::vector<TTagEntry> Entries;
    std::string ExifVersionText;
    // XMP packet (tag 700) and IPTC records (tag 33723) of a TIFF's main directory.
    std::string XmpPacket, IptcRecords;
    std::string CameraMake;
    std::string CameraModel;
    // Make and model as names use them: the text before the first zero byte (some
    // cameras pad with zeros and leftovers, which the listing shows as dots).
    std::string MakeForNames;
    std::string ModelForNames;
    std::string DateTimeText;
    // The three EXIF dates, each as first met ("" when absent): DateTimeOriginal,
    // DateTimeDigitized (CreateDate) and the main directory's DateTime.
    std::string OriginalDateText, DigitizedDateText, ModifyDateText;
    // The 35 mm equivalent focal length names use: the recorded one, else worked out
    // from what describes the sensor (see DeriveFocal35); nothing when untrustworthy.
    std::optional<double> Focal35ForNames;
    std::int32_t PixelWidth = 0;
    std::int32_t PixelHeight = 0;
    std::int32_t FlashValue = 0;
    // The camera body's serial number as the directories record it (EXIF's own, else
    // a DNG's), and as the maker note or a maker's record does (Canon, Nikon).
    std::string BodySerial, MakerSerial;
    // The one to go by: the directories' first; "" when none was recorded.
    const std::string& CameraSerial() const {
        return BodySerial.empty() ? MakerSerial : BodySerial;
    }
    bool IsTiff = false;
    std::string MakerNoteBytes;
    std::size_t MakerNotePosition = 0;
    std::string ExifText;
    std::string MakerText;

    // Reads the directory at `start` of Buffer and, recursively, its sub-directories;
    // `base` is where the TIFF header lies in Buffer (stored offsets count from it,
    // see PositionOf), `length` the data length from the base.
    void WalkDirectory(std::size_t start, std::int64_t base, std::size_t length, TDirGroup group);
    // Walks the maker note lying from `position` to the end of Buffer, whose offsets
    // count from a TIFF header at `tiffHeader` of Buffer (a CR3's maker-note block);
    // nothing when a maker note was read already.
    void ReadMakerNoteAt(std::size_t position, std::int64_t tiffHeader);
    // Adds the 35 mm equivalent focal length when the camera did not record it.
    void DeriveFocal35();

    // Set for a TIFF file read in part: reads up to n bytes of the file from `offset`
    // (fewer at its end, none past it). Directories and values lying past the bytes
    // read first are then read where they lie, their offsets checked against FileSize.
    std::function<std::string(std::uint64_t offset, std::size_t n)> FileBytes;
    std::uint64_t FileSize = 0;
    // Walks the directory at `offset` of the file (FileBytes set) from the bytes there.
    bool WalkFileDirectory(std::uint64_t offset, TDirGroup group);

    // The first entry of the group with that tag number (see exifTags.h), or nullptr.
    const TTagEntry* EntryByTag(std::uint16_t tag, std::int32_t group = 0) const;

    double ValueAsNumber(std::string_view raw, int type) const;

    // Walks a maker-note directory with the given table (defined with the maker-note
    // reader in msData.cpp). During the walk Buffer is the maker note.
    void WalkMakerDirectory(const std::string& makerNote, std::span<const TTagRow> table,
                            std::size_t directoryOffset, std::int64_t valueBase,
                            std::int64_t fallbackBase);

    // Appends one listing line: CR LF, caption, " = ", value.
    static void AppendLine(std::string& listing, std::string_view caption, std::string_view value);
    // Reports a problem in the owning reader's ErrorText (nothing without a reader).
    void SetError(std::string text);

private:
    bool followSubDirectory(std::size_t valuePosition, std::int64_t base, std::size_t length,
                            TDirGroup group);

    // Directories already walked in this read, as (start, base) pairs: cyclic
    // sub-directory pointers end here.
    std::vector<std::pair<std::size_t, std::int64_t>> visited_;
    int depth_ = 0;
    int directoriesWalked_ = 0;
    std::int64_t entriesExamined_ = 0;
    std::int64_t bytesConsumed_ = 0;
    bool makerNoteRead_ = false;
    // Whether BodySerial is the EXIF directory's own.
    bool exifSerial_ = false;
};

// The image file reader: finds the EXIF block of a JPEG or TIFF file and hands it to
// a TImageInfo. Holds the data of the last file read only. The EXIF block itself is
// kept in its segment slot and in ExifInfo->Buffer, which the walk reads.
class TimgData {
public:
    static constexpr int kMaxSegments = 20;
    // Size of the buffer a TIFF file is read into, from its offset 8 on.
    static constexpr std::size_t kTiffBufferSize = 256000;
    // Bytes a naming read takes first from a file (see Source).
    static constexpr std::size_t kNamingFirstRead = 16 * 1024;

    TimgData();
    ~TimgData();
    TimgData(const TimgData&) = delete;
    TimgData& operator=(const TimgData&) = delete;

    // Slots numbered from 1 to kMaxSegments; slot 0 is never used.
    std::array<tSection, kMaxSegments + 1> Segments;
    // Byte order of the EXIF block last read, as the file has it.
    bool BigEndian = false;
    bool IsTiffSource = false;
    std::int32_t SegmentCount = 0;
    // Slot numbers, 0 for none.
    int ExifSegment = 0;
    int IptcSegment = 0;
    int CommentSegment = 0;
    std::string LoadedFileName;
    // Last-write time of the file in seconds since the epoch, 0 when not found.
    std::int64_t LoadedFileTime = 0;
    std::int32_t LoadedFileSize = 0;
    // What the file read was when it was opened (all zero when it could not be
    // looked at), so that a caller keeping facts knows which file they came from.
    struct stat LoadedFileStat {};
    std::string ErrorText;
    std::unique_ptr<TImageInfo> ExifInfo;
    // When set, the walk lists only the tags a name can be made from (make, model,
    // dates, aperture, exposure, focal lengths and what the 35 mm focal length is
    // worked out from, orientation) and the maker notes; GPS and every other tag are
    // passed over. Naming a folder of thousands of photos reads each of them, and
    // formatting values nobody looks at was most of that time. So such a read makes no
    // listing (ExifText stays empty; MakerText holds the owner's name alone), its
    // entries carry their tag, key name and raw bytes but no caption or text (make,
    // model and dates excepted), and a TIFF's bytes are not copied to its segment slot.
    bool NamingFactsOnly = false;
    // Bytes this reader has read from files since it was made (never reset).
    std::uint64_t TotalBytesRead = 0;

    // What the file says of itself besides EXIF, as found: its XMP packet and its IPTC
    // records (in a TIFF, they come from its main directory). A naming read keeps a
    // JPEG's whole XMP segment there, its packet from xmpAt_ on.
    std::string XmpPacket, IptcRecords;
    // Where a container's facts came from when it had no EXIF of its own (a film's
    // dates, a maker's record); None for a file with EXIF.
    DateSource ContainerDateSource = DateSource::None;
    // The date the file is named by and where it was found (see exifDates.h), worked
    // out at the end of each ReadImageFile, for any file read (with or without EXIF).
    NamingDate DateForNaming;

    bool ReadImageFile(const std::string& path);
    bool HasExifBlock() const { return ExifSegment != 0; }
    // Whether the file read holds anything a name can be made from: EXIF, or a date
    // in XMP or IPTC.
    bool HasMetadata() const { return HasExifBlock() || DateForNaming.source != DateSource::None; }
    void Reset();

private:
    class Source;
    bool readJpeg(Source& in);
    bool segmentWalk(Source& in);
    void openJpegExif(int slot, const std::vector<TiffPart>& more = {});
    bool readContainer(int fd, std::uint64_t size, Container container, Source& in);
    bool readTiff(Source& in, int fd, std::uint64_t size);
    bool readAs(Container container, Source& in, int fd, std::uint64_t size);
    void chooseNamingDate();

    std::vector<unsigned char> readBuffer_;
    // The memory of the last TIFF buffer, reused by the next TIFF read.
    std::string tiffBuffer_;
    // How many bytes of that memory the last file filled (the rest is zeros).
    std::size_t tiffBytesUsed_ = 0;
    // Where the XMP packet starts in XmpPacket: naming takes a JPEG's whole XMP segment
    // rather than copy the packet out of it.
    std::size_t xmpAt_ = 0;
};

} // namespace varlime
