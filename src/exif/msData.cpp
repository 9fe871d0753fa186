// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif/msData.h"

#include "exif/msLayouts.h"
#include "exif/msTables.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace varlime {

namespace {

// Bytes of values a single maker note may take in all. A real note takes a few
// kilobytes; a hostile one whose thousands of entries all point at the whole EXIF
// block is cut short here instead of filling memory.
constexpr std::int64_t kMaxMakerBytes = 8 * 1024 * 1024;

bool startsNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// The camera body's serial number when this maker-note entry holds it, else "": Canon's
// is a number written with ten digits, Nikon's a text.
std::string makerSerial(std::string_view make, std::uint16_t number, int type, std::string_view raw,
                        bool bigEndian) {
    if (startsNoCase(make, "Canon") && number == tag::CanonSerialNumber && type == ExifType::Long &&
        raw.size() >= 4) {
        const std::uint32_t n = BytesToUnsigned(bigEndian, raw.substr(0, 4));
        char text[16];
        std::snprintf(text, sizeof text, "%010u", n);
        return n ? text : "";
    }
    if (startsNoCase(make, "Nikon") && type == ExifType::Ascii &&
        (number == tag::NikonSerialKey || number == tag::NikonSerialNumber)) {
        std::string_view t = raw.substr(0, raw.find('\0'));
        while (!t.empty() && static_cast<unsigned char>(t.back()) <= ' ')
            t.remove_suffix(1);
        while (!t.empty() && static_cast<unsigned char>(t.front()) <= ' ')
            t.remove_prefix(1);
        return BytesAsText(t);
    }
    return {};
}

// The maker note is walked with Buffer and BigEndian of the owner set to the note and
// its byte order; this puts the EXIF block and its byte order back on every way out.
// The owner's own copy of the note is lent to Buffer for the walk rather than copied.
class BufferSwap {
public:
    BufferSwap(TImageInfo& info, const std::string& note)
        : info_(info), block_(std::move(info.Buffer)), bigEndian_(info.BigEndian),
          lent_(&note == &info.MakerNoteBytes) {
        if (lent_)
            info_.Buffer.swap(info_.MakerNoteBytes);
        else
            info_.Buffer = note;
    }
    ~BufferSwap() {
        if (lent_)
            info_.MakerNoteBytes.swap(info_.Buffer);
        info_.Buffer = std::move(block_);
        info_.BigEndian = bigEndian_;
    }
    BufferSwap(const BufferSwap&) = delete;
    BufferSwap& operator=(const BufferSwap&) = delete;
    const std::string& block() const { return block_; }

private:
    TImageInfo& info_;
    std::string block_;
    bool bigEndian_;
    bool lent_;
};

// Up to n bytes of data from offset: fewer when the data ends earlier, none when the
// offset lies outside it.
std::string_view bytesAt(std::string_view data, std::size_t offset, std::size_t n) {
    if (offset >= data.size())
        return {};
    return data.substr(offset, std::min(n, data.size() - offset));
}

std::string quoted(std::string_view bytes) {
    return '"' + BytesAsText(bytes) + '"';
}

// The newer Nikon notes hold a TIFF header of their own at offset 10 whose byte
// order is the one their values are written in; EXIF editors that rewrite the block
// in the other order leave the note as it was.
bool nikonNoteBigEndian(std::string_view note, bool fallback) {
    const std::string_view order = bytesAt(note, 10, 2);
    if (order == "MM")
        return true;
    if (order == "II")
        return false;
    return fallback;
}

} // namespace

TmsInfo::TmsInfo(bool fromTiff, TImageInfo& owner) : FromTiff(fromTiff), Owner(owner) {}

bool TmsInfo::ReadMakerNote() {
    TMakerSource source;
    source.CameraMake = Owner.CameraMake;
    source.CameraModel = Owner.CameraModel;
    source.ExifVersionText = Owner.ExifVersionText;
    source.FromTiff = FromTiff;
    source.MakerNote = Owner.MakerNoteBytes;
    const std::optional<TMakerLayout> layout = ChooseMakerLayout(source);
    if (!layout)
        return false;
    // Of the maker notes, naming wants the owner's name and the body's serial alone: a
    // maker whose table has no owner and who writes no serial gives it nothing, and its
    // note is not walked.
    if (Owner.Parent && Owner.Parent->NamingFactsOnly &&
        !startsNoCase(Owner.MakeForNames, "Nikon") &&
        std::none_of(layout->Table.begin(), layout->Table.end(),
                     [](const TTagRow& row) { return RowCaption(row) == "OwnerName"; }))
        return true;

    // Where the TIFF header lies in the EXIF block: after "Exif\0\0" and the segment
    // length in a JPEG, 8 bytes before the buffer's start in a TIFF file.
    const std::int64_t tiffHeader = TiffHeaderAt ? *TiffHeaderAt : FromTiff ? -8 : 8;
    // Where the TIFF header lies counted from the note's start (before it, so
    // negative). A note that lies nowhere in the block has no bytes to walk.
    const std::int64_t notePosition = Owner.MakerNotePosition == kNowhere
                                          ? 0
                                          : static_cast<std::int64_t>(Owner.MakerNotePosition);
    const std::int64_t valueBase = layout->ValueBase == TMakerValueBase::TiffHeader
                                       ? tiffHeader - notePosition
                                       : static_cast<std::int64_t>(layout->MakerNoteBase);
    const bool saved = Owner.BigEndian;
    if (layout->LittleEndian)
        Owner.BigEndian = false;
    else if (layout->ValueBase == TMakerValueBase::MakerNote)
        Owner.BigEndian = nikonNoteBigEndian(Owner.MakerNoteBytes, Owner.BigEndian);
    Owner.WalkMakerDirectory(Owner.MakerNoteBytes, layout->Table, layout->DirectoryOffset,
                             valueBase, tiffHeader);
    Owner.BigEndian = saved;
    return true;
}

void TImageInfo::WalkMakerDirectory(const std::string& makerNote, std::span<const TTagRow> table,
                                    std::size_t directoryOffset, std::int64_t valueBase,
                                    std::int64_t fallbackBase) {
    BufferSwap swap(*this, makerNote);
    std::int64_t taken = 0;
    try {
        const std::size_t size = Buffer.size();
        if (!FitsIn(directoryOffset, 2, size))
            throw ExifFailure("Maker note directory runs past its end");
        const std::size_t count = ReadU16(directoryOffset);
        // A value is never read past the larger of the note and the block.
        const std::size_t limit = std::max(size, swap.block().size());
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t p = directoryOffset + 2 + 12 * i;
            if (!FitsIn(p, 12, size))
                throw ExifFailure("Maker note directory runs past its end");
            if (taken > kMaxMakerBytes)
                break;
            const std::uint16_t number = ReadU16(p);
            const auto type = static_cast<ExifType>(ReadU16(p + 2));
            const std::size_t byteCount = ValueByteCount(ReadU32(p + 4), type, limit);

            std::size_t position = p + 8;
            std::string_view raw;
            if (byteCount <= 4) {
                raw = bytesAt(Buffer, position, byteCount);
            } else {
                // A value that does not lie whole in the note is looked for in the
                // block, counted from its TIFF header. Both positions are unsigned:
                // a stored offset near 2^32 lands past both, never on their start.
                const std::uint32_t stored = ReadU32(p + 8);
                position = PositionOf(stored, valueBase);
                if (FitsIn(position, byteCount, size))
                    raw = bytesAt(Buffer, position, byteCount);
                else
                    raw = bytesAt(swap.block(), PositionOf(stored, fallbackBase), byteCount);
            }
            taken += static_cast<std::int64_t>(raw.size());
            if (MakerSerial.empty())
                MakerSerial = makerSerial(MakeForNames, number, type, raw, BigEndian);

            const TTagRow* row = FindMakerTag(table, number);
            const std::string_view caption = row ? RowCaption(*row) : std::string_view("Unknown");
            if (IsSkipCaption(caption))
                continue;
            // Of the maker notes, naming wants the owner's name alone.
            if (Parent && Parent->NamingFactsOnly && caption != "OwnerName")
                continue;

            std::string presented;
            if (type == ExifType::Ascii) {
                presented = quoted(raw.substr(0, raw.find('\0')));
            } else if (type == ExifType::Undefined) {
                presented = quoted(raw);
            } else {
                try {
                    presented = FormatValue(BigEndian, raw, type, row ? row->ValueCodes : "", "");
                } catch (const std::exception&) {
                    presented = quoted(raw);
                }
            }

            const bool lines = row && row->Decoder && row->DecodesToLines;
            const std::string decoded =
                row && row->Decoder ? row->Decoder(presented) : Printable(presented);
            if (lines) {
                MakerText += decoded;
                AppendLine(MakerText, caption, presented);
            } else {
                AppendLine(MakerText, caption, decoded);
            }
            taken += static_cast<std::int64_t>(presented.size() + decoded.size());

            if (row && row->TagNumber != 0) {
                try {
                    TTagEntry e = TTagEntry::FromRow(*row);
                    e.TagGroup = kMakerGroup;
                    e.ValueText = lines ? presented : decoded;
                    e.RawBytes = std::string(raw);
                    e.RawSize = static_cast<std::int32_t>(raw.size());
                    e.RawPosition = position;
                    e.ValueType = type;
                    e.BigEndianValue = BigEndian;
                    Entries.push_back(std::move(e));
                } catch (const std::exception&) {
                    // An entry that cannot be kept leaves the listing as it is.
                }
            }
        }
    } catch (const std::exception& e) {
        SetError(std::string("Error Detected = ") + e.what());
    }
    // The bytes taken count towards the limit of the whole read.
    bytesConsumed_ += taken;
}

} // namespace varlime
