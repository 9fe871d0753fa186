// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/ui/IHM_info_touche.h"

#include "platform/ui/FramePlacement.h"

#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace varlime {

TDLG_info_touche::TDLG_info_touche(QWidget* parent)
    : QDialog(parent,
              // Above the viewer it explains even when that one is raised after it;
              // it goes at the first key.
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("DLG_info_touche"));
    setWindowTitle(QStringLiteral("Utilisation image"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QVBoxLayout(this);
    LBL_defilement = new QLabel(QStringLiteral("Défilement des images : Touches fléchées "), this);
    LBL_defilement->setObjectName(QStringLiteral("LBL_defilement"));
    LBL_suppression = new QLabel(QStringLiteral("Suppression d'une image : Touche Suppr "), this);
    LBL_suppression->setObjectName(QStringLiteral("LBL_suppression"));
    for (QLabel* l : {LBL_defilement, LBL_suppression}) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        layout->addWidget(l);
    }
}

void TDLG_info_touche::Afficher(const QWidget& viewer, QPoint coin) {
    adjustSize();
    // Its frame's bottom on the viewer's frame's top, both as the window manager draws
    // them. With no room above the viewer, right below it; with no room there either,
    // over the picture's top left corner: never over the viewer's title bar, which the
    // user drags the viewer by.
    const QMargins m = margesCadre(*this, {&viewer, viewer.parentWidget()});
    const QMargins mv = margesCadre(viewer, {viewer.parentWidget()});
    const int hauteurCadre = height() + m.top() + m.bottom();
    const int basViewer = coin.y() + mv.top() + viewer.height() + mv.bottom();
    const QScreen* ecran = viewer.screen();
    const int basEcran = ecran ? ecran->availableGeometry().bottom() + 1 : basViewer + hauteurCadre;
    int haut = coin.y() - hauteurCadre;
    if (haut < 0)
        haut = basViewer + hauteurCadre <= basEcran ? basViewer : coin.y() + mv.top();
    setGeometry(QRect(QPoint(coin.x() + m.left(), haut + m.top()), size()));
    show();
}

void TDLG_info_touche::Effacer() {
    close();
}

} // namespace varlime
