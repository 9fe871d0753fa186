#pragma once
// The file association data module: whether the mode is on, its listing filter and
// which row names a companion row, from the options the two companion dialogs hold.
#include "core/renameEngine.h"

#include <string>

namespace varlime {

class Application;

class TDB_association_fichier {
public:
    explicit TDB_association_fichier(Application& app);
    bool Traite_association_fichier() const;
    bool Traiter_association(const std::string& nom, int& decalage) const;
    // Both companion modes as the dialogs' controls hold them.
    OptionsCompagnons options() const;

private:
    Application& app_;
};

// Hands the utility module what it asks of the companion modes: whether each is on,
// the association's extensions, and how each is left.
void relierCompagnons(Application& app);

} // namespace varlime
