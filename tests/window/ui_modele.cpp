// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's naming model: the options are the window's own from its start, and
// a control sends its edits to the model, which stores them and renames with them.
#include "app/Application.h"
#include "platform/iniFile.h"
#include "platform/ui/MessageService.h"
#include "support/ui_support.h"
#include "window/MD_utilitaire.h"
#include "window/Main.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace varlime;
using namespace varlime::test;

namespace {

// Shows a window and waits until its first activation has read the settings file.
void demarrer(TMainForm& m, const char* prefixeLu) {
    m.show();
    QApplication::setActiveWindow(&m);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return m.EDT_prefixe_remplacement->text() == QString::fromUtf8(prefixeLu); }, 10000));
}

// The value of one key in the settings file as it is on disk now.
std::string surDisque(TDB_utilitaire& util, const char* section, const char* cle) {
    return IniDocument::load(util.Fichier_parametres()).read(section, cle, "absent");
}

// The file's inode: a write replaces the file by a new one (a later write may get the
// old number back).
ino_t inode(const std::string& chemin) {
    struct stat st {};
    return ::stat(chemin.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Lets the posted activations of the windows run.
void laisserPasser() {
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QTest::qWait(20);
    }
}

} // namespace

// Two windows over one settings file: A shows the stored prefix, B types another one,
// then A's user tests first and leaves the report with Escape. A still shows, and renames
// with, the prefix it loaded: the file is read at start and never again in a running
// window.
TEST(ModeleNommage, AWindowKeepsTheOptionsItLoadedWhateverAnotherWindowTypes) {
    AppFixture a;
    a.programDir.write("varlime.ini", "[MAIN]\nPREFIXE_REMPLACEMENT=Ete_\n");
    ScriptedMessageService messagesB;
    Application b(a.programDir.path(), messagesB);
    TempDir dossierA, dossierB;
    dossierA.write("a.jpg");
    dossierB.write("b.jpg");
    TMainForm& ma = a.app->MainForm();
    TMainForm& mb = b.MainForm();
    open(ma, dossierA);
    open(mb, dossierB);
    demarrer(ma, "Ete_");
    demarrer(mb, "Ete_");
    mb.EDT_prefixe_remplacement->setText(QStringLiteral("Hiver_"));
    // B writes it once its user pauses.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return surDisque(b.DB_utilitaire(), "MAIN", "PREFIXE_REMPLACEMENT") == "Hiver_"; },
        5000));

    QApplication::setActiveWindow(&ma);
    whenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    ma.BT_tester->click();
    laisserPasser();
    QApplication::setActiveWindow(&mb);
    QApplication::setActiveWindow(&ma);
    laisserPasser();
    EXPECT_EQ(ma.EDT_prefixe_remplacement->text().toStdString(), "Ete_");
    EXPECT_EQ(ma.modele().options().prefixe, "Ete_");
    a.messages.answer(true);
    ma.Varlimer();
    EXPECT_EQ(dossierA.names(), std::vector<std::string>{"Ete_001.jpg"});
    EXPECT_EQ(mb.EDT_prefixe_remplacement->text().toStdString(), "Hiver_");
    ma.close();
    mb.close();
}

// The lower-case extension box: it shows the model, its edits rename, and it is stored
// and comes back at the next start.
TEST(ModeleNommage, LowercaseExtensionBoxRenamesAndIsStored) {
    AppFixture f;
    TempDir photos;
    photos.write("IMG_7.JPG");
    TMainForm& m = f.app->MainForm();
    f.app->DB_utilitaire().Lecture_parametres();
    open(m, photos);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("Ete_"));
    EXPECT_EQ(grid(m), (Grid{{"IMG_7.JPG", "Ete_001.JPG"}}));
    m.CKB_extension_minuscule->click();
    EXPECT_TRUE(m.modele().options().extensionMinuscule);
    EXPECT_EQ(grid(m), (Grid{{"IMG_7.JPG", "Ete_001.jpg"}}));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return surDisque(f.app->DB_utilitaire(), "MAIN", "EXTENSION_MINUSCULE") == "1"; },
        5000));
    f.messages.answer(true);
    m.Varlimer();
    EXPECT_EQ(photos.names(), std::vector<std::string>{"Ete_001.jpg"});
    EXPECT_TRUE(f.messages.shown.size() == 2u);

    f.app.reset();
    f.app = std::make_unique<Application>(f.programDir.path(), f.messages);
    EXPECT_FALSE(f.app->MainForm().CKB_extension_minuscule->isChecked());
    f.app->DB_utilitaire().Lecture_parametres();
    EXPECT_TRUE(f.app->MainForm().CKB_extension_minuscule->isChecked());
    EXPECT_TRUE(f.app->MainForm().modele().options().extensionMinuscule);
}

// A prefix typed key by key renames at each key but goes to disk once: when the typing
// pauses, or at once when the window closes, the program quits or another setting is
// written. The last key is never lost.
TEST(ModeleNommage, TypedPrefixIsWrittenOnceAndTheLastKeyIsKept) {
    enum class Fin { Pause, Fermeture, Sortie, AutreReglage };
    const struct {
        const char* nom;
        Fin fin;
        int ecritures; // replacements of the file from the first key on; -1: not counted
    } cas[] = {{"typing_pauses", Fin::Pause, 1},
               {"window_closed_at_once", Fin::Fermeture, -1},
               {"program_quits_at_once", Fin::Sortie, -1},
               {"another_setting_written_at_once", Fin::AutreReglage, 2}};
    for (const auto& c : cas) {
        AppFixture f;
        TempDir photos;
        photos.write("IMG_1.JPG");
        TMainForm& m = f.app->MainForm();
        TDB_utilitaire& util = f.app->DB_utilitaire();
        util.Lecture_parametres();
        open(m, photos);
        const std::string fichier = util.Fichier_parametres();
        const ino_t avant = inode(fichier);
        const int ecritesAvant = util.Nombre_ecritures();
        ASSERT_NE(avant, ino_t(0)) << c.nom;

        QTest::keyClicks(m.EDT_prefixe_remplacement, QStringLiteral("Ete_24"));
        EXPECT_EQ(grid(m), (Grid{{"IMG_1.JPG", "Ete_24001.JPG"}})) << c.nom;
        // Six keys, no write yet; the window already sees its own value.
        EXPECT_EQ(inode(fichier), avant) << c.nom;
        EXPECT_NE(surDisque(util, "MAIN", "PREFIXE_REMPLACEMENT"), "Ete_24") << c.nom;
        EXPECT_EQ(util.Document_parametres().read("MAIN", "PREFIXE_REMPLACEMENT", ""), "Ete_24")
            << c.nom;

        switch (c.fin) {
        case Fin::Pause:
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return surDisque(util, "MAIN", "PREFIXE_REMPLACEMENT") == "Ete_24"; }, 5000))
                << c.nom;
            QTest::qWait(TDB_utilitaire::kDelaiEcriture + 200); // no second write comes
            break;
        case Fin::Fermeture:
            m.close();
            break;
        case Fin::Sortie:
            f.app.reset();
            break;
        case Fin::AutreReglage:
            util.Sauver_parametre("CHEMINS", "DEFAUT", "/autre/");
            EXPECT_EQ(IniDocument::load(fichier).read("CHEMINS", "DEFAUT", ""), "/autre/") << c.nom;
            break;
        }
        EXPECT_EQ(IniDocument::load(fichier).read("MAIN", "PREFIXE_REMPLACEMENT", ""), "Ete_24")
            << c.nom;
        if (c.ecritures >= 0) {
            EXPECT_EQ(util.Nombre_ecritures() - ecritesAvant, c.ecritures) << c.nom;
        }
    }
}
