// SPDX-License-Identifier: GPL-3.0-or-later
// The settings table of the naming options, which the window and the command line both
// read: what each stored text gives, where a text that is no number stops the read, what
// a value is written back as, and the model's change signal.
#include "naming/modeleNommage.h"
#include "naming/reglagesNommage.h"
#include "platform/iniFile.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

using namespace varlime;

TEST(ReglagesNommage, StoredTextsGiveTheOptionsAndANonNumberStopsTheRead) {
    struct Cas {
        const char* nom;
        const char* fichier;
        std::optional<std::string> refus;
        std::string largeur, prefixe, separateurInfo;
        int formatHeure, formatDate;
        bool extensionMinuscule, sansCompteur;
    };
    const Cas cas[] = {
        {"empty_file", "", std::nullopt, "3", "", "_", -1, 0, false, false},
        {"stored",
         "[MAIN]\nLARGEUR_COMPTEUR=x\nPREFIXE_REMPLACEMENT=Ete_\nEXTENSION_MINUSCULE=1\n"
         "[FORMATS]\nHEURE=2\nDATE=5\n[EXIF]\nSEPARATEUR_INFORMATION=1\nCOMPTEUR_COCHE=1\n",
         std::nullopt, "x", "Ete_", "-", 2, 5, true, true},
        // The read stops at the time: the date and everything after keep their value.
        {"time_no_number", "[FORMATS]\nHEURE=deux\nDATE=5\n[EXIF]\nCOMPTEUR_COCHE=1\n", "deux", "3",
         "", "_", -1, 0, false, false},
        {"separator_out_of_list", "[EXIF]\nSEPARATEUR_INFORMATION=7\n", std::nullopt, "3", "", "",
         -1, 0, false, false},
        {"separator_no_number", "[EXIF]\nSEPARATEUR_INFORMATION=tiret\n", "tiret", "3", "", "_", -1,
         0, false, false},
    };
    for (const Cas& c : cas) {
        OptionsNommage o;
        std::string largeur;
        const auto refus = lireReglagesNommage(IniDocument::parse(c.fichier), o, largeur);
        EXPECT_EQ(refus, c.refus) << c.nom;
        EXPECT_EQ(largeur, c.largeur) << c.nom;
        EXPECT_EQ(o.prefixe, c.prefixe) << c.nom;
        EXPECT_EQ(o.exif.separateurInfo, c.separateurInfo) << c.nom;
        EXPECT_EQ(o.formatHeure, c.formatHeure) << c.nom;
        EXPECT_EQ(o.formatDate, c.formatDate) << c.nom;
        EXPECT_EQ(o.extensionMinuscule, c.extensionMinuscule) << c.nom;
        EXPECT_EQ(o.exif.sansCompteur, c.sansCompteur) << c.nom;
    }
}

// What the window writes for an option reads back as the same option.
TEST(ReglagesNommage, WrittenValuesReadBackAsTheSameOptions) {
    OptionsNommage o;
    o.prefixe = "Hiver_";
    o.masqueRecherche = "*.jpg";
    o.extensionMinuscule = true;
    o.formatHeure = 1;
    o.exif.separateurFinal = " ";
    o.exif.separateurInfo = "";
    o.exif.garderCompteur = true;
    const Reglage* ecrits[] = {&reglages::kPrefixe,
                               &reglages::kMasqueRecherche,
                               &reglages::kExtensionMinuscule,
                               &reglages::kFormatHeure,
                               &reglages::kSeparateurFinal,
                               &reglages::kSeparateurInfo,
                               &reglages::kMasqueCompteurCoche};
    IniDocument ini = IniDocument::parse("");
    for (const Reglage* r : ecrits) {
        const auto valeur = valeurReglage(o, *r);
        ASSERT_TRUE(valeur) << r->cle;
        ini.set(r->section, r->cle, *valeur);
    }
    EXPECT_FALSE(valeurReglage(o, reglages::kRawCanon)); // a dialog's, not the table's
    OptionsNommage lu;
    std::string largeur;
    ASSERT_EQ(lireReglagesNommage(ini, lu, largeur), std::nullopt);
    EXPECT_EQ(lu, o);
}

TEST(ReglagesNommage, ModelOptionsAndSwitchesComeFromTheTable) {
    OptionsNommage o;
    EXPECT_TRUE(appliquerInterrupteur("--lowercase-extension", o));
    EXPECT_TRUE(o.extensionMinuscule);
    EXPECT_FALSE(appliquerInterrupteur("--lowercase", o));
    // Only what the model keeps is read at a window's start, and written when it changes.
    OptionsNommage modele;
    lireReglagesDuModele(
        IniDocument::parse("[MAIN]\nEXTENSION_MINUSCULE=1\nPREFIXE_REMPLACEMENT=Ete_\n"), modele);
    EXPECT_TRUE(modele.extensionMinuscule);
    EXPECT_EQ(modele.prefixe, "");
    const auto changes = reglagesChanges(OptionsNommage{}, o);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].first, &reglages::kExtensionMinuscule);
    EXPECT_EQ(changes[0].second, "1");
    EXPECT_TRUE(reglagesChanges(o, o).empty());
}

TEST(ModeleNommage, TellsEachChangeOnceWithTheOptionsBefore) {
    ModeleNommage modele;
    std::vector<std::string> avants;
    QObject::connect(&modele, &ModeleNommage::change,
                     [&](const OptionsNommage& avant) { avants.push_back(avant.prefixe); });
    modele.modifier([](OptionsNommage& o) { o.prefixe = "A_"; });
    modele.modifier([](OptionsNommage& o) { o.prefixe = "A_"; }); // no change, no signal
    // A dialog edits a copy: nothing changes until it hands the copy back.
    OptionsNommage copie = modele.copie();
    copie.prefixe = "B_";
    EXPECT_EQ(modele.options().prefixe, "A_");
    modele.remplacer(copie);
    EXPECT_EQ(avants, (std::vector<std::string>{"", "A_"}));
    EXPECT_EQ(modele.options().prefixe, "B_");
}

TEST(ReglagesNommage, LowercaseExtensionLowersOnlyTheExtension) {
    struct Cas {
        const char *ancien, *attendu;
        bool imposee;
    };
    const Cas cas[] = {{"IMG_1.JPG", "Ete_1.jpg", false},
                       {"b.Cr2", "Ete_2.cr2", false},
                       {"SANS", "Ete_3", false},
                       {"c.jpg", "Ete_4.tif", true}};
    OptionsNommage o;
    o.prefixe = "Ete_";
    o.largeur = 1;
    o.extensionMinuscule = true;
    for (std::size_t i = 0; i < std::size(cas); ++i) {
        std::vector<FileRow> rows;
        for (const Cas& c : cas)
            rows.push_back({c.ancien, ""});
        o.extensionImposee = cas[i].imposee;
        o.extension = "TIF";
        calculerNouveauxNoms(rows, true, o, nullptr);
        EXPECT_EQ(rows[i].nouveau, cas[i].attendu) << cas[i].ancien;
    }
}
