// SPDX-License-Identifier: GPL-3.0-or-later
// The Canon RAW and file association dialogs inside the whole application: entering
// each mode from the menu, what the grid, the status line and the settings file then
// hold, the not-concerned switch, and the question before leaving another mode.
#include "companions/ui/IHM_association_fichier.h"
#include "companions/ui/IHM_canon.h"
#include "core/nameUtils.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "info/ui/IHM_information.h"
#include "platform/iniFile.h"
#include "support/ui_support.h"
#include "window/MD_utilitaire.h"
#include "window/Main.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace varlime;
using namespace varlime::test;

namespace {

// Runs `action` if `d` is shown modally by the next call, then closes it.
void siOuvert(QDialog& d, bool& ouvert, std::function<void()> action = {}) {
    QTimer::singleShot(0, &d, [&d, &ouvert, action] {
        ouvert = d.isVisible();
        if (ouvert && action)
            action();
        if (d.isVisible())
            d.accept();
    });
}

std::string stocke(AppFixture& f, const char* section, const char* cle) {
    return IniDocument::load(f.app->DB_utilitaire().Fichier_parametres())
        .read(section, cle, "absent");
}

const std::string kSansCompagnon = "NON VARLIMÉ (Pas de fichier compagnon)";

TEST(Compagnons, ModeRawCanonDepuisLeMenu) {
    AppFixture f;
    TempDir d;
    const std::string photos = photosDir();
    d.write("IMG_0001.CRW", readFile(photos + "../raw/CanonRaw.crw"));
    d.write("IMG_0001.THM", readFile(photos + "Canon_40D.jpg"));
    d.write("IMG_0002.JPG", readFile(photos + "Nikon_D70.jpg"));
    d.write("IMG_0003.CRW", readFile(photos + "../raw/CanonRaw.crw"));
    TMainForm& m = f.app->MainForm();
    m.EDT_masque_recherche->setText(QStringLiteral("*.CRW"));
    m.Repertoire_courant = d.path();
    m.Validation_repertoire();
    TDLG_exif_info& exif = f.app->DLG_exif_info();
    exif.findChild<QCheckBox*>(QStringLiteral("CKB_fabricant"))->click();
    TDLG_canon& canon = f.app->DLG_canon();
    bool ouvert = false;
    siOuvert(canon, ouvert, [&] { canon.CKB_traiter->click(); });
    m.MIT_options_raw_canon->trigger();
    ASSERT_TRUE(ouvert);
    EXPECT_TRUE(f.messages.shown.empty()); // no question: nothing had EXIF to check
    EXPECT_TRUE(exif.Est_mode_exif());
    EXPECT_EQ(m.EDT_masque_recherche->text().toStdString(), "*.*");
    EXPECT_FALSE(m.BT_canon->isHidden());
    EXPECT_EQ(m.STB_main->currentMessage().toStdString(), "Mode Raw Canon");
    EXPECT_EQ(grid(m), (Grid{{"IMG_0001.CRW", "Canon_001.CRW"},
                             {"IMG_0001.THM", "Canon_001.THM"},
                             {"IMG_0003.CRW", kSansCompagnon}}));

    // Entering the association leaves the Canon mode and its button.
    TDLG_association_fichier& assoc = f.app->DLG_association_fichier();
    f.messages.answer(true);
    siOuvert(assoc, ouvert, [&] {
        assoc.EDT_association1->setText(QStringLiteral("crw"));
        assoc.EDT_association2->setText(QStringLiteral("thm"));
        assoc.CKB_activer->click();
    });
    m.MIT_options_association->trigger();
    ASSERT_TRUE(ouvert);
    ASSERT_EQ(f.messages.texts(), QStringList{"Voulez-vous sortir du Mode Raw Canon ?"});
    EXPECT_FALSE(canon.CKB_traiter->isChecked());
    EXPECT_TRUE(m.BT_canon->isHidden());
    EXPECT_TRUE(exif.Est_mode_exif());
    EXPECT_EQ(m.STB_main->currentMessage().toStdString(),
              "Mode association de fichiers  CRW et THM (EXIF)");
    EXPECT_EQ(stocke(f, "ASSOCIATION_FICHIER", "CIBLE"), "crw");
    EXPECT_EQ(stocke(f, "ASSOCIATION_FICHIER", "SOURCE_EXIF"), "thm");
    EXPECT_EQ(grid(m), (Grid{{"IMG_0001.CRW", "Canon_001.CRW"},
                             {"IMG_0001.THM", "Canon_001.THM"},
                             {"IMG_0003.CRW", kSansCompagnon}}));
    // A field changed while the mode is on keeps what the listing was made with when
    // the window, becoming active, reads the settings file again.
    assoc.EDT_association1->setText(QStringLiteral("CRW"));
    f.app->DB_utilitaire().Lecture_parametres();
    EXPECT_EQ(assoc.EDT_association1->text().toStdString(), "CRW");

    // Declining to leave the association keeps it, and the Canon dialog stays shut.
    f.messages.answer(false);
    siOuvert(canon, ouvert);
    m.TBT_raw->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ouvert);
    EXPECT_TRUE(assoc.CKB_activer->isChecked());

    // EXIF naming switched off by hand takes the association with it, and the folder
    // is listed whole again.
    exif.CKB_exploitation_exif->click();
    EXPECT_FALSE(assoc.CKB_activer->isChecked());
    EXPECT_FALSE(exif.Est_mode_exif());
    m.Voir_rename();
    EXPECT_EQ(m.nombreLignes(), 5);

    // Back in the association, then out of it through its own switch.
    siOuvert(assoc, ouvert, [&] { assoc.CKB_activer->click(); });
    m.MIT_options_association->trigger();
    ASSERT_TRUE(exif.Est_mode_exif());

    // Switching the association off leaves EXIF naming and lists every file again.
    siOuvert(assoc, ouvert, [&] { assoc.CKB_activer->click(); });
    m.MIT_options_association->trigger();
    EXPECT_FALSE(exif.Est_mode_exif());
    EXPECT_EQ(m.nombreLignes(), 5);
}

TEST(Compagnons, PasConcerneParLeRawCanon) {
    AppFixture f;
    TMainForm& m = f.app->MainForm();
    TDLG_canon& canon = f.app->DLG_canon();
    TDB_utilitaire& util = f.app->DB_utilitaire();
    util.Sauver_parametre("OPTIONS", "RAW_CANON", "0");
    util.Sauver_parametre("ASSOCIATION_FICHIER", "CIBLE", "MOV");
    util.Lecture_parametres();
    EXPECT_FALSE(m.outilRawVisible());
    EXPECT_TRUE(canon.CKB_traiter->isHidden());
    EXPECT_TRUE(canon.CKB_pas_raw_canon->isChecked());
    EXPECT_FALSE(canon.BT_options->isEnabled());
    // A missing key keeps the default; a stored one replaces it.
    EXPECT_EQ(f.app->DLG_association_fichier().EDT_association1->text().toStdString(), "MOV");
    EXPECT_EQ(f.app->DLG_association_fichier().EDT_association2->text().toStdString(), "THM");

    canon.CKB_pas_raw_canon->click();
    EXPECT_TRUE(m.outilRawVisible());
    EXPECT_FALSE(canon.CKB_traiter->isHidden());
    EXPECT_EQ(stocke(f, "OPTIONS", "RAW_CANON"), "1");
    canon.CKB_traiter->setChecked(true);
    EXPECT_TRUE(f.app->DLG_exif_info().Est_mode_exif());
    // Not concerned any more: the mode goes off with its switch.
    canon.CKB_pas_raw_canon->click();
    EXPECT_FALSE(canon.CKB_traiter->isChecked());
    EXPECT_FALSE(f.app->DLG_exif_info().Est_mode_exif());
    EXPECT_EQ(stocke(f, "OPTIONS", "RAW_CANON"), "0");
}

// The two notices change nothing: they only tell what the EXIF reader makes of those files.
TEST(Compagnons, NoticesNikonEtPentax) {
    AppFixture f;
    TMainForm& m = f.app->MainForm();
    TDLG_information& info = f.app->DLG_information();
    const struct {
        QAction* item;
        const char* titre;
        const char* derniereLigne;
    } cases[] = {
        {m.MIT_options_raw_nikon, "Exploitation des NEF Nikon", "L'essentiel cependant y est."},
        {m.MIT_options_raw_pentax, "Exploitation des PEF Pentax",
         "Ceci ne gêne en rien les opérations de \"nommage\"."},
    };
    for (const auto& c : cases) {
        bool ouvert = false;
        siOuvert(info, ouvert);
        c.item->trigger();
        EXPECT_TRUE(ouvert) << c.titre;
        EXPECT_EQ(info.LBL_titre->text().toStdString(), c.titre);
        const QStringList lignes = info.MEM_information->toPlainText().split(u'\n');
        EXPECT_EQ(lignes.size(), 3) << c.titre;
        EXPECT_EQ(lignes.back().toStdString(), c.derniereLigne);
        EXPECT_FALSE(info.BT_aide->isHidden());
    }
    EXPECT_TRUE(f.messages.shown.empty());
}

} // namespace

namespace {
std::vector<std::string> anciens(TMainForm& m) {
    std::vector<std::string> out;
    for (const auto& [ancien, nouveau] : grid(m))
        out.push_back(ancien);
    return out;
}
} // namespace

// The Canon RAW mode asks each folder listed whether it holds a CR2: a folder of CRW
// files listed after a CR2 folder shows its files, and a folder holding both kinds
// shows both pairs.
TEST(Compagnons, RawCanonDecideParListage) {
    AppFixture f;
    const std::string photos = photosDir();
    TempDir crw, cr2, mixte;
    for (const TempDir* d : {&crw, &mixte}) {
        d->write("IMG_0001.CRW", readFile(photos + "../raw/CanonRaw.crw"));
        d->write("IMG_0001.THM", readFile(photos + "Canon_40D.jpg"));
    }
    for (const TempDir* d : {&cr2, &mixte}) {
        d->write("IMG_0007.CR2", readFile(photos + "../raw/CanonRaw.cr2"));
        d->write("IMG_0007.JPG", readFile(photos + "Canon_DIGITAL_IXUS_400.jpg"));
    }
    crw.write("IMG_0009.JPG", readFile(photos + "Nikon_D70.jpg"));
    TMainForm& m = f.app->MainForm();
    m.Repertoire_courant = crw.path();
    m.Validation_repertoire();
    TDLG_canon& canon = f.app->DLG_canon();
    bool ouvert = false;
    siOuvert(canon, ouvert, [&] { canon.CKB_traiter->click(); });
    m.MIT_options_raw_canon->trigger();
    ASSERT_TRUE(ouvert);

    using V = std::vector<std::string>;
    const struct {
        const TempDir& dossier;
        V lignes;
    } listages[] = {
        {crw, V{"IMG_0001.CRW", "IMG_0001.THM"}},
        {cr2, V{"IMG_0007.CR2", "IMG_0007.JPG"}},
        {crw, V{"IMG_0001.CRW", "IMG_0001.THM"}},
        {mixte, V{"IMG_0001.CRW", "IMG_0001.THM", "IMG_0007.CR2", "IMG_0007.JPG"}},
        {crw, V{"IMG_0001.CRW", "IMG_0001.THM"}},
    };
    for (const auto& l : listages) {
        m.Repertoire_courant = l.dossier.path();
        m.Validation_repertoire();
        EXPECT_EQ(anciens(m), l.lignes) << l.dossier.path();
        m.Chercher_fichier(); // F5 lists the same
        EXPECT_EQ(anciens(m), l.lignes) << l.dossier.path();
    }
    // In the folder holding both, each RAW file takes its companion's name.
    const Grid g = grid(m);
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(Prefixe(g[0].second), Prefixe(g[1].second));
}
