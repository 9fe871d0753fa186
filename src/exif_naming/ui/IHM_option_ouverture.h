// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Options ouverture": how apertures are written in EXIF names (F2,8 or F2.8), which
// also sets the decimal mark of focal lengths; stored as FORMATS/OUVERTURE.
#include "platform/ui/LiensPrincipal.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace varlime {

class RadioGroup;

class TDLG_option_ouverture : public QDialog {
    Q_OBJECT
public:
    explicit TDLG_option_ouverture(QWidget* parent = nullptr);

    // Shows the window modally, then stores the chosen index.
    // Opens with the current choice ticked; Annuler leaves it as it was.
    void Gerer();
    int index() const;
    QString Retourne_ouverture_formatee(double valeur) const;
    // Stored value: "ERREUR" keeps the choice; false when the text is no integer.
    bool Positionne_option_ouverture(const QString& texte);

    LiensPrincipal liens;

    RadioGroup* RGA_affichage_ouverture;
    QLabel* LBL_note;
    QPushButton* BT_ok;
    QPushButton* BT_annuler;
};

} // namespace varlime
