// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Options heure": the format of times in EXIF names, stored as FORMATS/HEURE.
#include "core/renameEngine.h"

#include <QDialog>
#include <optional>

class QPushButton;

namespace varlime {

class RadioGroup;

class TDLG_option_heure : public QDialog {
    Q_OBJECT
public:
    explicit TDLG_option_heure(QWidget* parent = nullptr);

    // Shows the time format of `options` ticked (the first one when none is chosen);
    // OK gives back `options` with the format ticked, Annuler nothing.
    std::optional<OptionsNommage> Gerer(OptionsNommage options);

    RadioGroup* RGA_type_heure;
    QPushButton* BT_ok;
    QPushButton* BT_annuler;
};

} // namespace varlime
