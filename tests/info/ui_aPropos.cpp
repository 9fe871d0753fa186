// SPDX-License-Identifier: GPL-3.0-or-later
// The about box tells, as soon as it opens, whether the imaging library is loaded and
// from which file, or why it is not.
#include "imaging/LibGfl.h"
#include "info/ui/IHM_a_propos.h"
#include "support/ui_support.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace varlime;
using namespace varlime::test;

namespace {

TEST(APropos, TellsWhereTheImagingLibraryComesFromOrWhyNot) {
    struct Cas {
        const char* nom;
        std::vector<std::string> chemins;
        QString texte;
    };
    const std::string gfl = VARLIME_GFL_FILE;
    const Cas cas[] = {
        {"loaded when the box opens",
         {"/nowhere/libgfl201.so", gfl},
         "Bibliothèque d'images chargée\nFichier : " + QString::fromStdString(gfl)},
        {"missing file",
         {"/nowhere/libgfl201.so"},
         "Bibliothèque d'images non chargée\n/nowhere/libgfl201.so: cannot open shared object "
         "file: No such file or directory"},
        {"another library",
         {"libc.so.6"},
         "Bibliothèque d'images non chargée\nlibc.so.6: not the imaging library (an entry point "
         "is missing)"},
        {"turned off",
         {},
         "Bibliothèque d'images non chargée\nAucun emplacement à essayer (VARLIME_GFL=off)"},
    };
    for (const Cas& c : cas) {
        AppFixture f;
        f.app->bibliothequeImage().choisirChemins(c.chemins);
        TDLG_a_propos& box = f.app->DLG_a_propos();
        box.Decrire_bibliotheque_image();
        EXPECT_EQ(box.LBL_bibliotheque_image->text(), c.texte) << c.nom;
        EXPECT_EQ(f.app->bibliothequeImage().DLL_LibGfl_charge(), c.chemins.size() == 2) << c.nom;
    }
}

// Gerer itself describes the library before the box shows.
TEST(APropos, GererDescribesTheLibrary) {
    AppFixture f;
    f.app->bibliothequeImage().choisirChemins({VARLIME_GFL_FILE});
    QString vu;
    whenModal([&vu](QWidget* w) {
        vu = w->findChild<QLabel*>(QStringLiteral("LBL_bibliotheque_image"))->text();
        w->close();
    });
    f.app->DLG_a_propos().Gerer();
    EXPECT_TRUE(vu.startsWith(QStringLiteral("Bibliothèque d'images chargée\nFichier : /")))
        << vu.toStdString();
}

} // namespace
