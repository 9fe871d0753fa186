// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/maskEngine.h"

#include "core/nameUtils.h"

#include <vector>

namespace varlime {

namespace {

// The field as characters (each a UTF-8 sequence), so that positions count
// characters and every byte of the text is kept as typed.
class Caracteres {
public:
    // One pass: a character starts at every byte that is not a UTF-8 continuation
    // byte (a stray continuation byte at the start counts as one), as utf8Length counts.
    explicit Caracteres(std::string_view s) {
        std::size_t debut = 0;
        for (std::size_t i = 1; i <= s.size(); ++i) {
            if (i == s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
                c_.push_back(s.substr(debut, i - debut));
                debut = i;
            }
        }
    }
    // Number of characters (L).
    std::size_t taille() const { return c_.size(); }
    // Character at 1-based position p; empty outside the text.
    std::string_view at(std::size_t p) const {
        return p >= 1 && p <= c_.size() ? c_[p - 1] : std::string_view();
    }

private:
    std::vector<std::string_view> c_;
};

std::string remplacerTout(std::string_view texte, std::string_view cherche,
                          std::string_view remplace) {
    std::string out;
    std::size_t debut = 0;
    while (true) {
        const std::size_t pos = texte.find(cherche, debut);
        if (pos == std::string_view::npos)
            break;
        out.append(texte.substr(debut, pos - debut));
        out.append(remplace);
        debut = pos + cherche.size();
    }
    out.append(texte.substr(debut));
    return out;
}

bool finitPar(std::string_view champ, std::string_view fin) {
    return Copie_droite(champ, 3) == fin;
}

} // namespace

bool Utilise_masque(std::string_view champ) {
    return !champ.empty() && champ.front() == '[';
}

bool Est_masque_chercher_remplacer(std::string_view champ, PartiesMasque& parties) {
    const Caracteres m(champ);
    const std::size_t L = m.taille();
    parties.chercher.clear();
    parties.remplacement.clear();
    // Positions count from 1; the character at position L is never collected.
    std::size_t i = 1;
    while (i < L && m.at(i) != "{")
        ++i;
    ++i;
    while (i < L && m.at(i) != "}") {
        parties.chercher += m.at(i);
        ++i;
    }
    while (i < L && m.at(i) != "{")
        ++i;
    ++i;
    while (i < L && m.at(i) != "}") {
        parties.remplacement += m.at(i);
        ++i;
    }
    return !parties.chercher.empty() && i < L && m.at(i) == "}";
}

bool Est_masque_prefixe_suffixe(std::string_view champ, PartiesMasque& parties) {
    const Caracteres m(champ);
    const std::size_t L = m.taille();
    parties.prefixe.clear();
    parties.suffixe.clear();
    std::size_t i = 2;
    while (i < L && m.at(i) != "*") {
        parties.prefixe += m.at(i);
        ++i;
    }
    if (m.at(i) == "*" && i + 1 == L)
        return true;
    ++i;
    if (i >= L)
        return false;
    while (i <= L && m.at(i) != "]") {
        parties.suffixe += m.at(i);
        ++i;
    }
    return i <= L;
}

bool Est_masque_suppression_compteur(std::string_view champ) {
    return finitPar(champ, "-N]");
}

namespace {
// The kind, with the texts of kinds 2 and 3 kept in `parties`.
TypeMasque typeEtParties(std::string_view champ, PartiesMasque& parties) {
    if (!Utilise_masque(champ))
        return kPasDeMasque;
    if (finitPar(champ, "&N]"))
        return kMasqueCompteur;
    if (Est_masque_chercher_remplacer(champ, parties))
        return kMasqueChercherRemplacer;
    if (Est_masque_prefixe_suffixe(champ, parties))
        return kMasquePrefixeSuffixe;
    if (Est_masque_suppression_compteur(champ))
        return kMasqueSuppressionCompteur;
    return kPasDeMasque;
}
} // namespace

TypeMasque Type_masque(std::string_view champ) {
    PartiesMasque parties;
    return typeEtParties(champ, parties);
}

std::string Masque_extrait_compteur(std::string_view nom) {
    std::size_t debut = nom.size();
    while (debut > 0 && Est_numerique(nom[debut - 1]))
        --debut;
    return std::string(nom.substr(debut));
}

std::string Masque_extrait_prefixe_compteur(std::string_view champ) {
    const std::size_t debut = utf8Offset(champ, 1);
    const std::size_t fin = champ.find('&', debut);
    if (fin == std::string_view::npos)
        return std::string(champ.substr(debut));
    return std::string(champ.substr(debut, fin - debut));
}

ResultatMasque Exploiter_masque(std::string_view ancien, std::string_view champ, bool modeExif) {
    ResultatMasque r;
    if (ancien.empty())
        return r;
    const std::string nom = Prefixe(ancien);
    PartiesMasque parties;
    r.type = typeEtParties(champ, parties);
    switch (r.type) {
    case kMasqueCompteur:
        r.nom = (modeExif ? std::string() : Masque_extrait_prefixe_compteur(champ)) +
                Masque_extrait_compteur(nom);
        break;
    case kMasqueChercherRemplacer:
        r.nom = remplacerTout(nom, parties.chercher, parties.remplacement);
        break;
    case kMasquePrefixeSuffixe:
        r.nom = parties.prefixe + nom + parties.suffixe;
        break;
    case kMasqueSuppressionCompteur: {
        const std::string chiffres = Masque_extrait_compteur(nom);
        r.nom = nom.substr(0, nom.size() - chiffres.size());
        break;
    }
    case kPasDeMasque:
        break;
    }
    r.compteurInactifVisible = r.type >= kMasqueChercherRemplacer;
    return r;
}

} // namespace varlime
