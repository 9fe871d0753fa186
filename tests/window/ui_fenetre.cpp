// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a user types into it: a number field being retyped is an editing
// state, never an error box, and the last number it held goes on naming the files.
#include "support/ui_support.h"
#include "window/Main.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
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
