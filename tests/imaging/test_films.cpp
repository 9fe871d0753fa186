// SPDX-License-Identifier: GPL-3.0-or-later
// Films show the picture they store of themselves, whichever box the camera keeps it in,
// and nothing when they store none; HEIF files whose item tables declare more than the
// pictures' budget never reach libheif. Run with the imaging library and without it.
#include "exif/container_builder.h"
#include "films_builder.h"
#include "imaging/LibGfl.h"
#include "imaging/chargementImage.h"
#include "imaging/structureHeif.h"
#include "imaging_files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace varlime;
using test::be16;
using test::be32;
using test::box;
using test::film;
using test::fullBox;
using test::kFtypMov;
using test::kFtypMp4;
using test::TempDir;
using test::thmb;

namespace {

bool avecBibliotheque() {
    const char* e = std::getenv("VARLIME_GFL");
    return !(e && std::string(e) == "off");
}

// An item list's cover: a "data" box of the given type (13 JPEG, 14 PNG).
std::string couverture(std::uint32_t type, const std::string& image) {
    const std::string hdlr = fullBox("hdlr", 0, be32(0) + "mdir" + std::string(13, '\0'));
    return box("udta",
               fullBox("meta", 0,
                       hdlr + box("ilst", box("covr", box("data", be32(type) + be32(0) + image)))));
}

// A film whose one track is made of JPEG frames; its first frame lies at the start of the
// media data, `decalage` bytes further when the table points elsewhere.
std::string filmJpeg(const std::string& jpeg, std::uint32_t decalage) {
    const std::string entree = be32(16) + "jpeg" + std::string(8, '\0');
    const std::string stbl =
        box("stbl", fullBox("stsd", 0, be32(1) + entree) +
                        fullBox("stsz", 0,
                                be32(0) + be32(1) + be32(static_cast<std::uint32_t>(jpeg.size()))) +
                        fullBox("stco", 0, be32(1) + be32(0)));
    const std::string hdlr = fullBox("hdlr", 0, be32(0) + "vide" + std::string(13, '\0'));
    std::string mdat = box("mdat", jpeg);
    const std::string debut = kFtypMov + mdat;
    std::string moov = box("moov", test::movieHeader(3600000000u) +
                                       box("trak", box("mdia", hdlr + box("minf", stbl))));
    // The chunk offset is the frame's place in the file.
    const std::size_t at = moov.find("stco") + 12;
    moov.replace(at, 4, be32(static_cast<std::uint32_t>(kFtypMov.size() + 8 + decalage)));
    return debut + moov;
}

struct Couleur {
    int r, v, b;
};

// Whether a pixel is near the colour (a JPEG is a few levels off).
bool proche(std::uint32_t px, Couleur c) {
    return std::abs(static_cast<int>((px >> 16) & 255) - c.r) < 12 &&
           std::abs(static_cast<int>((px >> 8) & 255) - c.v) < 12 &&
           std::abs(static_cast<int>(px & 255) - c.b) < 12;
}

TEST(Films, storedPictureShownElseNothing) {
    TempDir dir;
    const std::string rouge = test::jpegUni(160, 120, 220, 20, 20);
    const std::string vert = test::jpegUni(160, 120, 20, 220, 20);
    const std::string bleu = test::jpegUni(160, 120, 20, 20, 220);
    const std::string blanc = test::jpegUni(64, 64, 240, 240, 240);
    const std::string jaune = test::jpegUni(32, 24, 230, 230, 20);
    Pixels unPixel;
    unPixel.largeur = unPixel.hauteur = 1;
    unPixel.px = {rgb(1, 2, 3)};
    ASSERT_TRUE(ecrirePng(unPixel, dir.path() + "un.png"));
    const std::string png = test::readFile(dir.path() + "un.png");
    struct Cas {
        const char* nom;
        std::string octets;
        int largeur, hauteur; // 0: nothing shown
        Couleur couleur;
    };
    const std::vector<Cas> cas = {
        {"canon.mp4",
         film(kFtypMp4, thmb(rouge, static_cast<std::uint32_t>(rouge.size()))),
         160,
         120,
         {220, 20, 20}},
        {"canon.mov",
         film(kFtypMov, box("udta", box("CNTH", box("CNDA", vert)))),
         160,
         120,
         {20, 220, 20}},
        {"nikon.mov",
         film(kFtypMov, box("udta", box("NCDT", box("NCHD", "ver") + box("NCTH", bleu)))),
         160,
         120,
         {20, 20, 220}},
        {"cover.m4v", film(kFtypMp4, couverture(13, blanc)), 64, 64, {240, 240, 240}},
        {"track.mov", filmJpeg(jaune, 0), 32, 24, {230, 230, 20}},
        // Named without an extension: its first bytes make it a film.
        {"clip",
         film(kFtypMp4, thmb(rouge, static_cast<std::uint32_t>(rouge.size()))),
         160,
         120,
         {220, 20, 20}},
        // The sample film's cover picture, 8 × 8.
        {"QuickTime.mov", test::readFile(test::photosDir() + "../raw/QuickTime.mov"), 8, 8, {}},
        // Nothing stored: no picture, and no other loader is tried on the film.
        {"none.mp4", film(kFtypMp4, ""), 0, 0, {}},
        {"png.mp4", film(kFtypMp4, couverture(14, png)), 0, 0, {}},
        // A JPEG's length reaching past its box, a frame placed past the file's end.
        {"long.mp4",
         film(kFtypMp4, thmb(rouge, static_cast<std::uint32_t>(rouge.size() + 1))),
         0,
         0,
         {}},
        {"past.mov", filmJpeg(jaune, 100000), 0, 0, {}},
        {"Pentax.avi", test::readFile(test::photosDir() + "../raw/Pentax.avi"), 0, 0, {}},
    };
    LibGfl lib;
    for (const Cas& c : cas) {
        const std::string chemin = dir.write(c.nom, c.octets);
        int autres = 0;
        const ImageChargee r =
            chargerImage(&lib, chemin, {}, [&](const std::string&, const DemandeImage&, Pixels&) {
                ++autres;
                return false;
            });
        EXPECT_EQ(r.pixels.largeur, c.largeur) << c.nom;
        EXPECT_EQ(r.pixels.hauteur, c.hauteur) << c.nom;
        EXPECT_EQ(autres, 0) << c.nom;
        if (c.largeur > 0 && c.couleur.r > 0 && r.pixels.largeur == c.largeur &&
            r.pixels.hauteur == c.hauteur) {
            EXPECT_TRUE(proche(r.pixels.at(c.largeur / 2, c.hauteur / 2), c.couleur)) << c.nom;
        }
        // Shrunk into the grid's box like any picture.
        if (c.largeur >= 64) {
            DemandeImage d;
            d.boite = {40, 40};
            const ImageChargee petite = chargerImage(&lib, chemin, d, nullptr);
            EXPECT_EQ(petite.pixels.largeur, 40) << c.nom;
        }
    }
    EXPECT_EQ(lib.DLL_LibGfl_charge(), avecBibliotheque());
}

// The phone sample is a grid of one 64 × 64 tile shown 64 × 48. The offsets below are
// those of its bytes: the grid's description in "idat" from 95 (version, flags, rows - 1,
// columns - 1, width, height on 16 bits), the tile's declared width and height ("ispe")
// at 401 and 405, the item tables' size at 28.
TEST(Heif, itemTablesBeyondTheBudgetRefusedBeforeLibheif) {
    const std::string phone = test::readFile(test::photosDir() + "../raw/Phone.heic");
    ASSERT_EQ(phone.size(), 835u);
    ASSERT_EQ(phone.substr(95, 8), std::string("\0\0\0\0\0\x40\0\x30", 8));
    auto avec = [&](std::size_t at, const std::string& octets) {
        std::string s = phone;
        s.replace(at, octets.size(), octets);
        return s;
    };
    struct Cas {
        const char* nom;
        std::string octets;
        const char* faute;
    };
    const std::vector<Cas> cas = {
        {"phone.heic", phone, ""},
        // The canvas libheif would make: 32767 × 32767 pixels, 8 GB at 8 bytes a pixel.
        {"canvas.heic", avec(99, "\x7f\xff\x7f\xff"), "Picture larger than the memory budget"},
        {"other.heic", avec(101, std::string("\0\x31", 2)),
         "Canvas of another size than its picture declares"},
        // 64 × 64 tiles.
        {"tiles.heic", avec(97, "\x3f\x3f"), "Grid of too many tiles"},
        // A tile declared 65536 × 65536.
        {"tile.heic", avec(401, std::string("\0\x01\0\0\0\x01\0\0", 8)),
         "Picture larger than the memory budget"},
        // 32-bit sizes announced in a description of 8 bytes.
        {"short.heic", avec(96, "\x01"), "Bad grid description"},
        {"meta.heic", avec(28, std::string("\0\x10\0\0", 4)),
         "Box size past the end of its container"},
    };
    TempDir dir;
    LibGfl lib;
    for (const Cas& c : cas) {
        const std::string chemin = dir.write(c.nom, c.octets);
        const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(verifierStructureHeif(fd, c.octets.size()), c.faute) << c.nom;
        ::close(fd);
        if (!avecBibliotheque())
            continue;
        // Refused as a damaged picture, without the memory libheif would have taken.
        rusage avant{}, apres{};
        ::getrusage(RUSAGE_SELF, &avant);
        Pixels p;
        const auto r = lib.Charger_image_gfl(chemin, {}, p);
        ::getrusage(RUSAGE_SELF, &apres);
        EXPECT_EQ(r == LibGfl::Resultat::Charge, std::string(c.faute).empty()) << c.nom;
        EXPECT_LT(apres.ru_maxrss - avant.ru_maxrss, 256L << 10) << c.nom;
    }
}

} // namespace
