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

using namespace varlime;
using namespace varlime::test;

namespace {

void open(TMainForm& m, const TempDir& folder) {
    m.Repertoire_courant = folder.path();
    m.Validation_repertoire();
}

// Shows a window and waits until its first activation has read the settings file.
void demarrer(TMainForm& m, const char* prefixeLu) {
    m.show();
    QApplication::setActiveWindow(&m);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return m.EDT_prefixe_remplacement->text() == QString::fromUtf8(prefixeLu); }, 10000));
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
    ASSERT_EQ(IniDocument::load(a.app->DB_utilitaire().Fichier_parametres())
                  .read("MAIN", "PREFIXE_REMPLACEMENT", ""),
              "Hiver_");

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
// at once and comes back at the next start.
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
    EXPECT_EQ(IniDocument::load(f.app->DB_utilitaire().Fichier_parametres())
                  .read("MAIN", "EXTENSION_MINUSCULE", ""),
              "1");
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
