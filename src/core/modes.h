// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The operating mode, summed up from the naming options of several dialogs, and the
// text the status line shows for it. The mode is never stored: it is computed again
// whenever it is needed.
#include "core/messageFormat.h"

#include <string>
#include <string_view>

namespace varlime {

enum class Mode : int {
    Normal = 0,
    Exif = 1,
    RawCanon = 2,
    Masque = 3,
    DateCreation = 4,
    Association = 5,
};

// The options the mode depends on.
struct EntreesStatut {
    bool exif = false;             // EXIF naming on
    bool rawCanon = false;         // Canon RAW handling on
    bool association = false;      // file association on
    std::string_view champPrefixe; // text of the prefix field
    bool datePrefixe = false;      // date prefix on
    bool dateFichier = false;      // its source is each file's own date
};

// EXIF naming first (association before Canon RAW), then a mask (any field starting
// with "[", valid or not), then the date from file. A fixed date is normal mode.
Mode Retourner_statut(const EntreesStatut& e);

// Key and built-in text of a mode's name.
std::string_view cleStatut(Mode m);
std::string_view texteStatutDefaut(Mode m);

// The mode's name as the status line shows it; the association mode adds its two
// extensions in capitals: "... AVI et THM (EXIF)".
std::string Texte_statut(Mode m, const TextLookup& texte, std::string_view extension1 = {},
                         std::string_view extension2 = {});
// The mode's name alone, as the question about leaving a mode quotes it.
std::string Nom_statut(Mode m, const TextLookup& texte);

// True when a dialog whose own mode is `propre` must first offer to leave the last
// shown mode: that mode is neither normal nor the dialog's own.
bool Doit_proposer_sortie(Mode dernier, Mode propre);

} // namespace varlime
