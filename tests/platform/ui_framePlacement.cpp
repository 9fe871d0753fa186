// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/FramePlacement.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace varlime;

namespace {

struct CasCentre {
    const char* nom;
    QRect cadreParent;
    QSize interieur;
    QMargins marges;
    QPoint attendu;
};

TEST(FramePlacement, FrameCornerCentresTheFrameOverTheParent) {
    const CasCentre cas[] = {
        {"no frame", QRect(0, 0, 1000, 650), QSize(400, 150), QMargins(), QPoint(300, 250)},
        // A 27-pixel title bar and 1-pixel borders count in the box's height and width.
        {"title bar", QRect(100, 50, 1000, 650), QSize(400, 150), QMargins(1, 27, 1, 1),
         QPoint(399, 286)},
        {"box wider than the window", QRect(10, 10, 300, 200), QSize(500, 100),
         QMargins(2, 20, 2, 2), QPoint(-92, 49)},
        {"odd sizes", QRect(-5, 7, 101, 51), QSize(10, 10), QMargins(0, 1, 0, 0), QPoint(40, 27)},
    };
    for (const CasCentre& c : cas) {
        const QPoint coin = coinCentre(c.cadreParent, c.interieur, c.marges);
        EXPECT_EQ(coin, c.attendu) << c.nom;
        // The frame's centre is the parent's, to the pixel of rounding.
        const QRect cadre(coin, c.interieur.grownBy(c.marges));
        EXPECT_LE(std::abs(cadre.center().x() - c.cadreParent.center().x()), 1) << c.nom;
        EXPECT_LE(std::abs(cadre.center().y() - c.cadreParent.center().y()), 1) << c.nom;
    }
}

} // namespace
