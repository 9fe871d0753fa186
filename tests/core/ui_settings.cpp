// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file as the windows use it: what is written when, what comes back at
// the next start, refused writes and damaged files.
#include "app/Headless.h"

#include "exif_naming/ui/IHM_exif_info.h"
#include "i18n/uLocalization.h"
#include "platform/iniFile.h"
#include "platform/ui/RadioGroup.h"
#include "support/ui_support.h"
#include "window/IHM_option_date.h"
#include "window/IHM_option_heure.h"
#include "window/MD_utilitaire.h"
#include "window/Main.h"
#include "window/PanneauNommage.h"
#include <sstream>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace varlime;
using namespace varlime::test;
using namespace std::string_literals;

namespace {

struct MainFields {
    std::string folder, mask, prefix, width;
    bool operator==(const MainFields&) const = default;
};

std::ostream& operator<<(std::ostream& os, const MainFields& f) {
    return os << "{" << f.folder << ", " << f.mask << ", " << f.prefix << ", " << f.width << "}";
}

MainFields fields(TMainForm& m) {
    return {m.Repertoire_courant, m.EDT_masque_recherche->text().toStdString(),
            m.EDT_prefixe_remplacement->text().toStdString(),
            m.CBB_largeur_increment->currentText().toStdString()};
}

// What the main window shows is what the settings file holds: a typed prefix, or the
// date dialog's result, survives every later reading of the file (each activation,
// after any dialog or message box closes), and is what a run then uses.
TEST(Settings, WhatTheWindowShowsIsNeverReplacedByOlderStoredValues) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg");
    f.programDir.write("varlime.ini", "[MAIN]\nPREFIXE_REMPLACEMENT=Old_\nLARGEUR_COMPTEUR=2\n");
    TMainForm& m = f.app->MainForm();
    TDB_utilitaire& util = f.app->DB_utilitaire();
    util.Lecture_parametres();
    open(m, photos);
    ASSERT_EQ(m.EDT_prefixe_remplacement->text().toStdString(), "Old_");
    m.EDT_prefixe_remplacement->setText(QStringLiteral("Vacances_Bretagne_2024_"));
    util.Lecture_parametres();
    EXPECT_EQ(fields(m).prefix, "Vacances_Bretagne_2024_");
    util.Ecrire_parametres_en_attente(); // as when the typing pauses
    const IniDocument ini = IniDocument::load(f.programDir.path() + "varlime.ini");
    EXPECT_EQ(ini.read("MAIN", "PREFIXE_REMPLACEMENT", ""), "Vacances_Bretagne_2024_");
    EXPECT_EQ(ini.read("MAIN", "LARGEUR_COMPTEUR", ""), "2");
    // A width being typed is not stored until it is a number again.
    for (const char* l : {"", "a", "4"})
        m.CBB_largeur_increment->setCurrentText(QString::fromLatin1(l));
    m.CBB_largeur_increment->setCurrentText(QString());
    m.Sauver_parametres_main();
    EXPECT_EQ(
        IniDocument::load(f.programDir.path() + "varlime.ini").read("MAIN", "LARGEUR_COMPTEUR", ""),
        "4");
    m.CBB_largeur_increment->setCurrentText(QStringLiteral("2"));

    whenModal([](QWidget* w) {
        auto* date = qobject_cast<TDLG_option_date*>(w);
        ASSERT_NE(date, nullptr);
        date->CKB_date->setChecked(true);
        date->RGA_select_source_date->setItemIndex(0);
        date->EDT_date->setDate(QDate(2024, 7, 14));
        date->BT_ok->click();
    });
    m.panneau().ouvrirDate(true);
    util.Lecture_parametres();
    EXPECT_EQ(fields(m).prefix, "20240714_");
    f.messages.answer(true);
    m.Varlimer();
    EXPECT_EQ(photos.names(), std::vector<std::string>{"20240714_01.jpg"});
}

TEST(Settings, FirstStartWithoutFileKeepsTheDefaults) {
    AppFixture f;
    TMainForm& m = f.app->MainForm();
    f.app->DB_utilitaire().Lecture_parametres();
    EXPECT_EQ(fields(m), (MainFields{"Erreur", "*.*", "", "3"}));
    EXPECT_TRUE(m.LBL_repertoire->text().isEmpty());
    // Reading never creates the file.
    EXPECT_EQ(f.programDir.names(), std::vector<std::string>{});
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST(Settings, ChosenFolderAndTypedOptionsComeBackAtTheNextStart) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    // The folder is on disk at once, before any other write.
    EXPECT_EQ(f.programDir.read("varlime.ini"), "[CHEMINS]\nDEFAUT=" + photos.path() + "\n");
    m.EDT_masque_recherche->setText("*.jpg");
    m.EDT_prefixe_remplacement->setText("Vacances_");
    m.CBB_largeur_increment->setCurrentText("4");
    m.close();
    EXPECT_EQ(f.programDir.read("varlime.ini"),
              "[CHEMINS]\nDEFAUT=" + photos.path() +
                  "\n[MAIN]\nMASQUE_RECHERCHE=*.jpg\nPREFIXE_REMPLACEMENT=Vacances_\n"
                  "LARGEUR_COMPTEUR=4\n");

    // A new application over the same program folder: its activation reads them back.
    f.app.reset();
    f.app = std::make_unique<Application>(f.programDir.path(), f.messages);
    TMainForm& next = f.app->MainForm();
    EXPECT_EQ(fields(next), (MainFields{"Erreur", "*.*", "", "3"}));
    f.app->DB_utilitaire().Lecture_parametres();
    EXPECT_EQ(fields(next), (MainFields{photos.path(), "*.jpg", "Vacances_", "4"}));
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST(Settings, KeepCounterMaskIsNeverStored) {
    AppFixture f;
    TMainForm& m = f.app->MainForm();
    m.EDT_prefixe_remplacement->setText("[*&N]");
    m.Sauver_parametres_main();
    EXPECT_EQ(m.EDT_prefixe_remplacement->text().toStdString(), "");
    EXPECT_EQ(IniDocument::load(f.programDir.path() + "varlime.ini")
                  .read("MAIN", "PREFIXE_REMPLACEMENT", "missing"),
              "");
    // Any other mask is stored as typed.
    m.EDT_prefixe_remplacement->setText("[*&N]x");
    m.Sauver_parametres_main();
    EXPECT_EQ(IniDocument::load(f.programDir.path() + "varlime.ini")
                  .read("MAIN", "PREFIXE_REMPLACEMENT", "missing"),
              "[*&N]x");
}

TEST(Settings, RefusedWriteNamesTheFileAndStopsTheSaving) {
    AppFixture f;
    // A folder stands where the file should be: every write is refused.
    f.programDir.write("varlime.ini/keep", "x");
    TMainForm& m = f.app->MainForm();
    m.Sauver_parametres_main();
    ASSERT_EQ(f.messages.shown.size(), 1u); // the two other keys were not tried
    EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(),
              "Impossible d'écrire dans " + f.programDir.path() + "varlime.ini");
    EXPECT_FALSE(f.app->DB_utilitaire().Sauver_parametre("CHEMINS", "DEFAUT", "/x/"));
    EXPECT_EQ(f.programDir.read("varlime.ini/keep"), "x");
}

TEST(Settings, ReadOnlyFileIsRefused) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser writes read-only files";
    AppFixture f;
    const std::string path = f.programDir.write("varlime.ini", "[MAIN]\nMASQUE_RECHERCHE=*.png\n");
    ::chmod(path.c_str(), 0444);
    f.app->MainForm().Sauver_parametres_main();
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(), "Impossible d'écrire dans " + path);
    EXPECT_EQ(f.programDir.read("varlime.ini"), "[MAIN]\nMASQUE_RECHERCHE=*.png\n");
}

TEST(Settings, DamagedFilesAreReadAndKeepTheirOtherKeysWhenWritten) {
    struct Case {
        const char* name;
        std::string file;
        MainFields expected; // after the read pass, folder first
    };
    const std::string big(1 << 20, 'm');
    const Case cases[] = {
        {"windows_line_ends",
         "[MAIN]\r\nPREFIXE_REMPLACEMENT=P\r\nLARGEUR_COMPTEUR=2\r\n",
         {"Erreur", "*.*", "P", "2"}},
        {"windows_1252",
         "[CHEMINS]\r\nDEFAUT=/photos/\xC9t\xE9/\r\n[MAIN]\r\n"
         "PREFIXE_REMPLACEMENT=F\xEAte_\r\n",
         {"/photos/Été/", "*.*", "Fête_", "3"}},
        {"binary_junk",
         "\x00\xFF\xFE\x01\n[MAIN]\n\x02\x03\nMASQUE_RECHERCHE=*.cr2\n\xFF"s,
         {"Erreur", "*.cr2", "", "3"}},
        {"lines_without_equals_and_stray_keys",
         "PREFIXE_REMPLACEMENT=outside\n[MAIN]\nno equals here\nprefixe_remplacement=inside\n",
         {"Erreur", "*.*", "inside", "3"}},
        {"megabyte_value",
         "[EXIF]\nZONE_LIBRE=" + big + "\n[MAIN]\nLARGEUR_COMPTEUR=5\n",
         {"Erreur", "*.*", "", "5"}},
        {"section_names_in_lower_case",
         "[main]\nlargeur_compteur=7\n[chemins]\ndefaut=/p/\n",
         {"/p/", "*.*", "", "7"}},
    };
    for (const auto& c : cases) {
        AppFixture f;
        f.programDir.write("varlime.ini", c.file);
        TMainForm& m = f.app->MainForm();
        f.app->DB_utilitaire().Lecture_parametres();
        EXPECT_EQ(fields(m), c.expected) << c.name;
        // Saving rewrites three keys; every other line is still there afterwards.
        m.Sauver_parametres_main();
        const std::string after = f.programDir.read("varlime.ini");
        const IniDocument before = IniDocument::parse(c.file);
        const IniDocument now = IniDocument::parse(after);
        for (const char* section : {"CHEMINS", "EXIF"})
            for (const auto& key : before.keys(section))
                EXPECT_EQ(now.value(section, key), before.value(section, key))
                    << c.name << " " << section << "/" << key;
        EXPECT_EQ(now.read("MAIN", "PREFIXE_REMPLACEMENT", "missing"), c.expected.prefix) << c.name;
        EXPECT_TRUE(f.messages.shown.empty()) << c.name;
    }
}

TEST(Settings, RefusedValueIsReportedOnceUntilAReadPassCompletes) {
    AppFixture f;
    TDB_utilitaire& util = f.app->DB_utilitaire();
    // The pass re-runs at every activation, also after the message box closes.
    EXPECT_FALSE(util.Refuser_valeur("douze"));
    EXPECT_FALSE(util.Refuser_valeur("douze"));
    EXPECT_FALSE(util.Refuser_valeur("treize"));
    EXPECT_FALSE(util.Refuser_valeur("treize"));
    util.Lecture_parametres(); // a complete pass
    EXPECT_FALSE(util.Refuser_valeur("treize"));
    QStringList expected{"'douze' is not a valid integer value",
                         "'treize' is not a valid integer value",
                         "'treize' is not a valid integer value"};
    EXPECT_EQ(f.messages.texts(), expected);
    for (const auto& shown : f.messages.shown)
        EXPECT_EQ(shown.kind, MessageKind::Error);
}

TEST(Settings, FormatsGoToTheirDialogsAndANonNumberEndsThePass) {
    struct Case {
        const char* name;
        std::string formats;
        int heure, date;      // the window's formats after the pass
        const char* messages; // conversion errors shown over two passes
    };
    const Case cases[] = {
        {"missing_keys", "", -1, 0, ""},
        {"both_stored", "HEURE=2\nDATE=5\n", 2, 5, ""},
        {"time_sentinel_keeps_its_choice", "HEURE=ERREUR\nDATE=1\n", -1, 1, ""},
        // The date is never handed over: the pass ended at the time.
        {"time_not_a_number", "HEURE=deux\nDATE=5\n", -1, 0, "'deux' is not a valid integer value"},
        {"date_not_a_number", "HEURE=1\nDATE=cinq\n", 1, 0, "'cinq' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        AppFixture f;
        f.programDir.write("varlime.ini", "[FORMATS]\n" + c.formats);
        TDB_utilitaire& util = f.app->DB_utilitaire();
        util.Lecture_parametres();
        util.Lecture_parametres(); // as the next activation does, after the message
        const OptionsNommage& o = f.app->MainForm().modele().options();
        EXPECT_EQ(o.formatHeure, c.heure) << c.name;
        EXPECT_EQ(o.formatDate, c.date) << c.name;
        EXPECT_EQ(f.messages.texts().join("|").toStdString(), c.messages) << c.name;
    }
}

TEST(Settings, LocationFallsBackToTheUserFolderWhenTheProgramFolderIsReadOnly) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders";
    TempDir home;
    TempDir program;
    ::setenv("XDG_CONFIG_HOME", (home.path() + "cfg").c_str(), 1);
    ::chmod(program.path().c_str(), 0555);
    ScriptedMessageService messages;
    {
        Application app(program.path(), messages);
        EXPECT_EQ(app.DB_utilitaire().Fichier_parametres(),
                  home.path() + "cfg/varlime/varlime.ini");
        EXPECT_TRUE(app.DB_utilitaire().Sauver_parametre("CHEMINS", "DEFAUT", "/p/"));
    }
    ::chmod(program.path().c_str(), 0700);
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(home.read("cfg/varlime/varlime.ini"), "[CHEMINS]\nDEFAUT=/p/\n");
    EXPECT_TRUE(messages.shown.empty());
}

// Runs the program without a window over `programFolder`; returns what it printed.
std::string runHeadless(const TempDir& programFolder, std::vector<std::string> args) {
    std::ostringstream out, err;
    args.insert(args.begin(), "varlime");
    executerSansFenetre(args, programFolder.path(), out, err);
    return out.str() + err.str();
}

TEST(Settings, HeadlessRunsReadThemAndTheCommandLineWinsWithoutWritingBack) {
    TempDir program;
    TempDir photos;
    photos.write("b.jpg");
    photos.write("a.jpg");
    const std::string stored =
        "[CHEMINS]\nDEFAUT=" + photos.path() +
        "\n[MAIN]\nMASQUE_RECHERCHE=*.jpg\nPREFIXE_REMPLACEMENT=Stored_\nLARGEUR_COMPTEUR=2\n";
    program.write("varlime.ini", stored);
    EXPECT_EQ(runHeadless(program, {"--preview", photos.path()}),
              "a.jpg\tStored_01.jpg\nb.jpg\tStored_02.jpg\n");
    EXPECT_EQ(
        runHeadless(program, {"--preview", photos.path(), "--prefix", "Given_", "--width", "3"}),
        "a.jpg\tGiven_001.jpg\nb.jpg\tGiven_002.jpg\n");
    EXPECT_EQ(program.read("varlime.ini"), stored);
}

} // namespace

namespace {

// A settings or language file that cannot be read whole is told with its path (and the
// key holding a NUL), once, however often the window reads the files again.
TEST(Settings, FileNotReadWholeIsToldWithItsPathAndKeyOnce) {
    const struct {
        const char* name;
        std::string fichier; // "varlime.ini" or the language file
        std::string contenu;
        std::vector<std::string> attendus; // pieces of the one message
    } cases[] = {
        {"settings value with a NUL",
         "varlime.ini",
         "[MAIN]\nLARGEUR_COMPTEUR=3\n[FORMATS]\nDATE=1\0002\n"s,
         {"varlime.ini", "DATE", "FORMATS", "caractère nul"}},
        {"settings file too large",
         "varlime.ini",
         "[MAIN]\nLARGEUR_COMPTEUR=3\n" + std::string(kIniMaxFileSize, ';'),
         {"varlime.ini", "dépasse"}},
        {"language value with a NUL",
         "lang_xx.ini",
         "[langue]\nLangCode=xx\n[MESSAGES]\nRSC_avant=Be\0fore\n"s,
         {"lang_xx.ini", "RSC_avant", "MESSAGES", "caractère nul"}},
    };
    for (const auto& c : cases) {
        AppFixture f;
        const std::string chemin = f.programDir.write(c.fichier, c.contenu);
        if (c.fichier != "varlime.ini") {
            f.programDir.write("lang.ini", "[CONFIG]\nActiveLanguage=xx\n");
            f.app->localization().SetActiveLanguage("xx");
        }
        TDB_utilitaire& util = f.app->DB_utilitaire();
        for (int pass = 0; pass < 3; ++pass)
            util.Lecture_parametres();
        std::vector<std::string> textes;
        for (const auto& e : f.messages.shown)
            if (e.kind == MessageKind::Warning)
                textes.push_back(e.text.toStdString());
        ASSERT_EQ(textes.size(), 1u) << c.name;
        EXPECT_NE(textes[0].find(chemin), std::string::npos) << c.name << ": " << textes[0];
        for (const std::string& piece : c.attendus)
            EXPECT_NE(textes[0].find(piece), std::string::npos) << c.name << ": " << piece;
    }
}

// What a window's option fields show.
struct Options {
    std::string masque, prefixe, largeur, date, zoneLibre;
    bool operator==(const Options&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Options& o) {
    return os << "{" << o.masque << ", " << o.prefixe << ", " << o.largeur << ", " << o.date << ", "
              << o.zoneLibre << "}";
}
Options options(Application& app) {
    TMainForm& m = app.MainForm();
    return {m.EDT_masque_recherche->text().toStdString(),
            m.EDT_prefixe_remplacement->text().toStdString(),
            m.CBB_largeur_increment->currentText().toStdString(),
            std::to_string(m.modele().options().formatDate),
            app.DLG_exif_info().EDT_zone_libre->text().toStdString()};
}
} // namespace

// Two programs started over one settings file (two folders renamed side by side): each
// window keeps what its user set in it, whatever the other writes meanwhile; an option
// one window never touched follows what the other stored; the file holds the last
// change of each option.
TEST(Settings, TwoWindowsSharingOneFileKeepTheirOwnOptions) {
    AppFixture a;
    ScriptedMessageService messagesB;
    Application b(a.programDir.path(), messagesB);
    TempDir dossierA, dossierB;
    dossierA.write("a.jpg");
    dossierB.write("b.jpg");
    // Each window reads the file when it first becomes active.
    a.app->DB_utilitaire().Lecture_parametres();
    b.DB_utilitaire().Lecture_parametres();
    open(a.app->MainForm(), dossierA);
    open(b.MainForm(), dossierB);

    // Each user changes something in their own window: A the prefix and the EXIF free
    // text, B the prefix, the mask, the width and the date format.
    a.app->MainForm().EDT_prefixe_remplacement->setText(QStringLiteral("Alpha_"));
    a.app->DLG_exif_info().EDT_zone_libre->setText(QStringLiteral("Bretagne"));
    a.app->DLG_exif_info().Sauver_parametres_exif();
    TMainForm& mb = b.MainForm();
    mb.EDT_prefixe_remplacement->setText(QStringLiteral("Beta_"));
    mb.EDT_masque_recherche->setText(QStringLiteral("*.jpg"));
    mb.CBB_largeur_increment->setCurrentText(QStringLiteral("5"));
    whenModal([](QWidget* w) {
        auto* d = qobject_cast<TDLG_option_date*>(w);
        ASSERT_NE(d, nullptr);
        d->RGA_type_date->setItemIndex(3);
        d->BT_ok->click();
    });
    b.MainForm().panneau().ouvrirDate(false);
    b.DLG_exif_info().EDT_zone_libre->setText(QStringLiteral("Provence"));
    b.DLG_exif_info().Sauver_parametres_exif();

    // Every activation reads the file again.
    const struct {
        const char* nom;
        Application& app;
        Options attendu;
    } cas[] = {
        {"A", *a.app, {"*.jpg", "Alpha_", "5", "3", "Bretagne"}},
        {"B", b, {"*.jpg", "Beta_", "5", "3", "Provence"}},
    };
    for (const auto& c : cas) {
        c.app.DB_utilitaire().Lecture_parametres();
        EXPECT_EQ(options(c.app), c.attendu) << c.nom;
    }

    // A's run renames with A's prefix.
    a.messages.answer(true);
    a.app->MainForm().Varlimer();
    EXPECT_EQ(dossierA.names(), std::vector<std::string>{"Alpha_00001.jpg"});
    // The file holds the last change of each option: A types again, B reads it only for
    // what B never set.
    a.app->MainForm().EDT_prefixe_remplacement->setText(QStringLiteral("Gamma_"));
    a.app->DB_utilitaire().Ecrire_parametres_en_attente(); // as when the typing pauses
    const IniDocument ini = IniDocument::load(a.app->DB_utilitaire().Fichier_parametres());
    EXPECT_EQ(ini.read("MAIN", "PREFIXE_REMPLACEMENT", ""), "Gamma_");
    EXPECT_EQ(ini.read("EXIF", "ZONE_LIBRE", ""), "Provence");
    b.DB_utilitaire().Lecture_parametres();
    EXPECT_EQ(options(b).prefixe, "Beta_");
}
