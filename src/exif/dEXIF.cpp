// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif/dEXIF.h"

#include "core/curseurOctets.h"
#include "core/nameUtils.h"
#include "exif/exifContainers.h"
#include "exif/msData.h"

#include <algorithm>
#include <bitset>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace varlime {

namespace {

// Limits that keep a hostile file from making a read long or large. Real files stay
// far below them (a handful of directories, a few hundred entries, some kilobytes of
// text), so they only ever cut short a read that has gone wrong.
constexpr int kMaxDirectoryDepth = 8;
constexpr int kMaxDirectories = 64;
constexpr std::int64_t kMaxEntriesExamined = 32768;
constexpr std::int64_t kMaxBytesConsumed = 32 * 1024 * 1024;
// What is read of a TIFF file where a directory lies past its first bytes: the
// directory and, as writers place them, its values just after it. A value lying
// elsewhere is read on its own, up to kMaxFarValue bytes.
constexpr std::size_t kFarWindow = 64 * 1024;
constexpr std::size_t kMaxFarValue = 4 * 1024 * 1024;

std::string_view trimBlanksAndControls(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

std::string firstChars(std::string_view s, std::size_t n) {
    return std::string(s.substr(0, utf8Offset(s, n)));
}

} // namespace

// ---------------------------------------------------------------------------
// Offsets

static_assert(sizeof(std::size_t) >= 8,
              "a 32-bit offset added to a buffer position must fit a size_t");

std::size_t PositionOf(std::uint64_t offset, std::int64_t base) {
    if (base >= 0) {
        const auto ahead = static_cast<std::uint64_t>(base);
        return offset < kNowhere - ahead ? ahead + offset : kNowhere;
    }
    // How far before the buffer's start the base lies, taken without negating.
    const std::uint64_t behind = std::uint64_t{0} - static_cast<std::uint64_t>(base);
    return offset >= behind ? offset - behind : kNowhere;
}

std::size_t ValueByteCount(std::uint32_t count, int type, std::size_t limit) {
    const std::size_t capped = std::min<std::size_t>(count, limit + 1);
    return capped * static_cast<std::size_t>(TypeByteSize(type));
}

// ---------------------------------------------------------------------------
// tEndInd

// A number cut by the buffer's end reads its missing bytes as zeros.
std::uint16_t tEndInd::ReadU16(std::size_t offset) const {
    char c[2] = {};
    const auto b = ReadBytes(offset, 2);
    std::copy(b.begin(), b.end(), c);
    return static_cast<std::uint16_t>(octetsEn(BigEndian, {c, 2}, 0, 2));
}

std::uint32_t tEndInd::ReadU32(std::size_t offset) const {
    char c[4] = {};
    const auto b = ReadBytes(offset, 4);
    std::copy(b.begin(), b.end(), c);
    return static_cast<std::uint32_t>(octetsEn(BigEndian, {c, 4}, 0, 4));
}

std::int32_t tEndInd::BytesToInt(std::string_view bytes) const {
    return varlime::BytesToInt(BigEndian, bytes);
}

std::string_view tEndInd::ReadBytes(std::size_t offset, std::size_t n) const {
    if (offset >= Buffer.size())
        return {};
    return std::string_view(Buffer).substr(offset, std::min(n, Buffer.size() - offset));
}

// ---------------------------------------------------------------------------
// TTagEntry

TTagEntry TTagEntry::FromRow(const TTagRow& row) {
    TTagEntry e;
    e.TagNumber = row.TagNumber;
    e.KeyName = row.KeyName;
    e.Caption = RowCaption(row);
    e.ValueCodes = row.ValueCodes;
    e.FormatPattern = row.FormatPattern;
    e.Decoder = row.Decoder;
    e.DecodesToLines = row.DecodesToLines;
    return e;
}

std::size_t TTagEntry::ComponentCount() const {
    const int size = TypeByteSize(ValueType);
    return size > 0 ? RawBytes.size() / static_cast<std::size_t>(size) : 0;
}

double TTagEntry::Number(std::size_t i) const {
    const auto size = static_cast<std::size_t>(TypeByteSize(ValueType));
    if (size == 0 || i >= ComponentCount())
        return 0;
    return ValueAsNumber(BigEndianValue, std::string_view(RawBytes).substr(i * size, size),
                         ValueType);
}

TTagEntry::Rational TTagEntry::RationalAt(std::size_t i) const {
    const auto size = static_cast<std::size_t>(TypeByteSize(ValueType));
    if (size == 0 || i >= ComponentCount())
        return {};
    const std::string_view c = std::string_view(RawBytes).substr(i * size, size);
    if (ValueType == ExifType::Rational)
        return {BytesToUnsigned(BigEndianValue, c.substr(0, 4)),
                BytesToUnsigned(BigEndianValue, c.substr(4, 4))};
    if (ValueType == ExifType::SRational)
        return {BytesToInt(BigEndianValue, c.substr(0, 4)),
                BytesToInt(BigEndianValue, c.substr(4, 4))};
    if (ValueType == ExifType::Float || ValueType == ExifType::Double)
        return {};
    return {static_cast<std::int64_t>(ValueAsNumber(BigEndianValue, c, ValueType)), 1};
}

// ---------------------------------------------------------------------------
// TImageInfo

TImageInfo::TImageInfo(TimgData* parent) : Parent(parent) {
    // Completes the table captions once per process, before any walk needs them.
    (void)RowCaption(MainTagTable()[0]);
    // Room for a camera's usual entries at once, instead of moving them as they come.
    Entries.reserve(32);
}

void TImageInfo::AppendLine(std::string& listing, std::string_view caption,
                            std::string_view value) {
    listing += "\r\n";
    listing += caption;
    listing += " = ";
    listing += value;
}

void TImageInfo::SetError(std::string text) {
    if (Parent)
        Parent->ErrorText = std::move(text);
}

double TImageInfo::ValueAsNumber(std::string_view raw, int type) const {
    return varlime::ValueAsNumber(BigEndian, raw, type);
}

namespace {

// The tags of kTagsForNames.
bool neededForNames(TDirGroup group, std::uint16_t tag) {
    static const std::bitset<0x10000> needed = [] {
        std::bitset<0x10000> b;
        for (std::uint16_t t : kTagsForNames)
            b.set(t);
        return b;
    }();
    return group != TDirGroup::Gps && needed.test(tag);
}

// A serial number as recorded: text up to its first zero byte, without blanks around.
std::string serialText(std::string_view raw) {
    return BytesAsText(trimBlanksAndControls(raw.substr(0, raw.find('\0'))));
}

} // namespace

bool TImageInfo::followSubDirectory(std::size_t valuePosition, std::int64_t base,
                                    std::size_t length, TDirGroup group) {
    const std::uint32_t offset = ReadU32(valuePosition);
    const std::size_t target = PositionOf(offset, base);
    // In a TIFF file read in part, a directory past the bytes at hand is read from the
    // file where it lies.
    if (FileBytes && !(FitsIn(target, 2, Buffer.size()) &&
                       FitsIn(target, 2 + std::size_t{12} * ReadU16(target), Buffer.size())))
        return WalkFileDirectory(offset, group);
    if (std::find(visited_.begin(), visited_.end(), std::make_pair(target, base)) != visited_.end())
        return false;
    if (depth_ >= kMaxDirectoryDepth || directoriesWalked_ >= kMaxDirectories)
        return false;
    ++depth_;
    try {
        WalkDirectory(target, base, length, group);
    } catch (const std::exception&) {
        // A sub-directory that cannot be read does not spoil the rest of the read.
    }
    --depth_;
    return true;
}

bool TImageInfo::WalkFileDirectory(std::uint64_t offset, TDirGroup group) {
    if (!FileBytes || offset + 2 > FileSize)
        return false;
    const std::int64_t base = -static_cast<std::int64_t>(offset);
    if (std::find(visited_.begin(), visited_.end(), std::make_pair(std::size_t{0}, base)) !=
        visited_.end())
        return false;
    if (depth_ >= kMaxDirectoryDepth || directoriesWalked_ >= kMaxDirectories)
        return false;
    std::string window = FileBytes(offset, kFarWindow);
    if (window.size() < 2)
        return false;
    // The walk reads Buffer: the bytes at the directory take its place meanwhile.
    Buffer.swap(window);
    ++depth_;
    try {
        WalkDirectory(0, base, static_cast<std::size_t>(FileSize), group);
    } catch (const std::exception&) {
    }
    --depth_;
    Buffer.swap(window);
    return true;
}

void TImageInfo::WalkDirectory(std::size_t start, std::int64_t base, std::size_t length,
                               TDirGroup group) {
    visited_.emplace_back(start, base);
    ++directoriesWalked_;
    const std::size_t count = ReadU16(start);
    // A directory must lie inside the buffer and its entries inside the data.
    const std::size_t dataEnd = std::min(PositionOf(length, base), Buffer.size());
    if (!FitsIn(start, 2 + 12 * count, dataEnd)) {
        SetError("Illegally sized directory");
        return;
    }
    const bool naming = Parent && Parent->NamingFactsOnly;
    for (std::size_t i = 0; i < count; ++i) {
        if (++entriesExamined_ > kMaxEntriesExamined || bytesConsumed_ > kMaxBytesConsumed)
            return;
        // Every entry lies inside the buffer (checked above): its 12 bytes are read in
        // place. The buffer is looked at afresh for each, as a maker-note walk lends it.
        const std::string_view bytes = Buffer;
        const bool big = BigEndian;
        auto u16 = [bytes, big](std::size_t at) {
            return static_cast<std::uint16_t>(octetsEn(big, bytes, at, 2));
        };
        auto u32 = [bytes, big](std::size_t at) {
            return static_cast<std::uint32_t>(octetsEn(big, bytes, at, 4));
        };
        const std::size_t p = start + 2 + 12 * i;
        if (!FitsIn(p, 12, Buffer.size()))
            return;
        const std::uint16_t tag = u16(p);
        const auto type = static_cast<ExifType>(u16(p + 2));
        std::size_t byteCount = ValueByteCount(u32(p + 4), type, Buffer.size());
        if (byteCount == 0)
            continue;
        const std::uint32_t storedOffset = u32(p + 8);
        const std::size_t valuePosition = byteCount <= 4 ? p + 8 : PositionOf(storedOffset, base);
        if (naming && !neededForNames(group, tag)) {
            // The bytes the entry would have given count as taken, as in a full read.
            if (valuePosition < Buffer.size())
                bytesConsumed_ +=
                    static_cast<std::int64_t>(std::min(byteCount, Buffer.size() - valuePosition));
            continue;
        }
        std::string_view raw = ReadBytes(valuePosition, byteCount);
        // A value past the bytes at hand of a TIFF file read in part is read where it
        // lies in the file.
        std::string farValue;
        if (byteCount > 4 && FileBytes && raw.size() < byteCount) {
            byteCount = ValueByteCount(u32(p + 4), type, kMaxFarValue);
            // Past the file's 8-byte header, as a value must lie.
            if (byteCount <= kMaxFarValue && storedOffset >= 8 && storedOffset < FileSize) {
                farValue = FileBytes(storedOffset, byteCount);
                raw = farValue;
            }
        }
        bytesConsumed_ += static_cast<std::int64_t>(raw.size());

        const TTagRow& row = LookupTag(group, tag);
        // Naming takes numbers from the raw bytes: of the values as text, it keeps the
        // make, the model and the date alone, and lists nothing.
        const bool asText = !naming || tag == tag::Make || tag == tag::Model ||
                            tag == tag::ModifyDate || tag == tag::DateTimeOriginal ||
                            tag == tag::CreateDate;
        std::string value;
        if (asText) {
            if (type == ExifType::Ascii) {
                std::string_view text = raw;
                if (!text.empty() && text.back() == '\0')
                    text.remove_suffix(1);
                value = BytesAsText(text);
            } else if (type == ExifType::Undefined) {
                value = '"' + BytesAsText(raw.substr(0, raw.find('\0'))) + '"';
            } else {
                value = FormatValue(BigEndian, raw, type, row.ValueCodes, row.FormatPattern);
            }
            if (row.TagNumber != 0 && row.Decoder)
                value = row.Decoder(value);
            else
                value = Printable(value);
        }

        if (tag == tag::UserComment) {
            // Skips the 8-byte character-code header and the last byte.
            const std::string_view text =
                raw.size() > 9 ? raw.substr(8, raw.size() - 9) : std::string_view();
            value = BytesAsText(trimBlanksAndControls(text));
        }

        if (!naming) {
            const std::string_view caption = RowCaption(row);
            AppendLine(ExifText, caption, value);
            bytesConsumed_ += static_cast<std::int64_t>(caption.size() + value.size() + 5);
        }

        switch (tag) {
        case tag::ImageWidth:
        case tag::ExifImageWidth:
            PixelWidth = RoundHalfEven(ValueAsNumber(raw, type));
            break;
        case tag::ImageHeight:
        case tag::ExifImageHeight:
            PixelHeight = RoundHalfEven(ValueAsNumber(raw, type));
            break;
        case tag::Make:
            CameraMake = firstChars(value, 32);
            MakeForNames = firstChars(BytesAsText(raw.substr(0, raw.find('\0'))), 32);
            break;
        case tag::Model:
            CameraModel = firstChars(value, 40);
            ModelForNames = firstChars(BytesAsText(raw.substr(0, raw.find('\0'))), 40);
            break;
        case tag::ModifyDate:
        case tag::DateTimeOriginal:
            DateTimeText = firstChars(value, 20);
            if (std::string& date = tag == tag::ModifyDate ? ModifyDateText : OriginalDateText;
                date.empty())
                date = firstChars(value, 20);
            break;
        case tag::CreateDate:
            if (DigitizedDateText.empty())
                DigitizedDateText = firstChars(value, 20);
            break;
        case tag::XmpPacket:
            if (XmpPacket.empty() && group == TDirGroup::Main)
                XmpPacket = std::string(raw);
            break;
        case tag::IptcRecords:
            if (IptcRecords.empty() && group == TDirGroup::Main)
                IptcRecords = std::string(raw);
            break;
        case tag::ExifVersion:
            ExifVersionText = std::string(raw.substr(0, 6));
            break;
        case tag::Flash:
            FlashValue = RoundHalfEven(ValueAsNumber(raw, type));
            break;
        case tag::BodySerialNumber:
        case tag::CameraSerialNumber:
            // The EXIF serial comes before a DNG's.
            if (group == TDirGroup::Main &&
                (BodySerial.empty() || (tag == tag::BodySerialNumber && !exifSerial_))) {
                if (std::string serial = serialText(raw); !serial.empty()) {
                    BodySerial = std::move(serial);
                    exifSerial_ = tag == tag::BodySerialNumber;
                }
            }
            break;
        case tag::MakerNote:
            MakerNoteBytes = std::string(raw);
            // Read from the file: placed where a buffer of the whole file from its
            // eighth byte on would hold it, as a TIFF's maker note is looked for.
            MakerNotePosition = FileBytes ? PositionOf(storedOffset, -8) : valuePosition;
            // One maker note per read: a file repeating the tag gets no second walk.
            if (!makerNoteRead_) {
                makerNoteRead_ = true;
                try {
                    TmsInfo(IsTiff, *this).ReadMakerNote();
                } catch (const std::exception& e) {
                    SetError(std::string("Error Detected = ") + e.what());
                }
            }
            break;
        case tag::SubIfds:
        case tag::ExifIfd:
        case tag::InteropIfd:
            followSubDirectory(valuePosition, base, length, TDirGroup::Main);
            break;
        case tag::GpsIfd:
            followSubDirectory(valuePosition, base, length, TDirGroup::Gps);
            break;
        default:
            break;
        }

        // The maker notes were read above; naming needs no second copy of them.
        if (row.TagNumber != 0 && !(tag == tag::MakerNote && naming)) {
            // Naming finds its entries by tag number and reads their raw bytes: it
            // needs no caption, value codes or pattern copied from the table.
            TTagEntry e;
            if (naming) {
                e.TagNumber = row.TagNumber;
                e.KeyName = row.KeyName;
            } else {
                e = TTagEntry::FromRow(row);
            }
            e.ValueText = std::move(value);
            e.RawBytes = std::string(raw);
            e.RawSize = static_cast<std::int32_t>(raw.size());
            e.RawPosition = valuePosition;
            e.ValueType = type;
            e.BigEndianValue = BigEndian;
            Entries.push_back(std::move(e));
        }
    }
}

void TImageInfo::ReadMakerNoteAt(std::size_t position, std::int64_t tiffHeader) {
    if (makerNoteRead_ || position >= Buffer.size())
        return;
    makerNoteRead_ = true;
    MakerNoteBytes.assign(Buffer, position);
    MakerNotePosition = position;
    try {
        TmsInfo reader(IsTiff, *this);
        reader.TiffHeaderAt = tiffHeader;
        reader.ReadMakerNote();
    } catch (const std::exception& e) {
        SetError(std::string("Error Detected = ") + e.what());
    }
}

const TTagEntry* TImageInfo::EntryByTag(std::uint16_t tag, std::int32_t group) const {
    for (const TTagEntry& e : Entries)
        if (e.TagNumber == tag && e.TagGroup == group)
            return &e;
    return nullptr;
}

namespace {

std::int32_t integerOf(const TTagEntry* e) {
    return e ? RoundHalfEven(e->Number()) : 0;
}

struct SensorFacts {
    const TTagEntry *recorded, *focal, *unit, *xRes, *yRes;
    double width, height; // the camera's own picture size, as recorded
    bool canon;
};

// The sensor's diagonal in millimetres from Canon's focal-plane resolutions, whose
// numerators are the camera's own picture size times 1000 and whose denominators are
// the sensor's size in thousandths of an inch: they describe the sensor whatever an
// editor did to the picture's size since.
std::optional<double> canonSensorDiagonal(const TTagEntry* x, const TTagEntry* y) {
    if (!x || !y || x->ComponentCount() != 1 || y->ComponentCount() != 1)
        return std::nullopt;
    const TTagEntry::Rational rx = x->RationalAt(), ry = y->RationalAt();
    const bool picture = rx.num % 1000 == 0 && ry.num % 1000 == 0 && rx.num >= 640000 &&
                         ry.num >= 480000 && rx.num < 10000000 && ry.num < 10000000;
    const bool sensor = rx.den >= 61 && rx.den < 1500 && ry.den >= 61 && ry.den < 1000;
    if (!picture || !sensor || rx.den == ry.den)
        return std::nullopt;
    return std::hypot(double(rx.den), double(ry.den)) * 0.0254;
}

// The 35 mm equivalent focal length a name shows: the recorded one; else the focal
// length scaled by the sensor's diagonal, taken from Canon's focal-plane resolutions or
// from the focal-plane resolution and the recorded picture size. A sensor that comes out
// smaller than a millimetre or larger than 10 cm across (a resized copy, a wrong unit)
// gives nothing rather than a focal length off by a factor.
std::optional<double> focal35ForNames(const SensorFacts& f) {
    if (f.recorded && f.recorded->Number() > 0)
        return std::nearbyint(f.recorded->Number() * 100) / 100;
    const double focal = f.focal ? f.focal->Number() : 0;
    if (!(focal > 0) || !std::isfinite(focal))
        return std::nullopt;
    std::optional<double> diagonal = f.canon ? canonSensorDiagonal(f.xRes, f.yRes) : std::nullopt;
    if (!diagonal) {
        // Millimetres per unit of the resolution; inches when the unit is not said.
        const int unit = integerOf(f.unit);
        const double mm = unit == 3 ? 10.0 : unit == 4 ? 1.0 : unit == 5 ? 0.001 : 25.4;
        const double xRes = f.xRes ? f.xRes->Number() : 0;
        const double yRes = f.yRes ? f.yRes->Number() : xRes;
        if (!(xRes > 0) || !(yRes > 0) || !(f.width > 0) || !(f.height > 0) ||
            f.width / f.height <= 0.5 || f.width / f.height >= 2)
            return std::nullopt;
        diagonal = std::hypot(f.width * mm / xRes, f.height * mm / yRes);
        if (!(*diagonal > 1 && *diagonal < 100))
            return std::nullopt;
    }
    // 43.26661531 mm is the diagonal of a 36 x 24 mm frame.
    const double focal35 = focal * 43.26661531 / *diagonal;
    if (!std::isfinite(focal35))
        return std::nullopt;
    return std::nearbyint(focal35 * 100) / 100;
}

} // namespace

void TImageInfo::DeriveFocal35() {
    // The entries it is worked out from, found in one pass: the first of each tag (of
    // either tag where two carry the same value), in list order.
    const TTagEntry *relatedWidth = nullptr, *relatedHeight = nullptr, *recorded = nullptr,
                    *focalEntry = nullptr, *unitEntry = nullptr, *tiffUnit = nullptr,
                    *xResEntry = nullptr, *yResEntry = nullptr;
    for (const TTagEntry& e : Entries) {
        if (e.TagGroup != kExifGroup)
            continue;
        const TTagEntry** slot = nullptr;
        switch (e.TagNumber) {
        case tag::RelatedImageWidth:
            slot = &relatedWidth;
            break;
        case tag::RelatedImageHeight:
            slot = &relatedHeight;
            break;
        case tag::FocalLengthIn35mmFormat:
            slot = &recorded;
            break;
        case tag::FocalLength:
            slot = &focalEntry;
            break;
        case tag::FocalPlaneResolutionUnitOld:
        case tag::FocalPlaneResolutionUnit:
            slot = &unitEntry;
            break;
        case tag::ResolutionUnit:
            slot = &tiffUnit;
            break;
        case tag::FocalPlaneXResolutionOld:
        case tag::FocalPlaneXResolution:
            slot = &xResEntry;
            break;
        case tag::FocalPlaneYResolutionOld:
        case tag::FocalPlaneYResolution:
            slot = &yResEntry;
            break;
        default:
            break;
        }
        if (slot && !*slot)
            *slot = &e;
    }
    // The sizes the sensor is worked out from: the related image's when recorded.
    const double width = relatedWidth ? integerOf(relatedWidth) : PixelWidth;
    const double height = relatedHeight ? integerOf(relatedHeight) : PixelHeight;
    Focal35ForNames = focal35ForNames({recorded, focalEntry, unitEntry ? unitEntry : tiffUnit,
                                       xResEntry, yResEntry, width, height,
                                       std::string_view(MakeForNames).starts_with("Canon")});
    if (recorded)
        return;
    int unit = integerOf(unitEntry);
    if (unit < 1)
        unit = integerOf(tiffUnit);
    const double mmPerUnit = unit == 2 ? 25.4 : unit == 3 ? 10.0 : 0.0;
    const double focal = focalEntry ? focalEntry->Number() : 0;
    if (mmPerUnit == 0 || focal == 0)
        return;
    const int xRes = integerOf(xResEntry);
    const double sensorWidth = xRes > 0 ? width * mmPerUnit / xRes : 0;
    const int yRes = integerOf(yResEntry);
    const double sensorHeight = yRes > 0 ? height * mmPerUnit / yRes : 0;
    if (!(sensorWidth * sensorHeight > 0))
        return;
    // 43.26661531 mm is the diagonal of a 36 x 24 mm frame.
    const double focal35 =
        focal * 43.26661531 / std::sqrt(sensorWidth * sensorWidth + sensorHeight * sensorHeight);
    for (const auto& row : MainTagTable()) {
        if (row.TagNumber != tag::FocalLengthIn35mmFormat)
            continue;
        TTagEntry e = TTagEntry::FromRow(row);
        e.ValueType = ExifType::SRational;
        e.ValueText = FormatNumber("%5.2f", focal35);
        e.FormatPattern = "%s mm";
        // The typed value is the one listed: hundredths of a millimetre.
        const double hundredths = std::nearbyint(focal35 * 100);
        if (std::abs(hundredths) < 2147483647.0) {
            const auto n = static_cast<std::uint32_t>(static_cast<std::int32_t>(hundredths));
            e.BigEndianValue = false;
            for (std::uint32_t v : {n, 100u})
                for (int i = 0; i < 4; ++i)
                    e.RawBytes += static_cast<char>((v >> (8 * i)) & 0xFF);
            e.RawSize = 8;
        }
        if (!(Parent && Parent->NamingFactsOnly))
            AppendLine(ExifText, "Focal Length in 35mm Film", e.ValueText);
        Entries.push_back(std::move(e));
        break;
    }
}

} // namespace varlime
