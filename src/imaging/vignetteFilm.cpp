// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/vignetteFilm.h"
#include "platform/fichierOrdinaire.h"

#include "imaging/boitesIso.h"

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
    explicit Recherche(iso::Fichier& f) : fichier(f), p(f) {}
    iso::Fichier& fichier;
    iso::Parcours p;
    std::optional<Etendue> trouvee;
    std::string octets;

    // The first bytes of a box's payload (fewer when the box is smaller).
    std::string_view tete(const iso::Boite& b, std::size_t n) {
        const auto m = static_cast<std::size_t>(std::min<std::uint64_t>(n, b.fin - b.charge));
        if (!fichier.lire(b.charge, m, octets))
            octets.clear();
        return octets;
    }

    // Keeps the range when it holds a JPEG (its first bytes say so); false once one is
    // kept, so that the walks stop.
    bool proposer(std::uint64_t debut, std::uint64_t longueur) {
        if (longueur >= 4 && longueur <= kVignetteFilmMax && debut <= fichier.taille() &&
            longueur <= fichier.taille() - debut && fichier.lire(debut, 3, octets) &&
            octets == "\xFF\xD8\xFF"sv)
            trouvee = Etendue{debut, longueur};
        return !trouvee;
    }

    // A metadata box's item list: the cover picture's value.
    void meta(const iso::Boite& m, int profondeur) {
        // A full box in MP4 files, a plain one in QuickTime movies; the handler box comes
        // first either way.
        const std::string_view h = tete(m, 12);
        const std::uint64_t debut = h.size() >= 8 && h.substr(4, 4) == "hdlr"sv ? 0 : 4;
        p.dansFichier(m.charge + debut, m.fin, profondeur, [&](const iso::Boite& l) {
            if (!l.est("ilst"))
                return true;
            p.dansFichier(l.charge, l.fin, profondeur + 1, [&](const iso::Boite& c) {
                if (!c.est("covr"))
                    return true;
                p.dansFichier(c.charge, c.fin, profondeur + 2, [&](const iso::Boite& d) {
                    // A type and a locale, then the picture.
                    return !d.est("data") || d.fin - d.charge < 8 ||
                           proposer(d.charge + 8, d.fin - d.charge - 8);
                });
                return !trouvee;
            });
            return !trouvee;
        });
    }

    // The cameras' own boxes in the user data: Canon's CNTH holds the JPEG in its CNDA
    // box, Nikon's NCDT in its NCTH box.
    void donneesUtilisateur(const iso::Boite& u, int profondeur) {
        p.dansFichier(u.charge, u.fin, profondeur, [&](const iso::Boite& b) {
            if (b.est("meta"))
                meta(b, profondeur + 1);
            else if (b.est("CNTH") || b.est("NCDT"))
                p.dansFichier(b.charge, b.fin, profondeur + 1, [&](const iso::Boite& v) {
                    return !(v.est("CNDA") || v.est("NCTH")) ||
                           proposer(v.charge, v.fin - v.charge);
                });
            return !trouvee;
        });
    }

    // Canon's box of a CR3 or MP4: its THMB box gives the JPEG's length at 8 and the
    // JPEG itself from 16.
    void boiteCanon(const iso::Boite& u, int profondeur) {
        std::string id;
        if (u.charge < 16 || !fichier.lire(u.charge - 16, 16, id) || id != kUuidCanon)
            return;
        p.dansFichier(u.charge, u.fin, profondeur, [&](const iso::Boite& b) {
            if (!b.est("THMB") || b.fin - b.charge < 16)
                return true;
            const std::uint64_t longueur = iso::u32(tete(b, 12), 8);
            return longueur > b.fin - b.charge - 16 || proposer(b.charge + 16, longueur);
        });
    }

    // A track of JPEG frames ("jpeg", Photo-JPEG): its first frame, where the first
    // chunk starts, of the first sample's size.
    void piste(const iso::Boite& trak, int profondeur) {
        bool video = false, jpeg = false;
        std::optional<std::uint64_t> taille, position;
        const auto stbl = [&](const iso::Boite& t) {
            p.dansFichier(t.charge, t.fin, profondeur + 3, [&](const iso::Boite& b) {
                const std::string_view h = tete(b, 16);
                if (b.est("stsd") && h.size() >= 16)
                    jpeg = h.substr(12, 4) == "jpeg"sv;
                else if (b.est("stsz") && h.size() >= 12)
                    taille = iso::u32(h, 4) != 0 ? iso::u32(h, 4) : iso::u32(h, 12);
                else if (b.est("stco") && h.size() >= 12 && iso::u32(h, 4) > 0)
                    position = iso::u32(h, 8);
                else if (b.est("co64") && h.size() >= 16 && iso::u32(h, 4) > 0)
                    position = iso::u64(h, 8);
                return true;
            });
        };
        p.dansFichier(trak.charge, trak.fin, profondeur, [&](const iso::Boite& m) {
            if (m.est("mdia"))
                p.dansFichier(m.charge, m.fin, profondeur + 1, [&](const iso::Boite& b) {
                    if (b.est("hdlr")) {
                        const std::string_view h = tete(b, 12);
                        video = h.size() >= 12 && h.substr(8, 4) == "vide"sv;
                    } else if (b.est("minf"))
                        p.dansFichier(b.charge, b.fin, profondeur + 2, [&](const iso::Boite& s) {
                            if (s.est("stbl"))
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

    void film(const iso::Boite& moov) {
        p.dansFichier(moov.charge, moov.fin, 1, [&](const iso::Boite& b) {
            if (b.est("udta"))
                donneesUtilisateur(b, 2);
            else if (b.est("meta"))
                meta(b, 2);
            else if (b.est("uuid"))
                boiteCanon(b, 2);
            else if (b.est("trak"))
                piste(b, 2);
            return !trouvee;
        });
    }
};

} // namespace

std::optional<std::string> vignetteFilm(int fd, std::uint64_t taille) {
    iso::Fichier f(fd, taille);
    Recherche r(f);
    r.p.dansFichier(0, taille, 0, [&](const iso::Boite& b) {
        if (!b.est("moov"))
            return true;
        r.film(b);
        return false;
    });
    std::string jpeg;
    if (!r.trouvee ||
        !f.lire(r.trouvee->debut, static_cast<std::size_t>(r.trouvee->longueur), jpeg))
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
