// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Options ouverture": how apertures are written in EXIF names (F2,8 or F2.8), which
// also sets the decimal mark of focal lengths; stored as FORMATS/OUVERTURE.
#include "core/renameEngine.h"

#include <QDialog>
#include <optional>

class QLabel;
class QPushButton;

namespace varlime {

class RadioGroup;

class TDLG_option_ouverture : public QDialog {
    Q_OBJECT
public:
    explicit TDLG_option_ouverture(QWidget* parent = nullptr);

    // Shows the aperture format of `options` ticked (the first one when none is
    // chosen); OK gives back `options` with the format ticked, Annuler nothing.
    std::optional<OptionsNommage> Gerer(OptionsNommage options);

    RadioGroup* RGA_affichage_ouverture;
    QLabel* LBL_note;
    QPushButton* BT_ok;
    QPushButton* BT_annuler;
};

} // namespace varlime
