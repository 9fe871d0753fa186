// SPDX-License-Identifier: GPL-3.0-or-later
// The EXIF naming dialog as it is laid out on screen: its size when EXIF naming is
// switched on and off again, value labels shown whole when there is room, and the
// example line keeping the free text being typed and the real counter start in view.
#include "exif_naming/ui/IHM_exif_info.h"
#include "platform/ui/Controls.h"
#include "support/ui_support.h"
#include "window/Main.h"
#include "window/fileGridModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

using namespace varlime;
using namespace varlime::test;

namespace {

// The main window over a folder holding one photo, its row current.
struct Fenetre {
    explicit Fenetre(const char* photo) {
        photos.write("a.jpg", readFile(photosDir() + photo));
        TMainForm& m = f.app->MainForm();
        m.Repertoire_courant = photos.path();
        m.Validation_repertoire();
        m.GRS_fichier->setCurrentIndex(m.grille().index(0, 0));
    }
    TMainForm& main() { return f.app->MainForm(); }
    TDLG_exif_info& dialogue() { return f.app->DLG_exif_info(); }
    // Opens the dialog from the main window, runs `action` in it, then OK.
    void dansLeDialogue(const std::function<void(TDLG_exif_info&)>& action) {
        TDLG_exif_info& d = dialogue();
        bool vu = false;
        whenModal([&](QWidget*) {
            vu = true;
            action(d);
            f.messages.answer(true);
            d.BT_ok->click();
        });
        main().BT_exif_info->click();
        EXPECT_TRUE(vu);
    }
    AppFixture f;
    TempDir photos;
};

void laisserPoser() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// The value labels holding a text that is drawn cut.
QStringList libellesCoupes(const TDLG_exif_info& d) {
    QStringList coupes;
    for (const QLabel* l : d.LBL_valeurs)
        if (const auto* a = dynamic_cast<const LibelleAbrege*>(l); a && a->abrege())
            coupes << l->text();
    return coupes;
}

QCheckBox* caseItem(TDLG_exif_info& d, const char* nom) {
    return d.findChild<QCheckBox*>(QString::fromLatin1(nom));
}

// Ticking EXIF naming grows the dialog to what it now shows, with its values whole;
// unticking it brings the dialog back to the size it opened with.
TEST(ExifDialogLayout, BackToCompactAfterUntickAndValuesWhole) {
    for (const char* photo :
         {"Canon_DIGITAL_IXUS_400.jpg", "Konica_Minolta_DiMAGE_Z3.jpg", "no_exif.jpg"}) {
        SCOPED_TRACE(photo);
        Fenetre w(photo);
        w.dansLeDialogue([&](TDLG_exif_info& d) {
            laisserPoser();
            const QSize compact = d.size();
            EXPECT_TRUE(libellesCoupes(d).isEmpty()) << libellesCoupes(d).join(" | ").toStdString();
            d.CKB_exploitation_exif->click();
            laisserPoser();
            ASSERT_TRUE(d.Est_mode_exif());
            const QSize ouvert = d.size();
            EXPECT_GT(ouvert.height(), compact.height());
            EXPECT_GE(ouvert.width(), d.sizeHint().width());
            EXPECT_TRUE(libellesCoupes(d).isEmpty()) << libellesCoupes(d).join(" | ").toStdString();
            EXPECT_FALSE(d.LBL_valeurs[2]->text().isEmpty()); // the date and its source
            d.CKB_exploitation_exif->click();
            laisserPoser();
            EXPECT_EQ(d.size().height(), compact.height());
            EXPECT_EQ(d.size().height(), d.sizeHint().height());
            // The value lines sit one under the other, not spread over a tall dialog, and
            // a value the file lacks leaves no blank line.
            int haut = d.height(), bas = 0, lignes = 0;
            for (const QLabel* l : d.LBL_valeurs) {
                EXPECT_EQ(l->isVisible(), !l->text().isEmpty()) << l->objectName().toStdString();
                if (!l->isVisible())
                    continue;
                haut = std::min(haut, l->y());
                bas = std::max(bas, l->geometry().bottom());
                ++lignes;
            }
            EXPECT_LT(bas - haut, lignes * 2 * d.LBL_valeurs[0]->sizeHint().height());
        });
    }
}

// The example line, however long, shows the free text being typed (its end at least,
// where the cursor is), the counter as the counter options start it, and the whole
// example as its tooltip when it is cut.
TEST(ExifDialogLayout, ExampleShowsTheFreeTextAndTheCounterStart) {
    const QString longue = QStringLiteral("Vacances en Bretagne avec toute la famille");
    const struct {
        QString libre;
        const char* depart;
        const char* largeur;
        QString compteur;
        bool entier; // the whole free text fits in the line
    } cas[] = {
        {QStringLiteral("Noel"), "1", "3", QStringLiteral("001"), true},
        {longue, "7", "3", QStringLiteral("007"), true},
        {longue, "12", "5", QStringLiteral("00012"), true},
        {longue + longue + longue + longue, "250", "3", QStringLiteral("250"), false},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.libre.toStdString() + " " + c.depart);
        Fenetre w("Canon_DIGITAL_IXUS_400.jpg");
        w.main().CBB_largeur_increment->setCurrentText(QString::fromLatin1(c.largeur));
        w.main().EDT_initialisation->setText(QString::fromLatin1(c.depart));
        w.dansLeDialogue([&](TDLG_exif_info& d) {
            d.CKB_exploitation_exif->click();
            for (const char* item : {"CKB_fabricant", "CKB_modele", "CKB_zone_libre", "CKB_date",
                                     "CKB_heure", "CKB_proprietaire"})
                caseItem(d, item)->click();
            d.EDT_zone_libre->clear();
            QTest::keyClicks(d.EDT_zone_libre, c.libre);
            laisserPoser();
            const QString complet = d.LBL_exemple->text();
            const QString affiche = d.exempleAffiche();
            EXPECT_TRUE(complet.contains(c.libre));
            EXPECT_TRUE(complet.endsWith(c.compteur)) << complet.toStdString();
            EXPECT_TRUE(affiche.endsWith(c.compteur)) << affiche.toStdString();
            EXPECT_LE(d.LBL_exemple->fontMetrics().horizontalAdvance(affiche),
                      d.LBL_exemple->contentsRect().width());
            if (c.entier)
                EXPECT_TRUE(affiche.contains(c.libre)) << affiche.toStdString();
            else
                EXPECT_TRUE(affiche.contains(c.libre.right(12))) << affiche.toStdString();
            if (affiche != complet)
                EXPECT_EQ(d.LBL_exemple->toolTip(), complet);
            else
                EXPECT_TRUE(d.LBL_exemple->toolTip().isEmpty());
        });
    }
}

} // namespace
