// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ui_support.h"
#include "transfer/ui/IHM_selection_repertoire.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <gtest/gtest.h>

using namespace varlime;
using namespace varlime::test;

namespace {

QStringList items(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

TEST(OlderPicker, SettingTheFolderMakesItCurrentAndListsItsFolders) {
    AppFixture f;
    TempDir dir;
    dir.write("Vacances/a.jpg");
    dir.write("anniversaire/b.jpg");
    dir.write("file.txt");
    TDLG_selection_repertoire& d = f.app->DLG_selection_repertoire();
    const QString before = QDir::currentPath();
    ASSERT_TRUE(d.definirRepertoire(q(dir.path())));
    EXPECT_EQ(QDir::currentPath(), QDir(q(dir.path())).canonicalPath());
    EXPECT_EQ(items(d.DLB_Rep), (QStringList{QStringLiteral(".."), QStringLiteral("anniversaire"),
                                             QStringLiteral("Vacances")}));
    EXPECT_EQ(d.LB_rep->text() + u'/', q(dir.path()));
    // The volume list shows the volume that holds the folder.
    EXPECT_TRUE(q(dir.path()).startsWith(d.DCB_lecteur->currentData().toString()));

    d.DLB_Rep->setCurrentRow(2);
    d.DLB_RepClick();
    EXPECT_EQ(QDir::currentPath(), QDir(q(dir.path() + "Vacances")).canonicalPath());
    EXPECT_EQ(items(d.DLB_Rep), QStringList{QStringLiteral("..")});
    d.DLB_Rep->setCurrentRow(0);
    d.DLB_RepClick();
    EXPECT_EQ(QDir::currentPath(), QDir(q(dir.path())).canonicalPath());
    EXPECT_TRUE(f.messages.shown.empty());
    QDir::setCurrent(before);
}

TEST(OlderPicker, MissingFolderIsAnErrorAndChangesNothing) {
    AppFixture f;
    TDLG_selection_repertoire& d = f.app->DLG_selection_repertoire();
    const QString before = QDir::currentPath();
    EXPECT_FALSE(d.definirRepertoire(QStringLiteral("/no/such/folder")));
    ASSERT_EQ(f.messages.shown.size(), 1u);
    EXPECT_EQ(f.messages.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(f.messages.shown[0].text.contains(QStringLiteral("/no/such/folder")));
    EXPECT_EQ(QDir::currentPath(), before);
}

} // namespace
