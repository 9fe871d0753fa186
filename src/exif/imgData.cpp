// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an image file for its EXIF data: the file opened once, its kind told by its
// name or its first bytes, and the JPEG segments, TIFF directories or container boxes
// walked to the EXIF block, which TImageInfo then reads (dEXIF.cpp).
#include "exif/dEXIF.h"

#include "core/curseurOctets.h"

#include "exif/exifContainers.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace varlime {

namespace {

// Whether the first bytes of a file are those the reader of `container` starts from.
bool hasHeaderOf(Container container, std::string_view head) {
    if (container == Container::Jpeg)
        return head.size() >= 2 && head[0] == '\xFF' && head[1] == '\xD8';
    if (container == Container::Tiff)
        return head.starts_with("II") || head.starts_with("MM");
    return containerOfBytes(head) == container;
}

} // namespace

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
    XmpPacket.clear();
    IptcRecords.clear();
    xmpAt_ = 0;
    ContainerDateSource = DateSource::None;
    DateForNaming = {};
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
        // The first block read tells what the file is, and serves the read that follows.
        const std::string_view head = in.peek().substr(0, 16);
        if (container == Container::None ||
            (!hasHeaderOf(container, head) && containerOfBytes(head) != Container::None)) {
            // A file whose name says one kind and whose bytes another (a JPEG saved as
            // .nef) is read as what it holds.
            container = containerOfBytes(head);
            if (container == Container::None)
                return false;
        }
        const bool ok = readAs(container, in, file.fd, static_cast<std::uint64_t>(st.st_size));
        IsTiffSource = false;
        if (ok)
            ErrorText = "<none>";
        chooseNamingDate();
        return ok;
    } catch (...) {
        IsTiffSource = false;
        ErrorText = "Illegal Exif construction";
        return false;
    }
}

bool TimgData::readAs(Container container, Source& in, int fd, std::uint64_t size) {
    if (container == Container::Jpeg)
        return readJpeg(in);
    if (container == Container::Tiff)
        return readTiff(in, fd, size);
    return readContainer(fd, size, container, in);
}

void TimgData::chooseNamingDate() {
    auto take = [this](const std::string& text, DateSource source) {
        if (DateForNaming.source != DateSource::None || !isDateText(text))
            return;
        DateForNaming = {text.substr(0, 19), source};
    };
    const TImageInfo* info = HasExifBlock() ? ExifInfo.get() : nullptr;
    if (info) {
        // A film's or a maker record's facts come as a DateTimeOriginal of their own.
        take(info->OriginalDateText, ContainerDateSource != DateSource::None
                                         ? ContainerDateSource
                                         : DateSource::DateTimeOriginal);
        take(info->DigitizedDateText, DateSource::CreateDate);
        if (XmpPacket.empty())
            XmpPacket = info->XmpPacket;
        if (IptcRecords.empty())
            IptcRecords = info->IptcRecords;
    }
    if (DateForNaming.source == DateSource::None && !XmpPacket.empty())
        take(xmpDate(std::string_view(XmpPacket).substr(xmpAt_)).value_or(""), DateSource::Xmp);
    // The file beside is looked for only when the file itself has no date.
    if (DateForNaming.source == DateSource::None && !LoadedFileName.empty()) {
        const std::string sidecar = readXmpSidecar(LoadedFileName);
        if (!sidecar.empty())
            take(xmpDate(sidecar).value_or(""), DateSource::XmpSidecar);
    }
    if (DateForNaming.source == DateSource::None && !IptcRecords.empty())
        take(iptcDate(iptcOfPhotoshop(IptcRecords)).value_or(""), DateSource::Iptc);
    if (info)
        take(info->ModifyDateText, DateSource::ModifyDate);
}

bool TimgData::readContainer(int fd, std::uint64_t size, Container container, Source& in) {
    FileWindow window(fd, size, in.peek());
    ContainerFind found = findExif(window, container);
    TotalBytesRead += window.bytesRead();
    XmpPacket = std::move(found.xmp);
    ContainerDateSource = found.dateSource;
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
    if (ExifInfo && ExifInfo->MakerSerial.empty())
        ExifInfo->MakerSerial = std::move(found.makerSerial);
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
        const std::size_t size = be16(slot.Bytes, 0);
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
            // The XMP packet, wherever it comes: a date may be kept there alone.
            if (XmpPacket.empty())
                if (const auto xmp = xmpOfSegment(std::string_view(slot.Bytes).substr(2));
                    xmp && !xmp->empty()) {
                    // Naming never looks at the segment again: it is taken, not copied.
                    if (NamingFactsOnly) {
                        xmpAt_ = static_cast<std::size_t>(xmp->data() - slot.Bytes.data());
                        XmpPacket.swap(slot.Bytes);
                        slot.Bytes.clear();
                        if (SegmentCount > 5 || ExifSegment)
                            --SegmentCount;
                        break;
                    }
                    XmpPacket = std::string(*xmp);
                }
            if (SegmentCount > 5 || ExifSegment) {
                --SegmentCount;
            } else if (std::string_view(slot.Bytes).substr(2, 5) != std::string_view("Exif\0", 5)) {
                // Another application's block (XMP often comes first) stays in its slot
                // like any other segment, so that the EXIF block after it is still found.
            } else {
                ExifSegment = SegmentCount;
                ExifInfo = std::make_unique<TImageInfo>(this);
                openJpegExif(SegmentCount);
                // Names are made from the EXIF block alone when it holds the capture
                // date; else the XMP or IPTC blocks after it may.
                if (NamingFactsOnly && (isDateText(ExifInfo->OriginalDateText) ||
                                        isDateText(ExifInfo->DigitizedDateText)))
                    return true;
            }
            break;
        case 0xED:
            if (!IptcSegment) {
                IptcSegment = SegmentCount;
                IptcRecords = std::string(std::string_view(slot.Bytes).substr(2));
            }
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

bool TimgData::readTiff(Source& in, int fd, std::uint64_t size) {
    IsTiffSource = true;
    bool ok = false;
    try {
        std::string header;
        if (in.read(header, 2) == 2 && (header == "II" || header == "MM") &&
            in.read(header, 6) == 6) {
            ExifInfo = std::make_unique<TImageInfo>(this);
            ExifInfo->IsTiff = IsTiffSource;
            // Directories and values past the bytes read first are read where they lie
            // (an editor often writes the EXIF directory after the pixels).
            ExifInfo->FileSize = size;
            ExifInfo->FileBytes = [this, fd, size](std::uint64_t offset, std::size_t n) {
                std::string out;
                if (offset >= size)
                    return out;
                out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(n, size - offset)));
                std::size_t done = 0;
                while (done < out.size()) {
                    const ssize_t r = ::pread(fd, out.data() + done, out.size() - done,
                                              static_cast<off_t>(offset + done));
                    if (r < 0 && errno == EINTR)
                        continue;
                    if (r <= 0)
                        break;
                    done += static_cast<std::size_t>(r);
                }
                TotalBytesRead += done;
                out.resize(done);
                return out;
            };
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
            if (start + 2 > std::min<std::uint64_t>(got, kTiffBufferSize) && first < size)
                ExifInfo->WalkFileDirectory(first, TDirGroup::Main);
            else
                ExifInfo->WalkDirectory(start, -8, kTiffBufferSize, TDirGroup::Main);
            ExifInfo->FileBytes = nullptr;
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
