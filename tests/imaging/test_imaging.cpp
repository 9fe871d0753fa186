// SPDX-License-Identifier: GPL-3.0-or-later
// The imaging core: turning, the library's bitmaps, loading with and without the
// imaging library, orientation from EXIF and the PNG writer. Run twice by ctest, with
// the library and with VARLIME_GFL=off; the cases that need one or the other say so.
#include "exif/dEXIF.h"
#include "exif/exif_builder.h"
#include "imaging/LibGfl.h"
#include "imaging/chargementImage.h"
#include "imaging/reduction.h"
#include "imaging/rotation.h"
#include "imaging_files.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>

namespace varlime {
namespace {

using test::TempDir;

// A picture whose pixel values are 1, 2, 3, ... row by row, so a place tells a pixel.
Pixels numerotee(int l, int h) {
    Pixels p;
    p.largeur = l;
    p.hauteur = h;
    for (int i = 0; i < l * h; ++i)
        p.px.push_back(static_cast<std::uint32_t>(i + 1));
    return p;
}

std::string pixelsTexte(const Pixels& p) {
    std::string s = std::to_string(p.largeur) + "x" + std::to_string(p.hauteur) + ":";
    for (std::uint32_t v : p.px)
        s += " " + std::to_string(v);
    return s;
}

TEST(Rotation, quarterTurnsAndOrientations) {
    // Stored 3 wide, 2 high:  1 2 3
    //                         4 5 6
    struct Cas {
        int orientation;
        const char* attendu;
    } cas[] = {
        {1, "3x2: 1 2 3 4 5 6"}, {2, "3x2: 3 2 1 6 5 4"}, {3, "3x2: 6 5 4 3 2 1"},
        {4, "3x2: 4 5 6 1 2 3"}, {5, "2x3: 1 4 2 5 3 6"}, {6, "2x3: 4 1 5 2 6 3"},
        {7, "2x3: 6 3 5 2 4 1"}, {8, "2x3: 3 6 2 5 1 4"}, {0, "3x2: 1 2 3 4 5 6"},
        {9, "3x2: 1 2 3 4 5 6"},
    };
    for (const Cas& c : cas) {
        Pixels p = numerotee(3, 2);
        redresser(p, c.orientation);
        EXPECT_EQ(pixelsTexte(p), c.attendu) << "orientation " << c.orientation;
    }
    Pixels p = numerotee(3, 2);
    for (int i = 0; i < 3; ++i)
        Bmprot90(p, 90);
    // Three clockwise quarter turns are one counter-clockwise.
    EXPECT_EQ(pixelsTexte(p), "2x3: 3 6 2 5 1 4");
}

TEST(Rotation, largePictureOnItsSide) {
    struct Cas {
        int orientation, largeur, hauteur;
        // The stored pixel (column, row) now at the top left corner.
        int colonne, ligne;
    } cas[] = {{6, 2000, 3000, 0, 1999},
               {8, 2000, 3000, 2999, 0},
               {1, 3000, 2000, 0, 0},
               {3, 3000, 2000, 2999, 1999}};
    for (const Cas& c : cas) {
        Pixels p = numerotee(3000, 2000);
        redresser(p, c.orientation);
        EXPECT_EQ(p.largeur, c.largeur) << c.orientation;
        EXPECT_EQ(p.hauteur, c.hauteur) << c.orientation;
        EXPECT_EQ(p.at(0, 0), static_cast<std::uint32_t>(c.ligne * 3000 + c.colonne + 1))
            << c.orientation;
    }
}

TEST(Rotation, shrinkAveragesWhatEachPixelCovers) {
    Pixels p;
    p.largeur = 4;
    p.hauteur = 2;
    p.px = {rgb(0, 0, 0),   rgb(100, 0, 0), rgb(0, 0, 255), rgb(0, 0, 255),
            rgb(200, 0, 0), rgb(100, 0, 0), rgb(0, 0, 255), rgb(0, 0, 255)};
    const Pixels r = redimensionner(p, 2);
    ASSERT_EQ(r.largeur, 2);
    ASSERT_EQ(r.hauteur, 1);
    EXPECT_EQ(r.px[0], rgb(100, 0, 0));
    EXPECT_EQ(r.px[1], rgb(0, 0, 255));
}

// The library's bitmap records as the binding converts them.
TEST(Reduction, boxSizesRoundedOnceFromThePicturesOwnSides) {
    struct Cas {
        int largeur, hauteur;
        Boite boite;
        Taille attendue;
    } cas[] = {
        {600, 450, {64, 64}, {64, 48}},
        {450, 600, {64, 64}, {48, 64}},
        {600, 450, {64, 0}, {64, 48}},
        {600, 450, {0, 48}, {64, 48}},
        {600, 450, {64, 30}, {40, 30}},
        {600, 450, {0, 0}, {600, 450}},
        {600, 450, {700, 700}, {600, 450}},
        {1, 65500, {200, 200}, {1, 200}},
        {65500, 1, {200, 200}, {200, 1}},
        {0, 450, {64, 64}, {0, 0}},
        // 6000 × 4000 into 1000: 666.67 rounds up, once.
        {4000, 6000, {0, 1000}, {667, 1000}},
    };
    for (const Cas& c : cas) {
        const Taille t = tailleCible(c.largeur, c.hauteur, c.boite);
        EXPECT_EQ(t, c.attendue) << c.largeur << "x" << c.hauteur << " in " << c.boite.largeur
                                 << "x" << c.boite.hauteur << ": " << t.largeur << "x" << t.hauteur;
    }
}

// Rows averaged into the smaller picture as they come; one pixel of each area kept for
// values whose means mean nothing; a row reused when the target is taller.
TEST(Reduction, rowsAveragedAsTheyCome) {
    struct Cas {
        const char* nom;
        int l, h, lc, hc, octets;
        bool moyenne;
        std::vector<std::uint8_t> source;
        std::vector<std::uint8_t> attendu;
    } cas[] = {
        {"halves", 4, 2, 2, 1, 1, true, {10, 20, 30, 41, 50, 60, 70, 80}, {35, 55}},
        {"uneven columns", 3, 1, 2, 1, 1, true, {9, 10, 21}, {9, 16}},
        {"two samples a pixel",
         2,
         2,
         1,
         1,
         2,
         true,
         {0, 100, 10, 100, 20, 100, 31, 101},
         {15, 100}},
        {"first of each area",
         4,
         2,
         2,
         1,
         2,
         false,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9, 9, 9, 9, 9, 9},
         {1, 2, 5, 6}},
        {"taller target reuses rows", 2, 1, 2, 3, 1, true, {7, 8}, {7, 8, 7, 8, 7, 8}},
        {"wider target repeats pixels", 2, 1, 4, 1, 1, true, {7, 8}, {7, 7, 8, 8}},
    };
    for (const Cas& c : cas) {
        Reducteur r;
        ASSERT_TRUE(r.preparer(c.l, c.h, c.lc, c.hc, c.octets, c.moyenne)) << c.nom;
        std::vector<std::uint8_t> sortie;
        int attendueY = 0;
        const std::size_t parLigne = static_cast<std::size_t>(c.l) * c.octets;
        for (int y = 0; y < c.h; ++y)
            r.ajouter(c.source.data() + y * parLigne, [&](int ligne, const std::uint8_t* o) {
                EXPECT_EQ(ligne, attendueY++) << c.nom;
                sortie.insert(sortie.end(), o, o + static_cast<std::size_t>(c.lc) * c.octets);
            });
        EXPECT_EQ(sortie, c.attendu) << c.nom;
        EXPECT_EQ(r.lignesSorties(), c.hc) << c.nom;
    }
    Reducteur r;
    EXPECT_FALSE(r.preparer(0, 1, 1, 1, 1, true));
    EXPECT_FALSE(r.preparer(1, 1, 1, 0, 3, true));
}

TEST(BitmapLibrary, depthsAndColourMaps) {
    GFL_COLORMAP carte{};
    carte.Red[2] = 10;
    carte.Green[2] = 20;
    carte.Blue[2] = 30;
    struct Cas {
        const char* nom;
        GFL_UINT16 type, octetsParPixel;
        GFL_UINT32 parLigne;
        bool avecCarte;
        std::vector<std::uint8_t> donnees;
        // Pixels of the 2 × 2 result, top row first, as 0xRRGGBB; empty when refused.
        std::vector<std::uint32_t> attendu;
    } cas[] = {
        {"two-level",
         GFL_BINARY,
         1,
         2,
         false,
         {0, 1, 255, 0},
         {0x000000, 0xffffff, 0xffffff, 0x000000}},
        {"greys",
         GFL_GREY,
         1,
         2,
         false,
         {0, 2, 128, 255},
         {0x000000, 0x020202, 0x808080, 0xffffff}},
        {"colour map",
         GFL_COLORS,
         1,
         2,
         true,
         {2, 2, 0, 2},
         {0x0a141e, 0x0a141e, 0x000000, 0x0a141e}},
        {"24 bits",
         GFL_RGB_TYPE,
         3,
         8,
         false,
         // Rows padded to 8 bytes; blue, green, red.
         {1, 2, 3, 4, 5, 6, 99, 99, 7, 8, 9, 10, 11, 12, 99, 99},
         {0x030201, 0x060504, 0x090807, 0x0c0b0a}},
        {"32 bits",
         GFL_RGBA_TYPE,
         4,
         8,
         false,
         {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0},
         {0x030201, 0x060504, 0x090807, 0x0c0b0a}},
        // Rows shorter than the width: only what is there is read, the rest stays white.
        {"short rows",
         GFL_RGB_TYPE,
         3,
         3,
         false,
         {1, 2, 3, 4, 5, 6},
         {0x030201, 0xffffff, 0x060504, 0xffffff}},
        {"16 bits grey", GFL_DEEP, 2, 4, false, {0, 0, 0, 0, 0, 0, 0, 0}, {}},
        {"48 bits", GFL_DEEP, 6, 12, false, std::vector<std::uint8_t>(24), {}},
    };
    for (Cas& c : cas) {
        GFL_BITMAP b{};
        b.Type = c.type;
        b.Width = 2;
        b.Height = 2;
        b.BytesPerLine = c.parLigne;
        b.BytesPerPixel = c.octetsParPixel;
        b.ColorMap = c.avecCarte ? &carte : nullptr;
        b.Data = c.donnees.data();
        const auto p = convertirBitmap(b);
        if (c.attendu.empty()) {
            EXPECT_FALSE(p) << c.nom;
            continue;
        }
        ASSERT_TRUE(p) << c.nom;
        std::vector<std::uint32_t> vu;
        for (std::uint32_t v : p->px)
            vu.push_back(v & 0xffffff);
        EXPECT_EQ(vu, c.attendu) << c.nom;
    }
}

bool bibliothequeVoulue() {
    const char* e = std::getenv("VARLIME_GFL");
    return !(e && std::string(e) == "off");
}

// Reads a PNG with libpng itself, to check what the writer wrote.
Pixels lirePngTemoin(const std::string& chemin) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Pixels p;
    if (!png_image_begin_read_from_file(&image, chemin.c_str()))
        return p;
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> octets(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, octets.data(), 0, nullptr))
        return p;
    p.largeur = static_cast<int>(image.width);
    p.hauteur = static_cast<int>(image.height);
    for (std::size_t i = 0; i + 2 < octets.size(); i += 3)
        p.px.push_back(rgb(octets[i], octets[i + 1], octets[i + 2]));
    return p;
}

TEST(Loading, samplePhotosStandUprightWithOrWithoutTheLibrary) {
    LibGfl lib;
    TimgData reader;
    const std::string dossier = test::photosDir() + "orientation/";
    const ImageChargee droite =
        chargerImageRedressee(&lib, reader, dossier + "landscape_1.jpg", {}, nullptr);
    ASSERT_EQ(droite.pixels.largeur, 600);
    ASSERT_EQ(droite.pixels.hauteur, 450);
    EXPECT_EQ(lib.DLL_LibGfl_charge(), bibliothequeVoulue());
    for (int n = 1; n <= 8; ++n) {
        const std::string f = dossier + "landscape_" + std::to_string(n) + ".jpg";
        EXPECT_EQ(orientationExif(reader, f), n);
        const ImageChargee r = chargerImageRedressee(&lib, reader, f, {}, nullptr);
        ASSERT_EQ(r.pixels.largeur, 600) << f;
        ASSERT_EQ(r.pixels.hauteur, 450) << f;
        // Each file carries its own digit, so no turn matches exactly; the scene turned
        // the right way matches best of all eight ways.
        const auto ecartMoyen = [&](const Pixels& image) {
            const Pixels a = redimensionner(droite.pixels, 30), b = redimensionner(image, 30);
            long long ecart = 0;
            for (std::size_t i = 0; i < a.px.size(); ++i)
                for (int decalage : {0, 8, 16})
                    ecart += std::abs(static_cast<int>((a.px[i] >> decalage) & 0xff) -
                                      static_cast<int>((b.px[i] >> decalage) & 0xff));
            return ecart / static_cast<long long>(a.px.size() * 3);
        };
        const Pixels stocke = chargerImage(&lib, f, {}, nullptr).pixels;
        int meilleure = 0;
        long long plusPetit = 1 << 30;
        for (int o = 1; o <= 8; ++o) {
            Pixels essai = stocke;
            redresser(essai, o);
            if (essai.largeur != 600)
                continue;
            if (const long long e = ecartMoyen(essai); e < plusPetit) {
                plusPetit = e;
                meilleure = o;
            }
        }
        EXPECT_EQ(meilleure, n) << f;
    }
}

// A camera's portrait shot: stored lying, stood up by its EXIF orientation. Asked for a
// width, it comes back at least that wide once upright, never decoded to the stored
// width and enlarged afterwards.
TEST(Loading, pictureOnItsSideDecodedForTheWidthItWillHave) {
    TempDir dir;
    const test::Tiff t{false};
    const std::string uni = test::jpegUni(3000, 2000, 200, 30, 30);
    const std::string exif =
        test::exifApp1(t.build({{t.shortE(0x112, {6}), t.sub(0x8769, 1)},
                                {t.longE(0xA002, 3000), t.longE(0xA003, 2000)}}));
    const std::string f = dir.write("debout.jpg", uni.substr(0, 2) + exif + uni.substr(2));
    LibGfl lib;
    TimgData reader;
    for (int voulue : {300, 700}) {
        DemandeImage d;
        d.boite.largeur = voulue;
        const ImageChargee r = chargerImageRedressee(&lib, reader, f, d, nullptr);
        EXPECT_LT(r.pixels.largeur, r.pixels.hauteur) << voulue;
        EXPECT_GE(r.pixels.largeur, voulue);
        // Still decoded shrunk, not at full size.
        EXPECT_LT(r.pixels.largeur, 2000) << voulue;
    }
}

TEST(Loading, filesNoLoaderReadsComeBackEmpty) {
    TempDir dir;
    LibGfl lib;
    TimgData reader;
    std::vector<std::string> fichiers = {dir.write("texte.jpg", "not a picture at all"),
                                         dir.write("vide.jpg", ""),
                                         dir.write("inconnu.xyz", std::string(400, 'a')),
                                         dir.write("tronque.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR")};
    for (const char* raw : {"CanonRaw.cr2", "CanonRaw.crw", "DNG.dng", "Pentax.avi"})
        fichiers.push_back(test::photosDir() + "../raw/" + raw);
    for (const std::string& f : fichiers) {
        int autres = 0;
        const ImageChargee r =
            chargerImageRedressee(&lib, reader, f, {{160, 160}, true},
                                  [&](const std::string&, const DemandeImage&, Pixels&) {
                                      ++autres;
                                      return false;
                                  });
        EXPECT_TRUE(r.pixels.vide()) << f;
        EXPECT_FALSE(r.profondeurRefusee) << f;
    }
}

// Damaged and cut-short files: whatever comes back is whole (the sanitizers watch
// every read), and nothing throws or crashes.
TEST(Loading, damagedAndTruncatedFilesStayInsideTheirBuffers) {
    TempDir dir;
    std::vector<std::string> fichiers;
    for (const char* f :
         {"67-0_length_string.jpg", "corrupted.jpg", "image01551.jpg", "image02206.jpg"})
        fichiers.push_back(test::photosDir() + "damaged/" + f);
    Pixels p;
    p.largeur = 30;
    p.hauteur = 20;
    p.px.assign(600, rgb(1, 2, 3));
    ASSERT_TRUE(ecrirePng(p, dir.path() + "entier.png"));
    const std::string sources[] = {test::photosDir() + "Canon_40D.jpg", dir.path() + "entier.png",
                                   test::photosDir() + "tiff/Arbitro.tiff"};
    for (const std::string& source : sources) {
        const std::string octets = test::readFile(source);
        const std::string ext = source.substr(source.rfind('.'));
        for (std::size_t coupe :
             {std::size_t{3}, std::size_t{40}, octets.size() / 3, octets.size() - 10})
            fichiers.push_back(
                dir.write("coupe" + std::to_string(coupe) + ext, octets.substr(0, coupe)));
    }
    LibGfl lib;
    TimgData reader;
    for (const std::string& f : fichiers) {
        const ImageChargee r = chargerImageRedressee(&lib, reader, f, {}, nullptr);
        EXPECT_EQ(r.pixels.px.size(), static_cast<std::size_t>(r.pixels.largeur) * r.pixels.hauteur)
            << f;
    }
}

// Decoded straight to the size shown (libjpeg's scaling, then the rows averaged as they
// come), each side following the picture's own proportions, rounded once: 600 × 450
// shown 64 across is 64 × 48, not the 64 × 49 a height taken from the reduced decode
// (75 × 57) would give. A stored copy serves the thumbnail only when it is the picture.
TEST(Loading, sizesFollowThePicturesOwnProportions) {
    TempDir dir;
    const std::string debout = dir.write("debout.jpg", test::jpegUni(450, 600, 90, 90, 90));
    const std::string o = test::photosDir() + "orientation/";
    struct Cas {
        std::string fichier;
        Boite boite;
        bool apercu;
        int largeur, hauteur;
    } cas[] = {
        {o + "landscape_1.jpg", {64, 64}, true, 64, 48},
        {o + "landscape_1.jpg", {64, 0}, false, 64, 48},
        {o + "landscape_1.jpg", {0, 48}, false, 64, 48},
        {o + "landscape_1.jpg", {0, 0}, false, 600, 450},
        // Never enlarged by a loader.
        {o + "landscape_1.jpg", {700, 700}, false, 600, 450},
        {debout, {64, 64}, true, 48, 64},
        {debout, {64, 0}, false, 64, 85},
        // 322 × 466.
        {test::photosDir() + "no_exif.jpg", {100, 100}, false, 69, 100},
        {test::photosDir() + "no_exif.jpg", {161, 0}, false, 161, 233},
        {test::photosDir() + "no_exif.jpg", {1, 1}, false, 1, 1},
        // 100 × 68, with the camera's 68 × 46 thumbnail.
        {test::photosDir() + "Canon_40D.jpg", {68, 68}, true, 68, 46},
        {test::photosDir() + "Canon_40D.jpg", {30, 30}, true, 30, 20},
        {test::photosDir() + "Canon_40D.jpg", {69, 69}, true, 69, 47},
    };
    LibGfl lib;
    for (const Cas& c : cas) {
        DemandeImage d;
        d.boite = c.boite;
        d.apercuPermis = c.apercu;
        const ImageChargee r = chargerImage(&lib, c.fichier, d, nullptr);
        EXPECT_EQ(r.pixels.largeur, c.largeur) << c.fichier << " " << c.boite.largeur;
        EXPECT_EQ(r.pixels.hauteur, c.hauteur) << c.fichier << " " << c.boite.largeur;
    }
    // The size of the picture itself, from which every drawn size is worked out.
    struct Rendu {
        std::string fichier;
        int largeur;
        int attenduL, attenduH;
    } rendus[] = {
        {o + "landscape_1.jpg", 64, 64, 48},
        // Stored 450 × 600 on its side: upright 600 × 450.
        {o + "landscape_6.jpg", 64, 64, 48},
        {debout, 48, 48, 64},
        // Stretched when asked wider than the picture, still rounded from its own sides.
        {o + "landscape_1.jpg", 1001, 1001, 751},
        {o + "landscape_1.jpg", 0, 600, 450},
    };
    TimgData reader;
    for (const Rendu& c : rendus) {
        const ImageChargee r = rendreImage(&lib, reader, c.fichier, c.largeur, nullptr);
        EXPECT_EQ(r.pixels.largeur, c.attenduL) << c.fichier << " " << c.largeur;
        EXPECT_EQ(r.pixels.hauteur, c.attenduH) << c.fichier << " " << c.largeur;
    }
}

TEST(Library, deepPictureRefusedThenFallback) {
    if (!bibliothequeVoulue())
        GTEST_SKIP() << "without the imaging library";
    TempDir dir;
    const std::string f = dir.path() + "profond.png";
    // 2 × 1, 16 bits a channel.
    ASSERT_TRUE(
        test::ecrirePngBrut(f, 2, 1, 16, PNG_COLOR_TYPE_RGB, std::vector<std::uint8_t>(12, 0x80)));
    LibGfl lib;
    int autres = 0;
    const ImageChargee r =
        chargerImage(&lib, f, {}, [&](const std::string&, const DemandeImage&, Pixels& p) {
            ++autres;
            p = numerotee(2, 1);
            return true;
        });
    EXPECT_TRUE(r.profondeurRefusee);
    EXPECT_EQ(r.profondeur, 48);
    EXPECT_EQ(autres, 1);
    EXPECT_EQ(r.pixels.largeur, 2);
}

TEST(Library, formatsOnlyTheLibraryReads) {
    if (!bibliothequeVoulue())
        GTEST_SKIP() << "without the imaging library";
    TempDir dir;
    const std::string tiff = dir.path() + "deux.tif";
    ASSERT_TRUE(test::ecrireTiffDeuxNiveaux(tiff, 3, 2, {0, 1, 0, 1, 1, 0}));
    const std::string palette = dir.path() + "palette.png";
    ASSERT_TRUE(test::ecrirePngBrut(palette, 2, 1, 8, PNG_COLOR_TYPE_PALETTE, {1, 0},
                                    {9, 8, 7, 200, 100, 50}));
    const std::string gris = dir.path() + "gris.png";
    ASSERT_TRUE(test::ecrirePngBrut(gris, 2, 1, 8, PNG_COLOR_TYPE_GRAY, {7, 250}));
    const std::string deux = dir.path() + "deux.png";
    ASSERT_TRUE(test::ecrirePngBrut(deux, 9, 1, 1, PNG_COLOR_TYPE_GRAY, {0x80, 0x80}));
    struct Cas {
        std::string fichier;
        std::vector<std::uint32_t> attendu;
    } cas[] = {
        {tiff, {0x000000, 0xffffff, 0x000000, 0xffffff, 0xffffff, 0x000000}},
        {palette, {0xc86432, 0x090807}},
        {gris, {0x070707, 0xfafafa}},
        {deux, {0xffffff, 0, 0, 0, 0, 0, 0, 0, 0xffffff}},
    };
    LibGfl lib;
    for (const Cas& c : cas) {
        Pixels p;
        ASSERT_EQ(lib.Charger_image_gfl(c.fichier, {}, p), LibGfl::Resultat::Charge) << c.fichier;
        std::vector<std::uint32_t> vu;
        for (std::uint32_t v : p.px)
            vu.push_back(v & 0xffffff);
        EXPECT_EQ(vu, c.attendu) << c.fichier;
    }
    // Without the library no loader takes these.
    LibGfl sans;
    sans.choisirChemins({});
    EXPECT_TRUE(chargerImage(&sans, tiff, {}, nullptr).pixels.vide());
    EXPECT_FALSE(sans.DLL_LibGfl_charge());
}

TEST(Library, cameraRawFilesPreviewElseDeveloped) {
    if (!bibliothequeVoulue())
        GTEST_SKIP() << "without the imaging library";
    TempDir dir;
    const auto rouge = [](std::uint32_t v) { return static_cast<int>((v >> 16) & 0xff); };
    const auto vert = [](std::uint32_t v) { return static_cast<int>((v >> 8) & 0xff); };
    struct Cas {
        bool apercu;
        int largeur, hauteur;
        // The channel that tells the left half from the right one.
        bool parLeVert;
        // Developed as stored whatever its orientation: the program turns it once, by
        // its EXIF orientation, as it turns every picture.
        int orientation = 1;
    } cas[] = {{false, 64, 48, false},
               {true, 32, 24, true},
               {false, 64, 48, false, 6},
               {false, 64, 48, false, 8}};
    for (const Cas& c : cas) {
        const std::string dng =
            dir.path() + (c.apercu ? "apercu" : "seul") + std::to_string(c.orientation) + ".dng";
        ASSERT_TRUE(test::ecrireDngLineaire(dng, 64, 48, c.apercu, c.orientation));
        LibGfl lib;
        Pixels p;
        ASSERT_EQ(lib.Charger_image_gfl(dng, {}, p), LibGfl::Resultat::Charge) << dng;
        ASSERT_EQ(p.largeur, c.largeur) << dng;
        ASSERT_EQ(p.hauteur, c.hauteur) << dng;
        const std::uint32_t gauche = p.at(2, c.hauteur / 2),
                            droite = p.at(c.largeur - 3, c.hauteur / 2);
        if (c.parLeVert) {
            // The preview as stored, byte for byte.
            EXPECT_EQ(gauche & 0xffffff, 0x0afa0au);
            EXPECT_EQ(droite & 0xffffff, 0x0a0a0au);
        } else {
            // Developed: the red side stays apart from the grey one.
            EXPECT_GT(rouge(gauche), vert(gauche) + 50);
            EXPECT_GT(rouge(gauche), rouge(droite) + 50);
        }
        // Without the library, no loader reads a camera file.
        EXPECT_TRUE(chargerImage(nullptr, dng, {}, nullptr).pixels.vide());
    }
}

// HEIF pictures come through libheif inside the library, upright by the file's own
// transformations: the picture is marked so, and no EXIF orientation turns it again.
TEST(Library, heifPicturesThroughTheLibraryUprightOnce) {
    if (!bibliothequeVoulue())
        GTEST_SKIP() << "without the imaging library";
    TempDir dir;
    const std::string phone = test::photosDir() + "../raw/Phone.heic";
    struct Cas {
        Boite boite;
        int largeur, hauteur;
    } cas[] = {{{}, 64, 48}, {{32, 32}, 32, 24}, {{0, 12}, 16, 12}};
    LibGfl lib;
    for (const Cas& c : cas) {
        Pixels p;
        DemandeImage d;
        d.boite = c.boite;
        ASSERT_EQ(lib.Charger_image_gfl(phone, d, p), LibGfl::Resultat::Charge) << c.largeur;
        EXPECT_EQ(p.largeur, c.largeur);
        EXPECT_EQ(p.hauteur, c.hauteur);
        EXPECT_TRUE(p.redressee);
        // Orientation 6 says a quarter turn: not for a picture already upright.
        Pixels q = p;
        redresser(q, 6);
        EXPECT_EQ(pixelsTexte(q), pixelsTexte(p));
    }
    // Without the library, nothing reads it.
    EXPECT_TRUE(chargerImage(nullptr, phone, {}, nullptr).pixels.vide());
}

TEST(Library, allSevenEntryPointsOrNone) {
    TempDir dir;
    // A shared object that is no imaging library at all: the C library.
    LibGfl autre;
    autre.choisirChemins({"libc.so.6", dir.path() + "absent.so"});
    EXPECT_FALSE(autre.Charger_DLL_LibGfl());
    EXPECT_FALSE(autre.DLL_LibGfl_charge());
    Pixels p;
    EXPECT_EQ(autre.Charger_image_gfl(test::photosDir() + "Canon_40D.jpg", {}, p),
              LibGfl::Resultat::Echec);
#ifdef VARLIME_GFL_FILE
    LibGfl lib;
    lib.choisirChemins({VARLIME_GFL_FILE});
    EXPECT_TRUE(lib.Charger_DLL_LibGfl());
    lib.Cloturer_DLL_LibGfl();
    // Closed: pictures go to the fallback loader.
    EXPECT_EQ(lib.Charger_image_gfl(test::photosDir() + "Canon_40D.jpg", {}, p),
              LibGfl::Resultat::Echec);
#endif
}

TEST(PngWriter, writesWhatItIsGiven) {
    TempDir dir;
    Pixels p = numerotee(3, 2);
    for (std::uint32_t& v : p.px)
        v = rgb(v * 40, 255 - v, v);
    const std::string f = dir.path() + "sortie.png";
    ASSERT_TRUE(ecrirePng(p, f));
    const Pixels lu = lirePngTemoin(f);
    EXPECT_EQ(pixelsTexte(lu), pixelsTexte(p));
    EXPECT_FALSE(ecrirePng(p, dir.path() + "absent/sortie.png"));
    EXPECT_FALSE(ecrirePng(Pixels(), dir.path() + "vide.png"));
    EXPECT_FALSE(dir.exists("vide.png"));
}

} // namespace
} // namespace varlime
