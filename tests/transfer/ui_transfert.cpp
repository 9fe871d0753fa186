// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer dialog over real folders: its panels and favourite rows, the runs its
// buttons start on the worker thread with the progress window and the messages, and
// the main window taking its target.
#include "platform/iniFile.h"
#include "support/ui_support.h"
#include "transfer/ui/IHM_info_avancement.h"
#include "transfer/ui/IHM_rep_xp.h"
#include "transfer/ui/IHM_transfert.h"
#include "window/MD_utilitaire.h"
#include "window/Main.h"

#include <QCheckBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace varlime;
using namespace varlime::test;
using P = TDLG_transfert::Panneau;

namespace {

QString cellule(TDLG_transfert& d, P p, int ligne, int col) {
    return d.grille(p)->item(ligne - 1, col)->text();
}

void remplir(const TempDir& dir, const std::string& dossier, int n,
             const std::string& ext = ".JPG") {
    for (int i = 1; i <= n; ++i)
        dir.write(dossier + "/IMG_" + std::to_string(100 + i) + ext, "photo " + std::to_string(i));
}

TEST(TransferDialog, PanelsCountAsTheRunWouldCopy) {
    AppFixture f;
    TDLG_transfert& d = f.app->DLG_transfert();
    TempDir dir;
    remplir(dir, "card/DCIM/100CANON", 3);
    dir.write("card/DCIM/101CANON/notes.txt");
    dir.write("card/DCIM/101CANON/MVI_1.MOV");
    remplir(dir, "plain", 2, ".txt");
    dir.write("plain/sub/a.jpg");
    struct Cas {
        std::string source;
        bool apn;
        QString compte;
    };
    for (const Cas& c :
         {Cas{dir.path() + "card/DCIM/", true, QStringLiteral("4 fichiers")},
          Cas{dir.path() + "card/DCIM/100CANON/", false, QStringLiteral("3 fichiers")},
          Cas{dir.path() + "plain", false, QStringLiteral("2 fichiers")},
          Cas{dir.path() + "missing/", false, QStringLiteral("0 fichiers")}}) {
        SCOPED_TRACE(c.source);
        d.CHK_apn->setChecked(false);
        d.definirDossier(P::Source, q(c.source));
        d.Liste_information_fichier(P::Source);
        EXPECT_EQ(d.LBL_info_fichier_source->text(), c.compte);
        EXPECT_EQ(d.CHK_apn->isChecked(), c.apn);
    }
    // The target count uses the source's test: with a camera source only photos count.
    dir.write("dst/a.jpg");
    dir.write("dst/b.txt");
    d.definirDossier(P::Source, q(dir.path() + "card/DCIM"));
    d.definirDossier(P::Cible, q(dir.path() + "dst"));
    d.Liste_information_fichier(P::Cible);
    EXPECT_EQ(d.LBL_info_fichier_cible->text(), QStringLiteral("1 fichiers"));
    // A card folder whose volume is not mounted: the drive is not there.
    d.definirDossier(P::Source, QStringLiteral("/media/nobody-here/CARD/DCIM/"));
    d.Liste_information_fichier(P::Source);
    EXPECT_EQ(d.dossierTexte(P::Source),
              QStringLiteral("Lecteur /media/nobody-here/CARD/ non monté"));
    EXPECT_EQ(d.LBL_info_fichier_source->text(), QStringLiteral("0 fichier"));
    // The placeholder means no folder: nothing changes.
    d.definirDossier(P::Cible, QStringLiteral("Répertoire cible"));
    d.Liste_information_fichier(P::Cible);
    EXPECT_EQ(d.LBL_info_fichier_cible->text(), QStringLiteral("1 fichiers"));
    EXPECT_TRUE(f.messages.shown.empty());
}

TEST(TransferDialog, StoredRowsAndTheSixPlaces) {
    AppFixture f;
    const std::string ini = f.app->DB_utilitaire().Fichier_parametres();
    TDB_utilitaire& util = f.app->DB_utilitaire();
    ASSERT_TRUE(util.Sauver_parametre("CHEMINS_SOURCE", "LIGNE1", "Carte;/media/card/DCIM/"));
    ASSERT_TRUE(util.Sauver_parametre("CHEMINS_SOURCE", "LIGNE2", ";"));
    ASSERT_TRUE(util.Sauver_parametre("CHEMINS_SOURCE", "LIGNE3", "ERREUR"));
    ASSERT_TRUE(util.Sauver_parametre("CHEMINS_CIBLE", "LIGNE6", "Photos;/home/p/Photos/"));
    TDLG_transfert& d = f.app->DLG_transfert();
    d.grille(P::Source)->item(1, 0)->setText(QStringLiteral("old"));
    d.grille(P::Source)->item(2, 1)->setText(QStringLiteral("/kept/"));
    f.app->DB_utilitaire().Lecture_parametres();
    EXPECT_EQ(cellule(d, P::Source, 1, 0), QStringLiteral("Carte"));
    EXPECT_EQ(cellule(d, P::Source, 1, 1), QStringLiteral("/media/card/DCIM/"));
    EXPECT_EQ(cellule(d, P::Source, 2, 0), QString());
    EXPECT_EQ(cellule(d, P::Source, 3, 1), QStringLiteral("/kept/"));
    EXPECT_EQ(cellule(d, P::Cible, 6, 1), QStringLiteral("/home/p/Photos/"));

    // "Ajouter dans la liste" fills the first free path; a seventh warns and stores nothing.
    d.definirDossier(P::Cible, QStringLiteral("/x/"));
    for (int i = 0; i < 5; ++i)
        d.Sauver_rep_liste(P::Cible);
    EXPECT_TRUE(f.messages.shown.empty());
    for (int r = 1; r <= 5; ++r)
        EXPECT_EQ(cellule(d, P::Cible, r, 1), QStringLiteral("/x/"));
    d.definirDossier(P::Cible, QStringLiteral("/y/"));
    d.Sauver_rep_liste(P::Cible);
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(
        f.messages.shown[0].text,
        QStringLiteral(
            "Toutes les places sont occupées, effacez une ligne pour stocker ce \r\nchemin."));
    EXPECT_EQ(cellule(d, P::Cible, 6, 1), QStringLiteral("/home/p/Photos/"));

    // Escape quits as "Quitter" does: every row as label;path, and only existing folders
    // as folders.
    d.show();
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
    const IniDocument lu = IniDocument::load(ini);
    EXPECT_EQ(lu.read("CHEMINS_SOURCE", "LIGNE1", "?"), "Carte;/media/card/DCIM/");
    EXPECT_EQ(lu.read("CHEMINS_SOURCE", "LIGNE2", "?"), ";");
    EXPECT_EQ(lu.read("CHEMINS_CIBLE", "LIGNE5", "?"), ";/x/");
    EXPECT_EQ(lu.read("CHEMINS", "DEFAUT", "none"), "none");
}

TEST(TransferDialog, CameraFolderSearchAndSubfolder) {
    AppFixture f;
    TDLG_transfert& d = f.app->DLG_transfert();
    TempDir dir;
    dir.write("card/MISC/x.jpg");
    remplir(dir, "card/DCIM/100", 2);
    // A temporary folder sits on the root volume or on its own: the search starts at
    // the source itself there, so the card's root is given as the source.
    d.CHK_apn->setChecked(false);
    d.definirDossier(P::Source, q(dir.path() + "card/"));
    d.CHK_apn->setChecked(true);
    EXPECT_EQ(d.dossierTexte(P::Source), q(dir.path() + "card/DCIM"));
    EXPECT_EQ(d.LBL_info_fichier_source->text(), QStringLiteral("2 fichiers"));

    d.definirDossier(P::Cible, q(dir.path() + "dst"));
    dir.write("dst/.keep");
    d.EDT_sous_repertoire->setText(QStringLiteral("2026-12"));
    d.Creer_sous_repertoire();
    EXPECT_EQ(d.dossierTexte(P::Cible), q(dir.path() + "dst/2026-12/"));
    EXPECT_TRUE(dir.exists("dst/2026-12"));
    d.definirDossier(P::Cible, q(dir.path() + "dst")); // no separator: one is added
    d.Creer_sous_repertoire();                         // exists already
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].text, QStringLiteral("Impossible de créer le répertoire"));
    EXPECT_EQ(d.dossierTexte(P::Cible), q(dir.path() + "dst"));
}

struct CasRun {
    const char* nom;
    bool deplacement;
    std::vector<std::string> dejaLa;
    QStringList messages; // %1 stands for the source folder
    int resteSource;
    QString compteCible;
    MessageKind derniere; // the result's icon
};

TEST(TransferDialog, RunsOnTheWorkerThread) {
    const std::vector<CasRun> runs = {
        {"copy",
         false,
         {},
         {QStringLiteral("12 fichiers ont été copiés")},
         12,
         QStringLiteral("12 fichiers"),
         MessageKind::Information},
        // A move asks once, naming how many files leave the card, before deleting.
        {"move",
         true,
         {},
         {QStringLiteral("Les 12 fichiers copiés vont être effacés du répertoire source "
                         "%1.\nVoulez-vous continuer ?"),
          QStringLiteral("12 fichiers ont été transférés")},
         0,
         QStringLiteral("12 fichiers"),
         MessageKind::Information},
        {"move-with-a-failure",
         true,
         {"IMG_105.JPG"},
         {QStringLiteral("11 fichiers ont été copiés\n1 fichiers n'ont pu être copiés\nEffacez "
                         "les fichiers du répertoire de destination portant un nom identique"),
          QStringLiteral(
              "Certains fichiers n'ont pu être déplacés.\r\nLes fichiers n'ont pas été effacés du "
              "répertoire source.")},
         12,
         QStringLiteral("12 fichiers"),
         MessageKind::Warning},
    };
    for (const CasRun& r : runs) {
        SCOPED_TRACE(r.nom);
        AppFixture f;
        TDLG_transfert& d = f.app->DLG_transfert();
        TempDir dir;
        remplir(dir, "src", 12);
        dir.write("dst/.keep");
        for (const auto& n : r.dejaLa)
            dir.write("dst/" + n, "old");
        d.definirDossier(P::Source, q(dir.path() + "src/"));
        d.definirDossier(P::Cible, q(dir.path() + "dst/"));
        d.FormActivate();
        ASSERT_EQ(d.LBL_info_fichier_source->text(), QStringLiteral("12 fichiers"));
        r.deplacement ? d.BT_deplacerClick() : d.BT_copierClick();
        ASSERT_TRUE(d.enCours());
        d.attendreFin(false);
        QStringList attendus;
        for (const QString& m : r.messages)
            attendus << (m.contains(QLatin1String("%1")) ? m.arg(q(dir.path() + "src/")) : m);
        EXPECT_EQ(f.messages.texts(), attendus);
        ASSERT_FALSE(f.messages.shown.empty());
        EXPECT_EQ(f.messages.shown.back().kind, r.derniere);
        int reste = 0;
        for (int i = 1; i <= 12; ++i)
            reste += dir.exists("src/IMG_" + std::to_string(100 + i) + ".JPG");
        EXPECT_EQ(reste, r.resteSource);
        // The final recount, the idle buttons, the progress window closed at its count.
        EXPECT_EQ(d.LBL_info_fichier_cible->text(), r.compteCible);
        EXPECT_FALSE(d.BT_interrompre->isVisibleTo(&d));
        EXPECT_TRUE(d.BT_copier->isVisibleTo(&d));
        TDLG_info_avancement& a = d.DLG_info_avancement();
        EXPECT_FALSE(a.isVisible());
        const int fait = r.dejaLa.empty() ? 12 : 11;
        EXPECT_EQ(a.PB_avancement->value(), fait);
        EXPECT_EQ(a.LBL_compteur->text(),
                  QString::number(fait) + (r.deplacement && r.dejaLa.empty()
                                               ? QStringLiteral(" fichiers déplacés /12")
                                               : QStringLiteral(" fichiers copiés /12")));
    }
}

TEST(TransferDialog, RefusesAndClosingWaitsForTheRun) {
    AppFixture f;
    TDLG_transfert& d = f.app->DLG_transfert();
    TempDir dir;
    remplir(dir, "src", 40);
    d.definirDossier(P::Source, q(dir.path() + "src/"));
    d.definirDossier(P::Cible, q(dir.path() + "src"));
    d.BT_copierClick();
    EXPECT_FALSE(d.enCours());
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_TRUE(f.messages.shown[0].text.startsWith(QStringLiteral("Le répertoire cible ne peut")));
    d.definirDossier(P::Cible, QStringLiteral("Répertoire cible"));
    d.BT_deplacerClick();
    EXPECT_FALSE(d.enCours());
    ASSERT_EQ(f.messages.shown.size(), 2u);

    // Closing during a move stops it and waits: every photo is whole somewhere.
    dir.write("dst/.keep");
    d.definirDossier(P::Cible, q(dir.path() + "dst"));
    d.BT_deplacerClick();
    ASSERT_TRUE(d.enCours());
    d.reject();
    EXPECT_FALSE(d.enCours());
    for (int i = 1; i <= 40; ++i) {
        const std::string n = "IMG_" + std::to_string(100 + i) + ".JPG";
        const std::string attendu = "photo " + std::to_string(i);
        EXPECT_TRUE((dir.exists("src/" + n) && dir.read("src/" + n) == attendu) ||
                    (dir.exists("dst/" + n) && dir.read("dst/" + n) == attendu))
            << n;
    }
}

// The folder picker offers to open only folders that hold a folder (hidden ones are not
// shown, so they do not count); links to folders count as folders.
TEST(FolderPicker, ExpandArrowsOnlyWhereThereAreSubfolders) {
    AppFixture f;
    TempDir dir;
    dir.write("avec/sous/a.jpg");
    dir.write("fichiers/a.jpg");
    dir.write("cache/.x/a.jpg");
    dir.write("vide/.keep");
    dir.write("par_lien/.keep");
    ::symlink((dir.path() + "avec").c_str(), (dir.path() + "par_lien/vers_avec").c_str());
    TDLG_rep_xp& p = f.app->DLG_rep_xp();
    const QAbstractItemModel& m = *p.STV_rep->model();
    const auto index = [&](const char* nom) {
        return static_cast<const QFileSystemModel&>(m).index(q(dir.path() + nom));
    };
    for (const auto& [nom, enfants] :
         {std::pair{"avec", true}, std::pair{"fichiers", false}, std::pair{"cache", false},
          std::pair{"vide", false}, std::pair{"par_lien", true}}) {
        ASSERT_TRUE(index(nom).isValid()) << nom;
        EXPECT_EQ(m.hasChildren(index(nom)), enfants) << nom;
    }
}

// Closing the transfer, the main window lists its own folder again, not the target
// the dialog pointed at; a copy into its own folder shows at once.
TEST(TransferDialog, MainWindowKeepsItsOwnFolder) {
    AppFixture f;
    TempDir dir;
    dir.write("mine/a.jpg");
    dir.write("photos/b.jpg");
    TMainForm& main = f.app->MainForm();
    main.Repertoire_courant = dir.path() + "mine/";
    main.Validation_repertoire();
    TDLG_transfert& d = f.app->DLG_transfert();
    whenModal([&](QWidget* w) {
        EXPECT_EQ(w, &d);
        EXPECT_EQ(d.dossierTexte(P::Cible), q(dir.path() + "mine/"));
        d.definirDossier(P::Cible, q(dir.path() + "photos"));
        dir.write("mine/c.jpg");
        d.BT_quitter->click();
    });
    main.TBT_transfert->click();
    EXPECT_EQ(main.Repertoire_courant, dir.path() + "mine/");
    EXPECT_EQ(main.cellule(0, 1), QStringLiteral("a.jpg"));
    EXPECT_EQ(main.cellule(0, 2), QStringLiteral("c.jpg"));
}

} // namespace
