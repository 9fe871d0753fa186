// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Utilisation des masques": helps the user build one of the four rename masks and
// puts it into the main window's prefix field.
#include "core/messageFormat.h"
#include "platform/ui/LiensPrincipal.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace varlime {

class MessageService;
class TDLG_option_date;
class RadioGroup;

class TDLG_masque : public QDialog {
    Q_OBJECT
public:
    TDLG_masque(TextLookup texte, MessageService& messages, TDLG_option_date& date,
                QWidget* parent = nullptr);

    // Offers to leave another mode first, shows the dialog modally, then lists the
    // folder again.
    void Gerer();

    // The mask an item stands for: its caption up to the first "]", "&&" read as
    // one "&", and a closing "]".
    static QString Masque_item(const QString& caption);

    LiensPrincipal liens;

    QPlainTextEdit* Memo1;
    RadioGroup* RGA_masque;
    QLineEdit* EDT_masque;
    QLabel* LBL_masque;
    QLabel* LBL_info;
    QPushButton* BT_ok;
    QPushButton* BT_annuler;
    QPushButton* BT_aide;

private:
    void RGA_masqueClick(int item);
    void BT_okClick();
    void BT_annulerClick();
    void BT_aideClick();
    QString message(const char* cle, const char* defaut) const;

    TextLookup texte_;
    MessageService& messages_;
    TDLG_option_date& date_;
};

} // namespace varlime
