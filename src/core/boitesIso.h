// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Walking the boxes of an ISO base media file (HEIF and AVIF pictures, CR3, MP4 and MOV
// films, the JPEG XL container) and the chunks of a PNG file, as the EXIF reader and
// the picture loaders both do: through a window that never reads past the file's end,
// every size checked against what holds it, depth and counts capped. Shared by the
// program and by the imaging library built in gfl/.
#include "core/curseurOctets.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace varlime {

// Reads ranges of an open file with pread, counting the bytes read. A range past the
// file's end is refused, so no size from the file can make a read or an allocation
// larger than the file; and all reads together stay within four times the file's size
// (and a megabyte).
class FileWindow {
public:
    FileWindow(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    // With the file's first bytes, already read (they are not counted again). They are
    // looked at where they lie, not copied: they must outlive the window.
    FileWindow(int fd, std::uint64_t size, std::string_view firstBytes)
        : fd_(fd), size_(size),
          block_(firstBytes.substr(0, std::min<std::uint64_t>(firstBytes.size(), size))) {}
    // A copy would look at the other window's block.
    FileWindow(const FileWindow&) = delete;
    FileWindow& operator=(const FileWindow&) = delete;
    std::uint64_t size() const { return size_; }
    // Bytes read from the file (the small reads of headers come from one block).
    std::uint64_t bytesRead() const { return bytesRead_; }
    // The n bytes at offset, appended to out, or false when they do not all lie in the
    // file (out is then as it was).
    bool read(std::uint64_t offset, std::size_t n, std::string& out);
    // The same in place of what `out` held (empty on failure).
    bool readOnly(std::uint64_t offset, std::size_t n, std::string& out) {
        out.clear();
        return read(offset, n, out);
    }

private:
    bool readFile(std::uint64_t offset, std::size_t n, char* to);

    int fd_;
    std::uint64_t size_;
    std::uint64_t bytesRead_ = 0;
    // The last block read for small reads: walks read many headers side by side. It
    // lies in own_, or in the first bytes the window was made with.
    std::string_view block_;
    std::string own_;
    std::uint64_t blockAt_ = 0;
};

namespace iso {

// Limits no real file comes near: a few levels of boxes, some hundreds of boxes.
inline constexpr int kMaxDepth = 8;
inline constexpr int kMaxBoxes = 10000;

// A box type: four bytes, compared without making a text of them.
struct FourCC {
    char c[4] = {};
    std::string_view view() const { return {c, 4}; }
    friend bool operator==(const FourCC& a, std::string_view b) { return a.view() == b; }
};

// One box: where it starts, where its payload starts and where it ends, as offsets of
// whatever holds it.
struct Box {
    FourCC type;
    std::uint64_t start = 0, payload = 0, end = 0;
};

// Reads a box header from the bytes `h` found at its start, with `room` bytes left in
// what holds it. Gives what was wrong, or an empty text.
std::string boxHeader(std::string_view h, std::uint64_t start, std::uint64_t room, Box& b);

// The state of one walk: the file, the boxes met so far and the first fault found.
class Walk {
public:
    explicit Walk(FileWindow& f) : file(f) {}
    FileWindow& file;
    int boxes = 0;
    std::string error;

    void fault(std::string_view text) {
        if (error.empty())
            error = text;
    }

    // Calls `visit(box)` for each box between `from` and `to` of the file, until it
    // returns false; false when the walk stopped there or on a fault.
    template <class Visit>
    bool eachBox(std::uint64_t from, std::uint64_t to, int depth, const Visit& visit) {
        if (depth > kMaxDepth) {
            fault("Boxes nested too deep");
            return false;
        }
        std::string h;
        for (std::uint64_t at = from; at < to && to - at >= 8;) {
            if (!count())
                return false;
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(32, to - at));
            if (!file.readOnly(at, want, h)) {
                fault("Box header past the end of the file");
                return false;
            }
            Box b;
            if (!header(h, at, to - at, b) || !visit(b))
                return false;
            at = b.end;
        }
        return true;
    }

    // The same over bytes already read: `visit(box, payload)`.
    template <class Visit> bool eachBoxIn(std::string_view bytes, const Visit& visit) {
        for (std::uint64_t at = 0; at + 8 <= bytes.size();) {
            Box b;
            if (!count() || !header(bytes.substr(at, 32), at, bytes.size() - at, b) ||
                !visit(b, bytes.substr(b.payload, b.end - b.payload)))
                return false;
            at = b.end;
        }
        return true;
    }

    // The payload of a box, when it is no larger than `cap`.
    bool payload(const Box& b, std::size_t cap, std::string& out);

private:
    bool count() {
        if (++boxes <= kMaxBoxes)
            return true;
        fault("Too many boxes");
        return false;
    }
    bool header(std::string_view h, std::uint64_t start, std::uint64_t room, Box& b) {
        const std::string e = boxHeader(h, start, room, b);
        fault(e);
        return e.empty();
    }
};

} // namespace iso

namespace png {

inline constexpr int kMaxChunks = 100000;

// Where a walk of chunks stopped: what was wrong ("" when nothing) and the offset of the
// chunk it stopped at.
struct ChunkWalk {
    std::string error;
    std::uint64_t at = 0;
};

// Calls `visit(type, dataAt, length)` for each chunk of a PNG file after its signature,
// until it returns false, IEND has been visited or the file ends.
template <class Visit> ChunkWalk eachChunk(FileWindow& file, const Visit& visit) {
    ChunkWalk w{{}, 8};
    std::string h;
    for (int n = 0; n < kMaxChunks && w.at < file.size(); ++n) {
        if (!file.readOnly(w.at, 8, h)) {
            w.error = "Chunk header past the end of the file";
            return w;
        }
        const std::uint32_t length = be32(h, 0);
        if (length > 0x7FFFFFFFu || length + std::uint64_t{12} > file.size() - w.at) {
            w.error = "Chunk past the end of the file";
            return w;
        }
        const std::string_view type = std::string_view(h).substr(4, 4);
        if (!visit(type, w.at + 8, length) || type == "IEND")
            return w;
        w.at += 12 + std::uint64_t{length};
    }
    return w;
}

} // namespace png

} // namespace varlime
