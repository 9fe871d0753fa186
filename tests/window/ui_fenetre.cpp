// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a user types into it: a number field being retyped is an editing
// state, never an error box, and the last number it held goes on naming the files.
#include "app/Application.h"
#include "platform/ui/RadioGroup.h"
#include "support/ui_support.h"
#include "window/IHM_option_heure.h"
#include "window/Main.h"
#include "window/PanneauNommage.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace varlime;
using namespace varlime::test;

TEST(Fenetre, ANumberFieldBeingRetypedKeepsItsLastNumberWithoutABox) {
    AppFixture f;
    TempDir d;
    d.write("a.jpg");
    d.write("b.jpg");
    TMainForm& m = f.app->MainForm();
    m.EDT_prefixe_remplacement->setText(QStringLiteral("P"));
    m.Repertoire_courant = d.path();
    m.Validation_repertoire();
    m.EDT_initialisation->setText(QStringLiteral("5"));
    ASSERT_EQ(grid(m).front().second, "P005.jpg");
    // Each step a user goes through while replacing 5 by 12 on a width of 3, then the
    // width retyped: the names follow the last number the fields held.
    const struct {
        QLineEdit* champ;
        const char* texte;
        const char* premier;
    } etapes[] = {
        {m.EDT_initialisation, "", "P005.jpg"},
        {m.EDT_initialisation, "-", "P005.jpg"},
        {m.EDT_initialisation, "1", "P001.jpg"},
        {m.EDT_initialisation, "12", "P012.jpg"},
        {m.CBB_largeur_increment->lineEdit(), "", "P012.jpg"},
        {m.CBB_largeur_increment->lineEdit(), "5", "P00012.jpg"},
    };
    for (const auto& e : etapes) {
        SCOPED_TRACE(e.texte);
        ASSERT_TRUE(e.champ);
        e.champ->selectAll();
        if (*e.texte)
            QTest::keyClicks(e.champ, QString::fromUtf8(e.texte));
        else
            QTest::keyClick(e.champ, Qt::Key_Backspace);
        EXPECT_EQ(grid(m).front().second, e.premier);
    }
    EXPECT_TRUE(f.messages.texts().isEmpty()) << f.messages.texts().join('|').toStdString();
}

// The time format dialog opens with the window's choice ticked (the first format when
// none is stored); Annuler leaves the window's choice, OK takes the new one.
TEST(Fenetre, TheTimeFormatDialogShowsItsChoiceAndCancels) {
    const struct {
        int stocke; // the choice before opening (-1: none stored)
        int coche;  // what the dialog shows ticked when it opens
        bool ok;    // OK, or Annuler, after ticking the third format
        int apres;  // the choice once closed
    } cas[] = {{1, 1, false, 1}, {-1, 0, false, -1}, {0, 0, true, 2}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.stocke);
        AppFixture f;
        TDLG_option_heure& d = f.app->DLG_option_heure();
        ModeleNommage& modele = f.app->MainForm().modele();
        modele.modifier([&](OptionsNommage& o) { o.formatHeure = c.stocke; });
        int vu = -2;
        QTimer::singleShot(0, &d, [&] {
            vu = d.RGA_type_heure->itemIndex();
            d.RGA_type_heure->setItemIndex(2);
            (c.ok ? d.BT_ok : d.BT_annuler)->click();
        });
        f.app->MainForm().panneau().ouvrirHeure();
        EXPECT_EQ(vu, c.coche);
        EXPECT_EQ(modele.options().formatHeure, c.apres);
    }
}
