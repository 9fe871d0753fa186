// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/messageFormat.h"
#include "core/modes.h"

#include <gtest/gtest.h>

using namespace varlime;

namespace {

struct ModeCase {
    const char* nom;
    EntreesStatut e;
    Mode attendu;
};

TEST(Modes, ComputedFromOptions) {
    const ModeCase cases[] = {
        {"nothing", {}, Mode::Normal},
        {"plain_prefix", {false, false, false, "IMG", false, false}, Mode::Normal},
        {"exif", {true, false, false, "", false, false}, Mode::Exif},
        {"exif_over_mask", {true, false, false, "[x*]", true, true}, Mode::Exif},
        {"canon", {true, true, false, "", false, false}, Mode::RawCanon},
        {"association_over_canon", {true, true, true, "", false, false}, Mode::Association},
        {"association", {true, false, true, "", false, false}, Mode::Association},
        {"canon_without_exif", {false, true, true, "", false, false}, Mode::Normal},
        {"mask", {false, false, false, "[x*]", false, false}, Mode::Masque},
        {"malformed_mask", {false, false, false, "[abc", false, false}, Mode::Masque},
        {"mask_over_file_date", {false, false, false, "[-N]", true, true}, Mode::Masque},
        {"file_date", {false, false, false, "", true, true}, Mode::DateCreation},
        {"fixed_date_is_normal", {false, false, false, "2024-03-05_", true, false}, Mode::Normal},
        {"file_date_source_but_off", {false, false, false, "", false, true}, Mode::Normal},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Retourner_statut(c.e), c.attendu) << c.nom;
}

TEST(Modes, StatusTexts) {
    const auto fr = defaultMessages();
    const struct {
        Mode m;
        const char* cle;
        const char* texte;
    } cases[] = {
        {Mode::Normal, "RSC_statut_normal", "Mode NORMAL"},
        {Mode::Exif, "RSC_statut_exif", "Mode EXIF"},
        {Mode::RawCanon, "RSC_statut_raw_canon", "Mode Raw Canon"},
        {Mode::Masque, "RSC_statut_masque", "Mode MASQUE"},
        {Mode::DateCreation, "RSC_statut_date_creation", "Mode Date de création"},
        {Mode::Association, "RSC_statut_association",
         "Mode association de fichiers  AVI et THM (EXIF)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cleStatut(c.m), c.cle);
        EXPECT_EQ(Texte_statut(c.m, fr, "avi", "Thm"), c.texte) << c.cle;
    }
    EXPECT_EQ(Nom_statut(Mode::Association, fr), "Mode association de fichiers ");
    const TextLookup en = [](std::string_view cle, std::string_view d) {
        return cle == "RSC_statut_masque" ? std::string("MASK mode") : std::string(d);
    };
    EXPECT_EQ(Texte_statut(Mode::Masque, en), "MASK mode");
}

TEST(Modes, WhenToOfferLeaving) {
    const struct {
        Mode dernier, propre;
        bool proposer;
    } cases[] = {
        {Mode::Normal, Mode::Masque, false},       {Mode::Masque, Mode::Masque, false},
        {Mode::Exif, Mode::Masque, true},          {Mode::DateCreation, Mode::Masque, true},
        {Mode::Masque, Mode::DateCreation, true},  {Mode::DateCreation, Mode::DateCreation, false},
        {Mode::Association, Mode::RawCanon, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Doit_proposer_sortie(c.dernier, c.propre), c.proposer)
            << static_cast<int>(c.dernier) << " " << static_cast<int>(c.propre);
}

TEST(MessageFormat, Utf8TextsFilledSafely) {
    const struct {
        const char* fmt;
        std::vector<std::string> valeurs;
        const char* attendu;
    } cases[] = {
        {"Vous varlimez %s avec son propre nom",
         {"a.jpg"},
         "Vous varlimez a.jpg avec son propre nom"},
        {"%d fichiers varlimés, %d erreurs", {"3", "0"}, "3 fichiers varlimés, 0 erreurs"},
        {"%s et %s", {"x"}, "x et %s"},
        {"%s", {"x", "y"}, "x"},
        {"100%%", {}, "100%"},
        {"fin %", {}, "fin %"},
        {"%5.2s|%d", {"a", "b"}, "%5.2s|a"},
        {"%s", {"50%s"}, "50%s"},
        {"% é", {"x"}, "% é"},
    };
    for (const auto& c : cases) {
        std::string out;
        const std::string_view fmt = c.fmt;
        if (c.valeurs.empty())
            out = formatMessage(fmt, std::initializer_list<std::string_view>{});
        else if (c.valeurs.size() == 1)
            out = formatMessage(fmt, {c.valeurs[0]});
        else
            out = formatMessage(fmt, {c.valeurs[0], c.valeurs[1]});
        EXPECT_EQ(out, c.attendu) << c.fmt;
    }
}

TEST(MessageFormat, Lines) {
    const struct {
        const char* texte;
        std::vector<std::string> lignes;
    } cases[] = {
        {"abc", {"abc"}}, {"abc\r\n", {"abc", ""}}, {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"", {""}},       {"\n", {"", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(messageLines(c.texte), c.lignes) << c.texte;
}

} // namespace
