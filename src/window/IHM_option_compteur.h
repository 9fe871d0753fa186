// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Counter options: numeric or alphabetic, right or left of the name, initial value
// (kept equal to the main window's copy of it).
#include "core/renameEngine.h"

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace varlime {

class FenetresPrincipal;
class RadioGroup;

class TDLG_option_compteur : public QDialog {
    Q_OBJECT
public:
    TDLG_option_compteur(FenetresPrincipal& app, QWidget* parent);

    // Shows the counter's kind and place as `options` have them; OK gives `options` back
    // with the kind and place chosen, Escape nothing. The start value is the main
    // window's field, which this dialog's field follows and feeds while it holds a number.
    std::optional<OptionsNommage> Gerer(OptionsNommage options);
    // 1: the main window's field changed (or before showing); 0: this dialog's field changed.
    void Informe_init_alpha(int sens);

    RadioGroup* RGA_type_compteur;
    RadioGroup* RGA_position_compteur;
    QLabel* LBL_initialisation;
    QLineEdit* EDT_initialisation;
    QLabel* LBL_info_alpha;
    QPushButton* BT_ok;

    void BT_okClick();

protected:
    void reject() override;

private:
    // The start value as the dialog opened with it, for Escape.
    QString initialisation_ = QStringLiteral("1");
    FenetresPrincipal& app_;
    bool synchronising_ = false;
};

} // namespace varlime
