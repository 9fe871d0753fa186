// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rename masks: a prefix field starting with "[" keeps parts of each old name
// instead of replacing it. Four kinds, recognised in this order:
//   1 keep digits          [PREFIX&N]        prefix + the digits ending the name
//   2 search and replace   [{SEARCH}{REPL}]  every SEARCH replaced by REPL
//   3 prefix and suffix    [PREFIX*SUFFIX]   prefix + name + suffix
//   4 counter removal      [-N]              the name without its ending digits
// The mask is parsed again for every row; it has no state beyond the field text.
#include <string>
#include <string_view>

namespace varlime {

enum TypeMasque : int {
    kPasDeMasque = 0,
    kMasqueCompteur = 1,
    kMasqueChercherRemplacer = 2,
    kMasquePrefixeSuffixe = 3,
    kMasqueSuppressionCompteur = 4,
};

// The texts a mask of kind 2 or 3 carries.
struct PartiesMasque {
    std::string chercher;
    std::string remplacement;
    std::string prefixe;
    std::string suffixe;
};

// True when the field is a mask: not empty and starting with "[".
bool Utilise_masque(std::string_view champ);
// The kind, 0 to 4, of the field's text (0 when it is no mask or matches no kind).
TypeMasque Type_masque(std::string_view champ);

// Recognisers of kinds 2, 3 and 4; the first two fill `parties`.
bool Est_masque_chercher_remplacer(std::string_view champ, PartiesMasque& parties);
bool Est_masque_prefixe_suffixe(std::string_view champ, PartiesMasque& parties);
bool Est_masque_suppression_compteur(std::string_view champ);

// The digits ending `nom` (empty when it does not end with one).
std::string Masque_extrait_compteur(std::string_view nom);
// The kind-1 prefix: the characters after "[" up to the first "&".
std::string Masque_extrait_prefixe_compteur(std::string_view champ);

struct ResultatMasque {
    // The name part for the row, without counter or extension; empty when no mask
    // applies or the mask yields nothing (the preview then uses the field as text).
    std::string nom;
    TypeMasque type = kPasDeMasque;
    // Kinds 2 to 4 let the user switch the counter off (CKB_compteur_inactif).
    bool compteurInactifVisible = false;
};

// Applies the field's mask to the old file name `ancien` (extension included). In
// EXIF naming the keep-digits mask carries no prefix of its own.
ResultatMasque Exploiter_masque(std::string_view ancien, std::string_view champ,
                                bool modeExif = false);

} // namespace varlime
