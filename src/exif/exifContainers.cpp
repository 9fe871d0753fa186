// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif/exifContainers.h"

#include <brotli/decode.h>

#include "core/tablesIso.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace varlime {

namespace {

// Limits that keep a hostile file from making a walk long or large, besides those of the
// box and chunk walkers. Real files stay far below them: a few levels of heaps, some
// dozens of records, EXIF blocks of some tens of kilobytes.
constexpr int kMaxDepth = iso::kMaxDepth;
constexpr int kMaxRecords = 4096;
constexpr int kMaxChunks = png::kMaxChunks;
constexpr std::size_t kMaxExifBytes = 4 * 1024 * 1024;
constexpr std::size_t kMaxMetaBytes = 1024 * 1024;

using namespace std::string_view_literals;
using namespace std::string_literals;

std::uint32_t u16in(bool be, std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(octetsEn(be, b, at, 2));
}
std::uint32_t u32in(bool be, std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(octetsEn(be, b, at, 4));
}

bool isTiffHeader(std::string_view b) {
    return b.size() >= 8 && (b.substr(0, 2) == "II"sv || b.substr(0, 2) == "MM"sv);
}

// A TIFF structure that some writers precede with "Exif\0\0", as a JPEG does.
std::string_view withoutExifPrefix(std::string_view b) {
    if (b.size() >= 6 && b.substr(0, 6) == "Exif\0\0"sv)
        b.remove_prefix(6);
    return b;
}

using iso::Box;
using iso::Walk;

// The payload of a "meta" box: a full box in ISO files, a plain one in QuickTime
// movies; its first child is the handler box either way.
std::string_view metaChildren(std::string_view p) {
    if (p.size() >= 12 && p.substr(4, 4) != "hdlr"sv && p.substr(8, 4) == "hdlr"sv)
        return p.substr(4);
    if (p.size() >= 4 && p.substr(0, 4) == "\0\0\0\0"sv && p.substr(4, 4) != "hdlr"sv)
        return p.substr(4);
    return p;
}

constexpr std::string_view kCanonUuid =
    "\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48"sv;

// What a film's own metadata says.
struct Movie {
    std::string make, model;
    std::string zonedDate, plainDate; // a date written with a time zone, and one without
    std::uint64_t created = 0;        // movie header, seconds since 1904 (UTC)
};

void takeDate(Movie& m, std::string_view text) {
    bool zoned = false;
    const auto d = movieDate(text, &zoned);
    if (!d)
        return;
    std::string& slot = zoned ? m.zonedDate : m.plainDate;
    if (slot.empty())
        slot = *d;
}

std::string trimmedText(std::string_view t) {
    t = t.substr(0, std::min(t.find('\0'), t.size()));
    while (!t.empty() && static_cast<unsigned char>(t.back()) <= ' ')
        t.remove_suffix(1);
    while (!t.empty() && static_cast<unsigned char>(t.front()) <= ' ')
        t.remove_prefix(1);
    return std::string(t);
}

// A value of an item list: its "data" box holds a type, a locale and the value.
std::optional<std::string_view> dataValue(std::string_view item, Walk& w) {
    std::optional<std::string_view> out;
    w.eachBoxIn(item, [&](const Box& b, std::string_view p) {
        if (b.type == "data" && p.size() >= 8) {
            out = p.substr(8);
            return false;
        }
        return true;
    });
    return out;
}

// The keys and values of a metadata box: com.apple.quicktime.make and the like,
// and the item list's own ©mak, ©mod, ©day.
void readMeta(std::string_view payload, Walk& w, Movie& m) {
    std::vector<std::string> keys;
    std::string_view list;
    w.eachBoxIn(metaChildren(payload), [&](const Box& b, std::string_view p) {
        if (b.type == "keys" && p.size() >= 8) {
            const std::uint32_t count = std::min<std::uint32_t>(be32(p, 4), 1024);
            std::size_t at = 8;
            for (std::uint32_t i = 0; i < count && at + 8 <= p.size(); ++i) {
                const std::uint32_t size = be32(p, at);
                if (size < 8 || size > p.size() - at)
                    break;
                keys.emplace_back(p.substr(at + 8, size - 8));
                at += size;
            }
        } else if (b.type == "ilst") {
            list = p;
        }
        return true;
    });
    w.eachBoxIn(list, [&](const Box& b, std::string_view p) {
        const auto value = dataValue(p, w);
        if (!value)
            return true;
        std::string_view name = b.type.view();
        const std::uint32_t index = be32(b.type.view(), 0);
        if (index >= 1 && index <= keys.size())
            name = keys[index - 1];
        if (name == "com.apple.quicktime.make" || name == "\xA9mak")
            m.make = trimmedText(*value);
        else if (name == "com.apple.quicktime.model" || name == "\xA9mod")
            m.model = trimmedText(*value);
        else if (name == "com.apple.quicktime.creationdate" || name == "\xA9"
                                                                       "day")
            takeDate(m, *value);
        return true;
    });
}

// A QuickTime text item: a length, a language code, the text.
std::string_view quickTimeText(std::string_view p) {
    if (p.size() >= 4) {
        const std::uint32_t n = be16(p, 0);
        if (n <= p.size() - 4)
            return p.substr(4, n);
    }
    return {};
}

void readUserData(std::string_view payload, Walk& w, Movie& m) {
    w.eachBoxIn(payload, [&](const Box& b, std::string_view p) {
        if (b.type == "meta") {
            readMeta(p, w, m);
            return true;
        }
        // An item list style value, or a QuickTime text.
        std::string_view text;
        if (p.size() >= 8 && p.substr(4, 4) == "data"sv) {
            if (const auto v = dataValue(p, w))
                text = *v;
        } else {
            text = quickTimeText(p);
        }
        if (b.type == "\xA9mak" && m.make.empty())
            m.make = trimmedText(text);
        else if (b.type == "\xA9mod" && m.model.empty())
            m.model = trimmedText(text);
        else if (b.type == "\xA9"
                           "day")
            takeDate(m, text);
        else if (b.type == "date")
            // A phone's own date, its bytes alone: "2020-11-20T15:04:02+0100".
            takeDate(m, trimmedText(p));
        else if (b.type == "TAGS" && m.make.empty() && p.size() >= 24) {
            // A camera's own block that begins with its make, 24 bytes.
            const std::string make = trimmedText(p.substr(0, 24));
            if (!make.empty() &&
                std::all_of(make.begin(), make.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
                m.make = make;
        }
        return true;
    });
}

// The CMT1 to CMT4 blocks of a Canon box: main directory, EXIF, maker notes, GPS.
void readCanonBox(Walk& w, const Box& uuid, int depth, ContainerFind& out) {
    w.eachBox(uuid.payload, uuid.end, depth, [&](const Box& b) {
        if (b.type == "CMT1" || b.type == "CMT2" || b.type == "CMT3" || b.type == "CMT4") {
            std::string bytes;
            if (!w.payload(b, kMaxExifBytes, bytes))
                return false;
            if (!isTiffHeader(bytes)) {
                w.fault("Bad TIFF header in " + std::string(b.type.view()));
                return true;
            }
            out.parts.push_back({std::move(bytes),
                                 b.type == "CMT4" ? TDirGroup::Gps : TDirGroup::Main,
                                 b.type == "CMT3"});
        }
        return true;
    });
}

bool isCanonUuid(Walk& w, const Box& b) {
    std::string id;
    return b.type == "uuid" && w.file.read(b.payload - 16, 16, id) && id == kCanonUuid;
}

void readMovie(Walk& w, const Box& moov, Movie& m, ContainerFind& out) {
    w.eachBox(moov.payload, moov.end, 2, [&](const Box& b) {
        std::string p;
        if (b.type == "mvhd") {
            if (!w.file.read(
                    b.payload,
                    static_cast<std::size_t>(std::min<std::uint64_t>(b.end - b.payload, 12)), p))
                return true;
            m.created = p.size() >= 12 && p[0] == 1 ? be64(p, 4) : be32(p, 4);
        } else if (b.type == "udta" || b.type == "meta") {
            if (b.end - b.payload > kMaxMetaBytes || !w.payload(b, kMaxMetaBytes, p))
                return true;
            if (b.type == "udta")
                readUserData(p, w, m);
            else
                readMeta(p, w, m);
        } else if (isCanonUuid(w, b)) {
            readCanonBox(w, b, 3, out);
        }
        return true;
    });
}

// Item tables of a HEIF file: the "Exif" item, where its bytes lie.
using Cursor = CurseurOctets;

std::optional<std::uint32_t> exifItemId(std::string_view iinf, Walk& w) {
    Cursor c{iinf};
    const auto version = c.take(1);
    c.take(3);
    c.take(version == 0 ? 2 : 4);
    if (!c.ok)
        return std::nullopt;
    std::optional<std::uint32_t> id;
    w.eachBoxIn(iinf.substr(c.at), [&](const Box& b, std::string_view p) {
        if (b.type != "infe")
            return true;
        Cursor e{p};
        const auto v = e.take(1);
        e.take(3);
        if (v < 2)
            return true;
        const auto item = e.take(v == 2 ? 2 : 4);
        e.take(2);
        const auto type = e.take(4);
        if (e.ok && type == be32("Exif", 0)) {
            id = static_cast<std::uint32_t>(item);
            return false;
        }
        return true;
    });
    return id;
}

void readHeifMeta(Walk& w, const Box& meta, ContainerFind& out) {
    std::string p;
    if (!w.payload(meta, kMaxMetaBytes, p))
        return;
    std::string_view iinf, iloc, idat;
    std::uint64_t idatStart = 0;
    if (p.size() < 4)
        return;
    w.eachBoxIn(std::string_view(p).substr(4), [&](const Box& b, std::string_view body) {
        if (b.type == "iinf")
            iinf = body;
        else if (b.type == "iloc")
            iloc = body;
        else if (b.type == "idat") {
            idat = body;
            idatStart = b.payload;
        }
        return true;
    });
    (void)idatStart;
    const auto id = exifItemId(iinf, w);
    if (!id)
        return;
    std::vector<Extent> extents;
    bool inIdat = false;
    if (!itemExtents(iloc, *id, extents, inIdat)) {
        w.fault("Bad item location for the Exif item");
        return;
    }
    std::string item;
    for (const Extent& e : extents) {
        // A length of 0 runs to the end of the file (or of the item data).
        const std::uint64_t whole = inIdat ? idat.size() : w.file.size();
        const std::uint64_t length =
            e.length ? e.length : (e.offset <= whole ? whole - e.offset : 0);
        if (e.offset > whole || length > whole - e.offset) {
            w.fault("Exif item past the end of the file");
            return;
        }
        if (length > kMaxExifBytes - item.size()) {
            w.fault("Exif item too large to be read");
            return;
        }
        if (inIdat)
            item.append(idat.substr(e.offset, length));
        else if (!w.file.read(e.offset, static_cast<std::size_t>(length), item)) {
            w.fault("Exif item past the end of the file");
            return;
        }
    }
    // The item starts with the offset of the TIFF header after these four bytes.
    const std::uint32_t skip = be32(item, 0);
    if (item.size() < 4 || skip > item.size() - 4) {
        w.fault("Bad Exif item header");
        return;
    }
    const std::string_view tiff = withoutExifPrefix(std::string_view(item).substr(4 + skip));
    if (!isTiffHeader(tiff)) {
        w.fault("Bad TIFF header in the Exif item");
        return;
    }
    out.parts.push_back({std::string(tiff), TDirGroup::Main});
}

ContainerFind findIso(FileWindow& file) {
    ContainerFind out;
    Walk w(file);
    Movie movie;
    bool isMovie = false;
    w.eachBox(0, file.size(), 0, [&](const Box& b) {
        if (b.type == "moov") {
            isMovie = true;
            readMovie(w, b, movie, out);
        } else if (b.type == "meta") {
            readHeifMeta(w, b, out);
        }
        return true;
    });
    if (out.parts.empty() && isMovie) {
        // The camera's date with its time zone, else one written without, else the
        // movie header's creation time (UTC) in this computer's time.
        PlainFacts f{movie.make, movie.model, movie.zonedDate, 0};
        out.dateSource = DateSource::FilmZoned;
        if (f.dateTime.empty()) {
            f.dateTime = movie.plainDate;
            out.dateSource = DateSource::Film;
        }
        if (f.dateTime.empty()) {
            f.dateTime = localTimeOf1904(movie.created).value_or("");
            out.dateSource = DateSource::FilmHeader;
        }
        if (!f.make.empty() || !f.model.empty() || !f.dateTime.empty())
            out.parts.push_back({tiffOfFacts(f), TDirGroup::Main});
    }
    if (out.parts.empty())
        out.error = w.error;
    return out;
}

// The TIFF structure a PNG or WebP chunk holds from `at` on (its "Exif" prefix, when a
// writer put one, passed over): added to `out`, or the fault said in its error.
void exifDuBloc(FileWindow& file, std::uint64_t at, std::uint64_t length, ContainerFind& out) {
    std::string data;
    if (length > kMaxExifBytes || !file.read(at, static_cast<std::size_t>(length), data)) {
        out.error = "Exif chunk too large to be read";
        return;
    }
    const std::string_view tiff = withoutExifPrefix(data);
    if (!isTiffHeader(tiff)) {
        out.error = "Bad TIFF header in the Exif chunk";
        return;
    }
    out.parts.push_back({std::string(tiff), TDirGroup::Main});
}

// The XMP packet of a PNG iTXt chunk ("XML:com.adobe.xmp", uncompressed) into `out`.
void xmpDuBloc(FileWindow& file, std::uint64_t at, std::uint64_t length, ContainerFind& out) {
    static constexpr std::string_view kKeyword = "XML:com.adobe.xmp\0"sv;
    std::string data;
    if (!file.read(at, static_cast<std::size_t>(length), data) || !data.starts_with(kKeyword))
        return;
    // Keyword, compression flag and method, language and translated keyword.
    std::size_t p = kKeyword.size();
    if (p + 2 > data.size() || data[p] != 0)
        return;
    p += 2;
    for (int field = 0; field < 2; ++field) {
        const auto zero = data.find('\0', p);
        if (zero == std::string::npos)
            return;
        p = zero + 1;
    }
    out.xmp = data.substr(p);
}

ContainerFind findPng(FileWindow& file) {
    ContainerFind out;
    const png::ChunkWalk walk =
        png::eachChunk(file, [&](std::string_view type, std::uint64_t at, std::uint32_t length) {
            if (type == "eXIf"sv && out.parts.empty()) {
                exifDuBloc(file, at, length, out);
                return out.xmp.empty() && !out.parts.empty();
            }
            if (type == "iTXt"sv && out.xmp.empty() && length <= kMaxMetaBytes) {
                xmpDuBloc(file, at, length, out);
                return out.parts.empty() || out.xmp.empty();
            }
            // Editors write their metadata before the picture: none is looked for after it.
            return !(type == "IDAT"sv && !out.parts.empty());
        });
    if (!walk.error.empty())
        out.error = walk.error;
    return out;
}

ContainerFind findWebP(FileWindow& file) {
    ContainerFind out;
    std::string h;
    if (!file.read(0, 12, h))
        return out;
    const std::uint64_t end = std::min<std::uint64_t>(file.size(), 8 + std::uint64_t{le32(h, 4)});
    std::uint64_t at = 12;
    for (int n = 0; n < kMaxChunks && at + 8 <= end; ++n) {
        h.clear();
        if (!file.read(at, 8, h))
            break;
        const std::uint64_t length = le32(h, 4);
        if (length > end - at - 8) {
            out.error = "Chunk past the end of the file";
            return out;
        }
        if (std::string_view(h).substr(0, 4) == "EXIF"sv) {
            exifDuBloc(file, at + 8, length, out);
            return out;
        }
        at += 8 + length + (length & 1);
    }
    return out;
}

// The contents of a "brob" box (the type of the box it stands for, then that box's
// payload compressed with Brotli), never more than `cap` bytes of it.
bool brotliPayload(std::string_view packed, std::size_t cap, std::string& out, Walk& w) {
    BrotliDecoderState* state = BrotliDecoderCreateInstance(nullptr, nullptr, nullptr);
    if (!state) {
        w.fault("Compressed Exif box could not be read");
        return false;
    }
    out.clear();
    const auto* next = reinterpret_cast<const std::uint8_t*>(packed.data());
    std::size_t left = packed.size();
    char chunk[16384];
    BrotliDecoderResult r = BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT;
    while (r == BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT) {
        auto* to = reinterpret_cast<std::uint8_t*>(chunk);
        std::size_t room = sizeof chunk;
        r = BrotliDecoderDecompressStream(state, &left, &next, &room, &to, nullptr);
        const std::size_t got = sizeof chunk - room;
        // Checked before keeping them: a few bytes may unpack to gigabytes.
        if (got > cap - out.size()) {
            r = BROTLI_DECODER_RESULT_ERROR;
            w.fault("Compressed Exif box too large to be read");
            break;
        }
        out.append(chunk, got);
    }
    BrotliDecoderDestroyInstance(state);
    if (r == BROTLI_DECODER_RESULT_SUCCESS)
        return true;
    w.fault("Damaged compressed Exif box");
    out.clear();
    return false;
}

ContainerFind findJpegXl(FileWindow& file) {
    ContainerFind out;
    Walk w(file);
    w.eachBox(0, file.size(), 0, [&](const Box& b) {
        std::string p;
        if (b.type == "brob") {
            // Only a compressed Exif box is unpacked; other compressed boxes are passed by.
            std::string type;
            if (b.end - b.payload < 4 || !file.read(b.payload, 4, type) || type != "Exif")
                return true;
            std::string packed;
            if (!w.payload(b, kMaxExifBytes, packed) ||
                !brotliPayload(std::string_view(packed).substr(4), kMaxExifBytes, p, w))
                return false;
        } else if (b.type != "Exif") {
            return true;
        } else if (!w.payload(b, kMaxExifBytes, p)) {
            return false;
        }
        const std::uint32_t skip = be32(p, 0);
        if (p.size() < 4 || skip > p.size() - 4) {
            w.fault("Bad Exif box header");
            return false;
        }
        const std::string_view tiff = withoutExifPrefix(std::string_view(p).substr(4 + skip));
        if (!isTiffHeader(tiff)) {
            w.fault("Bad TIFF header in the Exif box");
            return false;
        }
        out.parts.push_back({std::string(tiff), TDirGroup::Main});
        return false;
    });
    if (out.parts.empty())
        out.error = w.error;
    return out;
}

ContainerFind findRaf(FileWindow& file) {
    ContainerFind out;
    std::string h;
    if (!file.read(0, 92, h)) {
        out.error = "Header cut short";
        return out;
    }
    const std::uint64_t offset = be32(h, 84), length = be32(h, 88);
    if (offset < 92 || offset > file.size() || length > file.size() - offset) {
        out.error = "Embedded JPEG past the end of the file";
        return out;
    }
    out.jpegOffset = offset;
    return out;
}

// The records of a CRW heap: make and model, the time it was taken, the rotation.
struct CrwWalk {
    CrwWalk(FileWindow& f, bool bigEndian) : file(f), be(bigEndian) {}
    FileWindow& file;
    bool be = false;
    int records = 0;
    std::string error;
    PlainFacts facts;
    std::string serial;

    void heap(std::uint64_t start, std::uint64_t end, int depth) {
        if (depth > kMaxDepth || end - start < 4) {
            error = depth > kMaxDepth ? "Heaps nested too deep" : "Heap cut short";
            return;
        }
        std::string b;
        if (!file.read(end - 4, 4, b)) {
            error = "Heap past the end of the file";
            return;
        }
        const std::uint64_t table = start + u32in(be, b, 0);
        b.clear();
        if (table > end - 4 || end - 4 - table < 2 || !file.read(table, 2, b)) {
            error = "Heap table past the end of its heap";
            return;
        }
        const std::uint64_t count = u16in(be, b, 0);
        if (count * 10 > end - 4 - table - 2) {
            error = "Heap table past the end of its heap";
            return;
        }
        std::string entries;
        if (!file.read(table + 2, static_cast<std::size_t>(count * 10), entries)) {
            error = "Heap table past the end of the file";
            return;
        }
        for (std::uint64_t i = 0; i < count && error.empty(); ++i) {
            if (++records > kMaxRecords) {
                error = "Too many records";
                return;
            }
            const std::size_t e = static_cast<std::size_t>(i * 10);
            const std::uint32_t tag = u16in(be, entries, e);
            const std::uint64_t size = u32in(be, entries, e + 2),
                                offset = u32in(be, entries, e + 6);
            std::string value;
            if ((tag & 0xC000) == 0x4000) {
                value = entries.substr(e + 2, 8); // the value lies in the record itself
            } else if ((tag & 0xC000) == 0) {
                if (offset > end - start || size > end - start - offset) {
                    error = "Record past the end of its heap";
                    return;
                }
                const std::uint32_t type = tag & 0x3800;
                if (type == 0x2800 || type == 0x3000) {
                    heap(start + offset, start + offset + size, depth + 1);
                    continue;
                }
                const std::uint32_t id = tag & 0x3FFF;
                if (id != 0x080A && id != 0x180B && id != 0x180E && id != 0x1810)
                    continue;
                if (!file.read(start + offset,
                               static_cast<std::size_t>(std::min<std::uint64_t>(size, 256)), value))
                    continue;
            }
            take(tag & 0x3FFF, value);
        }
    }

    void take(std::uint32_t id, std::string_view v) {
        if (id == 0x080A && facts.make.empty()) {
            const auto zero = v.find('\0');
            facts.make = trimmedText(v.substr(0, zero));
            if (zero != std::string_view::npos)
                facts.model = trimmedText(v.substr(zero + 1));
        } else if (id == 0x180B && v.size() >= 4 && serial.empty()) {
            // The body's serial number, written with ten digits as the cameras show it.
            char text[16];
            if (const std::uint32_t n = u32in(be, v, 0); n != 0) {
                std::snprintf(text, sizeof text, "%010u", n);
                serial = text;
            }
        } else if (id == 0x180E && v.size() >= 4 && facts.dateTime.empty()) {
            // Seconds since 1970 of the camera's clock, taken as they are.
            const std::time_t t = static_cast<std::time_t>(u32in(be, v, 0));
            std::tm tm{};
            char text[32];
            if (t != 0 && gmtime_r(&t, &tm) &&
                std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &tm) == 19)
                facts.dateTime = text;
        } else if (id == 0x1810 && v.size() >= 16) {
            switch (static_cast<std::int32_t>(u32in(be, v, 12))) {
            case 0:
                facts.orientation = 1;
                break;
            case 90:
                facts.orientation = 6;
                break;
            case 180:
                facts.orientation = 3;
                break;
            case 270:
                facts.orientation = 8;
                break;
            default:
                break;
            }
        }
    }
};

ContainerFind findCrw(FileWindow& file) {
    ContainerFind out;
    std::string h;
    if (!file.read(0, 14, h)) {
        out.error = "Header cut short";
        return out;
    }
    CrwWalk w(file, h[0] == 'M');
    const std::uint64_t start = u32in(w.be, h, 2);
    if (start < 14 || start > file.size()) {
        out.error = "Heap past the end of the file";
        return out;
    }
    w.heap(start, file.size(), 0);
    if (!w.facts.make.empty() || !w.facts.dateTime.empty()) {
        out.parts.push_back({tiffOfFacts(w.facts), TDirGroup::Main});
        out.dateSource = DateSource::MakerNote;
        out.makerSerial = w.serial;
    } else
        out.error = w.error;
    return out;
}

// The blocks of an MRW file up to its picture data; the TTW block is a TIFF structure.
ContainerFind findMrw(FileWindow& file) {
    ContainerFind out;
    std::string h;
    if (!file.read(0, 8, h)) {
        out.error = "Header cut short";
        return out;
    }
    const std::uint64_t end = std::min<std::uint64_t>(file.size(), 8 + std::uint64_t{be32(h, 4)});
    std::uint64_t at = 8;
    for (int n = 0; n < kMaxRecords && at + 8 <= end; ++n) {
        h.clear();
        if (!file.read(at, 8, h))
            break;
        const std::uint64_t length = be32(h, 4);
        if (length > end - at - 8) {
            out.error = "Block past the end of the file";
            return out;
        }
        if (std::string_view(h).substr(0, 4) == "\0TTW"sv) {
            std::string tiff;
            if (length > kMaxExifBytes ||
                !file.read(at + 8, static_cast<std::size_t>(length), tiff) || !isTiffHeader(tiff)) {
                out.error = "Bad TIFF block";
                return out;
            }
            out.parts.push_back({std::move(tiff), TDirGroup::Main});
            return out;
        }
        at += 8 + length;
    }
    return out;
}

} // namespace

ContainerFind findExif(FileWindow& file, Container container) {
    switch (container) {
    case Container::IsoMedia:
        return findIso(file);
    case Container::Png:
        return findPng(file);
    case Container::WebP:
        return findWebP(file);
    case Container::JpegXl:
        return findJpegXl(file);
    case Container::Raf:
        return findRaf(file);
    case Container::Crw:
        return findCrw(file);
    case Container::Mrw:
        return findMrw(file);
    default:
        return {};
    }
}

} // namespace varlime
