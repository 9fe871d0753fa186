// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/renameTest.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

using namespace varlime;

namespace {

using Lignes = std::vector<std::string>;

// A folder holding exactly these names.
EntreeExiste dossierAvec(std::set<std::string> noms) {
    return [noms](const std::string& nom) { return noms.count(nom) > 0; };
}

struct TestCase {
    const char* nom;
    std::vector<LigneRenommage> lignes;
    std::set<std::string> dossier;
    Lignes attendu;
};

TEST(RenameTest, ReportLines) {
    const TestCase cases[] = {
        {"empty_list", {}, {}, {"*** Aucune erreur à signaler ***"}},
        {"grid_empty_row", {{"", ""}}, {}, {"*** Aucune erreur à signaler ***"}},
        {"all_fine",
         {{"a.jpg", "IMG001.jpg"}, {"b.jpg", "IMG002.jpg"}},
         {"a.jpg", "b.jpg"},
         {"*** Aucune erreur à signaler ***"}},
        {"same_name",
         {{"a.jpg", "a.jpg"}},
         {"a.jpg"},
         {"Vous varlimez a.jpg avec son propre nom", ""}},
        {"marked_rows_never_reported",
         {{"a.jpg", "NON VARLIMÉ (Pas d'en-tête Exif)"},
          {"b.jpg", "NON VARLIMÉ (Pas d'en-tête Exif)"},
          {"c.jpg", "NON VARLIMÉ"}},
         {"a.jpg", "b.jpg", "c.jpg", "NON VARLIMÉ"},
         {"*** Aucune erreur à signaler ***"}},
        {"target_exists_outside_list",
         {{"a.jpg", "b.jpg"}},
         {"a.jpg", "b.jpg"},
         {"Le fichier a.jpg doit être varlimé en b.jpg", "ce fichier existe déjà,",
          "modifiez la cible (b.jpg) pour a.jpg", ""}},
        {"a_to_b_then_b_to_c",
         {{"a.jpg", "b.jpg"}, {"b.jpg", "c.jpg"}},
         {"a.jpg", "b.jpg"},
         {"Le fichier a.jpg doit être varlimé en b.jpg", "ce fichier existe déjà,",
          "modifiez la cible (b.jpg) pour a.jpg", ""}},
        {"a_to_x_then_b_to_a",
         {{"a.jpg", "x.jpg"}, {"b.jpg", "a.jpg"}},
         {"a.jpg", "b.jpg"},
         {"Le fichier b.jpg doit être varlimé en a.jpg", "ce fichier existe déjà,",
          "mais le fichier a.jpg devant être lui-même varlimé en x.jpg",
          "le fichier b.jpg peut donc être varlimé", ""}},
        // The name is freed by a row above, but another row above already takes it.
        {"freed_name_already_targeted",
         {{"a.jpg", "x.jpg"}, {"c.jpg", "a.jpg"}, {"b.jpg", "a.jpg"}},
         {"a.jpg", "b.jpg", "c.jpg"},
         {"Le fichier c.jpg doit être varlimé en a.jpg", "ce fichier existe déjà,",
          "mais le fichier a.jpg devant être lui-même varlimé en x.jpg",
          "le fichier c.jpg peut donc être varlimé", "",
          "Le fichier b.jpg doit être varlimé en a.jpg", "ce fichier existe déjà,",
          "modifiez la cible (a.jpg) pour b.jpg", ""}},
        {"three_equal_targets",
         {{"a.jpg", "z.jpg"}, {"b.jpg", "z.jpg"}, {"c.jpg", "z.jpg"}},
         {"a.jpg", "b.jpg", "c.jpg"},
         {"Le fichier z.jpg apparaît plusieurs fois dans la liste des fichiers cibles",
          "Le fichier b.jpg doit avoir un fichier cible différent", "",
          "Le fichier z.jpg apparaît plusieurs fois dans la liste des fichiers cibles",
          "Le fichier c.jpg doit avoir un fichier cible différent", ""}},
        // An existing target is reported once, not again as a duplicate.
        {"existing_and_duplicate",
         {{"a.jpg", "q.jpg"}, {"b.jpg", "q.jpg"}},
         {"a.jpg", "b.jpg", "q.jpg"},
         {"Le fichier a.jpg doit être varlimé en q.jpg", "ce fichier existe déjà,",
          "modifiez la cible (q.jpg) pour a.jpg", "", "Le fichier b.jpg doit être varlimé en q.jpg",
          "ce fichier existe déjà,", "modifiez la cible (q.jpg) pour b.jpg", ""}},
        {"name_with_slash",
         {{"a.jpg", "sub/a.jpg"}},
         {"a.jpg", "sub/a.jpg"},
         {"Le fichier a.jpg ne peut pas être varlimé en \"sub/a.jpg\" : nom de fichier invalide",
          ""}},
        {"empty_and_dot_names",
         {{"a.jpg", ""}, {"b.jpg", ".."}},
         {"a.jpg", "b.jpg", "", ".."},
         {"Le fichier a.jpg ne peut pas être varlimé en \"\" : nom de fichier invalide", "",
          "Le fichier b.jpg ne peut pas être varlimé en \"..\" : nom de fichier invalide", ""}},
        // Nothing before the extension: the file would vanish from sight.
        {"hiding_name",
         {{"a.jpg", ".jpg"}, {".b.jpg", ".c.jpg"}},
         {"a.jpg", ".b.jpg"},
         {"Le fichier a.jpg ne peut pas être varlimé en \".jpg\" : nom de fichier invalide", ""}},
        // A name holding a line break stays on its line.
        {"line_break_in_names",
         {{"a\nb.jpg", "P\r001.jpg"}},
         {"a\nb.jpg", "P\r001.jpg"},
         {"Le fichier a\nb.jpg doit être varlimé en P\r001.jpg", "ce fichier existe déjà,",
          "modifiez la cible (P\r001.jpg) pour a\nb.jpg", ""}},
        // Files left aside for want of a date are counted in one line.
        {"undated_rows_counted",
         {{"a.jpg", "NON VARLIMÉ (Pas de date)"},
          {"b.jpg", "IMG001.jpg"},
          {"c.mp4", "NON VARLIMÉ (Pas de date)"}},
         {"a.jpg", "b.jpg", "c.mp4"},
         {"2 fichiers n'ont pas de date de prise de vue : ils ne seront pas varlimés", "",
          "*** Aucune erreur à signaler ***"}},
        // Column titles are not files: a new name equal to one is no duplicate.
        {"header_titles_are_not_files",
         {{"Avant", "Après"}},
         {"Avant"},
         {"*** Aucune erreur à signaler ***"}},
    };
    for (const auto& c : cases) {
        const RapportTest r = Tester_rename(c.lignes, dossierAvec(c.dossier), defaultMessages());
        EXPECT_EQ(r.lignes, c.attendu) << c.nom;
        EXPECT_EQ(r.erreur, c.attendu.back() != "*** Aucune erreur à signaler ***") << c.nom;
    }
}

TEST(RenameTest, MessagesComeFromTheirKeys) {
    std::vector<std::string> cles;
    const TextLookup enregistre = [&cles](std::string_view cle, std::string_view) {
        cles.emplace_back(cle);
        return std::string(cle) + "(%s,%s)";
    };
    const std::vector<LigneRenommage> lignes = {
        {"s.jpg", "s.jpg"}, {"a.jpg", "x.jpg"}, {"b.jpg", "a.jpg"}, {"c.jpg", "x.jpg"}};
    const RapportTest r = Tester_rename(lignes, dossierAvec({"a.jpg", "b.jpg"}), enregistre);
    EXPECT_EQ(cles, (std::vector<std::string>{
                        "RSC_msg_test_varlime_meme_nom", "RSC_msg_test_doit_etre_varlime",
                        "RSC_msg_test_fichier_existe_deja", "RSC_msg_test_devant_etre_varlime",
                        "RSC_msg_test_peut_etre_varlime", "RSC_msg_test_apparait_plusieurs_fois",
                        "RSC_msg_test_cible_differente"}));
    EXPECT_EQ(r.lignes, (Lignes{"RSC_msg_test_varlime_meme_nom(s.jpg,%s)",
                                "RSC_msg_test_doit_etre_varlime(b.jpg,a.jpg)",
                                "RSC_msg_test_fichier_existe_deja(%s,%s)",
                                "RSC_msg_test_devant_etre_varlime(a.jpg,x.jpg)",
                                "RSC_msg_test_peut_etre_varlime(b.jpg,%s)", "",
                                "RSC_msg_test_apparait_plusieurs_fois(x.jpg,%s)",
                                "RSC_msg_test_cible_differente(c.jpg,%s)"}));

    cles.clear();
    Tester_rename({}, dossierAvec({}), enregistre);
    EXPECT_EQ(cles, std::vector<std::string>{"RSC_aucune_erreur"});
}

struct SearchCase {
    const char* nom;
    std::size_t ligne;
    const char* cherche;
    bool sources;
    std::size_t index;
    bool cibles;
};

TEST(RenameTest, SearchesLookOnlyAboveAndExactly) {
    const std::vector<LigneRenommage> lignes = {
        {"a.jpg", "x.jpg"}, {"b.jpg", "y.jpg"}, {"a.jpg", "y.jpg"}, {"c.jpg", "z.jpg"}};
    const SearchCase cases[] = {
        {"first_row_sees_nothing", 0, "a.jpg", false, 99, false},
        {"row_above", 1, "a.jpg", true, 0, false},
        {"first_match_wins", 3, "a.jpg", true, 0, false},
        {"own_row_not_searched", 1, "b.jpg", false, 99, false},
        {"target_above", 2, "y.jpg", false, 99, true},
        {"case_matters", 3, "A.JPG", false, 99, false},
        {"row_past_end", 10, "c.jpg", true, 3, false},
    };
    for (const auto& c : cases) {
        std::size_t index = 99;
        EXPECT_EQ(Trouve_dans_sources(lignes, c.ligne, c.cherche, index), c.sources) << c.nom;
        EXPECT_EQ(index, c.index) << c.nom;
        EXPECT_EQ(Trouve_dans_cibles(lignes, c.ligne, c.cherche), c.cibles) << c.nom;
    }
}

TEST(RenameTest, InvalidTargetNames) {
    const struct {
        std::string nom;
        bool invalide;
    } cases[] = {
        {"", true},
        {".", true},
        {"..", true},
        {"a/b.jpg", true},
        {"/", true},
        {std::string("a\0b", 3), true},
        {std::string(256, 'a'), true},
        {std::string(255, 'a'), false},
        {"...", false},
        {".hidden", false},
        {"été.jpg", false},
        {"a\\b.jpg", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Nom_cible_invalide(c.nom), c.invalide) << c.nom.size() << " " << c.nom;
}

TEST(RenameTest, ExistingEntriesOnDisk) {
    test::TempDir dir;
    dir.write("a.jpg");
    dir.write(".cache");
    dir.write("sub/inner.jpg");
    ASSERT_EQ(::symlink((dir.path() + "nowhere").c_str(), (dir.path() + "lien").c_str()), 0);
    const EntreeExiste existe = existeDansDossier(dir.path());
    EXPECT_TRUE(existe("a.jpg"));
    EXPECT_TRUE(existe(".cache"));
    EXPECT_TRUE(existe("sub"));
    EXPECT_TRUE(existe("lien")); // a broken link still blocks the name
    EXPECT_FALSE(existe("b.jpg"));
    // Without the final slash the folder is taken the same way.
    std::string sansSlash = dir.path();
    sansSlash.pop_back();
    EXPECT_TRUE(existeDansDossier(sansSlash)("a.jpg"));
}

TEST(RenameTest, ReportOverARealFolder) {
    test::TempDir dir;
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        dir.write(n);
    const std::vector<LigneRenommage> lignes = {
        {"a.jpg", "b.jpg"}, {"b.jpg", "e.jpg"}, {"c.jpg", "e.jpg"}, {"d.jpg", "sub/d.jpg"}};
    const RapportTest r = Tester_rename(lignes, existeDansDossier(dir.path()), defaultMessages());
    EXPECT_EQ(r.lignes,
              (Lignes{"Le fichier a.jpg doit être varlimé en b.jpg", "ce fichier existe déjà,",
                      "modifiez la cible (b.jpg) pour a.jpg", "",
                      "Le fichier e.jpg apparaît plusieurs fois dans la liste des fichiers cibles",
                      "Le fichier c.jpg doit avoir un fichier cible différent", "",
                      "Le fichier d.jpg ne peut pas être varlimé en \"sub/d.jpg\" : nom de "
                      "fichier invalide",
                      ""}));
    // The test changes nothing on disk.
    EXPECT_EQ(dir.names(), (Lignes{"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
}

struct DoublonsCase {
    const char* nom;
    Lignes avant;
    Lignes apres;
};

TEST(RenameTest, NeighbouringDuplicatesMadeDistinct) {
    const DoublonsCase cases[] = {
        {"empty", {}, {}},
        {"single", {"X.jpg"}, {"X.jpg"}},
        {"pair_then_other",
         {"X.jpg", "X.jpg", "Y.jpg", "X.jpg"},
         {"XA.jpg", "XB.jpg", "Y.jpg", "X.jpg"}},
        {"three", {"IMG.jpg", "IMG.jpg", "IMG.jpg"}, {"IMGA.jpg", "IMGB.jpg", "IMGC.jpg"}},
        {"two_runs",
         {"a.jpg", "a.jpg", "b.jpg", "b.jpg"},
         {"aA.jpg", "aB.jpg", "bA.jpg", "bB.jpg"}},
        // The renamed last row of a run equals the next name: a new run starts there.
        {"run_meets_its_letter", {"X.jpg", "X.jpg", "XB.jpg"}, {"XA.jpg", "XBA.jpg", "XBB.jpg"}},
        {"no_extension", {"IMG", "IMG"}, {"IMGA", "IMGB"}},
        {"dotted_names", {"a.b.jpg", "a.b.jpg"}, {"a.bA.jpg", "a.bB.jpg"}},
        {"case_differs", {"x.jpg", "X.jpg"}, {"x.jpg", "X.jpg"}},
        {"marked_left_alone",
         {"NON VARLIMÉ (Pas d'en-tête Exif)", "NON VARLIMÉ (Pas d'en-tête Exif)"},
         {"NON VARLIMÉ (Pas d'en-tête Exif)", "NON VARLIMÉ (Pas d'en-tête Exif)"}},
        {"empty_names_left_alone", {"", ""}, {"", ""}},
    };
    for (const auto& c : cases) {
        Lignes noms = c.avant;
        Supprimer_doublons(noms);
        EXPECT_EQ(noms, c.apres) << c.nom;
    }
}

TEST(RenameTest, LongRunContinuesWithDoubleLetters) {
    Lignes noms(30, "IMG.jpg");
    noms.push_back("Z.jpg");
    Supprimer_doublons(noms);
    EXPECT_EQ(noms[0], "IMGA.jpg");
    EXPECT_EQ(noms[25], "IMGZ.jpg");
    EXPECT_EQ(noms[26], "IMGAA.jpg");
    EXPECT_EQ(noms[27], "IMGAB.jpg");
    EXPECT_EQ(noms[29], "IMGAD.jpg");
    EXPECT_EQ(noms[30], "Z.jpg");
    EXPECT_EQ(std::set<std::string>(noms.begin(), noms.end()).size(), noms.size());
    for (const auto& n : noms)
        EXPECT_EQ(n.find_first_of("[\\]^`/"), std::string::npos) << n;
}

} // namespace
