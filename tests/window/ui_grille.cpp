// SPDX-License-Identifier: GPL-3.0-or-later
// The grid as a user meets it over a large folder: keys typed while it is listed or its
// EXIF facts read are all applied, the rows in view are named first with the names the
// whole list gives them, and the test before renaming after a cancelled reading reads
// the rest on the side while the window answers.
#include "exif_naming/ui/IHM_exif_info.h"
#include "support/ui_support.h"
#include "window/Main.h"
#include "window/fileGridModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

using namespace varlime;
using namespace varlime::test;

namespace {

// `n` empty files named as a camera names them, every seventh with no digits at the end.
void remplirVides(const TempDir& d, int n, const char* extension = "JPG") {
    char nom[40];
    for (int i = 0; i < n; ++i) {
        if (i % 7 == 3)
            std::snprintf(nom, sizeof nom, "vue%05d_x.%s", i, extension);
        else
            std::snprintf(nom, sizeof nom, "IMG_%05d.%s", i, extension);
        d.write(nom, "");
    }
}

// `n` photos with EXIF.
void remplirPhotos(const TempDir& d, int n) {
    const std::string photo = readFile(photosDir() + "Canon_40D.jpg");
    for (int i = 0; i < n; ++i)
        d.write("p" + std::to_string(100 + i) + ".jpg", photo);
}

// Shows the window over an empty folder and lets its first activation read the settings
// file, so that nothing the test types is replaced by what that file holds.
void demarrer(TMainForm& m, const TempDir& vide) {
    m.resize(900, 600);
    m.Repertoire_courant = vide.path();
    m.Validation_repertoire(false);
    m.show();
    QApplication::setActiveWindow(&m);
    QTest::qWait(100);
}

// Every row named, no worker left.
bool auRepos(TMainForm& m) {
    PresentateurGrille& g = m.presentateur();
    return !g.occupe() && !g.nomsEnAttente();
}

// Each worker reading facts waits for its own permission, so that a test acts while it
// reads; it notes the thread it ran on.
struct Portes {
    std::atomic<int> permises{0};
    int demarrages = 0;
    std::atomic<bool> surLeFilDeLaFenetre{false};
    PrechargementExif::Demarreur demarreur() {
        return [this](std::function<void()> travail) {
            const int numero = ++demarrages;
            const auto fenetre = std::this_thread::get_id();
            return std::jthread(
                [this, numero, fenetre, travail = std::move(travail)](std::stop_token arret) {
                    while (permises.load() < numero && !arret.stop_requested())
                        std::this_thread::sleep_for(std::chrono::milliseconds(2));
                    if (std::this_thread::get_id() == fenetre)
                        surLeFilDeLaFenetre = true;
                    travail();
                });
        };
    }
};

// EXIF naming with the model as name part, over the listed photos.
void passerEnExif(AppFixture& f) {
    TDLG_exif_info& d = f.app->DLG_exif_info();
    d.findChild<QCheckBox*>(QStringLiteral("CKB_modele"))->click();
    f.messages.answer(true);
    d.CKB_exploitation_exif->click();
}

// A folder of 70 photos listed in EXIF naming, its reading started and held at the
// gates of `portes`.
struct LectureRetenue {
    AppFixture f;
    TempDir d;
    Portes portes;
    TMainForm& m;
    LectureRetenue() : m(f.app->MainForm()) {
        remplirPhotos(d, 70);
        m.prechargement().definirDemarreur(portes.demarreur());
        demarrer(m, TempDir());
        m.Repertoire_courant = d.path();
        m.Validation_repertoire(false);
        passerEnExif(f);
    }
};

} // namespace

// A folder of thousands of files is listed on a worker: the window takes the keys
// typed meanwhile, in the prefix and in the search mask, and the rows shown at the end
// are listed and named with every one of them.
TEST(Grille, KeysTypedWhileALargeFolderListsAreAllApplied) {
    AppFixture f;
    TempDir d;
    remplirVides(d, 3600);
    remplirVides(d, 400, "txt");
    TMainForm& m = f.app->MainForm();
    demarrer(m, TempDir());
    m.Repertoire_courant = d.path();
    m.Validation_repertoire(false);
    ASSERT_TRUE(m.presentateur().listageEnCours()) << "listed on the window thread";
    EXPECT_EQ(m.nombreLignes(), 2); // no row of the previous listing meanwhile
    m.EDT_prefixe_remplacement->setFocus();
    QTest::keyClicks(m.EDT_prefixe_remplacement, QStringLiteral("Ete_"));
    m.EDT_masque_recherche->setText(QStringLiteral("*.JPG"));
    EXPECT_TRUE(m.presentateur().listageEnCours());
    ASSERT_TRUE(QTest::qWaitFor([&] { return auRepos(m); }, 60000));
    EXPECT_EQ(m.EDT_prefixe_remplacement->text(), QStringLiteral("Ete_"));
    const Grid g = grid(m);
    ASSERT_EQ(g.size(), 3600u);
    EXPECT_EQ(g.front(), (Grid::value_type{"IMG_00000.JPG", "Ete_001.JPG"}));
    EXPECT_EQ(g.back(), (Grid::value_type{"vue03594_x.JPG", "Ete_3600.JPG"}));
    for (const auto& [ancien, nouveau] : g)
        ASSERT_EQ(nouveau.rfind("Ete_", 0), 0u) << ancien;
    m.close();
}

// The keys typed while the EXIF facts are read go where the user typed them, even
// as the progress window opens; the names that come at the end follow them.
TEST(Grille, KeysTypedWhileTheFactsAreReadAreAllApplied) {
    LectureRetenue l;
    TMainForm& m = l.m;
    Portes& portes = l.portes;
    ASSERT_TRUE(m.prechargement().enCours());
    QApplication::setActiveWindow(&m);
    m.EDT_initialisation->setFocus();
    m.EDT_initialisation->selectAll();
    QTest::keyClick(m.EDT_initialisation, Qt::Key_4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m.prechargement().fenetreProgression(); }, 10000));
    QApplication::processEvents();
    // The progress window opens without taking the keyboard (the desktop leaves it
    // where it was): the next key goes to the field typed into.
    EXPECT_TRUE(
        m.prechargement().fenetreProgression()->testAttribute(Qt::WA_ShowWithoutActivating));
    QWidget* focus = m.focusWidget();
    ASSERT_EQ(focus, m.EDT_initialisation);
    QTest::keyClick(focus, Qt::Key_2);
    portes.permises = 1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return auRepos(m); }, 60000));
    EXPECT_EQ(m.EDT_initialisation->text(), QStringLiteral("42"));
    const Grid g = grid(m);
    ASSERT_EQ(g.size(), 70u);
    EXPECT_EQ(g.front().second, "Canon EOS 40D_042.jpg");
    EXPECT_EQ(g.back().second, "Canon EOS 40D_111.jpg");
    EXPECT_FALSE(portes.surLeFilDeLaFenetre);
    m.close();
}

// Over a long list, a keystroke names the rows in view at once and the others after;
// every name is then the one the whole list computed in one go gives, whatever the
// options and wherever the grid is scrolled.
TEST(Grille, RowsInViewFirstGiveTheNamesOfTheWholeList) {
    AppFixture f;
    TempDir d;
    remplirVides(d, 12000);
    TMainForm& m = f.app->MainForm();
    demarrer(m, TempDir());
    m.Repertoire_courant = d.path();
    m.Validation_repertoire(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return auRepos(m); }, 60000));
    const struct {
        const char* nom;
        const char* prefixe;
        const char* initialisation;
        const char* largeur;
        bool extension;    // the extension imposed: "Png"
        bool minuscule;    // the extension in lower case
        double defilement; // where the grid is scrolled, from 0 (top) to 1 (bottom)
    } cas[] = {
        {"prefix, top", "Ete_", "1", "3", false, false, 0},
        {"prefix, middle, counter from 950", "Hiver_", "950", "4", false, false, 0.5},
        {"keep-the-digits mask: some rows take no counter", "[*&N]", "7", "2", false, true, 0.7},
        {"imposed extension in lower case, bottom", "B-", "1", "5", true, true, 1},
    };
    QScrollBar* barre = m.GRS_fichier->verticalScrollBar();
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        m.CKB_extension->setChecked(c.extension);
        m.TXT_extension_remplacement->setText(QStringLiteral("Png"));
        m.CKB_extension_minuscule->setChecked(c.minuscule);
        m.EDT_initialisation->setText(QString::fromLatin1(c.initialisation));
        m.CBB_largeur_increment->setCurrentText(QString::fromLatin1(c.largeur));
        barre->setValue(int(barre->maximum() * c.defilement));
        QApplication::processEvents();
        ASSERT_TRUE(QTest::qWaitFor([&] { return auRepos(m); }, 60000));
        // The keystroke: the rows in view have their names in the same turn.
        m.EDT_prefixe_remplacement->setText(QString::fromLatin1(c.prefixe));
        const int haut = m.GRS_fichier->rowAt(0);
        const int bas = m.GRS_fichier->rowAt(m.GRS_fichier->viewport()->height() - 1);
        ASSERT_GE(haut, 0);
        ASSERT_GT(bas, haut);
        Grid vus;
        for (int r = haut; r <= bas; ++r)
            vus.emplace_back(m.cellule(0, r + 1).toStdString(), m.cellule(1, r + 1).toStdString());
        EXPECT_TRUE(m.presentateur().nomsEnAttente()) << "every row named at once";
        // A row far from view shows no name until it has its own.
        const int loin = haut > 6000 ? 10 : 11990;
        EXPECT_EQ(m.cellule(1, loin + 1), QString());
        ASSERT_TRUE(QTest::qWaitFor([&] { return auRepos(m); }, 60000));
        const Grid etapes = grid(m);
        // The same rows named in one go by the engine the test and the run use.
        m.moteur().calculer();
        const Grid entier = grid(m);
        ASSERT_EQ(etapes.size(), 12000u);
        EXPECT_EQ(etapes, entier);
        for (std::size_t k = 0; k < vus.size(); ++k)
            ASSERT_EQ(vus[k], entier[std::size_t(haut) + k]) << "row " << haut + int(k);
        EXPECT_FALSE(entier[std::size_t(haut)].second.empty());
    }
    m.close();
}

// After a cancelled reading, the test before renaming reads the files left unread on
// a worker, its progress shown, the window answering; cancelled again, the report
// comes at once with those files marked unread.
TEST(Grille, TheTestAfterACancelledReadingReadsTheRestOnTheSide) {
    for (const bool annulerEncore : {false, true}) {
        SCOPED_TRACE(annulerEncore ? "cancelled again" : "read to the end");
        LectureRetenue l;
        TMainForm& m = l.m;
        Portes& portes = l.portes;
        ASSERT_TRUE(QTest::qWaitFor([&] { return m.prechargement().fenetreProgression(); }, 10000));
        m.prechargement().fenetreProgression()->findChild<QPushButton*>()->click();
        portes.permises = 1;
        ASSERT_TRUE(QTest::qWaitFor([&] { return auRepos(m); }, 60000));
        ASSERT_EQ(grid(m).back().second, "NON VARLIMÉ (Non lu)");
        // While the test waits for the second reading, the window answers: a key is
        // typed, then the reading is let go or cancelled.
        bool touche = false;
        QTimer::singleShot(50, &m, [&] {
            QTest::keyClicks(m.EDT_initialisation, QStringLiteral("5"));
            touche = true;
        });
        QTimer::singleShot(100, &m, [&] {
            QProgressDialog* p = m.prechargement().fenetreProgression();
            if (annulerEncore && p) {
                EXPECT_TRUE(p->isModal());
                p->findChild<QPushButton*>()->click();
            }
            portes.permises = 2;
        });
        const RapportTest rapport = m.Rapport_test();
        EXPECT_TRUE(touche);
        EXPECT_EQ(portes.demarrages, 2);
        EXPECT_FALSE(portes.surLeFilDeLaFenetre);
        EXPECT_FALSE(m.prechargement().enCours());
        const Grid g = grid(m);
        if (annulerEncore) {
            EXPECT_EQ(g.back().second, "NON VARLIMÉ (Non lu)");
        } else {
            EXPECT_EQ(g.front().second, "Canon EOS 40D_015.jpg");
            EXPECT_EQ(g.back().second, "Canon EOS 40D_084.jpg");
        }
        EXPECT_FALSE(rapport.lignes.empty());
        m.close();
    }
}
