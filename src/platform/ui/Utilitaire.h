// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the dialogs ask of the utility module: the settings file, read and written
// one value at a time, and the operating mode of the naming.
#include "core/modes.h"
#include "platform/iniFile.h"

#include <string>

namespace varlime {

class Utilitaire {
public:
    // Writes one value of the settings file at once; false when refused (after the
    // message naming the file written, unless `signaler` is false).
    virtual bool Sauver_parametre(const std::string& section, const std::string& key,
                                  const std::string& value, bool signaler = true) = 0;
    // The settings file as this window sees it: what is on disk, with every value this
    // window wrote itself in place of what another program may have written since.
    virtual IniDocument Document_parametres() const = 0;
    // The operating mode as the options stand now.
    virtual Mode Retourner_statut() const = 0;
    // Before a dialog enters its own mode: when the last shown mode is another one
    // (not normal), asks "Voulez-vous sortir du ... ?" and leaves it on Yes. False
    // when the user answered No: the dialog is then not shown.
    virtual bool Proposer_sortie_mode(Mode propre) = 0;
    // Leaves the given mode.
    virtual void Desactiver_mode(Mode mode) = 0;

protected:
    ~Utilitaire() = default;
};

} // namespace varlime
