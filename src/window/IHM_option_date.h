// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Options date": the date prefix (a fixed date or each file's own date), the date
// format also used in EXIF names (stored as FORMATS/DATE) and the final separator.
#include "core/messageFormat.h"
#include "core/renameEngine.h"

#include <QDate>
#include <QDialog>
#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;

namespace varlime {

class RadioGroup;

class TDLG_option_date : public QDialog {
    Q_OBJECT
public:
    explicit TDLG_option_date(TextLookup texte, QWidget* parent = nullptr);

    // prefixe: opened to set the date prefix (menu, prefix chooser); false when it is
    // opened only to pick the date format. Shows `options`; OK gives them back with the
    // dialog's choices (the date prefix turned into the prefix text, or each file's own
    // date), Annuler nothing.
    std::optional<OptionsNommage> Gerer(bool prefixe, OptionsNommage options);

    QCheckBox* CKB_date;
    RadioGroup* RGA_select_source_date;
    QDateEdit* EDT_date;
    RadioGroup* RGA_type_date;
    QCheckBox* CKB_separateur;
    QComboBox* CBB_separateur_final;
    QPushButton* BT_ok;
    QPushButton* BT_annuler;

protected:
    // A digit typed into the fixed date replaces the part (day, month, year) the cursor
    // stands in, wherever in it the cursor is.
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    void CKB_dateClick();
    void montrerControlesPrefixe(bool visible);
    // The OK path: the choices into the copy, then closes.
    void BT_okClick();

    TextLookup texte_;
    // Opened for the date prefix (true) or only to choose the date's form for EXIF names.
    bool formePrefixe_ = true;
    // The options being edited, handed back on OK.
    OptionsNommage copie_;
};

} // namespace varlime
