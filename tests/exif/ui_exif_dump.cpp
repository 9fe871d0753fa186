// SPDX-License-Identifier: GPL-3.0-or-later
// The EXIF dump window shows exactly the dump lines of the file, names it in its
// status bar and keeps the controls' names.
#include "exif/dEXIF.h"
#include "exif/exifDump.h"
#include "exif/ui/IHM_exif_dump.h"
#include "support/test_support.h"

#include <QPlainTextEdit>
#include <QStatusBar>
#include <gtest/gtest.h>

using namespace varlime;

namespace {
QStringList expectedLines(const std::string& path) {
    TimgData other;
    QStringList out;
    for (const auto& l : DumpExifFile(other, path))
        out << QString::fromStdString(l);
    return out;
}
} // namespace

TEST(ExifDumpWindow, ShowsTheDumpOfTheGridFile) {
    TimgData reader;
    const QString folder = QString::fromStdString(test::photosDir());
    TDLG_exif_dump dlg(
        reader, [&] { return folder; }, nullptr);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Informations Exif"));
    EXPECT_EQ(dlg.size(), QSize(424, 592));
    EXPECT_EQ(dlg.findChild<QPlainTextEdit*>(QStringLiteral("Memo1")), dlg.Memo1);
    EXPECT_EQ(dlg.findChild<QStatusBar*>(QStringLiteral("StatusBar1")), dlg.StatusBar1);
    EXPECT_TRUE(dlg.Memo1->isReadOnly());

    dlg.Liste_info_exif_centree(QStringLiteral("Canon_40D.jpg"));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.isModal());
    EXPECT_EQ(dlg.StatusBar1->currentMessage(),
              QStringLiteral("Information EXIF pour ") + folder + QStringLiteral("Canon_40D.jpg"));
    const QStringList shown = dlg.Memo1->toPlainText().split(QLatin1Char('\n'));
    EXPECT_EQ(shown, expectedLines(test::photosDir() + "Canon_40D.jpg"));
    EXPECT_EQ(shown.value(2), QStringLiteral("ErrStr = <none>"));
    EXPECT_TRUE(shown.contains(QStringLiteral("FNumber = F7.1")));
    EXPECT_EQ(reader.LoadedFileName, test::photosDir() + "Canon_40D.jpg");

    // The next file replaces the content.
    dlg.Liste_info_exif_positionnee(QStringLiteral("missing.jpg"));
    EXPECT_EQ(dlg.Memo1->toPlainText(),
              QStringLiteral(" \n-- EXIF-Data -------------- \nErrStr = "));
    EXPECT_EQ(dlg.x(), 0);
}
