// SPDX-License-Identifier: GPL-3.0-or-later
// The one box walker and the one PNG chunk walker the EXIF reader and the picture
// loaders share: where a damaged file stops them, and what they say of it.
#include "core/boitesIso.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace varlime;

namespace {

std::string be32(std::uint32_t v) {
    std::string s;
    for (int i = 3; i >= 0; --i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}
std::string box(const std::string& type, const std::string& payload) {
    return be32(static_cast<std::uint32_t>(8 + payload.size())) + type + payload;
}
std::string chunk(const std::string& type, const std::string& data) {
    return be32(static_cast<std::uint32_t>(data.size())) + type + data + "CRC!";
}

// The bytes as a file, walked through a window on it.
template <class F> void surFichier(const std::string& octets, const F& f) {
    test::TempDir dir;
    const int fd = ::open(dir.write("f", octets).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    FileWindow fichier(fd, octets.size());
    f(fichier);
    ::close(fd);
}

} // namespace

TEST(BoitesIso, walksNestedBoxesAndSaysWhereADamagedOneStops) {
    const std::string uuidCourt = be32(20) + "uuid" + std::string(12, 'u');
    struct Cas {
        const char* nom;
        std::string octets;
        std::string vues; // the types met, children after their parent
        const char* erreur;
    } const cas[] = {
        {"whole", box("ftyp", "heic") + box("moov", box("trak", "") + box("udta", "x")),
         "ftyp moov trak udta ", ""},
        {"size past its container", box("moov", be32(100) + "trak"), "moov ",
         "Box size past the end of its container"},
        {"size smaller than its header", box("ftyp", "") + be32(4) + "moov", "ftyp ",
         "Box size smaller than its header"},
        {"uuid without its 16 bytes", uuidCourt, "", "Box header cut short"},
        {"64-bit size past the file", be32(1) + "mdat" + be32(1) + be32(0), "",
         "Box size past the end of its container"},
    };
    for (const Cas& c : cas) {
        surFichier(c.octets, [&](FileWindow& fichier) {
            iso::Walk w(fichier);
            std::string vues;
            const auto enfants = [&](const iso::Box& b, const auto& soi) -> bool {
                vues += std::string(b.type.view()) + " ";
                if (b.type == "moov")
                    w.eachBox(b.payload, b.end, 1, [&](const iso::Box& e) { return soi(e, soi); });
                return true;
            };
            w.eachBox(0, fichier.size(), 0, [&](const iso::Box& b) { return enfants(b, enfants); });
            EXPECT_EQ(vues, c.vues) << c.nom;
            EXPECT_EQ(w.error, c.erreur) << c.nom;
        });
    }
}

TEST(BoitesIso, boxesNestedPastTheLimitAreAFault) {
    std::string octets = box("free", "");
    for (int i = 0; i <= iso::kMaxDepth + 1; ++i)
        octets = box("moov", octets);
    surFichier(octets, [](FileWindow& fichier) {
        iso::Walk w(fichier);
        int profondeur = 0;
        const auto descendre = [&](const iso::Box& b, const auto& soi) -> bool {
            ++profondeur;
            return w.eachBox(b.payload, b.end, profondeur,
                             [&](const iso::Box& e) { return soi(e, soi); });
        };
        w.eachBox(0, fichier.size(), 0, [&](const iso::Box& b) { return descendre(b, descendre); });
        EXPECT_EQ(w.error, "Boxes nested too deep");
        EXPECT_EQ(profondeur, iso::kMaxDepth + 1);
    });
}

TEST(MorceauxPng, walksToIendAndStopsWhereAChunkRunsPastTheEnd) {
    const std::string signature("\x89PNG\r\n\x1A\n", 8);
    const std::string debut = signature + chunk("IHDR", std::string(13, '\0'));
    struct Cas {
        const char* nom;
        std::string octets;
        std::string vus;
        const char* erreur;
        std::size_t arret; // where the walk stopped, from the end of the file
    } const cas[] = {
        {"whole", debut + chunk("IDAT", "pix") + chunk("IEND", "") + "trailing", "IHDR IDAT IEND ",
         "", 8 + 12},
        {"cut in the last header", debut + chunk("IDAT", "pix") + std::string(3, '\0'),
         "IHDR IDAT ", "Chunk header past the end of the file", 3},
        {"length past the end", debut + be32(1000) + "tEXt" + "abc", "IHDR ",
         "Chunk past the end of the file", 11},
        {"length over 2^31", debut + be32(0x80000000u) + "IDAT" + std::string(8, 'x'), "IHDR ",
         "Chunk past the end of the file", 16},
    };
    for (const Cas& c : cas) {
        surFichier(c.octets, [&](FileWindow& fichier) {
            std::string vus;
            const png::ChunkWalk w = png::eachChunk(
                fichier, [&](std::string_view type, std::uint64_t at, std::uint32_t longueur) {
                    vus += std::string(type) + " ";
                    // The data announced lies in the file.
                    EXPECT_LE(at + longueur + 4, fichier.size()) << c.nom;
                    return true;
                });
            EXPECT_EQ(vus, c.vus) << c.nom;
            EXPECT_EQ(w.error, c.erreur) << c.nom;
            EXPECT_EQ(fichier.size() - w.at, c.arret) << c.nom;
        });
    }
}
