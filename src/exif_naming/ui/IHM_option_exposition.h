// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Options exposition": how exposure times are written in EXIF names (1_50_eme or
// 1_50_ème); stored as FORMATS/EXPOSITION.
#include "platform/ui/LiensPrincipal.h"

#include <QDialog>
#include <string>

class QPushButton;

namespace varlime {

class RadioGroup;

class TDLG_option_exposition : public QDialog {
    Q_OBJECT
public:
    explicit TDLG_option_exposition(QWidget* parent = nullptr);

    // Shows the window modally, then stores the chosen index.
    // Opens with the current choice ticked; Annuler leaves it as it was.
    void Gerer();
    int index() const;
    QString Retourne_exposition_formatee(double secondes) const;
    // What follows "1_N" in names, read from the chosen item as the active language
    // writes it ("_eme", "_ème", "th" in English).
    std::string suffixe() const;
    // Stored value: "ERREUR" keeps the choice; false when the text is no integer.
    bool Positionne_option_exposition(const QString& texte);

    LiensPrincipal liens;

    RadioGroup* RGA_affichage_exposition;
    QPushButton* BT_ok;
    QPushButton* BT_annuler;
};

} // namespace varlime
