// SPDX-License-Identifier: GPL-3.0-or-later
// The EXIF naming dialog and the main window's EXIF mode inside the whole
// application: the order list, the stored settings, the list check, the names of
// real photos, the refusal of a file without EXIF, OK's question, and leaving the mode.
#include "exif_naming/composeurExif.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "exif_naming/ui/IHM_option_exposition.h"
#include "exif_naming/ui/IHM_option_ouverture.h"
#include "i18n/uLocalization.h"
#include "platform/iniFile.h"
#include "platform/ui/RadioGroup.h"
#include "support/ui_support.h"
#include "window/MD_utilitaire.h"
#include "window/Main.h"
#include "window/PanneauNommage.h"
#include "window/fileGridModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

using namespace varlime;
using namespace varlime::test;

namespace {

QStringList ordre(const TDLG_exif_info& d) {
    return d.lignesOrdre();
}

QCheckBox* caseItem(TDLG_exif_info& d, const char* nom) {
    return d.findChild<QCheckBox*>(QString::fromLatin1(nom));
}

void copier(const TempDir& dir, const char* source, const char* nom) {
    dir.write(nom, readFile(photosDir() + source));
    // The sample without EXIF keeps an editor's XMP date: taken away, it has no metadata.
    if (std::string_view(source) == "no_exif.jpg")
        std::system(
            ("exiftool -q -q -all= -overwrite_original '" + dir.path() + nom + "'").c_str());
}

const std::string kMarque = "NON VARLIMÉ (Pas d'en-tête Exif)";

TEST(ExifInfo, ListeDOrdre) {
    AppFixture f;
    TDLG_exif_info& d = f.app->DLG_exif_info();
    caseItem(d, "CKB_fabricant")->click();
    caseItem(d, "CKB_date")->click();
    caseItem(d, "CKB_proprietaire")->click();
    EXPECT_EQ(ordre(d), (QStringList{"Fabricant", "Date", "Propriétaire"}));
    caseItem(d, "CKB_date")->click();
    EXPECT_EQ(ordre(d), (QStringList{"Fabricant", "Propriétaire"}));
    // Up on the first row and down on the last change nothing; up on the last moves it.
    d.GRS_exif_ordre->setCurrentCell(0, 0);
    d.BT_haut->click();
    EXPECT_EQ(ordre(d), (QStringList{"Fabricant", "Propriétaire"}));
    d.GRS_exif_ordre->setCurrentCell(1, 0);
    d.BT_bas->click();
    EXPECT_EQ(ordre(d), (QStringList{"Fabricant", "Propriétaire"}));
    d.BT_haut->click();
    EXPECT_EQ(ordre(d), (QStringList{"Propriétaire", "Fabricant"}));
    EXPECT_EQ(d.GRS_exif_ordre->currentRow(), 0);
    caseItem(d, "CKB_fabricant")->click();
    caseItem(d, "CKB_proprietaire")->click();
    EXPECT_EQ(d.GRS_exif_ordre->rowCount(), 1);
    EXPECT_TRUE(ordre(d).isEmpty());
}

TEST(ExifInfo, ReglagesEnregistresEtRelus) {
    AppFixture f;
    TDLG_exif_info& d = f.app->DLG_exif_info();
    // A doubled ";" changes nothing; a name that is no item is left out.
    ASSERT_TRUE(d.Positionne_option_exif("Vacances", "Date;;Heure;Zone libre;Flash", "1", "1", "0",
                                         "2", "1", "0"));
    EXPECT_EQ(ordre(d), (QStringList{"Date", "Heure", "Zone libre"}));
    EXPECT_TRUE(caseItem(d, "CKB_date")->isChecked());
    EXPECT_TRUE(caseItem(d, "CKB_heure")->isChecked());
    EXPECT_TRUE(caseItem(d, "CKB_zone_libre")->isChecked());
    EXPECT_FALSE(caseItem(d, "CKB_fabricant")->isChecked());
    EXPECT_EQ(d.CBB_separateur_info->currentText(), " ");
    EXPECT_EQ(d.CBB_separateur_final->currentText(), "-");
    EXPECT_TRUE(d.CKB_compteur->isChecked());
    EXPECT_FALSE(d.CKB_separateur_final->isChecked());

    // A typed separator is stored as -1 and comes back as an empty separator.
    d.CBB_separateur_info->setEditText(QStringLiteral("+"));
    d.Sauver_parametres_exif();
    const IniDocument ini = IniDocument::load(f.app->DB_utilitaire().Fichier_parametres());
    const struct {
        const char* cle;
        const char* valeur;
    } attendus[] = {
        {"ZONE_LIBRE", "Vacances"},       {"LISTE_OPTION", "Date;Heure;Zone libre"},
        {"MASQUE_COMPTEUR_COCHE", "0"},   {"SEPARATEUR_INFORMATION_COCHE", "1"},
        {"SEPARATEUR_INFORMATION", "-1"}, {"SEPARATEUR_FINAL_COCHE", "0"},
        {"SEPARATEUR_FINAL", "1"},        {"COMPTEUR_COCHE", "1"},
    };
    for (const auto& a : attendus)
        EXPECT_EQ(ini.read("EXIF", a.cle, "absent"), a.valeur) << a.cle;
    ASSERT_TRUE(d.Positionne_option_exif("", "", "0", "ERREUR", "1", "-1", "1", "0"));
    EXPECT_EQ(d.CBB_separateur_info->currentText(), "");
    EXPECT_EQ(d.CBB_separateur_final->currentText(), "-"); // ERREUR leaves it as it is
    EXPECT_FALSE(d.Positionne_option_exif("", "", "0", "x", "1", "0", "1", "0"));

    // The stored exposure form "1" selects the accented one at the next start.
    IniDocument stocke;
    stocke.set("FORMATS", "EXPOSITION", "1");
    ASSERT_FALSE(f.app->MainForm().reprendreReglages(stocke).has_value());
    const OptionsExif e = f.app->MainForm().optionsAffichees().exif;
    EXPECT_EQ(Retourne_exposition_formatee(1.0 / 125, e.formatExposition, e.suffixeExposition),
              "1_125_ème");
    EXPECT_EQ(Retourne_ouverture_formatee(2.8, e.formatOuverture), "F2,8");
}

// Switching EXIF naming on over a folder where one photo has no EXIF data.
// A list stored under the built-in French names, read under another language.
TEST(ExifInfo, ListeEnregistreeEnFrancaisRelueEnAnglais) {
    TempDir programme;
    programme.write("lang.ini", "[CONFIG]\nActiveLanguage=en\n");
    programme.write("lang_en.ini", "[langue]\nLangCode=en\n[MESSAGES]\nRSC_heure=Time\n"
                                   "RSC_zone_libre=Free text\n");
    ScriptedMessageService messages;
    Application app(programme.path(), messages);
    TDLG_exif_info& d = app.DLG_exif_info();
    ASSERT_TRUE(
        d.Positionne_option_exif("", "Zone libre;Heure;Time;Date", "0", "0", "1", "0", "1", "0"));
    EXPECT_EQ(ordre(d), (QStringList{"Free text", "Time", "Date"}));
    EXPECT_EQ(d.Liste_option().toStdString(), "Zone libre;Heure;Date");
}

TEST(ExifInfo, ModeExifDeLaFenetrePrincipale) {
    AppFixture f;
    TempDir photos;
    copier(photos, "Canon_40D.jpg", "a.jpg");
    copier(photos, "no_exif.jpg", "b.jpg");
    copier(photos, "Nikon_D70.jpg", "c.jpg");
    TMainForm& m = f.app->MainForm();
    f.app->DB_utilitaire().Sauver_parametre("MAIN", "PREFIXE_REMPLACEMENT", "IMG");
    m.EDT_prefixe_remplacement->setText(QStringLiteral("IMG"));
    m.Repertoire_courant = photos.path();
    m.Validation_repertoire();
    TDLG_exif_info& d = f.app->DLG_exif_info();
    caseItem(d, "CKB_fabricant")->click();
    caseItem(d, "CKB_modele")->click();

    f.messages.answer(false);
    d.CKB_exploitation_exif->click();
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(),
              "Le fichier b.jpg n'a pas d'en-tête Exif\r\nVoulez-vous varlimer les autres "
              "fichiers porteurs d'informations Exif ?");
    EXPECT_FALSE(d.Est_mode_exif());

    f.messages.answer(true);
    d.CKB_exploitation_exif->click();
    EXPECT_TRUE(d.Est_mode_exif());
    m.Voir_rename();
    EXPECT_EQ(m.STB_main->currentMessage().toStdString(), "Mode EXIF");
    EXPECT_TRUE(m.EDT_prefixe_remplacement->isHidden());
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "Canon_Canon EOS 40D_001.jpg"},
                             {"b.jpg", kMarque},
                             {"c.jpg", "NIKON CORPORATION_NIKON D70_002.jpg"}}));

    // The keep-counter box writes its mask into the prefix field.
    d.CKB_masque_compteur->click();
    EXPECT_EQ(m.EDT_prefixe_remplacement->text().toStdString(), "[*&N]");
    // Saving the main options (before the viewer or the dump) leaves the mask the names
    // depend on, and the stored prefix is not replaced by it.
    const std::string prefixeAvant = IniDocument::load(f.app->DB_utilitaire().Fichier_parametres())
                                         .read("MAIN", "PREFIXE_REMPLACEMENT", "absent");
    m.Sauver_parametres_main();
    EXPECT_EQ(m.EDT_prefixe_remplacement->text().toStdString(), "[*&N]");
    EXPECT_EQ(IniDocument::load(f.app->DB_utilitaire().Fichier_parametres())
                  .read("MAIN", "PREFIXE_REMPLACEMENT", "absent"),
              prefixeAvant);
    d.CKB_masque_compteur->click();
    EXPECT_EQ(m.EDT_prefixe_remplacement->text().toStdString(), "");

    // No counter: the counter controls go, equal neighbours get letters.
    d.CKB_compteur->click();
    caseItem(d, "CKB_modele")->click();
    m.Voir_rename();
    EXPECT_TRUE(m.EDT_initialisation->isHidden());
    EXPECT_TRUE(d.CKB_separateur_final->isHidden());
    EXPECT_EQ(
        grid(m),
        (Grid{{"a.jpg", "Canon.jpg"}, {"b.jpg", kMarque}, {"c.jpg", "NIKON CORPORATION.jpg"}}));

    // Leaving EXIF naming brings back the stored prefix.
    m.EDT_prefixe_remplacement->setText(QStringLiteral("typed"));
    f.app->DB_utilitaire().Desactiver_mode(Mode::Exif);
    EXPECT_FALSE(d.Est_mode_exif());
    EXPECT_EQ(m.EDT_prefixe_remplacement->text().toStdString(), "IMG");
    EXPECT_FALSE(m.EDT_prefixe_remplacement->isHidden());
    EXPECT_EQ(grid(m)[1], (std::pair<std::string, std::string>{"b.jpg", "IMG002.jpg"}));
}

TEST(ExifInfo, BoutonSurUnFichierSansExifEtQuestionDuOk) {
    AppFixture f;
    TempDir photos;
    copier(photos, "no_exif.jpg", "a.jpg");
    copier(photos, "Canon_40D.jpg", "b.jpg");
    TMainForm& m = f.app->MainForm();
    m.Repertoire_courant = photos.path();
    m.Validation_repertoire();
    m.BT_exif_info->click(); // the first row: no EXIF
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(),
              "Le fichier a.jpg ne porte pas d'information EXIF.\nVeuillez cliquer sur une "
              "autre ligne pour\nlire les informations du fichier.");

    // On the second row the dialog opens with its values; OK without date and time
    // but with no counter asks first, and No keeps it open.
    TDLG_exif_info& d = f.app->DLG_exif_info();
    m.GRS_fichier->setCurrentIndex(m.grille().index(1, 0));
    bool resteOuvert = false;
    QString fabricant, exemple;
    whenModal([&](QWidget*) {
        f.messages.answer(false);
        d.CKB_exploitation_exif->click(); // one file without EXIF: answered No
        EXPECT_FALSE(d.Est_mode_exif());
        f.messages.answer(true);
        d.CKB_exploitation_exif->click();
        d.CKB_compteur->click();
        caseItem(d, "CKB_modele")->click();
        fabricant = d.LBL_valeurs[0]->text();
        exemple = d.LBL_exemple->text();
        f.messages.answer(false);
        d.BT_ok->click();
        resteOuvert = d.isVisible();
        f.messages.answer(true);
        d.BT_ok->click();
    });
    m.BT_exif_info->click();
    EXPECT_TRUE(resteOuvert);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(fabricant.toStdString(), "Canon");
    EXPECT_EQ(exemple.toStdString(), "Canon EOS 40D");
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", kMarque}, {"b.jpg", "Canon EOS 40D.jpg"}}));
}

// Another mode's dialog offers to leave EXIF naming first; No changes nothing.
TEST(ExifInfo, AutreModeProposeDeSortirDuModeExif) {
    AppFixture f;
    TempDir photos;
    copier(photos, "Canon_40D.jpg", "a.jpg");
    TMainForm& m = f.app->MainForm();
    m.Repertoire_courant = photos.path();
    m.Validation_repertoire();
    TDLG_exif_info& d = f.app->DLG_exif_info();
    caseItem(d, "CKB_modele")->click();
    d.CKB_exploitation_exif->click(); // every file carries EXIF: no question
    ASSERT_TRUE(f.messages.shown.empty());
    m.Voir_rename();
    f.messages.answer(false);
    m.MIT_option_masque->trigger();
    QCoreApplication::processEvents();
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(), "Voulez-vous sortir du Mode EXIF ?");
    EXPECT_TRUE(d.Est_mode_exif());
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "Canon EOS 40D_001.jpg"}}));
}

} // namespace

namespace {
// The order list after a start in `code` ("fr" French) over `programme`.
QStringList ordreAuDemarrage(const TempDir& programme, const std::string& code,
                             const std::function<void(TDLG_exif_info&)>& ensuite = {}) {
    programme.write("lang.ini", "[CONFIG]\nActiveLanguage=" + code + "\n");
    ScriptedMessageService messages;
    Application app(programme.path(), messages);
    app.DB_utilitaire().Lecture_parametres();
    TDLG_exif_info& d = app.DLG_exif_info();
    const QStringList lignes = d.lignesOrdre();
    if (ensuite)
        ensuite(d);
    return lignes;
}
} // namespace

// Items chosen in French, the dialog closed once in every language shipped, then French
// again: the same items in the same order. A list stored under another language's names
// (as earlier versions stored it) still reads.
TEST(ExifInfo, ItemsSurviveEveryChangeOfLanguage) {
    const QStringList francais{"Fabricant", "Modèle", "Date", "Heure", "Zone libre"};
    const char* cases[] = {"CKB_fabricant", "CKB_modele", "CKB_date", "CKB_heure",
                           "CKB_zone_libre"};
    const std::string lang = std::string(VARLIME_SOURCE_DIR) + "/lang/";
    for (const char* fichier : {"lang_en.ini", "lang_fr.ini"}) {
        SCOPED_TRACE(fichier);
        TempDir programme;
        programme.write(fichier, readFile(lang + fichier));
        const std::string code = codeFromLanguageFileName(fichier);
        ordreAuDemarrage(programme, "fr", [&](TDLG_exif_info& d) {
            for (const char* c : cases)
                caseItem(d, c)->click();
            d.Sauver_parametres_exif();
        });
        QStringList affiches;
        const QStringList autre = ordreAuDemarrage(programme, code, [&](TDLG_exif_info& d) {
            for (const char* c : cases)
                affiches << caseItem(d, c)->text();
            d.Sauver_parametres_exif(); // OK in that language
        });
        EXPECT_EQ(autre, affiches);
        EXPECT_EQ(ordreAuDemarrage(programme, "fr"), francais);

        // The names of that language, stored as such, read in French.
        programme.write("varlime.ini",
                        "[EXIF]\nLISTE_OPTION=" + affiches.mid(2).join(';').toStdString() + "\n");
        EXPECT_EQ(ordreAuDemarrage(programme, "fr"), francais.mid(2));
    }
}

namespace {

// The aperture and exposure format dialogs open with the current choice ticked (the
// first one when none was stored); Annuler leaves the window's options and the settings
// file as they were, OK changes and stores the choice.
TEST(FormatDialogs, OpenWithTheirChoiceAndCancel) {
    AppFixture f;
    struct Cas {
        QDialog* dialogue;
        RadioGroup* groupe;
        QPushButton* annuler;
        QPushButton* ok;
        std::function<void()> gerer;
        std::function<int(const OptionsNommage&)> choix;
        const char* cle;
    };
    TDLG_option_ouverture& o = f.app->DLG_option_ouverture();
    TDLG_option_exposition& e = f.app->DLG_option_exposition();
    PanneauNommage& panneau = f.app->MainForm().panneau();
    const Cas cas[] = {
        {&o, o.RGA_affichage_ouverture, o.BT_annuler, o.BT_ok, [&] { panneau.ouvrirOuverture(); },
         [](const OptionsNommage& n) { return n.exif.formatOuverture; }, "OUVERTURE"},
        {&e, e.RGA_affichage_exposition, e.BT_annuler, e.BT_ok, [&] { panneau.ouvrirExposition(); },
         [](const OptionsNommage& n) { return n.exif.formatExposition; }, "EXPOSITION"},
    };
    const auto stocke = [&](const char* cle) {
        return IniDocument::load(f.app->DB_utilitaire().Fichier_parametres())
            .read("FORMATS", cle, "absent");
    };
    const auto choix = [&](const Cas& c) { return c.choix(f.app->MainForm().modele().options()); };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.cle);
        const struct {
            bool ok;
            int coche, vu, apres;
            const char* stocke;
        } etapes[] = {{false, 1, 0, -1, "absent"},
                      {true, 1, 0, 1, "1"},
                      {false, 0, 1, 1, "1"},
                      {true, 0, 1, 0, "0"}};
        for (const auto& etape : etapes) {
            int vu = -2;
            whenModal([&](QWidget* w) {
                EXPECT_EQ(w, c.dialogue);
                vu = c.groupe->itemIndex();
                c.groupe->setItemIndex(etape.coche);
                (etape.ok ? c.ok : c.annuler)->click();
            });
            c.gerer();
            EXPECT_EQ(vu, etape.vu);
            EXPECT_EQ(choix(c), etape.apres);
            EXPECT_EQ(stocke(c.cle), etape.stocke);
        }
    }
}

} // namespace
