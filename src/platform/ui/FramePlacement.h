// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Placing a window by the outer corner of its frame. Before a window is first shown, and
// for a moment after, its frame (title bar, borders) is not known, and Qt then takes a
// corner given for the frame as the inside's, so the window lands a title bar off. The
// first of the given windows whose frame is known lends its own until then.
#include <QMargins>
#include <QRect>
#include <QWidget>
#include <initializer_list>

namespace varlime {

inline QMargins margesCadre(const QWidget& w) {
    const QRect f = w.frameGeometry(), g = w.geometry();
    return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom()};
}

inline QMargins margesCadre(const QWidget& w, std::initializer_list<const QWidget*> modeles) {
    QMargins m = margesCadre(w);
    for (const QWidget* modele : modeles)
        if (m.isNull() && modele)
            m = margesCadre(*modele);
    return m;
}

inline void placerParCadre(QWidget& w, QPoint coin, QSize interieur,
                           std::initializer_list<const QWidget*> modeles) {
    const QMargins m = margesCadre(w, modeles);
    w.setGeometry(QRect(coin + QPoint(m.left(), m.top()), interieur));
}

// Where the outer corner of a window's frame goes for the window to sit centred over
// another's frame: its own frame is its inside plus the margins.
inline QPoint coinCentre(const QRect& cadreParent, QSize interieur, const QMargins& marges) {
    const QSize cadre = interieur.grownBy(marges);
    return cadreParent.topLeft() + QPoint((cadreParent.width() - cadre.width()) / 2,
                                          (cadreParent.height() - cadre.height()) / 2);
}

} // namespace varlime
