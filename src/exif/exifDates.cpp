// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif/exifDates.h"

#include <QByteArray>
#include <QXmlStreamReader>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varlime {

using namespace std::string_view_literals;

namespace {

// An XMP packet is a few kilobytes; an editor's history can make it some hundreds.
constexpr std::size_t kMaxXmpBytes = 2 * 1024 * 1024;
constexpr int kMaxXmpTokens = 200000;
constexpr std::size_t kMaxIptcRecords = 4096;

bool digits(std::string_view t, std::size_t at, std::size_t n) {
    if (at + n > t.size())
        return false;
    for (std::size_t i = at; i < at + n; ++i)
        if (t[i] < '0' || t[i] > '9')
            return false;
    return true;
}

int number(std::string_view t, std::size_t at, std::size_t n) {
    int v = 0;
    for (std::size_t i = at; i < at + n; ++i)
        v = v * 10 + (t[i] - '0');
    return v;
}

bool realDate(int year, int month, int day) {
    static constexpr std::array<int, 12> days = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > days[std::size_t(month - 1)])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(month == 2 && day == 29 && !leap);
}

// The file at path opened for reading when it is a regular file, else -1. Non-blocking,
// so that a named pipe given that name cannot hang the reader.
int openRegularFile(const std::string& path, struct stat& st) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The whole of a small regular file, or nothing when it is missing, no regular file, or
// larger than `cap`.
std::optional<std::string> smallFile(const std::string& path, std::size_t cap) {
    struct stat st {};
    const int fd = openRegularFile(path, st);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> out;
    if (st.st_size >= 0 && static_cast<std::uint64_t>(st.st_size) <= cap) {
        std::string data(static_cast<std::size_t>(st.st_size), '\0');
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t r = ::read(fd, data.data() + done, data.size() - done);
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0)
                break;
            done += static_cast<std::size_t>(r);
        }
        data.resize(done);
        out = std::move(data);
    }
    ::close(fd);
    return out;
}

} // namespace

std::string_view dateSourceLabel(DateSource source) {
    switch (source) {
    case DateSource::DateTimeOriginal:
        return "DateTimeOriginal";
    case DateSource::CreateDate:
        return "CreateDate";
    case DateSource::FilmZoned:
        return "film, time zone";
    case DateSource::Film:
        return "film";
    case DateSource::FilmHeader:
        return "film header, UTC";
    case DateSource::Xmp:
        return "XMP";
    case DateSource::XmpSidecar:
        return "XMP sidecar";
    case DateSource::Iptc:
        return "IPTC";
    case DateSource::MakerNote:
        return "maker note";
    case DateSource::ModifyDate:
        return "DateTime";
    case DateSource::None:
        break;
    }
    return {};
}

bool isDateText(std::string_view t) {
    if (t.size() < 19 || t[4] != ':' || t[7] != ':' || t[10] != ' ' || t[13] != ':' || t[16] != ':')
        return false;
    for (std::size_t at : {0u, 5u, 8u, 11u, 14u, 17u})
        if (!digits(t, at, at == 0 ? 4 : 2))
            return false;
    return realDate(number(t, 0, 4), number(t, 5, 2), number(t, 8, 2)) && number(t, 11, 2) < 24 &&
           number(t, 14, 2) < 60 && number(t, 17, 2) < 61;
}

std::optional<std::string> xmpDateText(std::string_view v) {
    while (!v.empty() && static_cast<unsigned char>(v.front()) <= ' ')
        v.remove_prefix(1);
    if (!digits(v, 0, 4) || v.size() < 10 || v[4] != '-' || v[7] != '-' || !digits(v, 5, 2) ||
        !digits(v, 8, 2))
        return std::nullopt;
    std::string out(v.substr(0, 10));
    out[4] = out[7] = ':';
    std::string time = "00:00:00";
    if (v.size() >= 16 && v[10] == 'T' && digits(v, 11, 2) && v[13] == ':' && digits(v, 14, 2)) {
        time.replace(0, 5, v.substr(11, 5));
        if (v.size() >= 19 && v[16] == ':' && digits(v, 17, 2))
            time.replace(6, 2, v.substr(17, 2));
    }
    out += ' ' + time;
    if (!isDateText(out))
        return std::nullopt;
    return out;
}

std::optional<std::string> xmpDate(std::string_view packet) {
    if (packet.size() > kMaxXmpBytes)
        packet = packet.substr(0, kMaxXmpBytes);
    // The packet may sit between the bytes of another format: the XML starts at its
    // first '<' and stops after its last '>'.
    const auto first = packet.find('<');
    const auto last = packet.rfind('>');
    if (first == std::string_view::npos || last == std::string_view::npos || last < first)
        return std::nullopt;
    packet = packet.substr(first, last - first + 1);
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kWanted = {{
        {"http://ns.adobe.com/exif/1.0/", "DateTimeOriginal"},
        {"http://ns.adobe.com/xap/1.0/", "CreateDate"},
        {"http://ns.adobe.com/photoshop/1.0/", "DateCreated"},
    }};
    std::array<std::optional<std::string>, 3> found;
    // The parse stops once it has the best date the packet can give: names the packet's
    // text does not hold at all cannot be found by parsing it (an editor's history of
    // edits can make a packet long).
    std::size_t best = 0;
    while (best < kWanted.size() && packet.find(kWanted[best].second) == std::string_view::npos)
        ++best;
    if (best == kWanted.size())
        return std::nullopt;
    auto which = [](QStringView ns, QStringView name) -> int {
        for (std::size_t i = 0; i < kWanted.size(); ++i)
            if (ns == QLatin1String(kWanted[i].first.data(), qsizetype(kWanted[i].first.size())) &&
                name ==
                    QLatin1String(kWanted[i].second.data(), qsizetype(kWanted[i].second.size())))
                return int(i);
        return -1;
    };
    QXmlStreamReader xml(QByteArray::fromRawData(packet.data(), qsizetype(packet.size())));
    for (int tokens = 0; !xml.atEnd() && tokens < kMaxXmpTokens && !found[best]; ++tokens) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        for (const QXmlStreamAttribute& a : xml.attributes()) {
            const int i = which(a.namespaceUri(), a.name());
            if (i >= 0 && !found[std::size_t(i)])
                found[std::size_t(i)] = xmpDateText(a.value().toString().toStdString());
        }
        const int i = which(xml.namespaceUri(), xml.name());
        if (i >= 0 && !found[std::size_t(i)]) {
            // The value as the element's text; a structure inside it is no date.
            const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            found[std::size_t(i)] = xmpDateText(text.toStdString());
        }
    }
    for (auto& f : found)
        if (f)
            return f;
    return std::nullopt;
}

std::optional<std::string_view> xmpOfSegment(std::string_view body) {
    static constexpr std::string_view kXmp = "http://ns.adobe.com/xap/1.0/\0"sv;
    if (!body.starts_with(kXmp))
        return std::nullopt;
    return body.substr(kXmp.size());
}

std::string_view iptcOfPhotoshop(std::string_view b) {
    static constexpr std::string_view kPhotoshop = "Photoshop 3.0\0"sv;
    if (!b.starts_with(kPhotoshop))
        return b;
    std::size_t at = kPhotoshop.size();
    for (std::size_t n = 0; n < kMaxIptcRecords && at + 12 <= b.size(); ++n) {
        if (b.substr(at, 4) != "8BIM"sv)
            break;
        const unsigned id = (unsigned(static_cast<unsigned char>(b[at + 4])) << 8) |
                            static_cast<unsigned char>(b[at + 5]);
        // A Pascal string, padded to an even length with its length byte.
        std::size_t nameLength = static_cast<unsigned char>(b[at + 6]) + 1u;
        nameLength += nameLength % 2;
        const std::size_t sizeAt = at + 6 + nameLength;
        if (sizeAt + 4 > b.size())
            break;
        std::size_t size = 0;
        for (int i = 0; i < 4; ++i)
            size = (size << 8) | static_cast<unsigned char>(b[sizeAt + std::size_t(i)]);
        const std::size_t dataAt = sizeAt + 4;
        if (size > b.size() - dataAt)
            break;
        if (id == 0x0404)
            return b.substr(dataAt, size);
        at = dataAt + size + size % 2;
    }
    return {};
}

std::optional<std::string> iptcDate(std::string_view r) {
    std::string_view date, time;
    std::size_t at = 0;
    for (std::size_t n = 0; n < kMaxIptcRecords && at + 5 <= r.size(); ++n) {
        if (r[at] != 0x1C)
            break;
        const int record = static_cast<unsigned char>(r[at + 1]);
        const int dataset = static_cast<unsigned char>(r[at + 2]);
        const std::size_t size = (std::size_t(static_cast<unsigned char>(r[at + 3])) << 8) |
                                 static_cast<unsigned char>(r[at + 4]);
        // An extended length (top bit set) belongs to no date: the walk ends there.
        if ((size & 0x8000) || size > r.size() - at - 5)
            break;
        const std::string_view value = r.substr(at + 5, size);
        if (record == 2 && dataset == 55 && date.empty())
            date = value;
        else if (record == 2 && dataset == 60 && time.empty())
            time = value;
        at += 5 + size;
    }
    if (!digits(date, 0, 8))
        return std::nullopt;
    std::string out = std::string(date.substr(0, 4)) + ':' + std::string(date.substr(4, 2)) + ':' +
                      std::string(date.substr(6, 2)) + ' ';
    if (digits(time, 0, 6))
        out += std::string(time.substr(0, 2)) + ':' + std::string(time.substr(2, 2)) + ':' +
               std::string(time.substr(4, 2));
    else
        out += "00:00:00";
    if (!isDateText(out))
        return std::nullopt;
    return out;
}

std::string readXmpSidecar(const std::string& photoPath) {
    const auto slash = photoPath.rfind('/');
    const auto dot = photoPath.rfind('.');
    std::string base = photoPath;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1))
        base = photoPath.substr(0, dot);
    for (const std::string& candidate :
         {photoPath + ".xmp", photoPath + ".XMP", base + ".xmp", base + ".XMP"}) {
        if (candidate == photoPath)
            continue;
        if (auto data = smallFile(candidate, kMaxXmpBytes))
            return std::move(*data);
    }
    return {};
}

} // namespace varlime
