// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rename-mask module: reads the mask from the main window's prefix field for
// every row, applies it to the row's old name and shows or hides the "inactive
// counter" box that the kinds 2 to 4 offer.
#include "core/maskEngine.h"

#include <QString>
#include <functional>
#include <string>

namespace varlime {

class TDB_masque {
public:
    // Text of the prefix field (TMainForm::Masque).
    std::function<QString()> masque;
    // Shows or hides the main window's CKB_compteur_inactif.
    std::function<void(bool)> compteurInactifVisible;
    // EXIF naming on: the keep-digits mask then carries no prefix.
    std::function<bool()> modeExif;

    bool Utilise_masque() const;
    TypeMasque Type_masque() const;
    // The masked name part for the old name, or empty; also shows or hides the box.
    QString Exploiter_masque(const QString& ancien) const;
    // The same for a name held as raw bytes.
    std::string Exploiter_masque(const std::string& ancien) const;

private:
    std::string champ() const;
};

} // namespace varlime
