// SPDX-License-Identifier: GPL-3.0-or-later
// The facts of a container without EXIF (a film's make and dates) made into a TIFF
// structure of their own, and the dates of films.
#include "exif/exifContainers.h"

#include "exif/exifFormat.h"
#include "exif/exifTags.h"

#include <ctime>

namespace varlime {

using namespace std::string_view_literals;
using namespace std::string_literals;

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
