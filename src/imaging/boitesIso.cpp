// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/boitesIso.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace varlime::iso {

std::uint32_t u16(std::string_view b, std::size_t at) {
    if (at > b.size() || b.size() - at < 2)
        return 0;
    return (std::uint32_t{static_cast<unsigned char>(b[at])} << 8) |
           static_cast<unsigned char>(b[at + 1]);
}

std::uint32_t u32(std::string_view b, std::size_t at) {
    if (at > b.size() || b.size() - at < 4)
        return 0;
    return (u16(b, at) << 16) | u16(b, at + 2);
}

std::uint64_t u64(std::string_view b, std::size_t at) {
    if (at > b.size() || b.size() - at < 8)
        return 0;
    return (std::uint64_t{u32(b, at)} << 32) | u32(b, at + 4);
}

bool Fichier::lire(std::uint64_t debut, std::size_t n, std::string& sortie) {
    sortie.clear();
    const std::uint64_t budget = std::min<std::uint64_t>(taille_, UINT64_MAX / 4) * 2 + (1u << 20);
    if (debut > taille_ || n > taille_ - debut || n > budget - std::min(lus_, budget))
        return false;
    sortie.resize(n);
    std::size_t fait = 0;
    while (fait < n) {
        const ssize_t r =
            ::pread(fd_, sortie.data() + fait, n - fait, static_cast<off_t>(debut + fait));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            sortie.clear();
            return false;
        }
        fait += static_cast<std::size_t>(r);
    }
    lus_ += n;
    return true;
}

bool Parcours::entete(std::string_view h, std::uint64_t debut, std::uint64_t place, Boite& b) {
    if (h.size() < 8) {
        fauter("Box header cut short");
        return false;
    }
    std::uint64_t taille = u32(h, 0), entete = 8;
    std::memcpy(b.type, h.data() + 4, 4);
    if (taille == 1) {
        if (h.size() < 16) {
            fauter("Box header cut short");
            return false;
        }
        taille = u64(h, 8);
        entete = 16;
    } else if (taille == 0) {
        taille = place; // to the end of what holds it
    }
    if (b.est("uuid"))
        entete += 16;
    if (taille < entete || taille > place) {
        fauter(taille < entete ? "Box size smaller than its header"
                               : "Box size past the end of its container");
        return false;
    }
    b.debut = debut;
    b.charge = debut + entete;
    b.fin = debut + taille;
    return true;
}

} // namespace varlime::iso
