// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The about box: product, version and links.
#include <QDialog>

class QLabel;
class QPushButton;

namespace varlime {

class LibGfl;
class ServicesFenetre;

class TDLG_a_propos : public QDialog {
    Q_OBJECT
public:
    TDLG_a_propos(ServicesFenetre& app, LibGfl& bibliotheque, QWidget* parent);
    void Gerer();
    // Fills LBL_bibliotheque_image: loaded and from which file, or why not.
    void Decrire_bibliotheque_image();
    // The version text shown in the main window's title and here.
    static QString version();

    QLabel* LBL_produit;
    QLabel* LBL_version;
    QLabel* LBL_lien;
    QLabel* LBL_bibliotheque_image;
    QPushButton* BT_ok;

private:
    ServicesFenetre& app_;
    LibGfl& bibliotheque_;
};

} // namespace varlime
