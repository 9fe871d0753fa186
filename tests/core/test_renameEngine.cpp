#include "core/renameEngine.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace varlime;
using varlime::test::TempDir;

namespace {

std::vector<FileRow> rows(std::initializer_list<const char*> olds) {
    std::vector<std::string> names;
    for (const char* n : olds)
        names.emplace_back(n);
    return lignesTriees(names);
}

std::vector<std::string> newNames(const std::vector<FileRow>& r) {
    std::vector<std::string> out;
    for (const auto& row : r)
        out.push_back(row.nouveau);
    return out;
}

std::vector<std::string> oldNames(const std::vector<FileRow>& r) {
    std::vector<std::string> out;
    for (const auto& row : r)
        out.push_back(row.ancien);
    return out;
}

TEST(Sorting, CaseInsensitiveNotNumericDuplicatesKept) {
    EXPECT_EQ(oldNames(rows({"b.jpg", "a.JPG", "c"})), (std::vector<std::string>{"a.JPG", "b.jpg", "c"}));
    EXPECT_EQ(oldNames(rows({"img10.jpg", "IMG2.jpg", "img1.jpg"})),
              (std::vector<std::string>{"img1.jpg", "img10.jpg", "IMG2.jpg"}));
    EXPECT_EQ(oldNames(rows({"x", "x", "X"})).size(), 3u);
}

struct PreviewCase {
    const char* name;
    std::vector<const char*> files;
    OptionsNommage options;
    std::vector<std::string> expected;
};

OptionsNommage opts(const char* prefix, auto&& tweak) {
    OptionsNommage o;
    o.prefixe = prefix;
    tweak(o);
    return o;
}

TEST(Preview, NamesFromPrefixCounterAndExtension) {
    auto same = [](OptionsNommage&) {};
    const PreviewCase cases[] = {
        {"counter right", {"b.jpg", "a.JPG", "c"}, opts("IMG", same), {"IMG001.JPG", "IMG002.jpg", "IMG003"}},
        {"counter left", {"b.jpg", "a.JPG", "c"}, opts("IMG", [](auto& o) { o.compteurADroite = false; }),
         {"001IMG.JPG", "002IMG.jpg", "003IMG"}},
        {"extension png", {"b.jpg", "a.JPG", "c"},
         opts("IMG", [](auto& o) { o.extensionImposee = true; o.extension = "png"; }),
         {"IMG001.png", "IMG002.png", "IMG003.png"}},
        {"empty extension", {"a.jpg"}, opts("P", [](auto& o) { o.extensionImposee = true; o.extension = ""; }), {"P001."}},
        {"initial value 0", {"a.jpg"}, opts("P", [](auto& o) { o.initialisation = 0; }), {"P000.jpg"}},
        {"alphabetic", {"a.jpg", "b.jpg"},
         opts("P", [](auto& o) { o.alphabetique = true; o.initialisation = 26; }), {"P__Z.jpg", "P_AA.jpg"}},
        {"empty prefix empties", {"a.jpg", "b.jpg"}, opts("", same), {"", ""}},
        {"keep-digits mask", {"IMG_0042.jpg", "IMG.jpg"}, opts("[X&N]", same), {"[X&N]001.jpg", "[X&N].jpg"}},
        {"inactive counter", {"a.jpg"}, opts("[{a}{Z}]", [](auto& o) { o.compteurInactif = true; }), {"[{a}{Z}].jpg"}},
        {"inactive box without a mask", {"a.jpg"}, opts("P", [](auto& o) { o.compteurInactif = true; }), {"P001.jpg"}},
        {"dot file", {".profile"}, opts("P", same), {"P001.profile"}},
        {"width 1", {"a", "b"}, opts("P", [](auto& o) { o.largeur = 1; o.initialisation = 9; }), {"P9", "P10"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> names(c.files.begin(), c.files.end());
        auto r = lignesTriees(names);
        calculerNouveauxNoms(r, true, c.options, nullptr);
        EXPECT_EQ(newNames(r), c.expected) << c.name;
    }
}

TEST(Preview, WiderNumbersAreNotCut) {
    std::vector<std::string> names;
    for (int i = 0; i < 150; ++i)
        names.push_back("f" + std::to_string(1000 + i));
    auto r = lignesTriees(names);
    OptionsNommage o;
    o.prefixe = "P";
    o.largeur = 2;
    calculerNouveauxNoms(r, true, o, nullptr);
    EXPECT_EQ(r[0].nouveau, "P01");
    EXPECT_EQ(r[98].nouveau, "P99");
    EXPECT_EQ(r[99].nouveau, "P100");
    EXPECT_EQ(r[149].nouveau, "P150");
}

TEST(Preview, MarkedRowsGetNoCounterNoExtensionAndUseNoNumber) {
    auto r = rows({"a.jpg", "b.jpg", "c.jpg"});
    OptionsNommage o;
    o.prefixe = "P";
    calculerNouveauxNoms(r, true, o, [](std::size_t i, const FileRow&) {
        return i == 1 ? std::string("NON VARLIMÉ (Pas d'en-tête Exif)") : std::string("P");
    });
    EXPECT_EQ(newNames(r), (std::vector<std::string>{"P001.jpg", "NON VARLIMÉ (Pas d'en-tête Exif)", "P002.jpg"}));
}

TEST(Preview, NothingFoundEmptiesTheNewNames) {
    auto r = rows({"a.jpg"});
    r[0].nouveau = "stale";
    OptionsNommage o;
    o.prefixe = "P";
    calculerNouveauxNoms(r, false, o, nullptr);
    EXPECT_EQ(r[0].nouveau, "");
}

TEST(CounterRule, CasesThatDropTheCounter) {
    struct {
        const char* prefix;
        const char* old;
        bool inactive, exif, exifNoCounter;
        bool expected;
    } cases[] = {
        {"IMG", "a.jpg", false, false, false, true},
        {"[X&N]", "IMG_0042.jpg", false, false, false, false},
        {"[X&N]", "IMG.jpg", false, false, false, true},
        {"[*&N]", "0042", false, false, false, false},
        {"[{a}{b}]", "a.jpg", true, false, false, false},
        {"IMG", "a.jpg", false, true, true, false},
        {"IMG", "a.jpg", false, true, false, true},
        {"IMG", "a.jpg", false, false, true, true},
    };
    for (const auto& c : cases) {
        OptionsNommage o;
        o.prefixe = c.prefix;
        o.compteurInactif = c.inactive;
        o.exif.actif = c.exif;
        o.exif.sansCompteur = c.exifNoCounter;
        EXPECT_EQ(Exploite_compteur(o, c.old), c.expected) << c.prefix << " " << c.old;
    }
}

TEST(RenameRun, RenamesInGridOrderAndCountsFailures) {
    TempDir dir;
    dir.write("IMG001.jpg", "1");
    dir.write("IMG002.jpg", "2");
    auto r = rows({"IMG001.jpg", "IMG002.jpg"});
    OptionsNommage o;
    o.prefixe = "IMG";
    o.initialisation = 2;
    calculerNouveauxNoms(r, true, o, nullptr);
    ASSERT_EQ(newNames(r), (std::vector<std::string>{"IMG002.jpg", "IMG003.jpg"}));
    const BilanRenommage b = renommerLignes(dir.path(), r);
    EXPECT_EQ(b.renommes, 1);
    EXPECT_EQ(b.erreurs, 1);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"IMG001.jpg", "IMG003.jpg"}));
    EXPECT_EQ(dir.read("IMG001.jpg"), "1");
    EXPECT_EQ(dir.read("IMG003.jpg"), "2");
}

TEST(RenameRun, TargetFreedByARowAboveSucceeds) {
    TempDir dir;
    dir.write("a.jpg", "A");
    dir.write("b.jpg", "B");
    std::vector<FileRow> r = {{"a.jpg", "x.jpg", ""}, {"b.jpg", "a.jpg", ""}};
    const BilanRenommage b = renommerLignes(dir.path(), r);
    EXPECT_EQ(b.renommes, 2);
    EXPECT_EQ(b.erreurs, 0);
    EXPECT_EQ(dir.read("x.jpg"), "A");
    EXPECT_EQ(dir.read("a.jpg"), "B");
}

TEST(RenameRun, MarkedEmptyAndInvalidRows) {
    TempDir dir;
    dir.write("a.jpg", "A");
    dir.write("b.jpg", "B");
    dir.write("c.jpg", "C");
    dir.write("d.jpg", "D");
    std::vector<FileRow> r = {
        {"a.jpg", "NON VARLIMÉ (Pas d'en-tête Exif)", ""},
        {"b.jpg", "", ""},
        {"c.jpg", "../c.jpg", ""},
        {"d.jpg", "..", ""},
        {"", "", ""},
    };
    const BilanRenommage b = renommerLignes(dir.path(), r);
    EXPECT_EQ(b.renommes, 0);
    EXPECT_EQ(b.erreurs, 3);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
}

TEST(RenameRun, TargetAppearingAfterThePreviewIsNeverReplaced) {
    TempDir dir;
    dir.write("a.jpg", "A");
    auto r = rows({"a.jpg"});
    OptionsNommage o;
    o.prefixe = "P";
    calculerNouveauxNoms(r, true, o, nullptr);
    dir.write("P001.jpg", "someone else's");
    const BilanRenommage b = renommerLignes(dir.path(), r);
    EXPECT_EQ(b.erreurs, 1);
    EXPECT_EQ(dir.read("P001.jpg"), "someone else's");
    EXPECT_EQ(dir.read("a.jpg"), "A");
}

TEST(RenameRun, NonUtf8NamesKeepTheirBytes) {
    TempDir dir;
    const std::string a = "\xE9t\xE9.jpg";
    const std::string b = "\xE8t\xE9.jpg";
    dir.write(a, "1");
    dir.write(b, "2");
    auto r = lignesTriees({a, b});
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].ancien, r[1].ancien); // both show the same replacement characters
    EXPECT_NE(r[0].ancienSurDisque(), r[1].ancienSurDisque());
    OptionsNommage o;
    o.prefixe = "P";
    calculerNouveauxNoms(r, true, o, nullptr);
    const BilanRenommage bilan = renommerLignes(dir.path(), r);
    EXPECT_EQ(bilan.renommes, 2);
    EXPECT_EQ(dir.read("P001.jpg") + dir.read("P002.jpg"), r[0].ancienSurDisque() == a ? "12" : "21");
}

} // namespace
