// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/boitesIso.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace varlime {

bool FileWindow::readFile(std::uint64_t offset, std::size_t n, char* to) {
    // Records that point back at what holds them could make a walk read the same bytes
    // over and over: all the walks of one file read at most a few times its size.
    const std::uint64_t budget = std::min<std::uint64_t>(size_, UINT64_MAX / 8) * 4 + (1u << 20);
    if (n > budget - std::min(bytesRead_, budget))
        return false;
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = ::pread(fd_, to + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        done += static_cast<std::size_t>(r);
    }
    bytesRead_ += n;
    return true;
}

bool FileWindow::read(std::uint64_t offset, std::size_t n, std::string& out) {
    if (offset > size_ || n > size_ - offset)
        return false;
    constexpr std::size_t kBlock = 4096;
    const bool inBlock = offset >= blockAt_ && offset - blockAt_ <= block_.size() &&
                         n <= block_.size() - (offset - blockAt_);
    if (inBlock || n <= kBlock / 4) {
        if (!inBlock) {
            const auto take =
                static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, size_ - offset));
            block_ = {};
            own_.resize(take);
            if (!readFile(offset, take, own_.data())) {
                own_.clear();
                return false;
            }
            block_ = own_;
            blockAt_ = offset;
        }
        out.append(block_.substr(static_cast<std::size_t>(offset - blockAt_), n));
        return true;
    }
    const std::size_t old = out.size();
    out.resize(old + n);
    if (!readFile(offset, n, out.data() + old)) {
        out.resize(old);
        return false;
    }
    return true;
}

namespace iso {

std::string boxHeader(std::string_view h, std::uint64_t start, std::uint64_t room, Box& b) {
    if (h.size() < 8)
        return "Box header cut short";
    std::uint64_t size = be32(h, 0);
    std::uint64_t header = 8;
    std::memcpy(b.type.c, h.data() + 4, 4);
    if (size == 1) {
        if (h.size() < 16)
            return "Box header cut short";
        size = be64(h, 8);
        header = 16;
    } else if (size == 0) {
        size = room; // to the end of what holds it
    }
    if (b.type == "uuid") {
        header += 16;
        if (h.size() < header)
            return "Box header cut short";
    }
    if (size < header)
        return "Box size smaller than its header";
    if (size > room)
        return "Box size past the end of its container";
    b.start = start;
    b.payload = start + header;
    b.end = start + size;
    return {};
}

bool Walk::payload(const Box& b, std::size_t cap, std::string& out) {
    const std::uint64_t n = b.end - b.payload;
    if (n > cap) {
        fault("Box too large to be read");
        return false;
    }
    if (!file.readOnly(b.payload, static_cast<std::size_t>(n), out)) {
        fault("Box past the end of the file");
        return false;
    }
    return true;
}

} // namespace iso

} // namespace varlime
