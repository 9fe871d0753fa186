// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hash lists an import leaves in each destination, for other tools and for a check
// years later: one ASC MHL v2.0 generation per import in ascmhl/, chained in
// ascmhl/ascmhl_chain.xml, and a plain list that `xxhsum -c` checks.
#include "transfer/copieVerifiee.h"

#include <QDateTime>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

// The XXH3-128 of a file's content, as 32 lower-case hex digits (the big-endian value,
// as xxhsum prints it); empty with `*erreur` (errno) set when it cannot be read whole.
std::string empreinteFichier(const std::string& chemin, int* erreur = nullptr);
// The hash of that form, read back; nothing for another text.
std::optional<Empreinte> empreinteDepuisHex(std::string_view hex);
// The same of bytes in memory.
std::string empreinteOctets(std::string_view octets);

// The C4 id of bytes: "c4" and the SHA-512 in base 58, left-padded with '1' to 88.
std::string idC4(std::string_view octets);

struct FichierListe {
    std::string chemin; // relative to the destination, '/' between levels
    std::int64_t taille = 0;
    std::int64_t mtime = 0; // seconds since the epoch
    std::string empreinte;  // XXH3-128, 32 hex digits
};

// The plain list's name, at the destination's root.
inline constexpr const char* kListeSimple = "varlime.xxh128";

// Writes one generation for `fichiers` into `racine`/ascmhl (named
// NNNN_<root name>_<YYYY-MM-DD>_<HHMMSS>Z.mhl), adds it to the chain, and appends the
// files to the plain list. False with `*erreur` set when something could not be written.
bool ecrireGeneration(const std::string& racine, const std::vector<FichierListe>& fichiers,
                      const QDateTime& maintenant, std::string* erreur);

} // namespace varlime
