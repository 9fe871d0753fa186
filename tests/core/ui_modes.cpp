// SPDX-License-Identifier: GPL-3.0-or-later
// The naming options inside the whole application: the mode line, the question
// about leaving a mode, masks and dates in the preview, and the test report on
// real folders.
#include "naming/chaineNommage.h"
#include "platform/ui/RadioGroup.h"
#include "support/ui_support.h"
#include "window/IHM_masque.h"
#include "window/IHM_option_compteur.h"
#include "window/IHM_option_date.h"
#include "window/IHM_option_heure.h"
#include "window/IHM_option_prefixe.h"
#include "window/IHM_rapport.h"
#include "window/MD_utilitaire.h"
#include "window/Main.h"
#include "window/PanneauNommage.h"
#include "window/fileGridModel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace varlime;
using namespace varlime::test;

namespace {

std::string statut(TMainForm& m) {
    return m.STB_main->currentMessage().toStdString();
}

// Runs `action` if `d` is shown modally by the next call; closes it if still open.
// Unlike whenModal, a dialog that never opens leaves nothing waiting: the caller
// flushes the timer with processEvents.
void siOuvert(QDialog& d, bool& ouvert, std::function<void()> action = {}) {
    QTimer::singleShot(0, &d, [&d, &ouvert, action] {
        ouvert = d.isVisible();
        if (ouvert && action)
            action();
        if (d.isVisible())
            d.reject();
    });
}

TEST(Modes, StatusLineAtEveryPreview) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    const struct {
        const char* prefixe;
        const char* statut;
    } cases[] = {
        {"IMG", "Mode NORMAL"}, {"[abc", "Mode MASQUE"},        {"[x*]", "Mode MASQUE"},
        {"", "Mode NORMAL"},    {"2024-03-05_", "Mode NORMAL"},
    };
    for (const auto& c : cases) {
        m.EDT_prefixe_remplacement->setText(QString::fromUtf8(c.prefixe));
        EXPECT_EQ(statut(m), c.statut) << c.prefixe;
    }
    m.modele().modifier([](OptionsNommage& o) {
        o.datePrefixe = true;
        appliquerDateFichier(o);
    });
    EXPECT_EQ(statut(m), "Mode Date de création");
}

TEST(Modes, LeavingTheMaskModeAnsweredNo) {
    AppFixture f;
    TempDir photos;
    photos.write("IMG_0042.jpg");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("[{IMG}{PIC}]"));
    f.messages.answer(false);
    bool ouvert = true;
    siOuvert(f.app->DLG_option_date(), ouvert);
    m.MIT_option_date->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ouvert);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(), "Voulez-vous sortir du Mode MASQUE ?");
    EXPECT_EQ(m.EDT_prefixe_remplacement->text().toStdString(), "[{IMG}{PIC}]");
    EXPECT_EQ(statut(m), "Mode MASQUE");
    EXPECT_EQ(grid(m), (Grid{{"IMG_0042.jpg", "PIC_0042.jpg"}}));
}

TEST(Modes, LeavingTheMaskModeAnsweredYesThenFixedDate) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg");
    photos.write("b.jpg");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("[x*]"));
    f.messages.answer(true);
    TDLG_option_date& date = f.app->DLG_option_date();
    bool ouvert = false;
    QString prefixePendant;
    siOuvert(date, ouvert, [&] {
        prefixePendant = m.EDT_prefixe_remplacement->text();
        date.CKB_date->setChecked(true);
        date.EDT_date->setDate(QDate(2024, 3, 5));
        date.RGA_type_date->setItemIndex(1);
        date.BT_ok->click();
    });
    m.MIT_option_date->trigger();
    EXPECT_TRUE(ouvert);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(), "Voulez-vous sortir du Mode MASQUE ?");
    EXPECT_EQ(prefixePendant, QString()); // the mask was left before the dialog opened
    EXPECT_EQ(m.EDT_prefixe_remplacement->text().toStdString(), "2024-03-05_");
    EXPECT_EQ(statut(m), "Mode NORMAL");
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "2024-03-05_001.jpg"}, {"b.jpg", "2024-03-05_002.jpg"}}));

    // The same date with the counter on the left puts the separator before the date.
    m.BT_gauche->click();
    ouvert = false;
    siOuvert(date, ouvert, [&] { date.BT_ok->click(); });
    m.MIT_option_date->trigger();
    EXPECT_TRUE(ouvert);
    EXPECT_EQ(f.messages.shown.size(), 1u); // normal mode: nothing asked
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "001_2024-03-05.jpg"}, {"b.jpg", "002_2024-03-05.jpg"}}));
}

void dater(const std::string& chemin, int annee, int mois, int jour, int heure) {
    std::tm t{};
    t.tm_year = annee - 1900;
    t.tm_mon = mois - 1;
    t.tm_mday = jour;
    t.tm_hour = heure;
    t.tm_isdst = -1;
    const std::time_t quand = std::mktime(&t);
    struct timespec ts[2] = {{quand, 0}, {quand, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, chemin.c_str(), ts, 0), 0);
}

TEST(Modes, DateFromFileThenMaskDialogLeavesIt) {
    AppFixture f;
    TempDir photos;
    dater(photos.write("a.jpg"), 2024, 3, 5, 9);
    dater(photos.write("b.jpg"), 2024, 3, 5, 18);
    dater(photos.write("c.jpg"), 2023, 12, 31, 23);
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("IMG"));

    // Date from file through the prefix chooser ("O" beside the prefix).
    TDLG_option_prefixe& choix = f.app->DLG_option_prefixe();
    TDLG_option_date& date = f.app->DLG_option_date();
    bool choixOuvert = false, dateOuverte = false;
    siOuvert(choix, choixOuvert, [&] {
        siOuvert(date, dateOuverte, [&] {
            date.CKB_date->setChecked(true);
            date.RGA_select_source_date->setItemIndex(1);
            date.RGA_type_date->setItemIndex(0);
            date.BT_ok->click();
        });
        choix.BT_date->click();
    });
    m.BT_option_prefixe->click();
    EXPECT_TRUE(choixOuvert);
    EXPECT_TRUE(dateOuverte);
    EXPECT_TRUE(f.messages.shown.empty());
    EXPECT_TRUE(m.EDT_prefixe_remplacement->isHidden());
    EXPECT_EQ(m.EDT_prefixe_remplacement->text(), QString());
    EXPECT_EQ(statut(m), "Mode Date de création");
    // Two files of the same day differ only by their counters.
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "20240305_001.jpg"},
                             {"b.jpg", "20240305_002.jpg"},
                             {"c.jpg", "20231231_003.jpg"}}));

    // The mask dialog asks to leave that mode; Yes shows the prefix field again.
    f.messages.answer(true);
    TDLG_masque& masque = f.app->DLG_masque();
    bool masqueOuvert = false;
    siOuvert(masque, masqueOuvert, [&] {
        masque.RGA_masque->button(2)->click();
        masque.EDT_masque->setText(QStringLiteral("[x*]"));
        masque.BT_ok->click();
    });
    m.MIT_option_masque->trigger();
    EXPECT_TRUE(masqueOuvert);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(),
              "Voulez-vous sortir du Mode Date de création ?");
    EXPECT_FALSE(m.modele().options().datePrefixe);
    EXPECT_FALSE(m.modele().options().dateFichier);
    EXPECT_FALSE(m.EDT_prefixe_remplacement->isHidden());
    EXPECT_EQ(m.EDT_prefixe_remplacement->text().toStdString(), "[x*]");
    EXPECT_EQ(statut(m), "Mode MASQUE");
    // Prefix-and-suffix masks check the inactive-counter box: no counter.
    EXPECT_FALSE(m.CKB_compteur_inactif->isHidden());
    EXPECT_TRUE(m.CKB_compteur_inactif->isChecked());
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "xa.jpg"}, {"b.jpg", "xb.jpg"}, {"c.jpg", "xc.jpg"}}));
}

TEST(Modes, MaskDialogRefusalThenOk) {
    AppFixture f;
    TempDir photos;
    photos.write("IMG_0042.jpg");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("IMG"));
    TDLG_masque& masque = f.app->DLG_masque();
    bool ouvert = false, resteOuvert = false;
    siOuvert(masque, ouvert, [&] {
        masque.RGA_masque->button(0)->click();
        masque.EDT_masque->setText(QStringLiteral("[*&N]"));
        masque.BT_ok->click();
        resteOuvert = masque.isVisible();
        masque.EDT_masque->setText(QStringLiteral("[VAC&N]"));
        masque.BT_ok->click();
    });
    m.MIT_option_masque->trigger();
    EXPECT_TRUE(ouvert);
    EXPECT_TRUE(resteOuvert);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(),
              "Vous devez saisir un préfixe en remplacement du caractère \"*\"");
    EXPECT_EQ(m.EDT_prefixe_remplacement->text().toStdString(), "[VAC&N]");
    // The old name's own digits serve as counter.
    EXPECT_EQ(grid(m), (Grid{{"IMG_0042.jpg", "VAC0042.jpg"}}));
    EXPECT_TRUE(m.CKB_compteur_inactif->isHidden());
}

TEST(Modes, MasksTypedInThePrefixField) {
    AppFixture f;
    TempDir photos;
    photos.write("0042.jpg");
    photos.write("IMG_0001.jpg");
    photos.write("beach.jpg");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    const struct {
        const char* prefixe;
        bool compteurInactif; // box state before the preview
        Grid attendu;
        bool boiteVisible;
    } cases[] = {
        {"[VAC&N]",
         true,
         {{"0042.jpg", "VAC0042.jpg"},
          {"beach.jpg", "VAC001.jpg"},
          {"IMG_0001.jpg", "VAC0001.jpg"}},
         false},
        {"[{IMG}{PIC}]",
         true,
         {{"0042.jpg", "0042.jpg"}, {"beach.jpg", "beach.jpg"}, {"IMG_0001.jpg", "PIC_0001.jpg"}},
         true},
        {"[{IMG}{PIC}]",
         false,
         {{"0042.jpg", "0042001.jpg"},
          {"beach.jpg", "beach002.jpg"},
          {"IMG_0001.jpg", "PIC_0001003.jpg"}},
         true},
        // Nothing left of 0042: the field's text is used as a plain prefix.
        {"[-N]",
         true,
         {{"0042.jpg", "[-N].jpg"}, {"beach.jpg", "beach.jpg"}, {"IMG_0001.jpg", "IMG_.jpg"}},
         true},
        {"[abc",
         true,
         {{"0042.jpg", "[abc001.jpg"},
          {"beach.jpg", "[abc002.jpg"},
          {"IMG_0001.jpg", "[abc003.jpg"}},
         false},
        // The counter goes left when asked, the mask's name part stays.
        {"[2024_*_Paris]",
         false,
         {{"0042.jpg", "2024_0042_Paris001.jpg"},
          {"beach.jpg", "2024_beach_Paris002.jpg"},
          {"IMG_0001.jpg", "2024_IMG_0001_Paris003.jpg"}},
         true},
    };
    for (const auto& c : cases) {
        m.CKB_compteur_inactif->setChecked(c.compteurInactif);
        m.EDT_prefixe_remplacement->setText(QString::fromUtf8(c.prefixe));
        m.Voir_rename();
        EXPECT_EQ(grid(m), c.attendu) << c.prefixe << " " << c.compteurInactif;
        EXPECT_EQ(!m.CKB_compteur_inactif->isHidden(), c.boiteVisible) << c.prefixe;
    }
}

// The EXIF and companion modes plug in through the utility module's hooks; the
// question and the leaving already work for them.
TEST(Modes, ExifModesThroughTheirHooks) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg");
    TMainForm& m = f.app->MainForm();
    TDB_utilitaire& util = f.app->DB_utilitaire();
    bool exif = true, association = false;
    std::vector<Mode> quittes;
    util.modeExif = [&] { return exif; };
    util.modeAssociation = [&] { return association; };
    util.extensionsAssociation = [](QString& a, QString& b) {
        a = QStringLiteral("avi");
        b = QStringLiteral("thm");
    };
    util.desactiverModeExterne = [&](Mode mode) {
        quittes.push_back(mode);
        exif = false;
    };
    open(m, photos);
    EXPECT_EQ(statut(m), "Mode EXIF");
    association = true;
    m.Voir_rename();
    EXPECT_EQ(statut(m), "Mode association de fichiers  AVI et THM (EXIF)");
    association = false;
    m.Voir_rename();

    // No: nothing changes and the mask dialog stays closed.
    f.messages.answer(false);
    bool ouvert = true;
    siOuvert(f.app->DLG_masque(), ouvert);
    m.MIT_option_masque->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ouvert);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(), "Voulez-vous sortir du Mode EXIF ?");
    EXPECT_TRUE(quittes.empty());
    EXPECT_TRUE(exif);

    // Yes: the EXIF mode is left, then the dialog opens.
    f.messages.answer(true);
    ouvert = false;
    siOuvert(f.app->DLG_masque(), ouvert);
    m.MIT_option_masque->trigger();
    EXPECT_TRUE(ouvert);
    EXPECT_EQ(quittes, std::vector<Mode>{Mode::Exif});
    EXPECT_EQ(statut(m), "Mode NORMAL");
}

TEST(FormatSettings, StoredAndReadBackThroughTheSettingsFile) {
    TempDir programme;
    ScriptedMessageService messages;
    {
        Application app(programme.path(), messages);
        PanneauNommage& panneau = app.MainForm().panneau();
        TDLG_option_date& date = app.DLG_option_date();
        TDLG_option_heure& heure = app.DLG_option_heure();
        // Annuler drops what was ticked: nothing changes, nothing is stored.
        for (const bool ok : {false, true}) {
            bool ouvert = false;
            siOuvert(date, ouvert, [&] {
                date.RGA_type_date->button(3)->click();
                (ok ? date.BT_ok : date.BT_annuler)->click();
            });
            panneau.ouvrirDate(false);
            EXPECT_TRUE(ouvert);
            EXPECT_EQ(app.MainForm().modele().options().formatDate, ok ? 3 : 0);
            app.DB_utilitaire().Ecrire_parametres_en_attente(); // as a moment later
            EXPECT_EQ(programme.read("varlime.ini").find("DATE=3") != std::string::npos, ok);
        }
        bool ouvert = false;
        siOuvert(heure, ouvert, [&] {
            heure.RGA_type_heure->button(2)->click();
            heure.BT_ok->click();
        });
        panneau.ouvrirHeure();
    }
    const std::string ini = programme.read("varlime.ini");
    EXPECT_NE(ini.find("[FORMATS]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("DATE=3"), std::string::npos) << ini;
    EXPECT_NE(ini.find("HEURE=2"), std::string::npos) << ini;
    {
        Application app(programme.path(), messages);
        const OptionsNommage& o = app.MainForm().modele().options();
        EXPECT_EQ(o.formatDate, 0);
        EXPECT_EQ(o.formatHeure, -1);
        app.DB_utilitaire().Lecture_parametres();
        EXPECT_EQ(o.formatDate, 3);
        EXPECT_EQ(o.formatHeure, 2);
        EXPECT_EQ(Formate_date(o.formatDate, QDate(2024, 3, 5)), "05-03-2024");
        EXPECT_EQ(Formate_heure(o.formatHeure, QTime(23, 59, 0)), "23h59mn00s");
    }
    EXPECT_TRUE(messages.shown.empty());

    // A time format that is no number stops the read pass at once: the date format
    // after it keeps its start value.
    programme.write("varlime.ini", "[FORMATS]\nHEURE=abc\nDATE=5\n");
    {
        Application app(programme.path(), messages);
        app.DB_utilitaire().Lecture_parametres();
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text.toStdString(), "'abc' is not a valid integer value");
        EXPECT_EQ(app.MainForm().modele().options().formatHeure, -1);
        EXPECT_EQ(app.MainForm().modele().options().formatDate, 0);
    }
}

// Runs the test before renaming from its button and returns the report's lines.
QStringList rapportDuBouton(AppFixture& f) {
    TDLG_rapport& rapport = f.app->DLG_rapport();
    QStringList lignes;
    bool ouvert = false;
    siOuvert(rapport, ouvert, [&] {
        lignes = rapport.Lignes();
        rapport.BT_ok->click();
    });
    f.app->MainForm().BT_tester->click();
    EXPECT_TRUE(ouvert);
    return lignes;
}

TEST(ReportWindow, LinesOfRealFolders) {
    AppFixture f;
    TempDir photos;
    photos.write("IMG_0042.jpg");
    photos.write("PIC_0042.jpg");
    photos.write("img_0043.jpg");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.CKB_compteur_inactif->setChecked(true);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("[{IMG}{PIC}]"));
    EXPECT_EQ(rapportDuBouton(f),
              (QStringList{"Le fichier IMG_0042.jpg doit être varlimé en PIC_0042.jpg",
                           "ce fichier existe déjà,",
                           "modifiez la cible (PIC_0042.jpg) pour IMG_0042.jpg", "",
                           "Vous varlimez img_0043.jpg avec son propre nom", "",
                           "Vous varlimez PIC_0042.jpg avec son propre nom", ""}));
    EXPECT_EQ(photos.names(),
              (std::vector<std::string>{"IMG_0042.jpg", "PIC_0042.jpg", "img_0043.jpg"}));

    // A hand-edited cell is taken as it stands; a name freed by a row above is told.
    m.EDT_prefixe_remplacement->setText(QStringLiteral("N"));
    FileGridModel& grille = m.grille();
    // IMG_0042.jpg -> x.jpg, img_0043.jpg -> IMG_0042.jpg, PIC_0042.jpg -> x.jpg
    ASSERT_TRUE(grille.setData(grille.index(0, 1), QStringLiteral("x.jpg"), Qt::EditRole));
    ASSERT_TRUE(grille.setData(grille.index(1, 1), QStringLiteral("IMG_0042.jpg"), Qt::EditRole));
    ASSERT_TRUE(grille.setData(grille.index(2, 1), QStringLiteral("x.jpg"), Qt::EditRole));
    EXPECT_EQ(
        rapportDuBouton(f),
        (QStringList{"Le fichier img_0043.jpg doit être varlimé en IMG_0042.jpg",
                     "ce fichier existe déjà,",
                     "mais le fichier IMG_0042.jpg devant être lui-même varlimé en x.jpg",
                     "le fichier img_0043.jpg peut donc être varlimé", "",
                     "Le fichier x.jpg apparaît plusieurs fois dans la liste des fichiers cibles",
                     "Le fichier PIC_0042.jpg doit avoir un fichier cible différent", ""}));

    m.EDT_prefixe_remplacement->setText(QStringLiteral("OK_"));
    EXPECT_EQ(rapportDuBouton(f), QStringList{"*** Aucune erreur à signaler ***"});
    // A rename that would leave the folder is named by the report.
    m.EDT_prefixe_remplacement->setText(QStringLiteral("[{IMG}{sub/}]"));
    const QStringList lignes = rapportDuBouton(f);
    ASSERT_FALSE(lignes.isEmpty());
    EXPECT_EQ(lignes[0].toStdString(),
              "Le fichier IMG_0042.jpg ne peut pas être varlimé en \"sub/_0042.jpg\" : nom de "
              "fichier invalide");
}

TEST(ReportWindow, EmptyFolder) {
    AppFixture f;
    TempDir vide;
    TMainForm& m = f.app->MainForm();
    open(m, vide);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("X"));
    EXPECT_EQ(rapportDuBouton(f), QStringList{"*** Aucune erreur à signaler ***"});
}

} // namespace
