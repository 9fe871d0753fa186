// SPDX-License-Identifier: GPL-3.0-or-later
// The grid marks the new name of a row that carries sidecars and tells where they go.
#include "support/ui_support.h"
#include "window/Main.h"
#include "window/fileGridModel.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace varlime;
using namespace varlime::test;

namespace {

TEST(GridSidecars, MarkAndTip) {
    AppFixture f;
    TempDir photos;
    for (const char* n : {"IMG_0001.CR3", "IMG_0001.xmp", "IMG_0001.CR3.xmp", "IMG_0002.jpg"})
        photos.write(n, n);
    TMainForm& m = f.app->MainForm();
    m.Repertoire_courant = photos.path();
    m.Validation_repertoire();
    QTest::keyClicks(m.EDT_prefixe_remplacement, QStringLiteral("X_"));
    EXPECT_EQ(grid(m), (Grid{{"IMG_0001.CR3", "X_001.CR3"}, {"IMG_0002.jpg", "X_002.jpg"}}));

    FileGridModel& model = m.grille();
    struct Cas {
        int ligne, colonne;
        bool marque;
        const char* tip;
    };
    const Cas cas[] = {
        {0, 1, true,
         "Fichiers annexes varlimés avec lui :\nIMG_0001.CR3.xmp → X_001.CR3.xmp\nIMG_0001.xmp → "
         "X_001.xmp"},
        {0, 0, false, ""},
        {1, 1, false, ""},
    };
    for (const auto& c : cas) {
        const QModelIndex i = model.index(c.ligne, c.colonne);
        EXPECT_EQ(model.data(i, Qt::DecorationRole).canConvert<QPixmap>(), c.marque)
            << c.ligne << "," << c.colonne;
        EXPECT_EQ(model.data(i, Qt::ToolTipRole).toString().toStdString(), c.tip)
            << c.ligne << "," << c.colonne;
    }
    // The tip shows where the user points: over the mark in the grid (the window, shown,
    // reads its settings again, so the names may have changed since).
    m.resize(900, 600);
    m.show();
    QApplication::processEvents();
    const QRect r = m.GRS_fichier->visualRect(model.index(0, 1));
    QHelpEvent survol(QEvent::ToolTip, r.center(),
                      m.GRS_fichier->viewport()->mapToGlobal(r.center()));
    QApplication::sendEvent(m.GRS_fichier->viewport(), &survol);
    const QString tip = model.data(model.index(0, 1), Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.startsWith(QStringLiteral("Fichiers annexes varlimés avec lui :\nIMG_0001")));
    EXPECT_EQ(QToolTip::text(), tip);
    m.close();
}

} // namespace
