// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Options affichage informations EXIF": leads to the date, time, aperture and
// exposure formats used in EXIF names.
#include <QDialog>
#include <functional>

class QPushButton;

namespace varlime {

class TDLG_exif_option_affichage : public QDialog {
    Q_OBJECT
public:
    explicit TDLG_exif_option_affichage(QWidget* parent = nullptr);

    // Shows the window modally.
    void Gerer();

    // Open the four format dialogs (the date dialog in its EXIF form: format only).
    std::function<void()> ouvrirDate, ouvrirHeure, ouvrirOuverture, ouvrirExposition;

    QPushButton* BT_option_date;
    QPushButton* BT_option_heure;
    QPushButton* BT_option_ouverture;
    QPushButton* BT_option_exposition;
    QPushButton* BT_ok;
};

} // namespace varlime
