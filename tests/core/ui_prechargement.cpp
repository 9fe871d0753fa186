// SPDX-License-Identifier: GPL-3.0-or-later
// The EXIF facts of a large folder are read on a worker: the window answers meanwhile,
// a new listing, a cancel or closing the window stops it, and a worker that cannot start
// is told while the names still come.
#include "exif_naming/ui/IHM_exif_info.h"
#include "support/ui_support.h"
#include "window/MD_utilitaire.h"
#include "window/Main.h"
#include "window/fileGridModel.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>

using namespace varlime;
using namespace varlime::test;

namespace {

// Starts the worker held at its door until the test opens it (or it is asked to stop),
// and notes the thread it runs on.
class Porte {
public:
    PrechargementExif::Demarreur demarreur(bool refuser) {
        return [this, refuser](std::function<void()> travail) {
            ++demarrages;
            if (refuser)
                throw std::system_error(
                    std::make_error_code(std::errc::resource_unavailable_try_again));
            return std::jthread([this, travail = std::move(travail)](std::stop_token arret) {
                fil = std::this_thread::get_id();
                {
                    std::unique_lock verrou(m_);
                    cv_.wait(verrou, arret, [this] { return ouverte_; });
                }
                travail();
            });
        };
    }
    void ouvrir() {
        {
            std::lock_guard verrou(m_);
            ouverte_ = true;
        }
        cv_.notify_all();
    }
    int demarrages = 0;
    std::atomic<std::thread::id> fil;

private:
    std::mutex m_;
    std::condition_variable_any cv_;
    bool ouverte_ = false;
};

const std::string kMarque = "NON VARLIMÉ (Pas d'en-tête Exif)";

// `n` photos with EXIF, then one without: more than the window reads at once.
void remplir(const TempDir& d, int n) {
    const std::string photo = readFile(photosDir() + "Canon_40D.jpg");
    for (int i = 0; i < n; ++i)
        d.write("p" + std::to_string(100 + i) + ".jpg", photo);
    // The sample without EXIF keeps an editor's XMP date: taken away, it has no metadata.
    const std::string z = d.write("z.jpg", readFile(photosDir() + "no_exif.jpg"));
    std::system(("exiftool -q -q -all= -overwrite_original '" + z + "'").c_str());
}

TEST(Prechargement, RunsOffTheWindowThreadStopsAndIsToldWhenItCannotStart) {
    enum class Fin { Lu, Annule, Ferme, Refuse };
    const struct {
        const char* nom;
        Fin fin;
        Grid::value_type premiere; // the first row once the reading is over
        QStringList messages;      // shown, in order
    } cas[] = {
        {"read",
         Fin::Lu,
         {"p100.jpg", "Canon EOS 40D_001.jpg"},
         {"Le fichier z.jpg n'a pas d'en-tête Exif\r\nVoulez-vous varlimer les autres fichiers "
          "porteurs d'informations Exif ?"}},
        {"cancelled: EXIF naming stays, the rows not read are marked",
         Fin::Annule,
         {"p100.jpg", "Canon EOS 40D_001.jpg"},
         {}},
        {"window closed", Fin::Ferme, {"p100.jpg", ""}, {}},
        {"no thread",
         Fin::Refuse,
         {"p100.jpg", "Canon EOS 40D_001.jpg"},
         {"Les informations EXIF ne peuvent pas être lues en arrière-plan (Resource temporarily "
          "unavailable) : la fenêtre les lit elle-même et attend la fin de leur lecture.",
          "Le fichier z.jpg n'a pas d'en-tête Exif\r\nVoulez-vous varlimer les autres fichiers "
          "porteurs d'informations Exif ?"}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        AppFixture f;
        TempDir photos, autres;
        remplir(photos, 70);
        remplir(autres, 65);
        TMainForm& m = f.app->MainForm();
        PrechargementExif& p = m.prechargement();
        Porte porte;
        p.definirDemarreur(porte.demarreur(c.fin == Fin::Refuse));
        f.app->DB_utilitaire().Sauver_parametre("MAIN", "PREFIXE_REMPLACEMENT", "IMG");
        m.EDT_prefixe_remplacement->setText(QStringLiteral("IMG"));
        m.Repertoire_courant = photos.path();
        m.Validation_repertoire();
        EXPECT_EQ(porte.demarrages, 0); // no EXIF naming, nothing to read
        TDLG_exif_info& d = f.app->DLG_exif_info();
        d.findChild<QCheckBox*>(QStringLiteral("CKB_modele"))->click();
        f.messages.answer(true);
        d.CKB_exploitation_exif->click();
        m.Voir_rename();
        EXPECT_EQ(porte.demarrages, 1);
        EXPECT_EQ(p.enCours(), c.fin != Fin::Refuse);
        if (p.enCours()) {
            // The window answers while the worker is held: a new listing stops it and
            // reads the new rows on a worker of its own.
            EXPECT_TRUE(f.messages.shown.empty());
            // The worker reads the rows' names: none can be edited by hand meanwhile.
            QAbstractItemModel* grille = m.GRS_fichier->model();
            const QModelIndex cellule = grille->index(0, 0);
            EXPECT_FALSE(grille->flags(cellule) & Qt::ItemIsEditable);
            EXPECT_FALSE(grille->setData(cellule, QStringLiteral("autre.jpg"), Qt::EditRole));
            EXPECT_EQ(grille->data(cellule, Qt::DisplayRole).toString(),
                      QStringLiteral("p100.jpg"));
            m.Repertoire_courant = autres.path();
            m.Chercher_fichier();
            EXPECT_EQ(porte.demarrages, 2);
            m.Repertoire_courant = photos.path();
            m.Chercher_fichier();
            EXPECT_EQ(porte.demarrages, 3);
            ASSERT_TRUE(p.enCours());
            QSignalSpy fin(&p, &PrechargementExif::termine);
            if (c.fin == Fin::Annule) {
                while (!p.fenetreProgression())
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
                EXPECT_TRUE(p.fenetreProgression()->isVisible());
                EXPECT_FALSE(p.fenetreProgression()->isModal());
                p.fenetreProgression()->findChild<QPushButton*>()->click();
            }
            if (c.fin == Fin::Ferme)
                m.close();
            porte.ouvrir();
            if (c.fin != Fin::Ferme) {
                EXPECT_TRUE(fin.wait(20000));
            }
            EXPECT_EQ(fin.size(), c.fin == Fin::Ferme ? 0 : 1);
            EXPECT_NE(porte.fil.load(), std::this_thread::get_id());
        }
        EXPECT_FALSE(p.enCours());
        EXPECT_TRUE(m.GRS_fichier->model()->flags(m.GRS_fichier->model()->index(0, 0)) &
                    Qt::ItemIsEditable);
        EXPECT_EQ(f.messages.texts(), c.messages);
        // The dialog shows its options exactly when its switch is on.
        EXPECT_EQ(d.findChild<QCheckBox*>(QStringLiteral("CKB_modele"))->isHidden(),
                  !d.CKB_exploitation_exif->isChecked());
        const Grid g = grid(m);
        ASSERT_EQ(g.size(), 71u);
        EXPECT_EQ(g.front(), c.premiere);
        if (c.fin == Fin::Lu || c.fin == Fin::Refuse) {
            EXPECT_EQ(g.back(), (Grid::value_type{"z.jpg", kMarque}));
        }
        auto* nonLus = m.findChild<QLabel*>(QStringLiteral("LBL_non_lus"));
        auto* lire = m.findChild<QPushButton*>(QStringLiteral("BT_lire_restants"));
        ASSERT_TRUE(nonLus && lire);
        EXPECT_EQ(nonLus->isHidden(), c.fin != Fin::Annule);
        EXPECT_EQ(lire->isHidden(), c.fin != Fin::Annule);
        if (c.fin != Fin::Annule)
            continue;
        // What was read before the cancel is named, the rest is marked, and the status
        // bar says how many; typing goes on without reading them.
        EXPECT_TRUE(d.CKB_exploitation_exif->isChecked());
        EXPECT_EQ(g.back(), (Grid::value_type{"z.jpg", "NON VARLIMÉ (Non lu)"}));
        const auto nonLu = std::count_if(
            g.begin(), g.end(), [](const auto& l) { return l.second == "NON VARLIMÉ (Non lu)"; });
        EXPECT_GT(nonLu, 10);
        EXPECT_TRUE(nonLus->text().contains(QString::number(nonLu)))
            << nonLus->text().toStdString();
        m.EDT_prefixe_remplacement->setText(QStringLiteral("IMGX"));
        EXPECT_EQ(porte.demarrages, 3);
        EXPECT_EQ(grid(m).back().second, "NON VARLIMÉ (Non lu)");
        // The button reads them on the side and names them all.
        QSignalSpy fin(&p, &PrechargementExif::termine);
        lire->click();
        EXPECT_EQ(porte.demarrages, 4);
        ASSERT_TRUE(fin.wait(20000));
        const Grid lus = grid(m);
        EXPECT_EQ(lus.back(), (Grid::value_type{"z.jpg", kMarque}));
        EXPECT_EQ(lus[69].second, "Canon EOS 40D_070.jpg");
        EXPECT_TRUE(nonLus->isHidden());
        EXPECT_TRUE(lire->isHidden());
    }
}

// The progress window of a reading started from the EXIF dialog sits over that dialog;
// when the dialog is closed with the reading still going, the progress stays in view over
// the main window, Cancel included.
TEST(Prechargement, ProgressOutlivesTheDialogItWasShownOver) {
    for (const bool fermerAvant : {false, true}) {
        SCOPED_TRACE(fermerAvant ? "dialog closed before the progress shows" : "shown over it");
        AppFixture f;
        TempDir photos;
        remplir(photos, 70);
        TMainForm& m = f.app->MainForm();
        PrechargementExif& p = m.prechargement();
        Porte porte;
        p.definirDemarreur(porte.demarreur(false));
        m.Repertoire_courant = photos.path();
        m.Validation_repertoire();
        m.show();
        TDLG_exif_info& d = f.app->DLG_exif_info();
        d.setWindowModality(Qt::ApplicationModal);
        d.show();
        f.messages.answer(true);
        d.CKB_exploitation_exif->click();
        ASSERT_TRUE(p.enCours());
        if (fermerAvant)
            d.hide();
        while (!p.fenetreProgression())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        EXPECT_EQ(p.fenetreProgression()->parentWidget() == &d, !fermerAvant);
        d.hide();
        QCoreApplication::processEvents();
        ASSERT_TRUE(p.fenetreProgression());
        EXPECT_TRUE(p.fenetreProgression()->isVisible());
        EXPECT_EQ(p.fenetreProgression()->parentWidget(), &m);
        // Its Cancel still stops the reading; EXIF naming stays.
        QSignalSpy fin(&p, &PrechargementExif::termine);
        p.fenetreProgression()->findChild<QPushButton*>()->click();
        porte.ouvrir();
        ASSERT_TRUE(fin.wait(20000));
        EXPECT_FALSE(fin.front().front().toBool());
        EXPECT_TRUE(d.CKB_exploitation_exif->isChecked());
        m.close();
    }
}

} // namespace
