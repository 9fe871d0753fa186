// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Options exposition": how exposure times are written in EXIF names (1_50_eme or
// 1_50_ème); stored as FORMATS/EXPOSITION.
#include "core/renameEngine.h"

#include <QDialog>
#include <optional>
#include <string>

class QPushButton;

namespace varlime {

class RadioGroup;

class TDLG_option_exposition : public QDialog {
    Q_OBJECT
public:
    explicit TDLG_option_exposition(QWidget* parent = nullptr);

    // Shows the exposure format of `options` ticked (the first one when none is
    // chosen); OK gives back `options` with the format ticked and its suffix, Annuler
    // nothing.
    std::optional<OptionsNommage> Gerer(OptionsNommage options);
    // What follows "1_N" in names for the format `index`, read from its item as the
    // active language writes it ("_eme", "_ème", "th" in English); the first item's for
    // an index that names none.
    std::string suffixe(int index) const;

    RadioGroup* RGA_affichage_exposition;
    QPushButton* BT_ok;
    QPushButton* BT_annuler;
};

} // namespace varlime
