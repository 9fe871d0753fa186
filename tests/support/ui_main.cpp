// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of the window tests: one QApplication (offscreen) for all cases.
#include <QApplication>
#include <QThreadPool>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int resultat = RUN_ALL_TESTS();
    // Qt converts and scales large pictures on its global thread pool: its idle threads
    // are joined here, while the application still stands, so that none is ending while
    // the process exits and the leak check runs.
    QThreadPool::globalInstance()->waitForDone();
    return resultat;
}
