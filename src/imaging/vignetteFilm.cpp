// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/vignetteFilm.h"
#include "platform/fichierOrdinaire.h"

#include "core/boitesIso.h"

#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace varlime {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kUuidCanon =
    "\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48"sv;

struct Etendue {
    std::uint64_t debut = 0, longueur = 0;
};

// One walk of a film's boxes, that stops at the first stored JPEG it finds.
struct Recherche {
    explicit Recherche(FileWindow& f) : fichier(f), p(f) {}
    FileWindow& fichier;
    iso::Walk p;
    std::optional<Etendue> trouvee;
    std::string octets;

    // The first bytes of a box's payload (fewer when the box is smaller).
    std::string_view tete(const iso::Box& b, std::size_t n) {
        const auto m = static_cast<std::size_t>(std::min<std::uint64_t>(n, b.end - b.payload));
        if (!fichier.readOnly(b.payload, m, octets))
            octets.clear();
        return octets;
    }

    // Keeps the range when it holds a JPEG (its first bytes say so); false once one is
    // kept, so that the walks stop.
    bool proposer(std::uint64_t debut, std::uint64_t longueur) {
        if (longueur >= 4 && longueur <= kVignetteFilmMax && debut <= fichier.size() &&
            longueur <= fichier.size() - debut && fichier.readOnly(debut, 3, octets) &&
            octets == "\xFF\xD8\xFF"sv)
            trouvee = Etendue{debut, longueur};
        return !trouvee;
    }

    // A metadata box's item list: the cover picture's value.
    void meta(const iso::Box& m, int profondeur) {
        // A full box in MP4 files, a plain one in QuickTime movies; the handler box comes
        // first either way.
        const std::string_view h = tete(m, 12);
        const std::uint64_t debut = h.size() >= 8 && h.substr(4, 4) == "hdlr"sv ? 0 : 4;
        p.eachBox(m.payload + debut, m.end, profondeur, [&](const iso::Box& l) {
            if (l.type != "ilst")
                return true;
            p.eachBox(l.payload, l.end, profondeur + 1, [&](const iso::Box& c) {
                if (c.type != "covr")
                    return true;
                p.eachBox(c.payload, c.end, profondeur + 2, [&](const iso::Box& d) {
                    // A type and a locale, then the picture.
                    return d.type != "data" || d.end - d.payload < 8 ||
                           proposer(d.payload + 8, d.end - d.payload - 8);
                });
                return !trouvee;
            });
            return !trouvee;
        });
    }

    // The cameras' own boxes in the user data: Canon's CNTH holds the JPEG in its CNDA
    // box, Nikon's NCDT in its NCTH box.
    void donneesUtilisateur(const iso::Box& u, int profondeur) {
        p.eachBox(u.payload, u.end, profondeur, [&](const iso::Box& b) {
            if (b.type == "meta")
                meta(b, profondeur + 1);
            else if (b.type == "CNTH" || b.type == "NCDT")
                p.eachBox(b.payload, b.end, profondeur + 1, [&](const iso::Box& v) {
                    return !(v.type == "CNDA" || v.type == "NCTH") ||
                           proposer(v.payload, v.end - v.payload);
                });
            return !trouvee;
        });
    }

    // Canon's box of a CR3 or MP4: its THMB box gives the JPEG's length at 8 and the
    // JPEG itself from 16.
    void boiteCanon(const iso::Box& u, int profondeur) {
        std::string id;
        if (u.payload < 16 || !fichier.readOnly(u.payload - 16, 16, id) || id != kUuidCanon)
            return;
        p.eachBox(u.payload, u.end, profondeur, [&](const iso::Box& b) {
            if (b.type != "THMB" || b.end - b.payload < 16)
                return true;
            const std::uint64_t longueur = be32(tete(b, 12), 8);
            return longueur > b.end - b.payload - 16 || proposer(b.payload + 16, longueur);
        });
    }

    // A track of JPEG frames ("jpeg", Photo-JPEG): its first frame, where the first
    // chunk starts, of the first sample's size.
    void piste(const iso::Box& trak, int profondeur) {
        bool video = false, jpeg = false;
        std::optional<std::uint64_t> taille, position;
        const auto stbl = [&](const iso::Box& t) {
            p.eachBox(t.payload, t.end, profondeur + 3, [&](const iso::Box& b) {
                const std::string_view h = tete(b, 16);
                if (b.type == "stsd" && h.size() >= 16)
                    jpeg = h.substr(12, 4) == "jpeg"sv;
                else if (b.type == "stsz" && h.size() >= 12)
                    taille = be32(h, 4) != 0 ? be32(h, 4) : be32(h, 12);
                else if (b.type == "stco" && h.size() >= 12 && be32(h, 4) > 0)
                    position = be32(h, 8);
                else if (b.type == "co64" && h.size() >= 16 && be32(h, 4) > 0)
                    position = be64(h, 8);
                return true;
            });
        };
        p.eachBox(trak.payload, trak.end, profondeur, [&](const iso::Box& m) {
            if (m.type == "mdia")
                p.eachBox(m.payload, m.end, profondeur + 1, [&](const iso::Box& b) {
                    if (b.type == "hdlr") {
                        const std::string_view h = tete(b, 12);
                        video = h.size() >= 12 && h.substr(8, 4) == "vide"sv;
                    } else if (b.type == "minf")
                        p.eachBox(b.payload, b.end, profondeur + 2, [&](const iso::Box& s) {
                            if (s.type == "stbl")
                                stbl(s);
                            return true;
                        });
                    return true;
                });
            return true;
        });
        if (video && jpeg && taille && position)
            proposer(*position, *taille);
    }

    void film(const iso::Box& moov) {
        p.eachBox(moov.payload, moov.end, 1, [&](const iso::Box& b) {
            if (b.type == "udta")
                donneesUtilisateur(b, 2);
            else if (b.type == "meta")
                meta(b, 2);
            else if (b.type == "uuid")
                boiteCanon(b, 2);
            else if (b.type == "trak")
                piste(b, 2);
            return !trouvee;
        });
    }
};

} // namespace

std::optional<std::string> vignetteFilm(int fd, std::uint64_t taille) {
    FileWindow f(fd, taille);
    Recherche r(f);
    r.p.eachBox(0, taille, 0, [&](const iso::Box& b) {
        if (b.type != "moov")
            return true;
        r.film(b);
        return false;
    });
    std::string jpeg;
    if (!r.trouvee ||
        !f.readOnly(r.trouvee->debut, static_cast<std::size_t>(r.trouvee->longueur), jpeg))
        return std::nullopt;
    return jpeg;
}

std::optional<std::string> vignetteFilmFichier(const std::string& chemin) {
    const int fd = ouvrirFichierOrdinaire(chemin.c_str());
    if (fd < 0)
        return std::nullopt;
    struct stat etat;
    std::optional<std::string> out;
    if (::fstat(fd, &etat) == 0 && S_ISREG(etat.st_mode))
        out = vignetteFilm(fd, static_cast<std::uint64_t>(etat.st_size));
    ::close(fd);
    return out;
}

} // namespace varlime
