// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file association data module: whether the mode is on, its listing filter and
// which row names a companion row, from the options the two companion dialogs hold.
#include "core/renameEngine.h"

#include <string>

namespace varlime {

class TDLG_association_fichier;
class TDLG_canon;

class TDB_association_fichier {
public:
    TDB_association_fichier(const TDLG_canon& canon, const TDLG_association_fichier& dialogue);
    bool Traite_association_fichier() const;
    bool Traiter_association(const std::string& nom, int& decalage) const;
    // Both companion modes as the dialogs' controls hold them.
    OptionsCompagnons options() const;

private:
    const TDLG_canon& canon_;
    const TDLG_association_fichier& dialogue_;
};

} // namespace varlime
