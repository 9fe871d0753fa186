// SPDX-License-Identifier: GPL-3.0-or-later
// The application's windows go once each when it ends: every dialog before the main
// window, the transfer dialog first, the others newest first, and no window is left.
#include "support/ui_support.h"
#include "window/Main.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

using namespace varlime;
using namespace varlime::test;

TEST(Fenetres, EachWindowIsDestroyedOnceBeforeTheMainWindowNewestFirst) {
    static const char* const kDialogues[] = {"DLG_option_date",
                                             "DLG_type_fichier",
                                             "DLG_option_compteur",
                                             "DLG_a_propos",
                                             "DLG_rapport",
                                             "DLG_option_heure",
                                             "DLG_option_prefixe",
                                             "DLG_masque",
                                             "DLG_selection_repertoire",
                                             "DLG_exif_dump",
                                             "DLG_vignette",
                                             "DLG_info_touche",
                                             "DLG_rep_xp",
                                             "DLG_option_ouverture",
                                             "DLG_option_exposition",
                                             "DLG_exif_option_affichage",
                                             "DLG_exif_info",
                                             "DLG_canon",
                                             "DLG_essai",
                                             "DLG_information",
                                             "DLG_langue",
                                             "DLG_info_avancement",
                                             "DLG_transfert",
                                             "DLG_association_fichier"};
    const QSet<QWidget*> avant = [] {
        const QWidgetList l = QApplication::allWidgets();
        return QSet<QWidget*>(l.begin(), l.end());
    }();
    std::vector<QString> ordre;
    std::map<QString, int> fois;
    std::vector<QString> creation; // the main window's own windows, oldest first
    {
        auto f = std::make_unique<AppFixture>();
        TMainForm& m = f->app->MainForm();
        for (QObject* o : m.children())
            if (auto* w = qobject_cast<QDialog*>(o))
                creation.push_back(w->objectName());
        for (QDialog* w : m.findChildren<QDialog*>()) {
            const QString nom = w->objectName();
            QObject::connect(w, &QObject::destroyed, [&ordre, &fois, nom] {
                ordre.push_back(nom);
                ++fois[nom];
            });
        }
        QObject::connect(&m, &QObject::destroyed, [&ordre] { ordre.push_back("MainForm"); });
        f.reset();
    }
    for (const char* nom : kDialogues)
        EXPECT_EQ(fois[nom], 1) << nom;
    ASSERT_FALSE(ordre.empty());
    EXPECT_EQ(ordre.back(), "MainForm");
    EXPECT_EQ(ordre.front(), "DLG_transfert");
    // The main window's own windows after the transfer dialog: newest first. The key
    // help goes with the viewer that owns it, right after it.
    std::vector<std::string> attendu;
    for (auto it = creation.rbegin(); it != creation.rend(); ++it) {
        if (*it == "DLG_transfert")
            continue;
        attendu.push_back(it->toStdString());
        if (*it == "DLG_vignette")
            attendu.push_back("DLG_info_touche");
    }
    std::vector<std::string> suite;
    for (auto it = ordre.begin() + 1; it != ordre.end() - 1; ++it)
        suite.push_back(it->toStdString());
    EXPECT_EQ(suite, attendu);
    for (QWidget* w : QApplication::allWidgets())
        EXPECT_TRUE(avant.contains(w)) << w->objectName().toStdString();
}
