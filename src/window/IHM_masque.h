// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Utilisation des masques": helps the user build one of the four rename masks and
// hands it back as the prefix of the options it was given.
#include "core/messageFormat.h"
#include "core/renameEngine.h"

#include <QDialog>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace varlime {

class MessageService;
class RadioGroup;

class TDLG_masque : public QDialog {
    Q_OBJECT
public:
    TDLG_masque(TextLookup texte, MessageService& messages, QWidget* parent = nullptr);

    // Shows the dialog modally. OK gives back `options` with the mask as prefix (the
    // date prefix off, and the counter off for the masks that may go without one),
    // Annuler nothing.
    std::optional<OptionsNommage> Gerer(OptionsNommage options);

    // The mask an item stands for: its caption up to the first "]", "&&" read as
    // one "&", and a closing "]".
    static QString Masque_item(const QString& caption);

    // Opens the help page of masks.
    std::function<void()> ouvrirAide;

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
    // The options being edited, handed back on OK.
    OptionsNommage copie_;
};

} // namespace varlime
