// SPDX-License-Identifier: GPL-3.0-or-later
#include "companions/compagnons.h"
#include "core/nameUtils.h"
#include "exif_naming/faitsExif.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace varlime;
using varlime::test::TempDir;

namespace {

OptionsCompagnons canon() {
    return {true, false, "", ""};
}
OptionsCompagnons association(const char* cible, const char* source) {
    return {false, true, cible, source};
}

std::vector<FileRow> lignes(std::initializer_list<const char*> noms) {
    std::vector<FileRow> rows;
    for (const char* n : noms)
        rows.push_back(FileRow{n, "", ""});
    return rows;
}

// Names met one after the other by the listing, with the flag kept between them.
TEST(Compagnons, ListingFilter) {
    const struct {
        const char* nom;
        OptionsCompagnons o;
        std::vector<std::string> entrees;
        std::vector<std::string> gardes;
    } cases[] = {
        {"off_keeps_all", {}, {"a.CRW", "b.JPG", "c"}, {"a.CRW", "b.JPG", "c"}},
        {"crw_thm_stray_jpg",
         canon(),
         {"IMG_0001.CRW", "IMG_0001.THM", "IMG_0002.JPG"},
         {"IMG_0001.CRW", "IMG_0001.THM"}},
        {"lower_case_crw",
         canon(),
         {"img_1.crw", "img_1.thm", "x.txt"},
         {"img_1.crw", "img_1.thm"}},
        {"cr2_jpg",
         canon(),
         {"IMG_1.CR2", "IMG_1.JPG", "IMG_1.THM"},
         {"IMG_1.CR2", "IMG_1.JPG", "IMG_1.THM"}},
        // Entry by entry, a JPG met before the first CR2 would be dropped: the listing
        // notes its CR2 files first.
        {"jpg_before_cr2", canon(), {"A.JPG", "A.CR2", "B.JPG"}, {"A.JPG", "A.CR2", "B.JPG"}},
        // A folder holding both kinds lists both pairs.
        {"crw_beside_cr2",
         canon(),
         {"IMG_1.CR2", "IMG_1.JPG", "IMG_2.CRW", "IMG_2.THM"},
         {"IMG_1.CR2", "IMG_1.JPG", "IMG_2.CRW", "IMG_2.THM"}},
        {"avi_thm",
         association("AVI", "THM"),
         {"MVI_1.AVI", "MVI_1.THM", "IMG_2.JPG"},
         {"MVI_1.AVI", "MVI_1.THM"}},
        {"typed_lower",
         association("avi", "thm"),
         {"MVI_1.AVI", "m.thm", "x.jpg"},
         {"MVI_1.AVI", "m.thm"}},
        {"no_dot_is_own_extension",
         association("AVI", "THM"),
         {"AVI", "thm", "a.b"},
         {"AVI", "thm"}},
    };
    for (const auto& c : cases) {
        bool cr2Vu = false;
        std::vector<std::string> gardes;
        Noter_cr2(c.o, cr2Vu, c.entrees);
        for (const auto& n : c.entrees)
            if (Fichier_compagnon_a_traiter(c.o, cr2Vu, n))
                gardes.push_back(n);
        EXPECT_EQ(gardes, c.gardes) << c.nom;
    }
}

TEST(Compagnons, SourceOffsetOfARow) {
    const struct {
        const char* nom;
        OptionsCompagnons o;
        const char* fichier;
        bool oui;
        int decalage;
    } cases[] = {
        {"canon_crw", canon(), "IMG_1.CRW", true, 1},
        {"canon_cr2_lower", canon(), "img_1.cr2", true, 1},
        {"canon_thm_own_exif", canon(), "IMG_1.THM", false, 0},
        {"canon_off", {}, "IMG_1.CRW", false, 0},
        {"avi_before_thm", association("AVI", "THM"), "MVI_1.AVI", true, 1},
        {"source_own_exif", association("AVI", "THM"), "MVI_1.THM", false, 0},
        {"thm_after_avi", association("THM", "AVI"), "MVI_1.THM", true, -1},
        {"lower_typed", association("avi", "thm"), "MVI_1.Avi", true, 1},
        {"lower_typed_after", association("thm", "AVI"), "MVI_1.THM", true, -1},
        {"same_extension", association("JPG", "jpg"), "a.JPG", true, 1},
        // The Canon rule is asked first, also while the association is off.
        {"canon_rule_first", {true, false, "AVI", "THM"}, "IMG_1.CRW", true, 1},
        {"canon_over_target", {true, true, "CRW", "ZZZ"}, "IMG_1.CRW", true, 1},
    };
    for (const auto& c : cases) {
        int decalage = 0;
        EXPECT_EQ(Traiter_association(c.o, c.fichier, decalage), c.oui) << c.nom;
        EXPECT_EQ(decalage, c.decalage) << c.nom;
    }
}

// -1: the companion is missing, the row gets the marker.
TEST(Compagnons, SourceRowNeedsTheSameBaseName) {
    const struct {
        const char* nom;
        OptionsCompagnons o;
        std::vector<FileRow> rows;
        std::vector<int> sources;
    } cases[] = {
        {"crw_thm", canon(), lignes({"IMG_1.CRW", "IMG_1.THM"}), {1, 1}},
        {"thm_missing_unrelated_below", canon(), lignes({"IMG_1.CRW", "IMG_2.THM"}), {-1, 1}},
        {"crw_last_row", canon(), lignes({"IMG_1.THM", "IMG_2.CRW"}), {0, -1}},
        {"case_differs", canon(), lignes({"img_1.CR2", "IMG_1.jpg"}), {1, 1}},
        // Both kinds of one base name: each RAW file reads its own companion.
        {"cr2_crw_jpg_thm",
         canon(),
         lignes({"IMG_1.CR2", "IMG_1.CRW", "IMG_1.JPG", "IMG_1.THM"}),
         {2, 3, 2, 3}},
        {"cr2_without_its_jpg",
         canon(),
         lignes({"IMG_1.CR2", "IMG_1.CRW", "IMG_1.THM"}),
         {-1, 2, 2}},
        {"crw_without_its_thm",
         canon(),
         lignes({"IMG_1.CR2", "IMG_1.CRW", "IMG_1.JPG"}),
         {2, -1, 2}},
        {"other_file_between",
         association("AVI", "THM"),
         lignes({"M_1.AVI", "M_1.JPG", "M_1.THM"}),
         {2, 1, 2}},
        {"other_file_between_above",
         association("THM", "AVI"),
         lignes({"M_1.AVI", "M_1.JPG", "M_1.THM"}),
         {0, 1, 0}},
        {"avi_thm",
         association("AVI", "THM"),
         lignes({"M_1.AVI", "M_1.THM", "M_2.AVI"}),
         {1, 1, -1}},
        {"thm_avi",
         association("THM", "AVI"),
         lignes({"M_1.AVI", "M_1.THM", "M_2.THM"}),
         {0, 0, -1}},
        {"first_row_reads_above", association("THM", "AVI"), lignes({"M_1.THM"}), {-1}},
        // Every file is a target, and the next one is another picture.
        {"same_extension", association("JPG", "JPG"), lignes({"a.JPG", "b.JPG"}), {-1, -1}},
        {"association_off", {}, lignes({"M_1.AVI", "X.THM"}), {0, 1}},
    };
    for (const auto& c : cases) {
        std::vector<int> sources;
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            const auto s = ligneSourceExif(c.o, c.rows, i);
            sources.push_back(s ? int(*s) : -1);
        }
        EXPECT_EQ(sources, c.sources) << c.nom;
    }
}

// The whole path: listing, filter, EXIF of the companion, marker, counter, extension.
TEST(Compagnons, EngineNamesCompanionsFromTheirSource) {
    const std::string photos = test::photosDir();
    const std::string raw = photos + "../raw/";
    TempDir crw, cr2;
    crw.write("IMG_0001.CRW", test::readFile(raw + "CanonRaw.crw"));
    crw.write("IMG_0001.THM", test::readFile(photos + "Canon_40D.jpg"));
    crw.write("IMG_0002.CRW", test::readFile(raw + "CanonRaw.crw"));
    crw.write("IMG_0003.JPG", test::readFile(photos + "Canon_DIGITAL_IXUS_400.jpg"));
    crw.write("IMG_0004.CRW", test::readFile(raw + "CanonRaw.crw"));
    crw.write("IMG_0004.THM", test::readFile(photos + "Canon_40D.jpg"));
    cr2.write("img_0007.cr2", test::readFile(raw + "CanonRaw.cr2"));
    cr2.write("IMG_0007.JPG", test::readFile(photos + "Canon_DIGITAL_IXUS_400.jpg"));
    // Both kinds under one base name, each RAW file beside its own companion.
    TempDir mixte;
    mixte.write("IMG_0009.CR2", test::readFile(raw + "CanonRaw.cr2"));
    mixte.write("IMG_0009.CRW", test::readFile(raw + "CanonRaw.crw"));
    mixte.write("IMG_0009.JPG", test::readFile(photos + "Canon_DIGITAL_IXUS_400.jpg"));
    mixte.write("IMG_0009.THM", test::readFile(photos + "Canon_40D.jpg"));

    bool cr2Vu = false;
    MoteurNommage moteur;
    moteur.options.compagnons = canon();
    moteur.options.exif.actif = true;
    moteur.options.exif.ordre = {ItemExif::Fabricant, ItemExif::Date};
    moteur.options.exif.separateurFinal = "-";
    moteur.garderFichier = [&](const std::string& n) {
        return Fichier_compagnon_a_traiter(moteur.options.compagnons, cr2Vu, n);
    };
    moteur.voirListing = [&](const std::vector<std::string>& noms) {
        Noter_cr2(moteur.options.compagnons, cr2Vu, noms);
    };
    CacheFaitsExif cache;
    auto nommer = [&](const std::string& dossier) {
        EXPECT_TRUE(moteur.lister(dossier));
        moteur.calculer(partieNomExifCompagnons(cache, moteur.dossier(), moteur.lignes(),
                                                moteur.options, QDate(2026, 12, 7)),
                        lignesCompagnons(moteur.options.compagnons, moteur.lignes()));
        std::vector<std::pair<std::string, std::string>> out;
        for (const FileRow& r : moteur.lignes())
            out.emplace_back(r.ancien, r.nouveau);
        return out;
    };
    using P = std::vector<std::pair<std::string, std::string>>;
    // Each pair shares one counter number; the next pair takes the next one.
    EXPECT_EQ(nommer(crw.path()), (P{{"IMG_0001.CRW", "Canon_20080530-001.CRW"},
                                     {"IMG_0001.THM", "Canon_20080530-001.THM"},
                                     {"IMG_0002.CRW", "NON VARLIMÉ (Pas de fichier compagnon)"},
                                     {"IMG_0004.CRW", "Canon_20080530-002.CRW"},
                                     {"IMG_0004.THM", "Canon_20080530-002.THM"}}));
    EXPECT_EQ(nommer(cr2.path()), (P{{"img_0007.cr2", "Canon_20040827-001.cr2"},
                                     {"IMG_0007.JPG", "Canon_20040827-001.JPG"}}));
    EXPECT_EQ(nommer(mixte.path()), (P{{"IMG_0009.CR2", "Canon_20040827-001.CR2"},
                                       {"IMG_0009.CRW", "Canon_20080530-002.CRW"},
                                       {"IMG_0009.JPG", "Canon_20040827-001.JPG"},
                                       {"IMG_0009.THM", "Canon_20080530-002.THM"}}));
    // A CR2 folder listed before says nothing of this one: the CRW folder lists its pairs.
    EXPECT_EQ(nommer(crw.path()).size(), 5u);

    // The test report names the row left aside.
    cr2Vu = false;
    nommer(crw.path());
    const RapportTest rapport = moteur.tester(defaultMessages());
    ASSERT_FALSE(rapport.lignes.empty());
    EXPECT_EQ(rapport.lignes.front(),
              "Le fichier IMG_0002.CRW n'a pas de fichier compagnon portant "
              "les EXIF : il ne sera pas varlimé");
}

} // namespace
