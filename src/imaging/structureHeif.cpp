// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/structureHeif.h"

#include "core/boitesIso.h"

#include "core/tablesIso.h"
#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace varlime {

namespace {

// Item tables of some kilobytes are the rule (a grid of 48 tiles takes about 3 KB).
constexpr std::uint64_t kTablesMax = 1u << 20;
constexpr std::size_t kItemsMax = 4096;
constexpr std::size_t kProprietesMax = 4096;
// A grid's description is 8 or 12 bytes, an overlay's a few per picture it places.
constexpr std::uint64_t kDescriptionMax = 64u << 10;

using Curseur = CurseurOctets;

struct Item {
    std::uint32_t id = 0;
    iso::FourCC type;
};

struct Taille2 {
    std::uint64_t largeur = 0, hauteur = 0;
};

struct Tables {
    std::string_view iinf, iloc, ipco, ipma, idat;
    std::vector<Item> items;
    std::vector<std::optional<Taille2>> ispe; // by property index, from 0
    std::string faute;
};

void lireItems(Tables& t, iso::Walk& p) {
    Curseur c{t.iinf};
    const auto version = c.take(1);
    c.take(3);
    c.take(version == 0 ? 2 : 4);
    p.eachBoxIn(t.iinf.substr(std::min(c.at, t.iinf.size())),
                [&](const iso::Box& b, std::string_view charge) {
                    if (b.type != "infe")
                        return true;
                    if (t.items.size() >= kItemsMax) {
                        t.faute = "Too many items";
                        return false;
                    }
                    Curseur e{charge};
                    const auto v = e.take(1);
                    e.take(3);
                    if (v < 2)
                        return true; // no item type: no picture
                    Item item;
                    item.id = static_cast<std::uint32_t>(e.take(v == 2 ? 2 : 4));
                    e.take(2);
                    if (e.ok && e.at + 4 <= charge.size()) {
                        std::copy_n(charge.data() + e.at, 4, item.type.c);
                        t.items.push_back(item);
                    }
                    return true;
                });
}

void lireProprietes(Tables& t, iso::Walk& p) {
    p.eachBoxIn(t.ipco, [&](const iso::Box& b, std::string_view charge) {
        if (t.ispe.size() >= kProprietesMax) {
            t.faute = "Too many item properties";
            return false;
        }
        std::optional<Taille2> taille;
        if (b.type == "ispe") {
            Curseur c{charge};
            c.take(4);
            const auto l = c.take(4), h = c.take(4);
            taille = Taille2{l, h};
        }
        t.ispe.push_back(taille);
        return true;
    });
}

// The declared size of each item, from the properties associated with it.
std::vector<std::pair<std::uint32_t, Taille2>> taillesDeclarees(const Tables& t) {
    std::vector<std::pair<std::uint32_t, Taille2>> out;
    Curseur c{t.ipma};
    const auto version = c.take(1);
    const auto flags = c.take(3);
    const auto n = c.take(4);
    for (std::uint64_t i = 0; i < n && c.ok && out.size() <= kItemsMax * 4; ++i) {
        const auto id = static_cast<std::uint32_t>(c.take(version < 1 ? 2 : 4));
        const auto associations = c.take(1);
        for (std::uint64_t a = 0; a < associations && c.ok; ++a) {
            const auto index = (flags & 1) ? c.take(2) & 0x7FFF : c.take(1) & 0x7F;
            if (c.ok && index >= 1 && index <= t.ispe.size() && t.ispe[index - 1])
                out.emplace_back(id, *t.ispe[index - 1]);
        }
    }
    return out;
}

// The bytes of an item (its description), from the file or from the "idat" box; nothing
// when the location table does not place it wholly in them or it is too large.
std::optional<std::string> donneesItem(const Tables& t, FileWindow& f, std::uint32_t voulu) {
    std::vector<Extent> etendues;
    bool dansIdat = false;
    if (!itemExtents(t.iloc, voulu, etendues, dansIdat))
        return std::nullopt;
    const std::uint64_t source = dansIdat ? t.idat.size() : f.size();
    std::string donnees, morceau;
    for (const Extent& e : etendues) {
        if (e.offset > source)
            return std::nullopt;
        // A length of 0 runs to the end of the file (or of the item data).
        const std::uint64_t l = e.length ? e.length : source - e.offset;
        if (l > source - e.offset || l > kDescriptionMax - donnees.size())
            return std::nullopt;
        if (dansIdat)
            donnees.append(t.idat.substr(e.offset, l));
        else if (f.readOnly(e.offset, static_cast<std::size_t>(l), morceau))
            donnees += morceau;
        else
            return std::nullopt;
    }
    return donnees;
}

// The canvas a grid or an overlay describes, and for a grid its tiles.
struct Canevas {
    Taille2 taille;
    std::uint64_t tuiles = 0;
};

std::optional<Canevas> canevas(const Item& item, std::string_view d) {
    Curseur c{d};
    c.take(1);
    const auto flags = c.take(1);
    const unsigned champ = (flags & 1) ? 4 : 2;
    Canevas out;
    if (item.type == "grid") {
        out.tuiles = (c.take(1) + 1) * (c.take(1) + 1);
    } else {
        c.take(8); // the colour the canvas is filled with
    }
    out.taille.largeur = c.take(champ);
    out.taille.hauteur = c.take(champ);
    if (!c.ok)
        return std::nullopt;
    return out;
}

} // namespace

std::string verifierStructureHeif(int fd, std::uint64_t taille) {
    FileWindow f(fd, taille);
    iso::Walk p(f);
    std::string meta;
    bool trouvee = false;
    p.eachBox(0, taille, 0, [&](const iso::Box& b) {
        if (b.type != "meta")
            return true;
        trouvee = true;
        if (b.end - b.payload > kTablesMax)
            p.fault("Item tables too large to be read");
        else if (!f.readOnly(b.payload, static_cast<std::size_t>(b.end - b.payload), meta))
            p.fault("Item tables past the end of the file");
        return false;
    });
    if (!p.error.empty())
        return p.error;
    if (!trouvee || meta.size() < 4)
        return {};
    Tables t;
    // A full box: its version and flags come first.
    p.eachBoxIn(std::string_view(meta).substr(4), [&](const iso::Box& b, std::string_view c) {
        if (b.type == "iinf")
            t.iinf = c;
        else if (b.type == "iloc")
            t.iloc = c;
        else if (b.type == "idat")
            t.idat = c;
        else if (b.type == "iprp")
            p.eachBoxIn(c, [&](const iso::Box& e, std::string_view ec) {
                if (e.type == "ipco")
                    t.ipco = ec;
                else if (e.type == "ipma")
                    t.ipma = ec;
                return true;
            });
        return true;
    });
    if (!p.error.empty())
        return p.error;
    lireItems(t, p);
    if (t.faute.empty())
        lireProprietes(t, p);
    if (!t.faute.empty() || !p.error.empty())
        return t.faute.empty() ? p.error : t.faute;
    const auto declarees = taillesDeclarees(t);
    for (const auto& [id, d] : declarees)
        if (!heifDansLeBudget(d.largeur, d.hauteur))
            return "Picture larger than the memory budget";
    for (const Item& item : t.items) {
        if (item.type != "grid" && item.type != "iovl")
            continue;
        const auto donnees = donneesItem(t, f, item.id);
        const auto c = donnees ? canevas(item, *donnees) : std::nullopt;
        if (!c)
            return item.type == "grid" ? "Bad grid description" : "Bad overlay description";
        if (c->tuiles > static_cast<std::uint64_t>(kTuilesMax))
            return "Grid of too many tiles";
        if (!heifDansLeBudget(c->taille.largeur, c->taille.hauteur))
            return "Picture larger than the memory budget";
        for (const auto& [id, d] : declarees)
            if (id == item.id && (d.largeur != c->taille.largeur || d.hauteur != c->taille.hauteur))
                return "Canvas of another size than its picture declares";
    }
    return {};
}

} // namespace varlime
