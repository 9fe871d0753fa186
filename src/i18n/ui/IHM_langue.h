// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The language dialog: French and every language file found, the active one
// selected; confirming stores the choice in lang.ini and switches the messages at
// once (windows already created keep their texts until the next start).
#include <QDialog>
#include <vector>

#include "i18n/uLocalization.h"

class QComboBox;
class QPushButton;

namespace varlime {

class ServicesFenetre;

class TDLG_langue : public QDialog {
    Q_OBJECT
public:
    TDLG_langue(ServicesFenetre& app, QWidget* parent);
    // Prepares the list, shows the dialog modally and applies the choice on Confirm.
    void Gerer();

    // Rebuilds the list into the drop-down and selects the active language.
    void Preparer();
    // The Confirm button's work: stores and activates the selected language and shows
    // its message. False when lang.ini could not be written (after the message).
    bool Confirmer();
    // The entries of the drop-down, in its order.
    const std::vector<TLangItem>& langues() const { return items_; }

    QComboBox* CBB_langue;
    QPushButton* BT_ok;
    QPushButton* BT_annuler;

private:
    ServicesFenetre& app_;
    std::vector<TLangItem> items_;
};

} // namespace varlime
