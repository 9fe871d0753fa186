// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/nameUtils.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace varlime {

namespace {
bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}
} // namespace

std::size_t utf8Length(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (!isContinuation(static_cast<unsigned char>(s[i])) || i == 0)
            ++n;
    return n;
}

std::size_t utf8Offset(std::string_view s, std::size_t index) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (i != 0 && isContinuation(static_cast<unsigned char>(s[i])))
            continue;
        if (count == index)
            return i;
        ++count;
    }
    return s.size();
}

std::string Prefixe(std::string_view s) {
    const auto dot = s.rfind('.');
    if (dot == std::string_view::npos)
        return std::string(s);
    return std::string(s.substr(0, dot));
}

std::string Extension(std::string_view s) {
    const auto dot = s.rfind('.');
    if (dot == std::string_view::npos)
        return std::string(s);
    return std::string(s.substr(dot + 1));
}

std::string Copie_droite(std::string_view s, long long n) {
    const std::size_t len = utf8Length(s);
    if (n <= 0)
        return {};
    if (static_cast<unsigned long long>(n) >= len)
        return std::string(s);
    return std::string(s.substr(utf8Offset(s, len - static_cast<std::size_t>(n))));
}

std::string Copie_gauche(std::string_view s, long long n) {
    if (n <= 0)
        return {};
    return std::string(s.substr(0, utf8Offset(s, static_cast<std::size_t>(n))));
}

bool Est_numerique(char c) {
    return c >= '0' && c <= '9';
}

bool Chaine_fini_numerique(std::string_view s) {
    return !s.empty() && Est_numerique(s.back());
}

std::string Extrait_debut_numerique(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && Est_numerique(s[i]))
        ++i;
    return std::string(s.substr(0, i));
}

std::string Nettoyer_chaine(std::string_view s) {
    if (s.empty())
        return {};
    // Drop the last character (a whole UTF-8 sequence), then every double quote.
    const std::string_view head = s.substr(0, utf8Offset(s, utf8Length(s) - 1));
    std::string out;
    out.reserve(head.size());
    for (char c : head)
        if (c != '"')
            out += c;
    return out;
}

std::string Retourne_repertoire_slash(std::string_view s) {
    std::string out(s);
    if (out.empty() || out.back() != '/')
        out += '/';
    return out;
}

bool Remplacement_indique_pas_varlime(std::string_view s) {
    return s.substr(0, kMarqueurNonVarlime.size()) == kMarqueurNonVarlime;
}

std::string lettresCompteur(long long n) {
    if (n <= 0)
        return "A";
    std::string letters;
    while (n > 0) {
        --n;
        letters += static_cast<char>('A' + n % 26);
        n /= 26;
    }
    std::reverse(letters.begin(), letters.end());
    return letters;
}

std::string Maj_compteur(bool alphabetique, int largeur, long long valeur) {
    const long long n = valeur == std::numeric_limits<long long>::max() ? valeur : valeur + 1;
    // The width comes from an editable field and from the settings file: whatever they
    // hold, a counter is never padded beyond the widest choice the field offers.
    const int w = std::clamp(largeur, kLargeurCompteurMin, kLargeurCompteurMax);
    if (alphabetique) {
        std::string letters = lettresCompteur(n);
        if (letters.size() < static_cast<std::size_t>(w))
            letters.insert(0, static_cast<std::size_t>(w) - letters.size(), '_');
        return letters;
    }
    // Width and precision are both the counter width: zero-padded, never cut.
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%*.*lld", w, w, n);
    return buffer;
}

IndicationAlphabetique Indication_alphabetique(std::string_view initialisation,
                                               std::string_view largeur, const TextLookup& texte) {
    int v = 0, l = 0;
    if (!toInteger(initialisation, v) || !toInteger(largeur, l))
        return {false,
                texte("RSC_message_erreur_valeur_entiere", "Il faut saisir une valeur entière")};
    const std::string lettres = Maj_compteur(true, l, static_cast<long long>(v) - 1);
    return {true, formatMessage(texte("RSC_libelle_info_compteur_alpha", "soit %s en alphabétique"),
                                {lettres})};
}

bool toInteger(std::string_view s, int& out) {
    std::size_t i = 0, end = s.size();
    while (i < end && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    while (end > i && (s[end - 1] == ' ' || s[end - 1] == '\t'))
        --end;
    if (i == end)
        return false;
    bool negative = false;
    if (s[i] == '+' || s[i] == '-') {
        negative = s[i] == '-';
        ++i;
    }
    if (i == end)
        return false;
    long long v = 0;
    for (; i < end; ++i) {
        if (!Est_numerique(s[i]))
            return false;
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
        return false;
    out = static_cast<int>(v);
    return true;
}

} // namespace varlime
