// SPDX-License-Identifier: GPL-3.0-or-later
// The naming panel: each dialog edits a copy of the window's options, Annuler drops it
// and OK hands exactly that copy to the model; a mode is a field of the model that the
// window and the command line agree on.
#include "app/Application.h"
#include "app/Headless.h"
#include "exif_naming/ui/IHM_exif_option_affichage.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/RadioGroup.h"
#include "support/ui_support.h"
#include "window/IHM_masque.h"
#include "window/IHM_option_date.h"
#include "window/MD_utilitaire.h"
#include "window/Main.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <utime.h>

using namespace varlime;
using namespace varlime::test;

namespace {

// Ticks item `index` of the dialog's radio group `nom`.
void cocher(QWidget* d, const char* nom, int index) {
    auto* groupe = d->findChild<RadioGroup*>(QString::fromLatin1(nom));
    ASSERT_NE(groupe, nullptr) << nom;
    groupe->setItemIndex(index);
}

void cliquer(QWidget* d, const char* bouton) {
    auto* b = d->findChild<QPushButton*>(QString::fromLatin1(bouton));
    // The counter dialog has no Annuler: Escape cancels it.
    if (!b && std::string_view(bouton) == "BT_annuler")
        return QTest::keyClick(d, Qt::Key_Escape);
    ASSERT_NE(b, nullptr) << bouton;
    b->click();
}

struct CasDialogue {
    const char* nom;
    // How the user opens the dialog.
    std::function<void(Application&)> ouvrir;
    // What the user changes in it.
    std::function<void(QWidget*)> editer;
    // The same change made on a copy of the options.
    std::function<void(OptionsNommage&)> attendu;
};

const CasDialogue kDialogues[] = {
    {"date_prefix_from_the_menu", [](Application& a) { a.MainForm().MIT_option_date->trigger(); },
     [](QWidget* w) {
         auto* d = qobject_cast<TDLG_option_date*>(w);
         ASSERT_NE(d, nullptr);
         d->CKB_date->setChecked(true);
         d->EDT_date->setDate(QDate(2024, 3, 5));
         cocher(w, "RGA_type_date", 1);
     },
     [](OptionsNommage& o) {
         o.datePrefixe = true;
         o.formatDate = 1;
         o.prefixe = "2024-03-05_";
     }},
    {"date_from_each_file", [](Application& a) { a.MainForm().MIT_option_date->trigger(); },
     [](QWidget* w) {
         qobject_cast<TDLG_option_date*>(w)->CKB_date->setChecked(true);
         cocher(w, "RGA_select_source_date", 1);
         cocher(w, "RGA_type_date", 4);
     },
     [](OptionsNommage& o) {
         o.datePrefixe = true;
         o.dateFichier = true;
         o.formatDate = 4;
         o.prefixe.clear();
     }},
    {"date_form_for_exif_names", [](Application& a) { a.DLG_exif_option_affichage().ouvrirDate(); },
     [](QWidget* w) { cocher(w, "RGA_type_date", 3); },
     [](OptionsNommage& o) { o.formatDate = 3; }},
    {"time_form", [](Application& a) { a.DLG_exif_option_affichage().ouvrirHeure(); },
     [](QWidget* w) { cocher(w, "RGA_type_heure", 2); },
     [](OptionsNommage& o) { o.formatHeure = 2; }},
    {"aperture_form", [](Application& a) { a.DLG_exif_option_affichage().ouvrirOuverture(); },
     [](QWidget* w) { cocher(w, "RGA_affichage_ouverture", 1); },
     [](OptionsNommage& o) { o.exif.formatOuverture = 1; }},
    {"exposure_form", [](Application& a) { a.DLG_exif_option_affichage().ouvrirExposition(); },
     [](QWidget* w) { cocher(w, "RGA_affichage_exposition", 1); },
     [](OptionsNommage& o) {
         o.exif.formatExposition = 1;
         o.exif.suffixeExposition = "_ème";
     }},
    {"counter",
     [](Application& a) {
         a.MainForm().findChild<QAction*>(QStringLiteral("MIT_options_compteur"))->trigger();
     },
     [](QWidget* w) {
         cocher(w, "RGA_type_compteur", 1);
         cocher(w, "RGA_position_compteur", 1);
     },
     [](OptionsNommage& o) {
         o.alphabetique = true;
         o.compteurADroite = false;
     }},
    {"mask", [](Application& a) { a.MainForm().MIT_option_masque->trigger(); },
     [](QWidget* w) {
         cocher(w, "RGA_masque", 2);
         w->findChild<QLineEdit*>(QStringLiteral("EDT_masque"))->setText(QStringLiteral("[x_*]"));
     },
     [](OptionsNommage& o) { o.prefixe = "[x_*]"; }},
};

} // namespace

// Over every dialog of the naming options: Annuler after a change leaves the window's
// options, its names and the settings file as they were; OK hands the model the options
// it opened with plus exactly the change made.
TEST(PanneauNommage, AnnulerDropsTheCopyAndOkAppliesExactlyIt) {
    for (const CasDialogue& c : kDialogues) {
        SCOPED_TRACE(c.nom);
        AppFixture f;
        TempDir photos;
        photos.write("a.jpg");
        TMainForm& m = f.app->MainForm();
        f.app->DB_utilitaire().Lecture_parametres();
        open(m, photos);
        m.EDT_prefixe_remplacement->setText(QStringLiteral("Ete_"));
        const OptionsNommage avant = m.modele().options();
        const Grid grilleAvant = grid(m);
        const std::string iniAvant = f.programDir.read("varlime.ini");

        whenModal([&](QWidget* w) {
            c.editer(w);
            cliquer(w, "BT_annuler");
        });
        c.ouvrir(*f.app);
        EXPECT_TRUE(m.modele().options() == avant);
        EXPECT_EQ(grid(m), grilleAvant);
        EXPECT_EQ(f.programDir.read("varlime.ini"), iniAvant);

        whenModal([&](QWidget* w) {
            c.editer(w);
            cliquer(w, "BT_ok");
        });
        c.ouvrir(*f.app);
        OptionsNommage attendu = avant;
        c.attendu(attendu);
        EXPECT_TRUE(m.modele().options() == attendu) << m.modele().options().prefixe;
        EXPECT_TRUE(f.messages.shown.empty());
    }
}

// Leaving the mask mode brings back the prefix the user had before the mask.
TEST(PanneauNommage, LeavingTheMaskBringsBackThePrefix) {
    AppFixture f;
    TempDir photos;
    photos.write("IMG_0042.jpg");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("Ete_"));
    whenModal([](QWidget* w) {
        cocher(w, "RGA_masque", 1);
        w->findChild<QLineEdit*>(QStringLiteral("EDT_masque"))
            ->setText(QStringLiteral("[{IMG}{PIC}]"));
        cliquer(w, "BT_ok");
    });
    m.MIT_option_masque->trigger();
    ASSERT_EQ(grid(m), (Grid{{"IMG_0042.jpg", "PIC_0042.jpg"}}));

    // The date dialog asks to leave the mask mode; Yes, then Annuler in the dialog.
    f.messages.answer(true);
    QString prefixePendant;
    whenModal([&](QWidget* w) {
        prefixePendant = m.EDT_prefixe_remplacement->text();
        cliquer(w, "BT_annuler");
    });
    m.MIT_option_date->trigger();
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(), "Voulez-vous sortir du Mode MASQUE ?");
    EXPECT_EQ(prefixePendant, QStringLiteral("Ete_"));
    EXPECT_EQ(m.modele().options().prefixe, "Ete_");
    EXPECT_EQ(grid(m), (Grid{{"IMG_0042.jpg", "Ete_001.jpg"}}));
    EXPECT_EQ(m.STB_main->currentMessage(), QStringLiteral("Mode NORMAL"));
}

// The file-date mode is a field of the model: chosen in the window, it names the files
// as the command line's --date-prefix file does with the same format and separator.
TEST(PanneauNommage, FileDateModeNamesAsTheCommandLine) {
    AppFixture f;
    TempDir photos;
    const struct {
        const char* nom;
        std::time_t quand;
    } fichiers[] = {{"a.jpg", 1709640000}, {"b.jpg", 1709640000}, {"c.jpg", 1704000000}};
    for (const auto& fi : fichiers) {
        photos.write(fi.nom);
        const utimbuf t{fi.quand, fi.quand};
        ASSERT_EQ(::utime((photos.path() + fi.nom).c_str(), &t), 0);
    }
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    whenModal([](QWidget* w) {
        qobject_cast<TDLG_option_date*>(w)->CKB_date->setChecked(true);
        cocher(w, "RGA_select_source_date", 1);
        cocher(w, "RGA_type_date", 3);
        qobject_cast<TDLG_option_date*>(w)->CBB_separateur_final->setEditText(QStringLiteral("-"));
        cliquer(w, "BT_ok");
    });
    m.MIT_option_date->trigger();
    EXPECT_TRUE(m.modele().options().datePrefixe);
    EXPECT_TRUE(m.modele().options().dateFichier);
    EXPECT_TRUE(m.EDT_prefixe_remplacement->isHidden());
    EXPECT_EQ(m.STB_main->currentMessage().toStdString(), "Mode Date de création");

    // The command line over another, empty, program folder: nothing shared but the photos.
    TempDir programme;
    std::ostringstream out, err;
    executerSansFenetre({"varlime", "--preview", photos.path(), "--date-prefix", "file",
                         "--date-format", "3", "--date-separator", "-"},
                        programme.path(), out, err);
    EXPECT_EQ(err.str(), "");
    std::string attendu;
    for (const auto& [ancien, nouveau] : grid(m))
        attendu += ancien + "\t" + nouveau + "\n";
    EXPECT_EQ(out.str(), attendu);
    EXPECT_NE(attendu.find("a.jpg\t05-03-2024-001.jpg"), std::string::npos) << attendu;
}
