// SPDX-License-Identifier: GPL-3.0-or-later
// The smaller copies a camera stores in its JPEG files (EXIF thumbnail, Multi-Picture
// preview): found by walking the header, used for a thumbnail when one is wide enough and
// of the picture's shape, passed over when damaged or pointing anywhere else. Each part
// has its own colour, so the decoded pixels tell which one was read.
#include "imaging/LibGfl.h"
#include "imaging/chargementImage.h"
#include "imaging/decodeurJpeg.h"
#include "imaging_files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <utility>

namespace varlime {
namespace {

using test::FichierCamera;
using test::TempDir;

// Colours far apart, each one kept well within JPEG's rounding.
constexpr std::uint32_t kRouge = rgb(200, 40, 40), kVert = rgb(40, 200, 40),
                        kBleu = rgb(40, 40, 200);

std::string image() {
    return test::jpegUni(600, 400, 200, 40, 40);
}
std::string apercu() {
    return test::jpegUni(300, 200, 40, 200, 40);
}
std::string vignette() {
    return test::jpegUni(150, 100, 40, 40, 200);
}

// The entropy-coded data replaced by bytes that are no Huffman code (all ones, as a
// stuffed 0xFF 0x00), the segments before it kept: the header reads, the data does not.
std::string donneesAbimees(std::string jpeg) {
    const std::size_t sos = jpeg.find("\xff\xda");
    const std::size_t debut = sos + 2 +
                              (static_cast<unsigned char>(jpeg[sos + 2]) << 8 |
                               static_cast<unsigned char>(jpeg[sos + 3]));
    for (std::size_t i = debut; i + 3 < jpeg.size(); i += 2) {
        jpeg[i] = '\xff';
        jpeg[i + 1] = '\0';
    }
    return jpeg;
}

// The picture with the copies given (none when empty).
FichierCamera camera(const std::string& i, const std::string& v, const std::string& a,
                     bool motorola = false) {
    FichierCamera f;
    f.image = i;
    f.vignette = v;
    f.apercu = a;
    f.motorola = motorola;
    return f;
}

// The same file with offsets or lengths that lie.
FichierCamera menteur(FichierCamera f, std::optional<std::uint32_t> positionApercu,
                      std::optional<std::uint32_t> longueurApercu,
                      std::optional<std::uint32_t> positionVignette = std::nullopt) {
    f.positionApercu = positionApercu;
    f.longueurApercu = longueurApercu;
    f.positionVignette = positionVignette;
    return f;
}

bool couleurProche(std::uint32_t a, std::uint32_t b) {
    for (int decalage : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> decalage) & 0xff) -
                     static_cast<int>((b >> decalage) & 0xff)) > 20)
            return false;
    return true;
}

std::string nomCouleur(std::uint32_t c) {
    return couleurProche(c, kRouge)  ? "the picture"
           : couleurProche(c, kVert) ? "the preview"
           : couleurProche(c, kBleu) ? "the thumbnail"
                                     : "another colour";
}

TEST(StoredCopies, smallestFittingCopyDecodedElseThePicture) {
    const std::string i = image(), a = apercu(), v = vignette();
    // 160 × 120 with the picture in a 3:2 band, as some cameras write for 3:2 pictures.
    const std::string boite = test::jpegUni(160, 120, 40, 40, 200);
    const std::string carre = test::jpegUni(300, 225, 40, 200, 40);
    // The same picture and thumbnail with what the EXIF block records of them.
    const auto note = [&](std::optional<std::pair<int, int>> taille, std::string date,
                          std::string dateVignette) {
        FichierCamera f = camera(i, v, "");
        f.tailleExif = taille;
        f.dateExif = std::move(date);
        f.dateVignette = std::move(dateVignette);
        return f;
    };
    // A preview carrying its own EXIF date, in a picture dated `date`.
    const auto apercuDate = [&](std::string date, std::string dateApercu) {
        FichierCamera copie = camera(a, "", "");
        copie.dateExif = std::move(dateApercu);
        FichierCamera f = camera(i, "", test::jpegCamera(copie));
        f.dateExif = std::move(date);
        return f;
    };
    const std::string jour = "2021:06:01 10:00:00", autreJour = "2019:01:02 08:00:00";
    // Sizes are those of the picture in the box (600 × 400 into 100 across: 100 × 67),
    // whichever part the pixels come from.
    struct Cas {
        const char* nom;
        FichierCamera parties;
        int voulue;
        std::uint32_t couleur;
        int largeur, hauteur;
        // The grid's thumbnail; the viewer and the command line never take a copy.
        bool permis = true;
    } cas[] = {
        {"preview, shrunk", camera(i, "", a), 100, kVert, 100, 67},
        {"preview, shrunk a little", camera(i, "", a), 250, kVert, 250, 167},
        {"preview, just wide enough", camera(i, "", a), 300, kVert, 300, 200},
        {"preview too narrow", camera(i, "", a), 301, kRouge, 301, 201},
        {"full size", camera(i, "", a), 0, kRouge, 600, 400},
        {"preview, big-endian", camera(i, "", a, true), 100, kVert, 100, 67},
        {"thumbnail", camera(i, v, ""), 100, kBleu, 100, 67},
        {"thumbnail too narrow", camera(i, v, ""), 200, kRouge, 200, 133},
        {"both, the smaller one", camera(i, v, a), 100, kBleu, 100, 67},
        {"both, the wide enough one", camera(i, v, a), 200, kVert, 200, 133},
        {"thumbnail with black bands", camera(i, boite, ""), 100, kRouge, 100, 67},
        {"preview of another shape", camera(i, "", carre), 100, kRouge, 100, 67},
        {"banded thumbnail passed over for the preview", camera(i, boite, a), 100, kVert, 100, 67},
        {"preview past the end", menteur(camera(i, "", a), 0x7ffffff0, std::nullopt), 100, kRouge,
         100, 67},
        {"preview longer than the file",
         menteur(camera(i, "", a), std::nullopt, static_cast<std::uint32_t>(a.size() + 1)), 100,
         kRouge, 100, 67},
        {"preview offset wrapping round", menteur(camera(i, "", a), 0xfffffff0, 0x20), 100, kRouge,
         100, 67},
        {"preview length wrapping round", menteur(camera(i, "", a), std::nullopt, 0xffffffff), 100,
         kRouge, 100, 67},
        {"thumbnail offset wrapping round",
         menteur(camera(i, v, ""), std::nullopt, std::nullopt, 0xffffffff), 100, kRouge, 100, 67},
        {"thumbnail offset at the EXIF header",
         menteur(camera(i, v, ""), std::nullopt, std::nullopt, 0), 100, kRouge, 100, 67},
        {"preview of garbage bytes", camera(i, "", std::string(a.size(), '\x5a')), 100, kRouge, 100,
         67},
        {"preview cut short", camera(i, "", a.substr(0, a.size() / 2)), 100, kRouge, 100, 67},
        {"preview with damaged data", camera(i, "", donneesAbimees(a)), 100, kRouge, 100, 67},
        {"damaged thumbnail, then the preview", camera(i, donneesAbimees(v), a), 100, kVert, 100,
         67},
        // What the file records must be the picture's: an editor that rewrote the pixels
        // often left the EXIF block, and its thumbnail, as they were.
        {"recorded size is the picture's", note(std::pair{600, 400}, "", ""), 100, kBleu, 100, 67},
        {"recorded size of another picture", note(std::pair{3888, 2592}, "", ""), 100, kRouge, 100,
         67},
        {"thumbnail dated as the picture", note(std::nullopt, jour, jour), 100, kBleu, 100, 67},
        {"thumbnail dated otherwise", note(std::nullopt, jour, autreJour), 100, kRouge, 100, 67},
        {"thumbnail undated", note(std::nullopt, jour, ""), 100, kBleu, 100, 67},
        {"preview dated as the picture", apercuDate(jour, jour), 100, kVert, 100, 67},
        {"preview dated otherwise", apercuDate(jour, autreJour), 100, kRouge, 100, 67},
        // The viewer and --render draw the picture itself, whatever the file stores.
        {"viewer: thumbnail left aside", camera(i, v, ""), 100, kRouge, 100, 67, false},
        {"viewer: preview left aside", camera(i, "", a), 100, kRouge, 100, 67, false},
    };
    TempDir dir;
    LibGfl lib;
    int n = 0;
    for (const Cas& c : cas) {
        const std::string f =
            dir.write("camera" + std::to_string(n++) + ".jpg", test::jpegCamera(c.parties));
        DemandeImage d;
        d.boite = {c.voulue, c.voulue};
        d.apercuPermis = c.permis;
        const ImageChargee r = chargerImage(&lib, f, d, nullptr);
        ASSERT_EQ(r.pixels.largeur, c.largeur) << c.nom;
        ASSERT_EQ(r.pixels.hauteur, c.hauteur) << c.nom;
        const std::uint32_t milieu = r.pixels.at(c.largeur / 2, c.hauteur / 2);
        EXPECT_TRUE(couleurProche(milieu, c.couleur))
            << c.nom << ": " << nomCouleur(milieu) << " instead of " << nomCouleur(c.couleur);
    }
}

struct Place {
    std::uint64_t position, longueur;
    bool operator==(const Place&) const = default;
};

std::vector<Place> places(const EnteteJpeg& e) {
    std::vector<Place> p;
    for (const ApercuJpeg& a : e.apercus)
        p.push_back({a.position, a.longueur});
    return p;
}

TEST(StoredCopies, headerWalkFindsTheCopiesInsideTheFile) {
    const std::string i = image(), a = apercu(), v = vignette();
    struct Cas {
        const char* nom;
        FichierCamera parties;
        // How much less the file holds than the bytes made (the preview's end cut off).
        std::size_t manque;
        bool avecVignette, avecApercu;
    } cas[] = {
        {"nothing stored", camera(i, "", ""), 0, false, false},
        {"thumbnail", camera(i, v, ""), 0, true, false},
        {"preview", camera(i, "", a), 0, false, true},
        {"both", camera(i, v, a), 0, true, true},
        {"both, big-endian", camera(i, v, a, true), 0, true, true},
        {"preview beyond a shorter file", camera(i, v, a), 1, true, false},
        {"preview wrapping round", menteur(camera(i, "", a), 0xffffffff, 2), 0, false, false},
    };
    for (const Cas& c : cas) {
        const std::string octets = test::jpegCamera(c.parties);
        const std::uint64_t tailleFichier = octets.size() - c.manque;
        std::vector<Place> attendues;
        if (c.avecVignette)
            attendues.push_back({octets.find(v), v.size()});
        if (c.avecApercu)
            attendues.push_back({octets.size() - a.size(), a.size()});
        const EnteteJpeg e = enteteJpeg(reinterpret_cast<const std::uint8_t*>(octets.data()),
                                        octets.size(), tailleFichier);
        EXPECT_EQ(e.largeur, 600) << c.nom;
        EXPECT_EQ(e.hauteur, 400) << c.nom;
        EXPECT_EQ(places(e), attendues) << c.nom;
    }
}

TEST(StoredCopies, shapeAndWidthDecideWhetherACopyWillDo) {
    struct Cas {
        int largeurImage, hauteurImage, largeur, hauteur, voulue;
        bool convient;
    } cas[] = {
        {6000, 4000, 1616, 1077, 200, true},
        {6000, 4000, 160, 107, 100, true},
        // 4:3 for a 3:2 picture: black bands.
        {6000, 4000, 160, 120, 100, false},
        {6000, 4000, 1616, 1077, 1616, true},
        {6000, 4000, 1616, 1077, 1617, false},
        // Full size is the picture's own.
        {6000, 4000, 1616, 1077, 0, false},
        {6000, 4000, 1616, 1077, -1, false},
        // Not narrower than the picture: nothing spared.
        {600, 400, 600, 400, 100, false},
        {600, 400, 900, 600, 100, false},
        // 1 % off the picture's shape, then 2.4 %.
        {600, 400, 300, 202, 100, true},
        {600, 400, 300, 205, 100, false},
        // Stored upright like the picture, or left from before a turn.
        {4000, 6000, 1077, 1616, 200, true},
        {4000, 6000, 1616, 1077, 200, false},
        {0, 0, 160, 107, 100, false},
        {6000, 4000, 0, 0, 100, false},
        {6000, -4000, 1616, -1077, 100, false},
        // The largest sides a JPEG allows: no product overflows.
        {65535, 65535, 65534, 65534, 1, true},
        {65535, 1, 65534, 65535, 1, false},
    };
    for (const Cas& c : cas)
        EXPECT_EQ(apercuConvient(c.largeurImage, c.hauteurImage, c.largeur, c.hauteur, c.voulue),
                  c.convient)
            << c.largeurImage << "x" << c.hauteurImage << " from " << c.largeur << "x" << c.hauteur
            << " for " << c.voulue;
}

} // namespace
} // namespace varlime
