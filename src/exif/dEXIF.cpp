#include "exif/dEXIF.h"

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

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

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

std::uint16_t tEndInd::ReadU16(std::size_t offset) const {
    const auto b = ReadBytes(offset, 2);
    unsigned char c[2] = {0, 0};
    for (std::size_t i = 0; i < b.size(); ++i)
        c[i] = static_cast<unsigned char>(b[i]);
    return BigEndian ? static_cast<std::uint16_t>((c[0] << 8) | c[1])
                     : static_cast<std::uint16_t>((c[1] << 8) | c[0]);
}

std::uint32_t tEndInd::ReadU32(std::size_t offset) const {
    const auto b = ReadBytes(offset, 4);
    unsigned char c[4] = {0, 0, 0, 0};
    for (std::size_t i = 0; i < b.size(); ++i)
        c[i] = static_cast<unsigned char>(b[i]);
    return BigEndian ? (std::uint32_t{c[0]} << 24) | (std::uint32_t{c[1]} << 16) |
                           (std::uint32_t{c[2]} << 8) | c[3]
                     : (std::uint32_t{c[3]} << 24) | (std::uint32_t{c[2]} << 16) |
                           (std::uint32_t{c[1]} << 8) | c[0];
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
    if (ValueType == 5)
        return {BytesToUnsigned(BigEndianValue, c.substr(0, 4)),
                BytesToUnsigned(BigEndianValue, c.substr(4, 4))};
    if (ValueType == 10)
        return {BytesToInt(BigEndianValue, c.substr(0, 4)),
                BytesToInt(BigEndianValue, c.substr(4, 4))};
    if (ValueType == 11 || ValueType == 12)
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

// The tags a name is made from, those the 35 mm focal length is worked out from, and
// those leading to them.
bool neededForNames(TDirGroup group, std::uint16_t tag) {
    static const std::bitset<0x10000> needed = [] {
        std::bitset<0x10000> b;
        for (std::uint16_t t : {
                 0x010F, 0x0110, 0x0132, 0x9003, // make, model, the two dates
                 0x0100, 0x0101, 0xA002, 0xA003, // pixel sizes
                 0x1001, 0x1002,                 // the related image's sizes
                 0x927C,                         // maker notes (the owner's name)
                 0x014A, 0x8769, 0xA005,         // sub-directories
                 0x829D, 0x9202,                 // f-number, aperture value
                 0x829A, 0x9201,                 // exposure time, shutter speed
                 0x920A, 0xA405,                 // focal lengths
                 0x0112,                         // orientation
                 0x0128, 0x9210, 0xA210,         // resolution units
                 0x920E, 0x920F, 0xA20E, 0xA20F, // focal-plane resolutions
             })
            b.set(t);
        return b;
    }();
    return group != TDirGroup::Gps && needed.test(tag);
}

} // namespace

bool TImageInfo::followSubDirectory(std::size_t valuePosition, std::int64_t base,
                                    std::size_t length, TDirGroup group) {
    const std::size_t target = PositionOf(ReadU32(valuePosition), base);
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
        const auto* bytes = reinterpret_cast<const unsigned char*>(Buffer.data());
        const bool big = BigEndian;
        auto u16 = [bytes, big](std::size_t at) {
            return static_cast<std::uint16_t>(big ? (bytes[at] << 8) | bytes[at + 1]
                                                  : (bytes[at + 1] << 8) | bytes[at]);
        };
        auto u32 = [bytes, big](std::size_t at) {
            const std::uint32_t a = bytes[at], b = bytes[at + 1], c = bytes[at + 2],
                                d = bytes[at + 3];
            return big ? (a << 24) | (b << 16) | (c << 8) | d
                       : (d << 24) | (c << 16) | (b << 8) | a;
        };
        const std::size_t p = start + 2 + 12 * i;
        if (!FitsIn(p, 12, Buffer.size()))
            return;
        const std::uint16_t tag = u16(p);
        const int type = u16(p + 2);
        const std::size_t byteCount = ValueByteCount(u32(p + 4), type, Buffer.size());
        if (byteCount == 0)
            continue;
        const std::size_t valuePosition = byteCount <= 4 ? p + 8 : PositionOf(u32(p + 8), base);
        if (naming && !neededForNames(group, tag)) {
            // The bytes the entry would have given count as taken, as in a full read.
            if (valuePosition < Buffer.size())
                bytesConsumed_ +=
                    static_cast<std::int64_t>(std::min(byteCount, Buffer.size() - valuePosition));
            continue;
        }
        const std::string_view raw = ReadBytes(valuePosition, byteCount);
        bytesConsumed_ += static_cast<std::int64_t>(raw.size());

        const TTagRow& row = LookupTag(group, tag);
        // Naming takes numbers from the raw bytes: of the values as text, it keeps the
        // make, the model and the date alone, and lists nothing.
        const bool asText =
            !naming || tag == 0x010F || tag == 0x0110 || tag == 0x0132 || tag == 0x9003;
        std::string value;
        if (asText) {
            if (type == 2) {
                std::string_view text = raw;
                if (!text.empty() && text.back() == '\0')
                    text.remove_suffix(1);
                value = BytesAsText(text);
            } else if (type == 7) {
                value = '"' + BytesAsText(raw.substr(0, raw.find('\0'))) + '"';
            } else {
                value = FormatValue(BigEndian, raw, type, row.ValueCodes, row.FormatPattern);
            }
            if (row.TagNumber != 0 && row.Decoder)
                value = row.Decoder(value);
            else
                value = Printable(value);
        }

        if (tag == 0x9286) {
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
        case 0x0100:
        case 0xA002:
            PixelWidth = RoundHalfEven(ValueAsNumber(raw, type));
            break;
        case 0x0101:
        case 0xA003:
            PixelHeight = RoundHalfEven(ValueAsNumber(raw, type));
            break;
        case 0x010F:
            CameraMake = firstChars(value, 32);
            MakeForNames = firstChars(BytesAsText(raw.substr(0, raw.find('\0'))), 32);
            break;
        case 0x0110:
            CameraModel = firstChars(value, 40);
            ModelForNames = firstChars(BytesAsText(raw.substr(0, raw.find('\0'))), 40);
            break;
        case 0x0132:
        case 0x9003:
            DateTimeText = firstChars(value, 20);
            break;
        case 0x9000:
            ExifVersionText = std::string(raw.substr(0, 6));
            break;
        case 0x9209:
            FlashValue = RoundHalfEven(ValueAsNumber(raw, type));
            break;
        case 0x927C:
            MakerNoteBytes = std::string(raw);
            MakerNotePosition = valuePosition;
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
        case 0x014A:
        case 0x8769:
        case 0xA005:
            followSubDirectory(valuePosition, base, length, TDirGroup::Main);
            break;
        case 0x8825:
            followSubDirectory(valuePosition, base, length, TDirGroup::Gps);
            break;
        default:
            break;
        }

        // The maker notes were read above; naming needs no second copy of them.
        if (row.TagNumber != 0 && !(tag == 0x927C && naming)) {
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
            e.ValueType = static_cast<std::uint16_t>(type);
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

int TImageInfo::FindEntryByName(std::string_view name) const {
    for (std::size_t i = 0; i < Entries.size(); ++i)
        if (equalsNoCase(Entries[i].KeyName, name))
            return static_cast<int>(i);
    return -1;
}

std::string TImageInfo::EntryValueByName(std::string_view name) const {
    const int i = FindEntryByName(name);
    return i < 0 ? std::string() : Entries[static_cast<std::size_t>(i)].ValueText;
}

TTagEntry TImageInfo::EntryByName(std::string_view name) const {
    const int i = FindEntryByName(name);
    return i < 0 ? TTagEntry() : Entries[static_cast<std::size_t>(i)];
}

double TImageInfo::EntryNumber(std::string_view name) const {
    const int i = FindEntryByName(name);
    if (i < 0)
        return 0;
    const TTagEntry& e = Entries[static_cast<std::size_t>(i)];
    if (e.TagNumber == 0)
        return 0;
    return ValueAsNumber(e.RawBytes, e.ValueType);
}

std::int32_t TImageInfo::EntryInteger(std::string_view name) const {
    return RoundHalfEven(EntryNumber(name));
}

namespace {

std::int32_t integerOf(const TTagEntry* e) {
    return e ? RoundHalfEven(e->Number()) : 0;
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
        case 0x1001:
            slot = &relatedWidth;
            break;
        case 0x1002:
            slot = &relatedHeight;
            break;
        case 0xA405:
            slot = &recorded;
            break;
        case 0x920A:
            slot = &focalEntry;
            break;
        case 0x9210:
        case 0xA210:
            slot = &unitEntry;
            break;
        case 0x0128:
            slot = &tiffUnit;
            break;
        case 0x920E:
        case 0xA20E:
            slot = &xResEntry;
            break;
        case 0x920F:
        case 0xA20F:
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
        if (row.TagNumber != 0xA405)
            continue;
        TTagEntry e = TTagEntry::FromRow(row);
        e.ValueType = 10;
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

std::int32_t RelatedImageDimension(const TImageInfo& info, int which) {
    const std::string_view label = which == 0 ? "Related Image Height" : "Related Image Width";
    const std::int32_t fallback = which == 0 ? info.PixelHeight : info.PixelWidth;
    const auto at = info.ExifText.find(label);
    if (at == std::string::npos)
        return fallback;
    const auto from = at + label.size() + 3;
    if (from > info.ExifText.size())
        return fallback;
    const auto end = info.ExifText.find('\r', from);
    int v;
    if (!toInteger(std::string_view(info.ExifText).substr(from, end - from), v))
        return fallback;
    return v;
}

// ---------------------------------------------------------------------------
// TimgData

// Buffered reading of a file opened by the reader; a read error counts as the end
// of the file.
class TimgData::Source {
public:
    // `first`: how many bytes the first read takes (at most the buffer's size); the
    // following reads fill the buffer.
    Source(int fd, std::vector<unsigned char>& buf, std::uint64_t& counter, std::size_t first)
        : fd_(fd), buf_(buf), counter_(counter), next_(std::min(first, buf.size())) {}

    bool byte(unsigned char& b) {
        if (pos_ == len_ && !refill())
            return false;
        b = buf_[pos_++];
        return true;
    }

    // The bytes read ahead and not taken yet, reading the first block when there are none.
    std::string_view peek() {
        if (pos_ == len_ && !refill())
            return {};
        return std::string_view(reinterpret_cast<const char*>(buf_.data() + pos_), len_ - pos_);
    }

    // Passes over n bytes already read ahead; false when fewer are.
    bool skip(std::size_t n) {
        if (n > len_ - pos_)
            return false;
        pos_ += n;
        return true;
    }

    // Copies up to n bytes to `to`; returns how many were copied.
    std::size_t readInto(char* to, std::size_t n) {
        std::size_t done = 0;
        while (done < n) {
            if (pos_ == len_) {
                // What the buffer no longer holds goes straight to its place, unless
                // it is small enough to come with the next bytes in one read.
                if (n - done >= kDirect)
                    return done + readDirect(to + done, n - done);
                if (!refill())
                    break;
            }
            const std::size_t take = std::min(n - done, len_ - pos_);
            std::memcpy(to + done, buf_.data() + pos_, take);
            pos_ += take;
            done += take;
        }
        return done;
    }

    // Appends up to n bytes to out; returns how many were appended.
    std::size_t read(std::string& out, std::size_t n) {
        std::size_t done = std::min(n, len_ - pos_);
        out.append(reinterpret_cast<const char*>(buf_.data() + pos_), done);
        pos_ += done;
        if (done == n)
            return done;
        // The rest of a long segment is read straight into it, not through the buffer:
        // a camera's EXIF block often runs past the first read.
        const std::size_t old = out.size();
        out.resize(old + (n - done));
        const std::size_t more = readInto(out.data() + old, n - done);
        out.resize(old + more);
        return done + more;
    }

private:
    bool refill() {
        if (eof_)
            return false;
        const std::size_t want = next_;
        next_ = buf_.size();
        for (;;) {
            const ssize_t r = ::read(fd_, buf_.data(), want);
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0) {
                eof_ = true;
                return false;
            }
            pos_ = 0;
            len_ = static_cast<std::size_t>(r);
            counter_ += len_;
            return true;
        }
    }

    // Reads up to n bytes from the file to `to`, the buffer being empty.
    std::size_t readDirect(char* to, std::size_t n) {
        std::size_t done = 0;
        while (done < n && !eof_) {
            const ssize_t r = ::read(fd_, to + done, n - done);
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0) {
                eof_ = true;
                break;
            }
            done += static_cast<std::size_t>(r);
            counter_ += static_cast<std::size_t>(r);
        }
        return done;
    }

    static constexpr std::size_t kDirect = 4096;

    int fd_;
    std::vector<unsigned char>& buf_;
    std::uint64_t& counter_;
    std::size_t next_;
    std::size_t pos_ = 0, len_ = 0;
    bool eof_ = false;
};

TimgData::TimgData() : readBuffer_(64 * 1024) {
    Reset();
}
TimgData::~TimgData() = default;

void TimgData::Reset() {
    // The naming walk borrowed the EXIF segment's bytes; its memory serves the next file.
    if (ExifInfo && NamingFactsOnly && !ExifInfo->IsTiff && ExifSegment > 0)
        Segments[static_cast<std::size_t>(ExifSegment)].Bytes.swap(ExifInfo->Buffer);
    SegmentCount = 0;
    ExifSegment = IptcSegment = CommentSegment = 0;
    LoadedFileName.clear();
    LoadedFileTime = 0;
    LoadedFileSize = 0;
    LoadedFileStat = {};
    ErrorText.clear();
    if (ExifInfo && ExifInfo->IsTiff)
        tiffBuffer_.swap(ExifInfo->Buffer);
    ExifInfo.reset();
    BigEndian = false;
    IsTiffSource = false;
}

bool TimgData::ReadImageFile(const std::string& path) {
    Reset();
    if (path.empty())
        return false;
    try {
        const auto slash = path.rfind('/');
        const std::string_view name =
            std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
        // The eight extensions that have always been read by name are read as their
        // name says; any other file is recognised by its first bytes.
        const Container byName = containerByName(name);

        // Every file is opened at once and its facts taken from the open file; only a
        // regular file is read. Non-blocking, so that a named pipe cannot hang the reader.
        struct File {
            int fd = -1;
            ~File() {
                if (fd >= 0)
                    ::close(fd);
            }
        } file;
        struct stat st {};
        file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (file.fd >= 0 && ::fstat(file.fd, &st) != 0) {
            ::close(file.fd);
            file.fd = -1;
        }
        if (file.fd < 0 && ::stat(path.c_str(), &st) != 0)
            return false;
        LoadedFileName = path;
        LoadedFileStat = st;
        LoadedFileTime = static_cast<std::int64_t>(st.st_mtime);
        LoadedFileSize = static_cast<std::int32_t>(
            std::min<long long>(st.st_size, std::numeric_limits<std::int32_t>::max()));
        ErrorText = "Not an EXIF file";
        // Only regular files are read.
        const bool readable = file.fd >= 0 && S_ISREG(st.st_mode);
        if (byName != Container::None && !readable) {
            ErrorText = "Illegal Exif construction";
            return false;
        }
        if (!readable)
            return false;
        // Naming needs the EXIF block alone, which a camera writes within the first
        // kilobytes: a first read of 16 KiB finds most of them whole, and the rest of a
        // longer one is read on its own.
        Source in(file.fd, readBuffer_, TotalBytesRead,
                  NamingFactsOnly ? kNamingFirstRead : readBuffer_.size());
        Container container = byName;
        if (container == Container::None) {
            // The first block read tells what the file is, and serves the read that follows.
            container = containerOfBytes(in.peek().substr(0, 16));
            if (container == Container::None)
                return false;
        }
        bool ok = false;
        if (container == Container::Jpeg)
            ok = readJpeg(in);
        else if (container == Container::Tiff)
            ok = readTiff(in);
        else
            ok = readContainer(file.fd, static_cast<std::uint64_t>(st.st_size), container, in);
        IsTiffSource = false;
        if (ok)
            ErrorText = "<none>";
        return ok;
    } catch (...) {
        IsTiffSource = false;
        ErrorText = "Illegal Exif construction";
        return false;
    }
}

bool TimgData::readContainer(int fd, std::uint64_t size, Container container, Source& in) {
    FileWindow window(fd, size, in.peek());
    ContainerFind found = findExif(window, container);
    TotalBytesRead += window.bytesRead();
    if (found.jpegOffset) {
        // A JPEG inside the file, read from its first byte as a JPEG file is: from the
        // block already read when it starts there.
        if (in.skip(static_cast<std::size_t>(std::min<std::uint64_t>(*found.jpegOffset, SIZE_MAX))))
            return readJpeg(in);
        if (::lseek(fd, static_cast<off_t>(*found.jpegOffset), SEEK_SET) < 0)
            return false;
        Source from(fd, readBuffer_, TotalBytesRead, readBuffer_.size());
        return readJpeg(from);
    }
    if (found.parts.empty()) {
        if (!found.error.empty())
            ErrorText = found.error;
        return false;
    }
    // The first structure takes the place of a JPEG's EXIF segment (its two length
    // bytes and "Exif\0\0" before the TIFF header), so that it is listed, named and
    // dumped exactly as a JPEG's; the others are walked after it.
    tSection& slot = Segments[1];
    slot.Bytes.assign("\0\0Exif\0\0", 8);
    slot.Bytes += found.parts.front().bytes;
    slot.Marker = 0xE1;
    slot.Size = slot.Bytes.size();
    SegmentCount = 1;
    ExifSegment = 1;
    ExifInfo = std::make_unique<TImageInfo>(this);
    found.parts.erase(found.parts.begin());
    openJpegExif(1, found.parts);
    return true;
}

bool TimgData::readJpeg(Source& in) {
    IsTiffSource = false;
    try {
        return segmentWalk(in);
    } catch (const std::exception&) {
        return false;
    }
}

bool TimgData::segmentWalk(Source& in) {
    unsigned char a, b;
    if (!in.byte(a) || !in.byte(b) || a != 0xFF || b != 0xD8)
        return false;
    SegmentCount = 0;
    while (SegmentCount < kMaxSegments) {
        unsigned char marker;
        do {
            if (!in.byte(marker))
                return ExifSegment || IptcSegment || CommentSegment;
        } while (marker == 0xFF);
        ++SegmentCount;
        tSection& slot = Segments[static_cast<std::size_t>(SegmentCount)];
        slot.Marker = marker;
        slot.Size = 0;
        slot.Bytes.clear();
        if (in.read(slot.Bytes, 2) < 2)
            continue; // the file ended: the next pass finds no marker and ends the walk
        const std::size_t size = (std::size_t{static_cast<unsigned char>(slot.Bytes[0])} << 8) |
                                 static_cast<unsigned char>(slot.Bytes[1]);
        slot.Size = size;
        const std::size_t body = size > 2 ? size - 2 : 0;
        if (in.read(slot.Bytes, body) < body)
            continue; // a body cut short keeps what was read but is not looked at

        if (SegmentCount == 5 && !ExifSegment && !IptcSegment && !CommentSegment)
            break;
        switch (marker) {
        case 0xD9:
        case 0xDA:
            return ExifSegment || IptcSegment || CommentSegment;
        case 0xE1:
            if (SegmentCount > 5 || ExifSegment) {
                --SegmentCount;
            } else if (std::string_view(slot.Bytes).substr(2, 5) != std::string_view("Exif\0", 5)) {
                // Another application's block (XMP often comes first) stays in its slot
                // like any other segment, so that the EXIF block after it is still found.
            } else {
                ExifSegment = SegmentCount;
                ExifInfo = std::make_unique<TImageInfo>(this);
                openJpegExif(SegmentCount);
                // Names are made from the EXIF block alone.
                if (NamingFactsOnly)
                    return true;
            }
            break;
        case 0xED:
            if (!IptcSegment)
                IptcSegment = SegmentCount;
            break;
        case 0xFE:
            CommentSegment = SegmentCount;
            break;
        default:
            break;
        }
    }
    return ExifSegment || IptcSegment || CommentSegment;
}

void TimgData::openJpegExif(int slotNumber, const std::vector<TiffPart>& more) {
    tSection& slot = Segments[static_cast<std::size_t>(slotNumber)];
    if (!ExifInfo)
        ExifInfo = std::make_unique<TImageInfo>(this);
    const std::string_view bytes = slot.Bytes;
    if (bytes.size() < 7 || bytes.substr(2, 5) != std::string_view("Exif\0", 5)) {
        ErrorText = "Incorrect Exif header";
        return;
    }
    const std::string_view order = bytes.size() >= 10 ? bytes.substr(8, 2) : std::string_view();
    if (order == "II")
        BigEndian = false;
    else if (order == "MM")
        BigEndian = true;
    else {
        ErrorText = "Invalid Exif alignment marker";
        return;
    }
    TImageInfo& info = *ExifInfo;
    info.ExifText.clear();
    // Naming never looks at the segment again: its bytes are lent, not copied.
    if (NamingFactsOnly)
        info.Buffer.swap(slot.Bytes);
    else
        info.Buffer = slot.Bytes;
    info.BigEndian = BigEndian;
    std::uint32_t first = info.ReadU32(12);
    if (first == 0)
        first = 8;
    // The TIFF data starts after the length bytes and "Exif\0\0"; the segment length
    // counts the length bytes, so 6 less is the data's length.
    const std::size_t length = slot.Size > 6 ? slot.Size - 6 : 0;
    info.WalkDirectory(PositionOf(first, 8), 8, length, TDirGroup::Main);
    for (const TiffPart& part : more) {
        // Each further structure has its own header and byte order; its offsets count
        // from that header, placed after what the buffer already holds.
        const std::size_t base = info.Buffer.size();
        info.Buffer += part.bytes;
        info.BigEndian = part.bytes.compare(0, 2, "MM") == 0;
        std::uint32_t at = info.ReadU32(base + 4);
        if (at == 0)
            at = 8;
        if (part.makerNote) {
            info.ReadMakerNoteAt(PositionOf(at, static_cast<std::int64_t>(base)),
                                 static_cast<std::int64_t>(base));
            continue;
        }
        info.WalkDirectory(PositionOf(at, static_cast<std::int64_t>(base)),
                           static_cast<std::int64_t>(base), part.bytes.size(), part.group);
    }
    info.BigEndian = BigEndian;
    info.DeriveFocal35();
}

bool TimgData::readTiff(Source& in) {
    IsTiffSource = true;
    bool ok = false;
    try {
        std::string header;
        if (in.read(header, 2) == 2 && (header == "II" || header == "MM") &&
            in.read(header, 6) == 6) {
            ExifInfo = std::make_unique<TImageInfo>(this);
            ExifInfo->IsTiff = IsTiffSource;
            ExifInfo->ExifText.clear();
            // The walk's buffer always has its full size, and what the file lacks reads
            // as zeros. Its memory is kept from one TIFF to the next (see Reset).
            std::string& buf = ExifInfo->Buffer;
            buf.swap(tiffBuffer_);
            // Only the bytes the last file left need zeroing again, not the whole buffer.
            if (buf.size() != kTiffBufferSize) {
                buf.assign(kTiffBufferSize, '\0');
                tiffBytesUsed_ = 0;
            }
            const std::size_t got = in.readInto(buf.data(), kTiffBufferSize);
            if (tiffBytesUsed_ > got)
                std::memset(buf.data() + got, 0, tiffBytesUsed_ - got);
            tiffBytesUsed_ = got;
            // Slot 1 holds the bytes read from the file (naming never looks at them).
            tSection& slot = Segments[1];
            if (NamingFactsOnly)
                slot.Bytes.clear();
            else
                slot.Bytes.assign(buf, 0, got);
            slot.Marker = 0;
            slot.Size = got;
            SegmentCount = 1;
            ExifSegment = 1;
            ExifInfo->BigEndian = header.compare(0, 2, "MM") == 0;
            // The reader shows the file's real byte order, as for a JPEG.
            BigEndian = ExifInfo->BigEndian;
            // The first directory lies where the header says: many TIFF writers put
            // it after the pixel data, and reading pixels as a directory would list
            // noise. An offset pointing into the header itself falls back to offset 8.
            const std::uint32_t first =
                BytesToUnsigned(BigEndian, std::string_view(header).substr(4, 4));
            const std::size_t start = first >= 8 ? first - 8 : 0;
            ExifInfo->WalkDirectory(start, -8, kTiffBufferSize, TDirGroup::Main);
            ExifInfo->DeriveFocal35();
            ok = true;
        }
    } catch (const std::exception&) {
        ok = false;
    }
    IsTiffSource = false;
    return ok;
}

} // namespace varlime
