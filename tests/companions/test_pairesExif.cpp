// SPDX-License-Identifier: GPL-3.0-or-later
// Photos shot together (a RAW and the JPEG the camera wrote with it: the same base
// name and the same EXIF date and time) keep one base name in EXIF naming.
#include "companions/compagnons.h"
#include "exif_naming/faitsExif.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace varlime;
using varlime::test::TempDir;

namespace {

struct CasPaire {
    const char* nom;
    bool sansCompteur;
    std::vector<std::string> attendu; // "old > new", in list order
};

TEST(PairesExif, ShotTogetherKeepOneBaseName) {
    const std::string photos = test::photosDir();
    TempDir dir;
    // Canon_40D.jpg was taken on 2008-05-30, the IXUS photo on 2004-08-27.
    dir.write("IMG_0001.jpg", test::readFile(photos + "Canon_40D.jpg"));
    dir.write("IMG_0001.thm", test::readFile(photos + "Canon_40D.jpg"));
    dir.write("IMG_0002.jpg", test::readFile(photos + "Canon_40D.jpg"));
    dir.write("IMG_0003.jpg", test::readFile(photos + "Canon_40D.jpg"));
    dir.write("IMG_0003.thm", test::readFile(photos + "Canon_DIGITAL_IXUS_400.jpg"));
    dir.write("IMG_0005.jpg", test::readFile(photos + "no_exif.jpg"));
    dir.write("IMG_0005.thm", test::readFile(photos + "no_exif.jpg"));

    const CasPaire cas[] = {
        {"pairs/one counter number",
         false,
         {"IMG_0001.jpg > Canon_20080530_001.jpg", "IMG_0001.thm > Canon_20080530_001.thm",
          "IMG_0002.jpg > Canon_20080530_002.jpg", "IMG_0003.jpg > Canon_20080530_003.jpg",
          // Another date: not shot together, a number of its own.
          "IMG_0003.thm > Canon_20040827_004.thm",
          // No make, and the date its editor wrote in XMP.
          "IMG_0005.jpg > _20130923_005.jpg", "IMG_0005.thm > _20130923_005.thm"}},
        {"pairs/one letter",
         true,
         {"IMG_0001.jpg > Canon_20080530A.jpg", "IMG_0001.thm > Canon_20080530A.thm",
          "IMG_0002.jpg > Canon_20080530B.jpg", "IMG_0003.jpg > Canon_20080530C.jpg",
          "IMG_0003.thm > Canon_20040827.thm", "IMG_0005.jpg > _20130923.jpg",
          "IMG_0005.thm > _20130923.thm"}},
    };
    for (const auto& c : cas) {
        MoteurNommage moteur;
        moteur.options.exif.actif = true;
        moteur.options.exif.sansCompteur = c.sansCompteur;
        moteur.options.exif.ordre = {ItemExif::Fabricant, ItemExif::Date};
        ASSERT_TRUE(moteur.lister(dir.path())) << c.nom;
        CacheFaitsExif cache;
        moteur.calculer(
            partieNomExifCompagnons(cache, moteur.dossier(), moteur.lignes(), moteur.options,
                                    QDate(2026, 12, 7)),
            lignesCompagnons(cache, moteur.dossier(), moteur.options.compagnons, moteur.lignes()));
        std::vector<std::string> noms;
        for (const FileRow& r : moteur.lignes())
            noms.push_back(r.ancien + " > " + r.nouveau);
        EXPECT_EQ(noms, c.attendu) << c.nom;
    }
}

} // namespace
