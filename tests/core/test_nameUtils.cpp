// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/nameUtils.h"

#include <gtest/gtest.h>

using namespace varlime;

namespace {

struct PartCase {
    const char* input;
    const char* prefixe;
    const char* extension;
};

TEST(NameUtils, PrefixeAndExtension) {
    const PartCase cases[] = {
        {"archive.tar.gz", "archive.tar", "gz"},
        {"README", "README", "README"},
        {"a.b.jpg", "a.b", "jpg"},
        {".jpg", "", "jpg"},
        {"name.", "name", ""},
        {"été.JPG", "été", "JPG"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Prefixe(c.input), c.prefixe) << c.input;
        EXPECT_EQ(Extension(c.input), c.extension) << c.input;
    }
}

struct CopyCase {
    const char* input;
    long long n;
    const char* droite;
    const char* gauche;
};

TEST(NameUtils, CopiesCountCharactersNotBytes) {
    const CopyCase cases[] = {
        {"abcdef", 2, "ef", "ab"},
        {"abc", 5, "abc", "abc"},
        {"abc", 0, "", ""},
        {"abc", -1, "", ""},
        {"éàü", 2, "àü", "éà"},
        {"", 3, "", ""},
        {"NON VARLIMÉ", 11, "NON VARLIMÉ", "NON VARLIMÉ"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Copie_droite(c.input, c.n), c.droite) << c.input << " " << c.n;
        EXPECT_EQ(Copie_gauche(c.input, c.n), c.gauche) << c.input << " " << c.n;
    }
}

TEST(NameUtils, SmallPredicates) {
    EXPECT_TRUE(Chaine_fini_numerique("IMG_0042"));
    EXPECT_FALSE(Chaine_fini_numerique("IMG"));
    EXPECT_FALSE(Chaine_fini_numerique(""));
    EXPECT_EQ(Extrait_debut_numerique("123abc4"), "123");
    EXPECT_EQ(Extrait_debut_numerique("abc"), "");
    EXPECT_EQ(Nettoyer_chaine("\"Jean Dupont\""), "Jean Dupont");
    EXPECT_EQ(Nettoyer_chaine("abc"), "ab");
    EXPECT_EQ(Nettoyer_chaine("abé"), "ab");
    EXPECT_EQ(Nettoyer_chaine(""), "");
    EXPECT_EQ(Retourne_repertoire_slash("/photos"), "/photos/");
    EXPECT_EQ(Retourne_repertoire_slash("/photos/"), "/photos/");
}

TEST(NameUtils, NotRenamedMarker) {
    EXPECT_TRUE(Remplacement_indique_pas_varlime("NON VARLIMÉ (Pas d'en-tête Exif)"));
    EXPECT_TRUE(Remplacement_indique_pas_varlime("NON VARLIMÉ"));
    EXPECT_FALSE(Remplacement_indique_pas_varlime("non varlimé (pas d'en-tête exif)"));
    EXPECT_FALSE(Remplacement_indique_pas_varlime("NON VARLIM"));
    EXPECT_FALSE(Remplacement_indique_pas_varlime("NON VARLIME (sans accent)"));
}

struct CounterCase {
    bool alpha;
    int width;
    long long value;
    const char* expected;
};

TEST(NameUtils, Counters) {
    const CounterCase cases[] = {
        {false, 3, 0, "001"},
        {false, 1, 9, "10"},
        {false, 3, 41, "042"},
        {false, 3, 1233, "1234"},
        {false, 3, -6, "-005"},
        {false, 2, 149, "150"},
        {false, 9, 0, "000000001"},
        {true, 3, 0, "__A"},
        {true, 2, 27, "AB"},
        {true, 3, 702, "AAA"},
        {true, 1, 25, "Z"},
        {true, 1, 26, "AA"},
        {true, 1, 701, "ZZ"},
        {true, 1, 12356629, "ZZZZZ"},
        {true, 1, 12356630, "AAAAAA"},
        {true, 3, -1, "__A"},
        {true, 3, -50, "__A"},
        // A width from a damaged settings file or a typed field is brought into 1..9.
        {false, 50000000, 0, "000000001"},
        {true, 50000000, 0, "________A"},
        {false, 0, 4, "5"},
        {true, -7, 0, "A"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Maj_compteur(c.alpha, c.width, c.value), c.expected)
            << c.alpha << " " << c.width << " " << c.value;
}

TEST(NameUtils, IntegerParsing) {
    struct {
        const char* text;
        bool ok;
        int value;
    } cases[] = {{"12", true, 12}, {" 7 ", true, 7},  {"-3", true, -3}, {"+4", true, 4},
                 {"", false, 0},   {"abc", false, 0}, {"1a", false, 0}, {"99999999999", false, 0},
                 {"-", false, 0}};
    for (const auto& c : cases) {
        int v = 0;
        EXPECT_EQ(toInteger(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

} // namespace
