// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small text helpers shared by the whole program: name parts, counters, the
// not-renamed marker. Texts are UTF-8; counts and positions are in characters.
#include "core/messageFormat.h"

#include <string>
#include <string_view>

namespace varlime {

// A new name starting with this marker is listed but never renamed.
inline constexpr std::string_view kMarqueurNonVarlime = "NON VARLIMÉ";
// What the EXIF composer writes for a file without EXIF data; painted red in the grid.
inline constexpr std::string_view kNonVarlimeSansExif = "NON VARLIMÉ (Pas d'en-tête Exif)";
// What the EXIF composer writes for a file without any capture date when the date or
// the time is part of the name: such a file is never named with another day's date.
inline constexpr std::string_view kNonVarlimeSansDate = "NON VARLIMÉ (Pas de date)";
// What a row gets in EXIF naming while its file is not read yet (a reading cancelled):
// shown, never renamed, until the file is read.
inline constexpr std::string_view kNonVarlimeNonLu = "NON VARLIMÉ (Non lu)";
// What a companion row gets when the file whose EXIF data should name it is missing.
inline constexpr std::string_view kNonVarlimeSansCompagnon =
    "NON VARLIMÉ (Pas de fichier compagnon)";

// Number of characters (code points) of a UTF-8 text; a stray byte counts as one.
std::size_t utf8Length(std::string_view s);
// Byte offset of character number `index` (0-based), or s.size() past the end.
std::size_t utf8Offset(std::string_view s, std::size_t index);

std::string Prefixe(std::string_view s);
std::string Extension(std::string_view s);
std::string Copie_droite(std::string_view s, long long n);
std::string Copie_gauche(std::string_view s, long long n);
bool Est_numerique(char c);
bool Chaine_fini_numerique(std::string_view s);
std::string Extrait_debut_numerique(std::string_view s);
std::string Nettoyer_chaine(std::string_view s);
std::string Retourne_repertoire_slash(std::string_view s);
bool Remplacement_indique_pas_varlime(std::string_view s);

// The counter widths the width field offers; any other width is brought into this range.
inline constexpr int kLargeurCompteurMin = 1;
inline constexpr int kLargeurCompteurMax = 9;

// Counter text for the number valeur + 1: zero-padded decimal, or letters in
// bijective base 26 (A..Z, AA, ...) padded on the left with '_' to largeur
// (clamped to kLargeurCompteurMin..kLargeurCompteurMax).
std::string Maj_compteur(bool alphabetique, int largeur, long long valeur);
// The letters alone (1 -> A, 27 -> AA); n <= 0 gives A.
std::string lettresCompteur(long long n);

// The alphabetic reading of the counter's initial value shown beside it ("soit AA en
// alphabétique"), or the request for a whole number when the value or the width is none.
struct IndicationAlphabetique {
    bool valeurValide = false;
    std::string texte;
};
IndicationAlphabetique Indication_alphabetique(std::string_view initialisation,
                                               std::string_view largeur, const TextLookup& texte);

// Strict decimal integer as a user types it (optional sign, digits, surrounding
// blanks allowed); false for anything else or out of range of int.
bool toInteger(std::string_view s, int& out);

} // namespace varlime
