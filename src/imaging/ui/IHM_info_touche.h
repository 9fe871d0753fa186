// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Utilisation image": a small window just above the viewer telling its keys.
#include <QDialog>

class QLabel;

namespace varlime {

class TDLG_info_touche : public QDialog {
    Q_OBJECT
public:
    explicit TDLG_info_touche(QWidget* parent);
    // Bottom edge on the viewer's top edge, same left edge; shown without focus so
    // the viewer keeps the keys.
    // `coin`: the viewer's frame's top left corner, where the viewer is being placed (a
    // window just moved may not report it yet).
    void Afficher(const QWidget& viewer, QPoint coin);
    void Effacer();

    QLabel* LBL_defilement;
    QLabel* LBL_suppression;
};

} // namespace varlime
