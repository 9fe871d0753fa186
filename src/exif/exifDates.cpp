// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif/exifDates.h"

#include "core/curseurOctets.h"

#include <QByteArray>
#include <QXmlStreamReader>
#include <array>
#include <cerrno>
#include <cstring>
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

// What the quick scan of an XMP packet concluded.
struct QuickXmp {
    bool sure = false; // false: the scan met something it does not read; parse instead
    std::optional<std::string> date;
};

bool nameByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

// A NUL byte anywhere makes the parser stop: the answer is then its own.
bool plainBytes(std::string_view x) {
    return x.find('\0') == std::string_view::npos;
}

bool space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The first date given by (`uri`, `local`) in a packet written the plain way editors and
// cameras write it (tags, attributes, namespace declarations, processing instructions,
// text without entities), found by one pass over its bytes without building any string.
// Anything else (comments, CDATA, entities, a structure where a date should be, a date
// that is no date, an error) leaves the answer to the XML parser: `sure` stays false.
QuickXmp quickXmpDate(std::string_view x, std::string_view uri, std::string_view local) {
    struct Binding {
        std::string_view prefix, uri; // an empty prefix is the default namespace
        int depth;
    };
    std::array<Binding, 64> bindings;
    std::size_t nBindings = 0;
    std::array<std::string_view, 64> open; // names of the elements open
    int depth = 0;
    auto resolve = [&](std::string_view prefix, bool& bound) -> std::string_view {
        for (std::size_t i = nBindings; i-- > 0;)
            if (bindings[i].prefix == prefix) {
                bound = true;
                return bindings[i].uri;
            }
        bound = prefix.empty();
        return {};
    };
    // Whether the qualified name `q` is (uri, local); `sure` false when its prefix is unbound.
    auto is = [&](std::string_view q, bool attribute, bool& ok) {
        const auto colon = q.find(':');
        std::string_view prefix, name = q;
        if (colon != std::string_view::npos) {
            prefix = q.substr(0, colon);
            name = q.substr(colon + 1);
        } else if (attribute) {
            return false; // an attribute without prefix has no namespace
        }
        if (prefix == "xml"sv || prefix == "xmlns"sv)
            return false;
        bool bound = false;
        const std::string_view ns = resolve(prefix, bound);
        if (!bound)
            ok = false;
        return name == local && ns == uri;
    };
    QuickXmp out;
    std::size_t at = 0;
    const std::size_t n = x.size();
    auto readName = [&]() {
        const std::size_t from = at;
        while (at < n && nameByte(x[at]))
            ++at;
        return x.substr(from, at - from);
    };
    auto skipSpace = [&]() {
        while (at < n && space(x[at]))
            ++at;
    };
    bool rootDone = false;
    for (int tags = 0; at < n; ++tags) {
        const auto lt = x.find('<', at);
        if (lt == std::string_view::npos || tags > kMaxXmpTokens / 3)
            return out; // no date given the plain way: the parser looks further
        const std::string_view text = x.substr(at, lt - at);
        if (text.find('&') != std::string_view::npos ||
            (depth == 0 && text.find_first_not_of(" \t\r\n"sv) != std::string_view::npos))
            return out;
        at = lt + 1;
        if (at >= n)
            return out;
        if (x[at] == '?') {
            const auto end = x.find("?>"sv, at);
            if (end == std::string_view::npos)
                return out;
            at = end + 2;
            continue;
        }
        if (x[at] == '!')
            return out;
        if (x[at] == '/') {
            ++at;
            const std::string_view name = readName();
            skipSpace();
            if (depth == 0 || at >= n || x[at] != '>' || open[std::size_t(depth - 1)] != name)
                return out;
            ++at;
            --depth;
            rootDone = depth == 0;
            while (nBindings > 0 && bindings[nBindings - 1].depth > depth)
                --nBindings;
            continue;
        }
        const std::string_view element = readName();
        if (element.empty() || depth >= int(open.size()) || (depth == 0 && rootDone))
            return out;
        // The namespaces a tag declares hold for all its attributes: those that may be the
        // date are kept until the tag's end, where every declaration is known.
        std::array<std::string_view, 4> candidates;
        std::size_t nCandidates = 0;
        // The prefixes its attributes use, checked there too (left uninitialised: most
        // tags use few).
        const char* prefixAt[32];
        std::size_t prefixLength[32];
        std::size_t nPrefixes = 0;
        bool empty = false;
        for (;;) {
            const std::size_t before = at;
            skipSpace();
            if (at >= n)
                return out;
            if (x[at] == '>') {
                ++at;
                break;
            }
            if (x[at] == '/') {
                if (at + 1 >= n || x[at + 1] != '>')
                    return out;
                at += 2;
                empty = true;
                break;
            }
            if (at == before)
                return out; // attributes are separated by spaces
            const std::string_view name = readName();
            skipSpace();
            if (name.empty() || at >= n || x[at] != '=')
                return out;
            ++at;
            skipSpace();
            if (at >= n || (x[at] != '"' && x[at] != '\''))
                return out;
            const char quote = x[at++];
            const auto end = x.find(quote, at);
            if (end == std::string_view::npos)
                return out;
            const std::string_view value = x.substr(at, end - at);
            if (value.find_first_of("<&"sv) != std::string_view::npos)
                return out;
            at = end + 1;
            if (const auto colon = name.find(':');
                colon != std::string_view::npos && !name.starts_with("xmlns:"sv)) {
                if (nPrefixes == std::size(prefixAt))
                    return out;
                prefixAt[nPrefixes] = name.data();
                prefixLength[nPrefixes++] = colon;
            }
            if (name.ends_with(local) && name.size() > local.size() &&
                name[name.size() - local.size() - 1] == ':') {
                if (nCandidates == candidates.size())
                    return out;
                const std::size_t from = std::size_t(name.data() - x.data());
                candidates[nCandidates++] = x.substr(from, at - 1 - from);
            }
            if (name == "xmlns"sv || name.starts_with("xmlns:"sv)) {
                if (nBindings == bindings.size())
                    return out;
                bindings[nBindings++] = {name.size() > 6 ? name.substr(6) : std::string_view(),
                                         value, depth + 1};
            }
        }
        bool ok = true;
        // Every prefix the tag uses must be bound, or the parser stops there.
        for (std::size_t i = 0; i < nPrefixes; ++i) {
            const std::string_view prefix(prefixAt[i], prefixLength[i]);
            bool bound = prefix == "xml"sv;
            if (!bound)
                resolve(prefix, bound);
            if (!bound)
                return out;
        }
        for (std::size_t i = 0; i < nCandidates; ++i) {
            // From the name to the closing quote of its value.
            const std::string_view c = candidates[i];
            const std::string_view name = c.substr(0, c.find_first_of(" \t\r\n="));
            const bool wanted = is(name, true, ok);
            if (!ok)
                return out;
            if (wanted) {
                const auto q = c.find_first_of("\"'");
                out.date = xmpDateText(c.substr(q + 1));
                out.sure = out.date.has_value() && plainBytes(x.substr(0, at));
                return out;
            }
        }
        const bool wanted = is(element, false, ok);
        if (!ok)
            return out;
        if (wanted) {
            // The element's text, up to its end tag; a child inside is a structure.
            const auto lt2 = empty ? std::string_view::npos : x.find('<', at);
            if (lt2 == std::string_view::npos)
                return out;
            const std::string_view text = x.substr(at, lt2 - at);
            std::size_t after = lt2 + 2;
            if (text.find('&') != std::string_view::npos || after > n || x[lt2 + 1] != '/' ||
                x.substr(after, element.size()) != element)
                return out;
            after += element.size();
            while (after < n && space(x[after]))
                ++after;
            if (after >= n || x[after] != '>')
                return out;
            out.date = xmpDateText(text);
            out.sure = out.date.has_value() && plainBytes(x.substr(0, after));
            return out;
        }
        if (empty) {
            while (nBindings > 0 && bindings[nBindings - 1].depth > depth)
                --nBindings;
            rootDone = rootDone || depth == 0;
        } else {
            open[std::size_t(depth)] = element;
            ++depth;
        }
    }
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

namespace {

std::optional<std::string> xmpDateOf(std::string_view packet, bool quickFirst) {
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
    // (memmem: the search of a long packet for a name it does not hold costs little.)
    auto holds = [&](std::string_view name) {
        return ::memmem(packet.data(), packet.size(), name.data(), name.size()) != nullptr;
    };
    while (best < kWanted.size() && !holds(kWanted[best].second))
        ++best;
    if (best == kWanted.size())
        return std::nullopt;
    // Most packets are written plainly and give their best date early: a scan of their
    // bytes finds it at a small part of the parser's cost.
    if (quickFirst)
        if (QuickXmp quick = quickXmpDate(packet, kWanted[best].first, kWanted[best].second);
            quick.sure)
            return quick.date;
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

} // namespace

std::optional<std::string> xmpDate(std::string_view packet) {
    return xmpDateOf(packet, true);
}

std::optional<std::string> xmpDateByParser(std::string_view packet) {
    return xmpDateOf(packet, false);
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
        const unsigned id = be16(b, at + 4);
        // A Pascal string, padded to an even length with its length byte.
        std::size_t nameLength = static_cast<unsigned char>(b[at + 6]) + 1u;
        nameLength += nameLength % 2;
        const std::size_t sizeAt = at + 6 + nameLength;
        if (sizeAt + 4 > b.size())
            break;
        const std::size_t size = be32(b, sizeAt);
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
        const std::size_t size = be16(r, at + 3);
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
