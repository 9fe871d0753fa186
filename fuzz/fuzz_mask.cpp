// SPDX-License-Identifier: GPL-3.0-or-later
// Rename masks are typed by the user: any text in the prefix field, against any old
// name, must be parsed without reading outside either text.
#include "core/maskEngine.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // First byte splits the input into the field and the old name.
    if (size == 0)
        return 0;
    const std::size_t cut = data[0] % size;
    const std::string champ(reinterpret_cast<const char*>(data) + 1, cut > 0 ? cut - 1 : 0);
    const std::string ancien(reinterpret_cast<const char*>(data) + (cut > 0 ? cut : 1),
                             size - (cut > 0 ? cut : 1));
    varlime::PartiesMasque p;
    varlime::Est_masque_chercher_remplacer(champ, p);
    varlime::Est_masque_prefixe_suffixe(champ, p);
    const auto r = varlime::Exploiter_masque(ancien, champ, data[0] & 1);
    // A mask never makes a name out of nothing but its own texts and the old name.
    if (r.nom.size() > champ.size() + ancien.size() * (champ.size() + 1))
        __builtin_trap();
    return 0;
}
