// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/maskEngine.h"
#include "core/renameEngine.h"

#include <gtest/gtest.h>

using namespace varlime;

namespace {

struct MaskCase {
    const char* nom;
    const char* champ;
    const char* ancien;
    const char* resultat;
    int type;
};

TEST(MaskEngine, AppliedToOldNames) {
    const MaskCase cases[] = {
        {"keep_digits", "[VAC&N]", "DSC01234.JPG", "VAC01234", 1},
        {"keep_digits_none", "[VAC&N]", "PHOTO.JPG", "VAC", 1},
        {"keep_digits_all_digits", "[VAC&N]", "0042.jpg", "VAC0042", 1},
        {"keep_digits_no_prefix", "[&N]", "IMG_0042.jpg", "0042", 1},
        {"keep_digits_first_ampersand", "[A&B&N]", "x12.jpg", "A12", 1},
        {"keep_digits_star_is_text", "[*&N]", "IMG_0042.jpg", "*0042", 1},
        {"replace", "[{IMG}{PIC}]", "IMG_0001.jpg", "PIC_0001", 2},
        {"replace_case_sensitive", "[{IMG}{PIC}]", "img_0001.jpg", "img_0001", 2},
        {"replace_every_occurrence", "[{a}{bb}]", "banana.jpg", "bbbnbbnbb", 2},
        {"replace_by_nothing", "[{_}{}]", "a_b_c.jpg", "abc", 2},
        {"replace_accented", "[{é}{e}]", "café_été.jpg", "cafe_ete", 2},
        {"replace_wins_over_affixes", "[{a*}{b}]", "xa*y.jpg", "xby", 2},
        {"replace_wins_over_removal", "[{x}{y}-N]", "x12.jpg", "y12", 2},
        {"replace_extension_kept_out", "[{jpg}{png}]", "jpg.jpg", "png", 2},
        {"affixes", "[2024_*_Paris]", "beach.jpg", "2024_beach_Paris", 3},
        {"affix_before", "[x*]", "beach.jpg", "xbeach", 3},
        {"affix_none", "[*]", "beach.jpg", "beach", 3},
        {"affix_after", "[*_old]", "beach.jpg", "beach_old", 3},
        {"affix_accented", "[été*]", "x.jpg", "étéx", 3},
        // A "*" second to last closes the mask by itself: the last character is dropped.
        {"affix_star_second_to_last", "[a*b", "x.jpg", "ax", 3},
        {"affix_text_after_bracket", "[a*b]zz", "x.jpg", "axb", 3},
        {"removal", "[-N]", "IMG_0042.jpg", "IMG_", 4},
        {"removal_all_digits", "[-N]", "0042.jpg", "", 4},
        {"removal_no_extension", "[-N]", "IMG0042", "IMG", 4},
        {"removal_no_digits", "[-N]", "beach.jpg", "beach", 4},
        {"removal_any_text", "[abc-N]", "a1.jpg", "a", 4},
        {"open_bracket_only", "[abc", "beach.jpg", "", 0},
        {"lone_bracket", "[", "beach.jpg", "", 0},
        {"closed_no_kind", "[abc]", "beach.jpg", "", 0},
        {"replace_missing_bracket", "[{IMG}{PIC}", "IMG_1.jpg", "", 0},
        {"replace_empty_search", "[{}{x}]", "IMG_1.jpg", "", 0},
        {"replace_missing_second_pair", "[{IMG}]", "IMG_1.jpg", "", 0},
        {"affix_no_closing", "[a*bc", "x.jpg", "", 0},
        {"not_a_mask", "IMG", "x.jpg", "", 0},
        {"empty_field", "", "x.jpg", "", 0},
        {"empty_old_name", "[{IMG}{PIC}]", "", "", 0},
    };
    for (const auto& c : cases) {
        const ResultatMasque r = Exploiter_masque(c.ancien, c.champ);
        EXPECT_EQ(r.nom, c.resultat) << c.nom;
        EXPECT_EQ(r.type, c.type) << c.nom;
        EXPECT_EQ(r.compteurInactifVisible, c.type >= 2) << c.nom;
    }
}

TEST(MaskEngine, KeepDigitsInExifNamingHasNoPrefix) {
    EXPECT_EQ(Exploiter_masque("IMG_0042.jpg", "[*&N]", true).nom, "0042");
    EXPECT_EQ(Exploiter_masque("IMG_0042.jpg", "[VAC&N]", true).nom, "0042");
    EXPECT_EQ(Exploiter_masque("IMG.jpg", "[*&N]", true).nom, "");
    // The other kinds are the same in EXIF naming.
    EXPECT_EQ(Exploiter_masque("IMG_0042.jpg", "[x*]", true).nom, "xIMG_0042");
}

TEST(MaskEngine, KeptTexts) {
    const struct {
        const char* champ;
        bool remplace;
        const char* chercher;
        const char* remplacement;
        bool affixes;
        const char* prefixe;
        const char* suffixe;
    } cases[] = {
        {"[{IMG}{PIC}]", true, "IMG", "PIC", false, "{IMG}{PIC}", ""},
        {"[{a b}{ }]", true, "a b", " ", false, "{a b}{ }", ""},
        {"[{IMG}{PIC}", false, "IMG", "PIC", false, "{IMG}{PIC", ""},
        {"[2024_*_Paris]", false, "", "", true, "2024_", "_Paris"},
        {"[*]", false, "", "", true, "", ""},
        {"[", false, "", "", false, "", ""},
    };
    for (const auto& c : cases) {
        PartiesMasque p;
        EXPECT_EQ(Est_masque_chercher_remplacer(c.champ, p), c.remplace) << c.champ;
        EXPECT_EQ(p.chercher, c.chercher) << c.champ;
        EXPECT_EQ(p.remplacement, c.remplacement) << c.champ;
        EXPECT_EQ(Est_masque_prefixe_suffixe(c.champ, p), c.affixes) << c.champ;
        EXPECT_EQ(p.prefixe, c.prefixe) << c.champ;
        EXPECT_EQ(p.suffixe, c.suffixe) << c.champ;
    }
}

TEST(MaskEngine, SmallPieces) {
    EXPECT_EQ(Masque_extrait_compteur("IMG_0042"), "0042");
    EXPECT_EQ(Masque_extrait_compteur("0042"), "0042");
    EXPECT_EQ(Masque_extrait_compteur("IMG"), "");
    EXPECT_EQ(Masque_extrait_compteur(""), "");
    EXPECT_EQ(Masque_extrait_prefixe_compteur("[VAC&N]"), "VAC");
    EXPECT_EQ(Masque_extrait_prefixe_compteur("[&N]"), "");
    EXPECT_EQ(Masque_extrait_prefixe_compteur("[É&N]"), "É");
    EXPECT_TRUE(Utilise_masque("[abc"));
    EXPECT_FALSE(Utilise_masque("abc["));
    EXPECT_FALSE(Utilise_masque(""));
    EXPECT_TRUE(Est_masque_suppression_compteur("[-N]"));
    EXPECT_FALSE(Est_masque_suppression_compteur("[-n]"));
}

struct CounterRuleCase {
    const char* nom;
    const char* ancien;
    const char* prefixe;
    bool nommageExif;
    bool exifSansCompteur;
    bool compteurInactif; // checked and shown
    bool compteur;
};

// The counter rule as masks use it: the keep-digits mask lets the old name's own
// digits serve as counter, and the inactive-counter box drops it.
TEST(MaskEngine, CounterRule) {
    const CounterRuleCase cases[] = {
        {"plain_prefix", "IMG_0042.jpg", "IMG", false, false, false, true},
        {"keep_digits_with_digits", "IMG_0042.jpg", "[X&N]", false, false, false, false},
        {"keep_digits_without_digits", "IMG.jpg", "[X&N]", false, false, false, true},
        {"keep_digits_no_extension", "0042", "[X&N]", false, false, false, false},
        {"keep_digits_digit_in_extension", "IMG.mp3", "[X&N]", false, false, false, true},
        {"ending_alone_counts", "a1.jpg", "abc&N]", false, false, false, false},
        {"exif_drops_counter", "IMG.jpg", "", true, true, false, false},
        {"exif_keeps_counter", "IMG.jpg", "", true, false, false, true},
        {"drop_option_without_exif", "IMG.jpg", "", false, true, false, true},
        {"inactive_box", "IMG.jpg", "[x*]", false, false, true, false},
    };
    for (const auto& c : cases) {
        OptionsNommage o;
        o.prefixe = c.prefixe;
        o.exif.actif = c.nommageExif;
        o.exif.sansCompteur = c.exifSansCompteur;
        o.compteurInactif = c.compteurInactif;
        EXPECT_EQ(Exploite_compteur(o, c.ancien), c.compteur) << c.nom;
    }
}

} // namespace
