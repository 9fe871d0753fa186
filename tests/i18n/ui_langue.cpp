// SPDX-License-Identifier: GPL-3.0-or-later
// The language dialog and the application in another language: the list, Confirm and
// Cancel, messages switching at once, windows at the next start, headless runs.
#include "app/Headless.h"

#include "exif_naming/ui/IHM_exif_info.h"
#include "i18n/uLocalization.h"
#include "i18n/ui/IHM_langue.h"
#include "support/ui_support.h"
#include "window/Main.h"
#include <sstream>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace varlime;
using namespace varlime::test;

namespace {

std::string shippedEnglish() {
    return readFile(std::string(VARLIME_SOURCE_DIR) + "/lang/lang_en.ini");
}

// A program folder with the shipped English file and a small German one.
void addLanguages(const TempDir& dir) {
    dir.write("lang_en.ini", shippedEnglish());
    dir.write("langue_deutsch.ini",
              "[langue]\nLangNom=Deutsch\nLangCode=de\nMessageLangue=Neustart\\nbitte\n"
              "[MESSAGES]\nRSC_avant=Vorher\n[DLG_langue]\nCaption=Sprache\n");
}

QStringList entries(QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

TEST(LanguageDialog, ListsFrenchThenTheFilesAndSelectsTheActiveOne) {
    struct Case {
        const char* langIni;
        int selected;
    };
    const Case cases[] = {{nullptr, 0},
                          {"[CONFIG]\nActiveLanguage=EN\n", 1},
                          {"[CONFIG]\nActiveLanguage=de\n", 2},
                          {"[CONFIG]\nActiveLanguage=xx\n", 0}};
    for (const auto& c : cases) {
        AppFixture f;
        addLanguages(f.programDir);
        if (c.langIni)
            f.programDir.write("lang.ini", c.langIni);
        f.app.reset();
        f.app = std::make_unique<Application>(f.programDir.path(), f.messages);
        TDLG_langue& d = f.app->DLG_langue();
        d.Preparer();
        EXPECT_EQ(entries(d.CBB_langue), (QStringList{"Français", "English", "Deutsch"}));
        EXPECT_EQ(d.CBB_langue->currentIndex(), c.selected) << (c.langIni ? c.langIni : "none");
    }
}

TEST(LanguageDialog, ConfirmStoresSwitchesMessagesAndShowsTheLanguagesMessage) {
    AppFixture f;
    addLanguages(f.programDir);
    TMainForm& m = f.app->MainForm();
    TDLG_langue& d = f.app->DLG_langue();
    d.Preparer();
    d.CBB_langue->setCurrentIndex(1);
    ASSERT_TRUE(d.Confirmer());
    EXPECT_EQ(f.programDir.read("lang.ini"), "[CONFIG]\nActiveLanguage=en\n");
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Information);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(),
              "The selected language will be active when the application restarts.");
    // Messages follow at once; windows already created keep their texts.
    EXPECT_EQ(f.app->texte("RSC_avant", "Avant").toStdString(), "Before");
    EXPECT_EQ(m.BT_valider_rename->text().toStdString(), "Varlimer");
    EXPECT_EQ(d.windowTitle().toStdString(), "Sélection de la langue");

    // The next start is in English, windows included.
    f.app.reset();
    f.app = std::make_unique<Application>(f.programDir.path(), f.messages);
    EXPECT_EQ(f.app->MainForm().BT_valider_rename->text().toStdString(), "Rename");
    EXPECT_EQ(f.app->DLG_langue().windowTitle().toStdString(), "Choose the language");
    EXPECT_EQ(f.app->DLG_langue().BT_ok->text().toStdString(), "Confirm");

    // Back to French: the built-in message, and French texts at the following start.
    TDLG_langue& again = f.app->DLG_langue();
    again.Preparer();
    again.CBB_langue->setCurrentIndex(0);
    ASSERT_TRUE(again.Confirmer());
    EXPECT_EQ(f.messages.shown.back().text.toStdString(),
              "La langue sélectionnée sera active au prochain démarrage de l'application.");
    EXPECT_EQ(f.programDir.read("lang.ini"), "[CONFIG]\nActiveLanguage=fr\n");
    EXPECT_EQ(f.app->texte("RSC_avant", "Avant").toStdString(), "Avant");
}

// The running windows keep their language until the next start: the EXIF items chosen
// in them go on naming files, and are stored the same, after a change of language.
TEST(LanguageDialog, ChosenExifItemsOutliveAChangeOfLanguage) {
    const struct {
        const char* depart; // lang.ini at start, or none for French
        int choix;          // the language then confirmed
    } cas[] = {{nullptr, 1}, {"[CONFIG]\nActiveLanguage=en\n", 0}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.choix);
        AppFixture f;
        addLanguages(f.programDir);
        if (c.depart) {
            f.programDir.write("lang.ini", c.depart);
            f.app.reset();
            f.app = std::make_unique<Application>(f.programDir.path(), f.messages);
        }
        TDLG_exif_info& exif = f.app->DLG_exif_info();
        for (const char* nom : {"CKB_zone_libre", "CKB_fabricant", "CKB_date", "CKB_heure"})
            exif.findChild<QCheckBox*>(QString::fromLatin1(nom))->click();
        const std::vector<ItemExif> attendu = {ItemExif::ZoneLibre, ItemExif::Fabricant,
                                               ItemExif::Date, ItemExif::Heure};
        OptionsExif avant;
        exif.remplirOptions(avant);
        ASSERT_EQ(avant.ordre, attendu);
        const QString liste = exif.Liste_option();
        EXPECT_EQ(liste.toStdString(), "Zone libre;Fabricant;Date;Heure");

        TDLG_langue& d = f.app->DLG_langue();
        d.Preparer();
        d.CBB_langue->setCurrentIndex(c.choix);
        ASSERT_TRUE(d.Confirmer());
        OptionsExif apres;
        exif.remplirOptions(apres);
        EXPECT_EQ(apres.ordre, attendu);
        EXPECT_EQ(exif.Liste_option(), liste);
    }
}

TEST(LanguageDialog, GererThroughTheMenuConfirmOrCancel) {
    AppFixture f;
    addLanguages(f.programDir);
    TMainForm& m = f.app->MainForm();
    // Cancel changes nothing.
    whenModal([](QWidget* w) {
        auto* d = qobject_cast<TDLG_langue*>(w);
        ASSERT_NE(d, nullptr);
        d->CBB_langue->setCurrentIndex(2);
        d->BT_annuler->click();
    });
    m.MIT_aide_langue->trigger();
    EXPECT_FALSE(f.programDir.exists("lang.ini"));
    EXPECT_TRUE(f.messages.shown.empty());
    // Confirm with German chosen.
    whenModal([](QWidget* w) {
        auto* d = qobject_cast<TDLG_langue*>(w);
        ASSERT_NE(d, nullptr);
        d->CBB_langue->setCurrentIndex(2);
        d->BT_ok->click();
    });
    m.MIT_aide_langue->trigger();
    EXPECT_EQ(f.programDir.read("lang.ini"), "[CONFIG]\nActiveLanguage=de\n");
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(), "Neustart\nbitte");
    EXPECT_EQ(f.app->localization().ActiveLanguageFile(), "langue_deutsch.ini");
    EXPECT_EQ(f.app->texte("RSC_avant", "Avant").toStdString(), "Vorher");
}

TEST(LanguageDialog, RefusedWriteKeepsTheLanguage) {
    AppFixture f;
    addLanguages(f.programDir);
    f.programDir.write("lang.ini/blocker", "");
    TDLG_langue& d = f.app->DLG_langue();
    d.Preparer();
    d.CBB_langue->setCurrentIndex(1);
    EXPECT_FALSE(d.Confirmer());
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(),
              "Impossible d'écrire dans " + f.programDir.path() + "lang.ini");
    EXPECT_EQ(f.app->localization().ActiveLanguageCode(), "fr");
}

TEST(Headless, MessagesInTheActiveLanguage) {
    TempDir program;
    TempDir photos;
    photos.write("a.jpg");
    program.write("lang_en.ini", shippedEnglish());
    program.write("lang.ini", "[CONFIG]\nActiveLanguage=en\n");
    std::ostringstream out, err;
    const int status = executerSansFenetre({"varlime", "--rename", photos.path(), "--prefix", "P"},
                                           program.path(), out, err);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out.str(), "1 files renamed\n0 errors\n");
    EXPECT_EQ(photos.names(), std::vector<std::string>{"P001.jpg"});
}

} // namespace
