// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Options heure": the format of times in EXIF names, stored as FORMATS/HEURE.
#include "platform/ui/LiensPrincipal.h"

#include <QDialog>
#include <QTime>

class QPushButton;

namespace varlime {

class RadioGroup;

class TDLG_option_heure : public QDialog {
    Q_OBJECT
public:
    explicit TDLG_option_heure(QWidget* parent = nullptr);

    // Shows the dialog modally with the current choice ticked; OK stores the chosen
    // index, Annuler leaves the choice it opened with.
    void Gerer();
    // The time in the chosen format.
    QString Retourne_heure_formatee(const QTime& heure) const;
    int formatHeure() const;
    // Stored value: "ERREUR" keeps the current choice; false when the text is no
    // integer (the read pass then shows the conversion error and stops).
    bool Positionne_option_heure(const QString& texte);

    LiensPrincipal liens;

    RadioGroup* RGA_type_heure;
    QPushButton* BT_ok;
    QPushButton* BT_annuler;
};

} // namespace varlime
