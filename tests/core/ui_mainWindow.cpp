// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/renameJournal.h"
#include "exif/ui/IHM_exif_dump.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "platform/iniFile.h"
#include "platform/ui/RadioGroup.h"
#include "support/ui_support.h"
#include "transfer/ui/IHM_rep_xp.h"
#include "window/IHM_option_compteur.h"
#include "window/IHM_type_fichier.h"
#include "window/MD_utilitaire.h"
#include "window/Main.h"
#include "window/fileGridModel.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QDropEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace varlime;
using namespace varlime::test;

namespace {

TEST(MainWindow, PickTypeAndRenameAsAUserWould) {
    AppFixture f;
    TempDir photos;
    photos.write("b.jpg", "B");
    photos.write("a.JPG", "A");
    photos.write("c", "C");
    TMainForm& m = f.app->MainForm();
    // No folder was validated: showing the window opens the folder picker.
    bool pickerSeen = false;
    whenModal([&](QWidget* w) {
        auto* picker = qobject_cast<TDLG_rep_xp*>(w);
        ASSERT_NE(picker, nullptr);
        pickerSeen = true;
        EXPECT_TRUE(picker->selectionner(q(photos.path())));
        picker->BT_selectionner->click();
    });
    m.show();
    QApplication::setActiveWindow(&m);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m.LBL_repertoire->text().isEmpty(); }, 10000));
    EXPECT_TRUE(pickerSeen);
    EXPECT_EQ(m.LBL_repertoire->text().toStdString(), photos.path());
    EXPECT_EQ(grid(m), (Grid{{"a.JPG", ""}, {"b.jpg", ""}, {"c", ""}}));
    EXPECT_EQ(m.cellule(0, 0).toStdString(), "Avant");
    EXPECT_EQ(m.cellule(1, 0).toStdString(), "Après");

    QTest::keyClicks(m.EDT_prefixe_remplacement, QStringLiteral("IMG"));
    EXPECT_EQ(grid(m), (Grid{{"a.JPG", "IMG001.JPG"}, {"b.jpg", "IMG002.jpg"}, {"c", "IMG003"}}));

    f.messages.answer(true);
    m.BT_valider_rename->click();
    EXPECT_EQ(photos.names(), (std::vector<std::string>{"IMG001.JPG", "IMG002.jpg", "IMG003"}));
    EXPECT_EQ(photos.read("IMG002.jpg"), "B");
    ASSERT_EQ(f.messages.shown.size(), 2u);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(), "Voulez-vous varlimer la liste ?");
    EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(f.messages.shown[1].text.toStdString(), "3 fichiers varlimés\r\n0 erreurs");
    EXPECT_EQ(f.messages.shown[1].kind, MessageKind::Information);
    // The list was read again after the run.
    EXPECT_EQ(
        grid(m),
        (Grid{{"IMG001.JPG", "IMG001.JPG"}, {"IMG002.jpg", "IMG002.jpg"}, {"IMG003", "IMG003"}}));

    m.resize(900, 700);
    QApplication::processEvents();
    EXPECT_EQ(m.GRS_fichier->columnWidth(0) + m.GRS_fichier->columnWidth(1),
              m.GRS_fichier->viewport()->width());
    m.close();
}

// The grid's columns follow the names: a long old name widens the first column at the
// expense of short new names, and the other way round; both always fill the grid.
TEST(MainWindow, GridColumnsFollowTheNames) {
    const std::string longNom = "Vacances_en_Bretagne_avec_toute_la_famille_et_les_amis_2024.jpg";
    const struct {
        const char* nom;
        std::string fichier, prefixe;
        bool premierePlusLarge;
    } cas[] = {
        {"long_old_name", longNom, "X", true},
        {"long_new_name", "a.jpg", "Vacances_en_Bretagne_avec_toute_la_famille_et_les_amis_",
         false},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        AppFixture f;
        TempDir photos;
        photos.write(c.fichier);
        TMainForm& m = f.app->MainForm();
        m.resize(700, 500);
        m.show();
        open(m, photos);
        m.EDT_prefixe_remplacement->setText(q(c.prefixe));
        QApplication::processEvents();
        QTableView* g = m.GRS_fichier;
        const int w0 = g->columnWidth(0), w1 = g->columnWidth(1);
        EXPECT_EQ(w0 + w1, g->viewport()->width());
        EXPECT_EQ(w0 > w1, c.premierePlusLarge) << w0 << " " << w1;
        const int colonneLongue = c.premierePlusLarge ? 0 : 1;
        EXPECT_GE(g->columnWidth(colonneLongue),
                  g->fontMetrics().horizontalAdvance(m.cellule(colonneLongue, 1)));
        m.close();
    }
}

// "Non" to the question: nothing renamed, no summary pretending a run took place, and
// the grid (a hand-edited cell included) left as the user made it.
TEST(MainWindow, AnswerNoRenamesNothingAndSaysNothingMore) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg");
    photos.write("b.jpg");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("X"));
    m.grille().setData(m.grille().index(1, 1), QStringLiteral("main.jpg"), Qt::EditRole);
    f.messages.answer(false);
    m.Varlimer();
    EXPECT_EQ(photos.names(), (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_EQ(f.messages.texts(), QStringList{"Voulez-vous varlimer la liste ?"});
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "X001.jpg"}, {"b.jpg", "main.jpg"}}));
}

// Folders the user may not read or rename in, as the window tells them. The superuser
// reads and writes everywhere: the checks run with the file-system rights of an
// ordinary user.
class DroitsOrdinaires {
public:
    DroitsOrdinaires() : ancien_(::setfsuid(::geteuid() == 0 ? 65534 : ::geteuid())) {}
    ~DroitsOrdinaires() { ::setfsuid(ancien_); }

private:
    int ancien_;
};

TEST(MainWindow, UnreadableAndReadOnlyFoldersAreToldAsSuch) {
    const struct {
        const char* nom;
        mode_t mode;
        bool listee;           // the files show in the grid
        QString message;       // a message shown when the folder is listed (or empty)
        QString premiereLigne; // the test report's first line
    } cas[] = {
        {"unreadable", 0311, false, QStringLiteral("ne peut pas être lu (accès refusé)"),
         QString()},
        {"read_only", 0555, true, QString(), QStringLiteral("n'autorise pas le renommage")},
        {"writable", 0777, true, QString(), QStringLiteral("*** Aucune erreur à signaler ***")},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        AppFixture f;
        TempDir photos;
        photos.write("a.jpg");
        TMainForm& m = f.app->MainForm();
        m.EDT_prefixe_remplacement->setText(QStringLiteral("X"));
        ::chmod(photos.path().c_str(), c.mode);
        m.Repertoire_courant = photos.path();
        {
            DroitsOrdinaires droits;
            m.Chercher_fichier();
            m.Chercher_fichier(); // told once, not at every listing
            const RapportTest rapport = m.Rapport_test();
            if (!c.premiereLigne.isEmpty()) {
                ASSERT_FALSE(rapport.lignes.empty());
                EXPECT_TRUE(q(rapport.lignes.front()).contains(c.premiereLigne))
                    << rapport.lignes.front();
                EXPECT_EQ(rapport.erreur, c.mode != 0777);
            }
        }
        ::chmod(photos.path().c_str(), 0755);
        EXPECT_EQ(m.Fichiers_trouves, c.listee);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(f.messages.shown.empty()) << f.messages.texts().join('|').toStdString();
        } else {
            ASSERT_EQ(f.messages.shown.size(), 1u);
            EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Error);
            EXPECT_TRUE(f.messages.shown[0].text.contains(c.message));
            EXPECT_TRUE(f.messages.shown[0].text.contains(q(photos.path())));
        }
    }
}

// "EXIF infos" over an empty folder names no file that is not there.
TEST(MainWindow, ExifInfosInAnEmptyFolderNamesNoFile) {
    AppFixture f;
    TempDir empty;
    TMainForm& m = f.app->MainForm();
    open(m, empty);
    m.BT_exif_info->click();
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(), "Aucun fichier dans la liste.");
}

TEST(MainWindow, EmptyFolderHasOneEmptyRow) {
    AppFixture f;
    TempDir empty;
    TMainForm& m = f.app->MainForm();
    open(m, empty);
    EXPECT_FALSE(m.Fichiers_trouves);
    EXPECT_EQ(m.nombreLignes(), 2);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("X"));
    EXPECT_EQ(grid(m), (Grid{{"", ""}}));
    // Nothing to rename: no question is asked, and the reason is told.
    m.Varlimer();
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Information);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(), "Aucun fichier à varlimer dans la liste.");
}

// A counter too narrow for the list is reported by the test before renaming, and the run
// offers the width that fits: 1000 files on 3 digits would end in _1000 after _999.
TEST(MainWindow, CounterOutgrowingItsWidthIsToldAndWidened) {
    AppFixture f;
    TempDir photos;
    for (int i = 0; i < 1000; ++i)
        photos.write("p" + std::to_string(10000 + i) + ".jpg");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("X"));
    const RapportTest rapport = m.Rapport_test();
    ASSERT_GE(rapport.lignes.size(), 2u);
    EXPECT_EQ(rapport.lignes[0], "Le compteur sur 3 chiffres ne suffit pas : il va jusqu'à 1000.");
    EXPECT_TRUE(rapport.erreur);
    for (const std::string& l : rapport.lignes)
        EXPECT_EQ(l.find("Aucune erreur"), std::string::npos) << l;
    f.messages.answer(true); // 4 digits
    f.messages.answer(true); // rename
    m.Varlimer();
    ASSERT_GE(f.messages.shown.size(), 2u);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(),
              "Le compteur sur 3 chiffres va jusqu'à 1000 : les noms ne se suivraient plus dans "
              "l'ordre.\r\nVoulez-vous passer à 4 chiffres ?");
    EXPECT_EQ(m.CBB_largeur_increment->currentText(), QStringLiteral("4"));
    EXPECT_TRUE(photos.exists("X0001.jpg"));
    EXPECT_TRUE(photos.exists("X1000.jpg"));
    EXPECT_FALSE(photos.exists("X001.jpg"));
    // Wide enough now: the test has nothing to say about the counter.
    EXPECT_EQ(m.Rapport_test().lignes.front().find("compteur"), std::string::npos);
}

// A rename that fails says why, under the warning icon: the folder cannot be written,
// or the name is taken by a file that came after the listing.
TEST(MainWindow, FailedRenamesSayWhy) {
    const struct {
        const char* nom;
        mode_t mode;
        const char* arrive; // a file written after the listing, or null
        std::string attendu;
    } cas[] = {
        {"read_only", 0555, nullptr,
         "0 fichiers varlimés\r\n2 erreurs\r\n\r\na.jpg → X001.jpg : accès refusé\r\n"
         "b.jpg → X002.jpg : accès refusé"},
        {"taken", 0777, "X002.jpg",
         "1 fichiers varlimés\r\n1 erreurs\r\n\r\nb.jpg → X002.jpg : le nom est déjà pris"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        AppFixture f;
        TempDir photos;
        photos.write("a.jpg");
        photos.write("b.jpg");
        TMainForm& m = f.app->MainForm();
        open(m, photos);
        m.EDT_prefixe_remplacement->setText(QStringLiteral("X"));
        if (c.arrive)
            photos.write(c.arrive, "other");
        ::chmod(photos.path().c_str(), c.mode);
        // The journal must be written first, also by the ordinary user the run becomes.
        ::chmod(f.programDir.path().c_str(), 0755);
        for (const std::string d : {std::string(std::getenv("XDG_STATE_HOME")),
                                    std::string(std::getenv("XDG_STATE_HOME")) + "/varlime"}) {
            ::mkdir(d.c_str(), 0777);
            ::chmod(d.c_str(), 0777);
        }
        {
            std::optional<DroitsOrdinaires> droits;
            if (c.mode != 0777)
                droits.emplace();
            m.Varlimer();
        }
        ::chmod(photos.path().c_str(), 0755);
        ASSERT_FALSE(f.messages.shown.empty());
        EXPECT_EQ(f.messages.shown.back().kind, MessageKind::Warning);
        EXPECT_EQ(f.messages.shown.back().text.toStdString(), c.attendu);
    }
}

TEST(MainWindow, HandEditedCellsAreUsedAndMarkedRowsSkipped) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg", "A");
    photos.write("b.jpg", "B");
    photos.write("c.jpg", "C");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("P"));
    FileGridModel& model = m.grille();
    ModelTestFaults modelFaults;
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    ASSERT_TRUE(model.setData(model.index(0, 1), QStringLiteral("vacances.jpg"), Qt::EditRole));
    ASSERT_TRUE(
        model.setData(model.index(1, 1), QStringLiteral("NON VARLIMÉ à garder"), Qt::EditRole));
    m.Varlimer();
    EXPECT_EQ(photos.names(), (std::vector<std::string>{"P003.jpg", "b.jpg", "vacances.jpg"}));
    EXPECT_EQ(f.messages.texts().last().toStdString(), "2 fichiers varlimés\r\n0 erreurs");
    EXPECT_TRUE(modelFaults.faults().isEmpty()) << modelFaults.faults().join(u'\n').toStdString();
}

// The check above can fail: a table whose cells claim children of their own is caught.
TEST(MainWindow, ModelTesterFaultsAreCollected) {
    class CellsWithChildren : public QAbstractTableModel {
    public:
        int rowCount(const QModelIndex&) const override { return 2; }
        int columnCount(const QModelIndex&) const override { return 2; }
        QVariant data(const QModelIndex&, int) const override { return {}; }
    } broken;
    ModelTestFaults modelFaults;
    {
        QAbstractItemModelTester tester(&broken,
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
    }
    EXPECT_FALSE(modelFaults.faults().isEmpty());
}

TEST(MainWindow, CounterSidesSwapOnScreen) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg");
    TMainForm& m = f.app->MainForm();
    m.show();
    open(m, photos);
    // Let the activation re-apply the stored options first, as it does before a user
    // can type: a prefix typed and not saved would be replaced by the stored one.
    QApplication::processEvents();
    QApplication::processEvents();
    m.EDT_prefixe_remplacement->setText(QStringLiteral("IMG"));
    QApplication::processEvents();
    EXPECT_LT(m.EDT_prefixe_remplacement->mapTo(&m, QPoint()).x(),
              m.CBB_largeur_increment->mapTo(&m, QPoint()).x());
    m.BT_gauche->click();
    QApplication::processEvents();
    EXPECT_GT(m.EDT_prefixe_remplacement->mapTo(&m, QPoint()).x(),
              m.CBB_largeur_increment->mapTo(&m, QPoint()).x());
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "001IMG.jpg"}}));
    EXPECT_FALSE(m.modele().options().compteurADroite);
    m.BT_droite->click();
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "IMG001.jpg"}}));
    EXPECT_TRUE(m.modele().options().compteurADroite);
    // The counter controls are there exactly when names get a counter: the inactive
    // box of a search-and-replace mask takes them away and gives them back, and
    // leaving the mask with the box checked brings them back too.
    m.EDT_prefixe_remplacement->setText(QStringLiteral("[{a}{b}]"));
    ASSERT_TRUE(m.CKB_compteur_inactif->isChecked());
    EXPECT_TRUE(m.EDT_initialisation->isHidden());
    EXPECT_TRUE(m.CBB_largeur_increment->isHidden());
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "b.jpg"}}));
    m.CKB_compteur_inactif->click();
    EXPECT_FALSE(m.EDT_initialisation->isHidden());
    EXPECT_FALSE(m.BT_gauche->isHidden());
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "b001.jpg"}}));
    m.CKB_compteur_inactif->click();
    EXPECT_TRUE(m.CBB_largeur_increment->isHidden());
    m.EDT_prefixe_remplacement->setText(QStringLiteral("IMG"));
    EXPECT_FALSE(m.EDT_initialisation->isHidden());
    EXPECT_FALSE(m.CBB_largeur_increment->isHidden());
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "IMG001.jpg"}}));
    m.close();
}

TEST(MainWindow, ExtensionWidthAndConversionErrors) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("P"));
    EXPECT_FALSE(m.TXT_extension_remplacement->isEnabled());
    m.CKB_extension->click();
    EXPECT_TRUE(m.TXT_extension_remplacement->isEnabled());
    m.TXT_extension_remplacement->setText(QStringLiteral("png"));
    m.CBB_largeur_increment->setCurrentText(QStringLiteral("5"));
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "P00001.png"}}));
    const auto before = f.messages.shown.size();
    // A width that is no number yet is an editing state: no box, the last width names.
    m.CBB_largeur_increment->setCurrentText(QStringLiteral("abc"));
    EXPECT_EQ(f.messages.shown.size(), before);
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", "P00001.png"}})); // kept
    m.CKB_extension->click();
    EXPECT_FALSE(m.TXT_extension_remplacement->isEnabled());
}

struct SyncCase {
    const char* value;
    const char* width;
    const char* hint;
};

TEST(CounterDialog, KeepsBothInitialValuesAndHintsEqual) {
    AppFixture f;
    TMainForm& m = f.app->MainForm();
    TDLG_option_compteur& d = f.app->DLG_option_compteur();
    const SyncCase cases[] = {
        {"1", "3", "soit __A en alphabétique"},
        {"28", "3", "soit _AB en alphabétique"},
        {"12", "1", "soit L en alphabétique"},
        {"0", "3", "soit __A en alphabétique"},
        {"abc", "3", "Il faut saisir une valeur entière"},
    };
    for (const auto& c : cases) {
        m.CBB_largeur_increment->setCurrentText(QString::fromUtf8(c.width));
        m.EDT_initialisation->setText(QString::fromUtf8(c.value));
        EXPECT_EQ(m.LBL_info_alpha->text().toStdString(), c.hint) << c.value;
        EXPECT_EQ(d.LBL_info_alpha->text().toStdString(), c.hint) << c.value;
    }
    m.EDT_initialisation->setText(QStringLiteral("12"));
    EXPECT_EQ(d.EDT_initialisation->text().toStdString(), "12");
    d.EDT_initialisation->setText(QStringLiteral("7"));
    EXPECT_EQ(m.EDT_initialisation->text().toStdString(), "7");
}

TEST(CounterDialog, OkRefusesANonNumberAndGerrerSyncsFirst) {
    AppFixture f;
    TMainForm& m = f.app->MainForm();
    TDLG_option_compteur& d = f.app->DLG_option_compteur();
    m.EDT_initialisation->setText(QStringLiteral("42"));
    bool sawRefusal = false;
    whenModal([&](QWidget* w) {
        EXPECT_EQ(w, &d);
        EXPECT_EQ(d.EDT_initialisation->text().toStdString(), "42");
        d.EDT_initialisation->setText(QStringLiteral("abc"));
        d.BT_ok->click();
        sawRefusal =
            d.isVisible() && !f.messages.shown.empty() &&
            f.messages.shown.back().text == QStringLiteral("Le nombre saisi n'est pas valide");
        d.EDT_initialisation->setText(QStringLiteral("5"));
        d.RGA_type_compteur->setItemIndex(1);
        d.BT_ok->click();
    });
    const auto rendu = d.Gerer(m.modele().copie());
    EXPECT_TRUE(sawRefusal);
    EXPECT_FALSE(d.isVisible());
    ASSERT_TRUE(rendu.has_value());
    EXPECT_TRUE(rendu->alphabetique);
    EXPECT_EQ(m.EDT_initialisation->text().toStdString(), "5");
}

TEST(FileTypeDialog, AttributeSets) {
    AppFixture f;
    TDLG_type_fichier& t = f.app->DLG_type_fichier();
    EXPECT_EQ(t.GRA_fichier->itemIndex(), 1);
    EXPECT_EQ(t.Determiner(), 47);
    t.GRA_fichier->setItemIndex(0);
    EXPECT_EQ(t.Determiner(), 63);
    EXPECT_TRUE(t.GRP_propriete->isHidden());
    t.GRA_fichier->setItemIndex(2);
    EXPECT_FALSE(t.GRP_propriete->isHidden());
    EXPECT_EQ(t.Determiner(), 0);
    t.CKB_cache->setChecked(true);
    t.CKB_archive->setChecked(true);
    t.CKB_repertoire->setChecked(true);
    EXPECT_EQ(t.Determiner(), 2 + 16 + 32);
    t.GRA_fichier->setItemIndex(-1);
    EXPECT_EQ(t.Determiner(), 0);
}

TEST(FileTypeDialog, ListingFollowsTheChoice) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg");
    photos.write(".hidden.jpg");
    photos.write("sub/x");
    TMainForm& m = f.app->MainForm();
    TDLG_type_fichier& t = f.app->DLG_type_fichier();
    open(m, photos);
    EXPECT_EQ(grid(m), (Grid{{".hidden.jpg", ""}, {"a.jpg", ""}}));
    t.GRA_fichier->setItemIndex(0);
    m.Chercher_fichier();
    EXPECT_EQ(grid(m), (Grid{{".hidden.jpg", ""}, {"a.jpg", ""}, {"sub", ""}}));
    t.GRA_fichier->setItemIndex(2);
    t.CKB_archive->setChecked(true);
    m.Chercher_fichier();
    EXPECT_EQ(grid(m), (Grid{{"a.jpg", ""}}));
    m.EDT_masque_recherche->setText(QStringLiteral("*.png"));
    EXPECT_EQ(grid(m), (Grid{{"", ""}}));
}

TEST(FolderPicker, MissingStartFolderWarnsAndCancelChangesNothing) {
    AppFixture f;
    TDLG_rep_xp& p = f.app->DLG_rep_xp();
    const QString before = QDir::currentPath();
    whenModal([&](QWidget*) { p.BT_annuler->click(); });
    EXPECT_FALSE(p.Selection_repertoire(QStringLiteral("/no/such/folder")));
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(), "Répertoire inexistant");
    EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(QDir::currentPath(), before);
    whenModal([&](QWidget*) { p.BT_annuler->click(); });
    EXPECT_FALSE(p.Selection_repertoire(QStringLiteral("Erreur")));
    EXPECT_EQ(f.messages.shown.size(), 1u);
}

TEST(FolderPicker, ConfirmMakesTheFolderCurrent) {
    AppFixture f;
    TempDir folder;
    TDLG_rep_xp& p = f.app->DLG_rep_xp();
    whenModal([&](QWidget*) { p.BT_selectionner->click(); });
    EXPECT_TRUE(p.Selection_repertoire(q(folder.path())));
    EXPECT_EQ(QDir::currentPath() + u'/', QDir(q(folder.path())).canonicalPath() + u'/');
    EXPECT_EQ(p.LBL_rep->text() + u'/', q(folder.path()));
}

} // namespace

namespace {

TEST(MainWindow, ExifButtonDumpsTheCurrentRowsFile) {
    AppFixture f;
    TempDir photos;
    photos.write("z.txt", "not a picture");
    photos.write("a.jpg", readFile(photosDir() + "Canon_40D.jpg"));
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.TBT_exif->click();
    TDLG_exif_dump& dump = f.app->DLG_exif_dump();
    EXPECT_TRUE(dump.isVisible());
    const QString text = dump.Memo1->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Canon EOS 40D"))) << text.left(400).toStdString();
    m.GRS_fichier->setCurrentIndex(m.grille().index(1, 0));
    m.TBT_exif->click();
    EXPECT_FALSE(dump.Memo1->toPlainText().contains(QStringLiteral("Canon EOS 40D")));
    dump.close();
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST(MainWindow, ExifButtonWithAnEmptyListSaysSo) {
    AppFixture f;
    TempDir empty;
    TMainForm& m = f.app->MainForm();
    open(m, empty);
    m.TBT_exif->click();
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text.toStdString(), "Aucun fichier dans la liste.");
    EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Error);
    EXPECT_FALSE(f.app->DLG_exif_dump().isVisible());
}

} // namespace

namespace {

// A listed grid belongs to its folder: another window storing its own folder does not
// move it, and a run whose folder moved since the listing renames nothing.
TEST(MainWindow, TheRunStaysInTheFolderListed) {
    AppFixture f;
    TempDir first, second, root;
    first.write("a.jpg");
    second.write("b.jpg");
    TMainForm& m = f.app->MainForm();
    open(m, first);
    // Another window chose the second folder; this window is activated again.
    f.app->DB_utilitaire().Sauver_parametre("CHEMINS", "DEFAUT", second.path());
    f.app->DB_utilitaire().Lecture_parametres();
    m.EDT_prefixe_remplacement->setText(QStringLiteral("P"));
    f.messages.answer(true);
    m.Varlimer();
    EXPECT_EQ(first.names(), std::vector<std::string>{"P001.jpg"});
    EXPECT_EQ(second.names(), std::vector<std::string>{"b.jpg"});

    // The folder is renamed behind the window's back: nothing is renamed, and the
    // user is told.
    root.write("photos/c.jpg");
    m.Repertoire_courant = root.path() + "photos/";
    m.Validation_repertoire(false);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("P"));
    ASSERT_EQ(grid(m), (Grid{{"c.jpg", "P001.jpg"}}));
    ASSERT_EQ(::rename((root.path() + "photos").c_str(), (root.path() + "moved").c_str()), 0);
    f.messages.shown.clear();
    f.messages.answer(true);
    m.Varlimer();
    EXPECT_TRUE(root.exists("moved/c.jpg"));
    ASSERT_EQ(f.messages.shown.size(), 2u);
    EXPECT_EQ(f.messages.shown[1].kind, MessageKind::Error);
    EXPECT_TRUE(f.messages.shown[1].text.contains(QStringLiteral("aucun fichier")));
    EXPECT_EQ(grid(m), (Grid{{"c.jpg", "P001.jpg"}}));
}

} // namespace

namespace {

// A folder whose path is not UTF-8, dropped onto the window as a file manager drops it,
// is listed by its bytes and renamed through a mask.
TEST(MainWindow, DroppedFolderWithANameThatIsNotUtf8) {
    AppFixture f;
    TempDir root;
    root.write("f\xF6to/caf\xE9.jpg");
    const std::string folder = root.path() + "f\xF6to";
    TMainForm& m = f.app->MainForm();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromUtf8(folder.data(), qsizetype(folder.size())))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&m, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&m, &drop);
    EXPECT_EQ(m.Repertoire_courant, folder + "/");
    m.EDT_prefixe_remplacement->setText(QStringLiteral("[*_s]"));
    ASSERT_EQ(m.moteur().lignes().size(), 1u);
    EXPECT_EQ(m.moteur().lignes()[0].nouveau, "caf\xE9_s.jpg");
    f.messages.answer(true);
    m.Varlimer();
    EXPECT_EQ(m.renommage().dernierBilan().renommes, 1);
    EXPECT_TRUE(root.exists("f\xF6to/caf\xE9_s.jpg"));
}

} // namespace

namespace {

// A run that died after its first rename is reported once, with its folder and how
// many renames it made, and undone on Yes.
TEST(MainWindow, ARunThatNeverEndedIsReportedOnceAndUndone) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg", "A");
    photos.write("b.jpg", "B");
    {
        DossierListe d;
        ASSERT_TRUE(d.ouvrir(photos.path()));
        const IdentiteFichier a = identiteFichier(d.fd(), "a.jpg");
        const IdentiteFichier b = identiteFichier(d.fd(), "b.jpg");
        JournalEcrit journal;
        ASSERT_TRUE(journal.ouvrir(dossierJournaux(), photos.path(), identiteDossier(d.fd()),
                                   {{"a.jpg", "P1.jpg", a.inode, a.naissance, false},
                                    {"b.jpg", "P2.jpg", b.inode, b.naissance, false}},
                                   false));
        ASSERT_EQ(::renameat(d.fd(), "a.jpg", d.fd(), "P1.jpg"), 0);
        journal.fait(0);
        // The program dies here: the journal is never closed.
    }
    TMainForm& m = f.app->MainForm();
    f.messages.answer(true);
    m.Signaler_varlimage_interrompu();
    ASSERT_EQ(f.messages.shown.size(), 2u);
    EXPECT_TRUE(f.messages.shown[0].text.contains(QString::fromStdString(photos.path())));
    EXPECT_TRUE(f.messages.shown[0].text.contains(QStringLiteral(" 1 ")));
    EXPECT_EQ(photos.names(), (std::vector<std::string>{"a.jpg", "b.jpg"}));
    m.Signaler_varlimage_interrompu();
    EXPECT_EQ(f.messages.shown.size(), 2u);
}

// A run whose journal cannot be written renames nothing, and says where and why.
TEST(MainWindow, NoJournalNoRename) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg", "A");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("P"));
    // The state folder is a file: no journal can be made under it.
    const std::filesystem::path etat = std::filesystem::path(dossierJournaux()).parent_path();
    std::filesystem::remove_all(etat);
    std::filesystem::create_directories(etat.parent_path());
    { std::ofstream fichier(etat); }
    f.messages.answer(true);
    m.Varlimer();
    std::filesystem::remove(etat);
    EXPECT_EQ(photos.names(), (std::vector<std::string>{"a.jpg"}));
    ASSERT_EQ(f.messages.shown.size(), 2u);
    const QString dit = f.messages.shown[1].text;
    EXPECT_TRUE(dit.contains(QString::fromStdString(dossierJournaux()))) << dit.toStdString();
    EXPECT_TRUE(dit.contains(QStringLiteral("aucun fichier"))) << dit.toStdString();
}

// Undo, then the same command again: the second time it offers to redo the run, in
// those words, and does.
TEST(MainWindow, UndoThenRedoSaysWhichItIs) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg", "A");
    photos.write("b.jpg", "B");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.EDT_prefixe_remplacement->setText(QStringLiteral("P"));
    f.messages.answer(true);
    m.Varlimer();
    ASSERT_EQ(photos.names(), (std::vector<std::string>{"P001.jpg", "P002.jpg"}));
    const struct {
        const char* question;
        std::vector<std::string> noms;
    } etapes[] = {{"Voulez-vous remettre 2 fichiers sous leur ancien nom ?", {"a.jpg", "b.jpg"}},
                  {"Le dernier varlimage a été annulé. Voulez-vous le refaire (2 fichiers) ?",
                   {"P001.jpg", "P002.jpg"}}};
    for (const auto& e : etapes) {
        f.messages.shown.clear();
        m.Annuler_dernier_varlimage();
        ASSERT_GE(f.messages.shown.size(), 1u);
        EXPECT_EQ(f.messages.shown[0].text.toStdString(), e.question);
        EXPECT_EQ(photos.names(), e.noms);
    }
}

} // namespace

namespace varlime {
// Escape in a dialog: it closes, and what was changed in it goes back to what it was
// when it opened; nothing is stored.
TEST(MainWindow, EscapeCancelsTheDialogs) {
    const struct {
        const char* nom;
        std::function<void(Application&)> ouvrir;
        std::function<void(QWidget*)> changer;
        std::function<void(Application&)> verifier;
    } cas[] = {
        {"counter",
         [](Application& a) {
             a.MainForm().findChild<QAction*>(QStringLiteral("MIT_options_compteur"))->trigger();
         },
         [](QWidget* w) {
             auto* d = qobject_cast<TDLG_option_compteur*>(w);
             ASSERT_NE(d, nullptr);
             d->RGA_type_compteur->setItemIndex(1);
             d->RGA_position_compteur->setItemIndex(1);
             d->EDT_initialisation->setText(QStringLiteral("7"));
         },
         [](Application& a) {
             EXPECT_FALSE(a.MainForm().modele().options().alphabetique);
             EXPECT_TRUE(a.MainForm().modele().options().compteurADroite);
             EXPECT_EQ(a.MainForm().EDT_initialisation->text().toStdString(), "1");
         }},
        {"file_types", [](Application& a) { a.DLG_type_fichier().Gerer(); },
         [](QWidget* w) {
             auto* d = qobject_cast<TDLG_type_fichier*>(w);
             ASSERT_NE(d, nullptr);
             d->GRA_fichier->setItemIndex(0);
         },
         [](Application& a) { EXPECT_EQ(a.DLG_type_fichier().Determiner(), 47); }},
        {"exif", [](Application& a) { a.DLG_exif_info().Gerer(); },
         [](QWidget* w) {
             auto* d = qobject_cast<TDLG_exif_info*>(w);
             ASSERT_NE(d, nullptr);
             d->CKB_exploitation_exif->click();
             d->findChild<QCheckBox*>(QStringLiteral("CKB_fabricant"))->click();
             d->EDT_zone_libre->setText(QStringLiteral("Bretagne"));
         },
         [](Application& a) {
             TDLG_exif_info& d = a.DLG_exif_info();
             EXPECT_FALSE(d.Est_mode_exif());
             EXPECT_TRUE(d.lignesOrdre().isEmpty());
             EXPECT_TRUE(d.EDT_zone_libre->text().isEmpty());
             EXPECT_FALSE(a.MainForm().EDT_prefixe_remplacement->isHidden());
             EXPECT_FALSE(
                 IniDocument::load(a.DB_utilitaire().Fichier_parametres()).hasSection("EXIF"));
         }},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        AppFixture f;
        bool fermeParEchap = false;
        whenModal([&](QWidget* w) {
            c.changer(w);
            QTest::keyClick(w, Qt::Key_Escape);
            fermeParEchap = !w->isVisible();
            if (w->isVisible()) // not to hang where Escape is refused
                static_cast<QDialog*>(w)->done(QDialog::Accepted);
        });
        c.ouvrir(*f.app);
        EXPECT_TRUE(fermeParEchap);
        c.verifier(*f.app);
    }
}
} // namespace varlime

// Closing the program while the user is typing a prefix: the field's last edit reaches
// the main window while the dialogs below it are being destroyed.
TEST(MainWindow, QuitWhileTypingThePrefix) {
    AppFixture f;
    TempDir photos;
    photos.write("a.jpg");
    TMainForm& m = f.app->MainForm();
    open(m, photos);
    m.show();
    QApplication::setActiveWindow(&m);
    m.EDT_prefixe_remplacement->setFocus();
    QTest::keyClicks(m.EDT_prefixe_remplacement, "X_");
    QApplication::processEvents();
    // Under the sanitizers a handler reaching a destroyed dialog fails the test here.
    f.app.reset();
}

namespace {

// A tool button that opened a dialog never heard the mouse leave it: when the main
// window comes back, it is no longer drawn under the mouse.
TEST(MainWindow, ToolButtonsForgetTheHoverOfADialogsTime) {
    AppFixture f;
    TMainForm& m = f.app->MainForm();
    m.resize(900, 600);
    m.show();
    QCursor::setPos(m.mapToGlobal(QPoint(m.width() - 5, m.height() - 5)));
    QEvent entree(QEvent::Enter);
    QApplication::sendEvent(m.TBT_transfert, &entree);
    m.TBT_transfert->setAttribute(Qt::WA_UnderMouse, true);
    ASSERT_TRUE(m.TBT_transfert->underMouse());
    QEvent retour(QEvent::WindowActivate);
    QApplication::sendEvent(&m, &retour);
    EXPECT_FALSE(m.TBT_transfert->underMouse());
    m.close();
}

} // namespace
