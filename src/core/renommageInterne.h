// SPDX-License-Identifier: GPL-3.0-or-later
// What the rename run and its undo share inside core/: the temporary names of changes of
// case, the folder's lock and the answer when no journal can be written.
#pragma once

#include "core/identiteDossier.h"
#include "core/renameEngine.h"

#include <optional>
#include <string>
#include <string_view>

namespace varlime {

// Whether a name is one of the temporary names a change of case goes through.
bool estNomTemporaireCasse(std::string_view nom);

// The result of a run refused because its journal could not be written.
BilanRenommage refusSansJournal(const std::string& journaux, int erreur);

// Takes the folder's lock for a run; what to answer when it cannot be taken.
std::optional<BilanRenommage> prendreVerrou(VerrouDossier& verrou, const std::string& journaux,
                                            const IdentiteDossier& id);

} // namespace varlime
