// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The boxes of an ISO base media file (HEIF pictures, MP4 and MOV films) as the picture
// loaders walk them: through a window that never reads past the file's end, every size
// checked against what holds it, depth and counts capped. Shared by the program and by
// the imaging library built in gfl/.
#include <cstdint>
#include <string>
#include <string_view>

namespace varlime::iso {

// Big-endian numbers of a byte string; 0 when they do not lie wholly inside it.
std::uint32_t u16(std::string_view b, std::size_t at);
std::uint32_t u32(std::string_view b, std::size_t at);
std::uint64_t u64(std::string_view b, std::size_t at);

// Reads ranges of an open file with pread. A range past the file's end is refused, and
// all reads together stay within twice the file's size and a megabyte, so no size read
// from the file makes a read or an allocation larger than the file.
class Fichier {
public:
    Fichier(int fd, std::uint64_t taille) : fd_(fd), taille_(taille) {}
    std::uint64_t taille() const { return taille_; }
    std::uint64_t octetsLus() const { return lus_; }
    // The n bytes at `debut` in `sortie` (replacing what it held); false when they do not
    // all lie in the file or the read fails.
    bool lire(std::uint64_t debut, std::size_t n, std::string& sortie);

private:
    int fd_;
    std::uint64_t taille_;
    std::uint64_t lus_ = 0;
};

struct Boite {
    char type[4] = {};
    // Offsets in what holds the box: its start, its payload's, its end.
    std::uint64_t debut = 0, charge = 0, fin = 0;
    bool est(std::string_view t) const { return std::string_view(type, 4) == t; }
};

// Limits no real file comes near: a few levels of boxes, some hundreds of boxes.
inline constexpr int kProfondeurMax = 8;
inline constexpr int kBoitesMax = 10000;

// One walk: the boxes counted so far and the first fault met.
class Parcours {
public:
    explicit Parcours(Fichier& f) : fichier(f) {}
    Fichier& fichier;
    std::string faute;
    int boites = 0;

    void fauter(std::string_view texte) {
        if (faute.empty())
            faute = texte;
    }

    // The header of the box starting with the bytes `h`, `place` bytes left in what holds
    // it; false (with the fault said) when it does not fit there.
    bool entete(std::string_view h, std::uint64_t debut, std::uint64_t place, Boite& b);

    // Calls visite(boite) for each box of the file between `debut` and `fin`, until it
    // returns false; false when the walk stopped on a fault.
    template <class Visite>
    bool dansFichier(std::uint64_t debut, std::uint64_t fin, int profondeur, const Visite& visite) {
        if (profondeur > kProfondeurMax) {
            fauter("Boxes nested too deep");
            return false;
        }
        std::string h;
        for (std::uint64_t at = debut; at < fin && fin - at >= 8;) {
            Boite b;
            if (!compter() ||
                !fichier.lire(at, static_cast<std::size_t>(std::min<std::uint64_t>(32, fin - at)),
                              h) ||
                !entete(h, at, fin - at, b)) {
                fauter("Box header past the end of the file");
                return false;
            }
            if (!visite(b))
                return true;
            at = b.fin;
        }
        return true;
    }

    // The same over bytes already read: visite(boite, charge).
    template <class Visite> bool dansOctets(std::string_view octets, const Visite& visite) {
        for (std::uint64_t at = 0; at + 8 <= octets.size();) {
            Boite b;
            if (!compter() || !entete(octets.substr(at, 32), at, octets.size() - at, b))
                return false;
            if (!visite(b, octets.substr(b.charge, b.fin - b.charge)))
                return true;
            at = b.fin;
        }
        return true;
    }

private:
    bool compter() {
        if (++boites <= kBoitesMax)
            return true;
        fauter("Too many boxes");
        return false;
    }
};

} // namespace varlime::iso
