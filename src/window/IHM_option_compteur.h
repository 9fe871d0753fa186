// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Counter options: numeric or alphabetic, right or left of the name, initial value
// (kept equal to the main window's copy of it).
#include <QDialog>

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

    void Gerer();
    // True for the alphabetic counter.
    bool Type_compteur() const;
    // True when the counter stands right of the name.
    bool Position() const;
    void Positionne(int droite);
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
    // The options as the dialog opened with them, for Escape.
    int type_ = 0;
    int position_ = 0;
    QString initialisation_ = QStringLiteral("1");
    FenetresPrincipal& app_;
    bool synchronising_ = false;
};

} // namespace varlime
