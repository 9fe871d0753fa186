// SPDX-License-Identifier: GPL-3.0-or-later
// The bounded file reads of the container walkers, and the facts of a container
// without EXIF (a film's make and dates) made into a TIFF structure of their own.
#include "exif/exifContainers.h"

#include "exif/exifFormat.h"
#include "exif/exifTags.h"

#include <cerrno>
#include <ctime>
#include <unistd.h>

namespace varlime {

using namespace std::string_view_literals;
using namespace std::string_literals;

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

std::string tiffOfFacts(const PlainFacts& facts) {
    struct Entry {
        std::uint16_t tag;
        ExifType type;
        std::string value; // ASCII with its zero, or the 2 or 4 bytes of a number
    };
    auto le = [](std::uint32_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; ++i)
            s += static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    std::vector<Entry> main, exif;
    if (!facts.make.empty())
        main.push_back({tag::Make, ExifType::Ascii, facts.make + '\0'});
    if (!facts.model.empty())
        main.push_back({tag::Model, ExifType::Ascii, facts.model + '\0'});
    if (facts.orientation >= 1 && facts.orientation <= 8)
        main.push_back({tag::Orientation, ExifType::Short,
                        le(static_cast<std::uint32_t>(facts.orientation), 2)});
    if (!facts.dateTime.empty()) {
        exif.push_back({tag::DateTimeOriginal, ExifType::Ascii, facts.dateTime + '\0'});
        main.push_back({tag::ExifIfd, ExifType::Long, ""}); // offset filled below
    }
    const std::uint32_t mainAt = 8;
    const std::uint32_t exifAt = mainAt + 2 + 12 * static_cast<std::uint32_t>(main.size()) + 4;
    std::uint32_t dataAt =
        exifAt + (exif.empty() ? 0 : 2 + 12 * static_cast<std::uint32_t>(exif.size()) + 4);
    std::string data;
    auto directory = [&](const std::vector<Entry>& entries) {
        std::string d = le(static_cast<std::uint32_t>(entries.size()), 2);
        for (const Entry& e : entries) {
            const std::string value = e.tag == tag::ExifIfd ? le(exifAt, 4) : e.value;
            d += le(e.tag, 2) + le(e.type, 2);
            d += le(static_cast<std::uint32_t>(e.type == ExifType::Ascii ? value.size() : 1), 4);
            if (value.size() <= 4) {
                d += value + std::string(4 - value.size(), '\0');
            } else {
                d += le(dataAt + static_cast<std::uint32_t>(data.size()), 4);
                data += value;
            }
        }
        return d + le(0, 4);
    };
    std::string out = "II*\0"s + le(mainAt, 4);
    out += directory(main);
    if (!exif.empty())
        out += directory(exif);
    return out + data;
}

std::optional<std::string> movieDate(std::string_view t, bool* withZone) {
    // YYYY-MM-DDTHH:MM:SS (or with ':' between the date's parts, or a blank for the
    // T), then fractions of a second and a zone: Z, +HH:MM, +HHMM or +HH.
    if (t.size() < 19)
        return std::nullopt;
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u, 11u, 12u, 14u, 15u, 17u, 18u})
        if (t[i] < '0' || t[i] > '9')
            return std::nullopt;
    if ((t[4] != '-' && t[4] != ':') || t[7] != t[4] || (t[10] != 'T' && t[10] != ' ') ||
        t[13] != ':' || t[16] != ':')
        return std::nullopt;
    if (t.substr(0, 4) == "0000"sv)
        return std::nullopt;
    std::string out(t.substr(0, 19));
    out[4] = out[7] = ':';
    out[10] = ' ';
    std::string_view rest = t.substr(19);
    if (!rest.empty() && rest.front() == '.') {
        const auto digitsEnd = rest.find_first_not_of("0123456789", 1);
        rest.remove_prefix(digitsEnd == std::string_view::npos ? rest.size() : digitsEnd);
    }
    if (withZone)
        *withZone =
            !rest.empty() && (rest.front() == 'Z' || rest.front() == '+' || rest.front() == '-');
    return out;
}

std::optional<std::string> localTimeOf1904(std::uint64_t seconds) {
    constexpr std::uint64_t k1904To1970 = 2082844800;
    if (seconds <= k1904To1970 || seconds - k1904To1970 > 253402300799ull)
        return std::nullopt;
    const std::time_t t = static_cast<std::time_t>(seconds - k1904To1970);
    std::tm tm{};
    char text[32];
    if (!localtime_r(&t, &tm) || std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &tm) != 19)
        return std::nullopt;
    return std::string(text);
}

} // namespace varlime
