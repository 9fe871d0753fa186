// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Sélectionnez des options pour les préfixes": a small chooser leading to the date
// dialog or to the mask dialog.
#include <QDialog>
#include <functional>

class QPushButton;

namespace varlime {

class TDLG_option_prefixe : public QDialog {
    Q_OBJECT
public:
    explicit TDLG_option_prefixe(QWidget* parent = nullptr);

    // Shows the chooser modally.
    void Gerer();

    // Open the date dialog for the date prefix, and the mask dialog; the chooser
    // closes after either.
    std::function<void()> ouvrirDate;
    std::function<void()> ouvrirMasque;

    QPushButton* BT_date;
    QPushButton* BT_masque;
    QPushButton* BT_ok;
    QPushButton* BT_annuler;
};

} // namespace varlime
