// SPDX-License-Identifier: GPL-3.0-or-later
// The order of a listing: case-insensitive, by the user's locale, not numeric-aware,
// equal names keeping the order the folder gave them. A large folder is sorted on two
// threads, and when every name is plain ASCII text and the locale's collation orders
// such text character by character, by the characters' ranks instead of by the
// collation's sort keys: the same order, for a fraction of the cost.
#include "core/renameEngine.h"
#include "platform/textEncoding.h"
#include "platform/texteQt.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <numeric>
#include <system_error>
#include <thread>

namespace varlime {

namespace {

// Below this many names a listing is sorted on one thread by the plain keys: a second
// thread, or checking the collation's ASCII order, would cost more than it saves.
constexpr std::size_t kGrandeListe = 4096;

// The printable ASCII characters, the only ones ranked.
constexpr char kPremierImprimable = 0x20;
constexpr char kDernierImprimable = 0x7E;

bool imprimableAscii(char c) {
    return c >= kPremierImprimable && c <= kDernierImprimable;
}

std::unique_ptr<QCollator> nouveauCollateur(const QLocale& locale) {
    auto c = std::make_unique<QCollator>(locale);
    c->setCaseSensitivity(Qt::CaseInsensitive);
    c->setNumericMode(false);
    return c;
}

// A text's ranks, one byte a character (never zero).
std::string rangsDe(std::string_view texte, const std::array<unsigned char, 128>& rangs) {
    std::string out(texte.size(), '\0');
    for (std::size_t i = 0; i < texte.size(); ++i)
        out[i] = static_cast<char>(rangs[static_cast<unsigned char>(texte[i])]);
    return out;
}

// Each printable ASCII character's rank in the collation, characters it holds equal
// sharing one, when comparing texts rank by rank gives the collation's own order: the
// collation must weigh each character on its own, ignore none, read no pair as one
// letter (as Danish reads "aa") and no letter as two. Checked against the collation's
// sort keys on every text of one and two characters; false when they disagree anywhere.
bool deduireRangs(const QCollator& collateur, std::array<unsigned char, 128>& rangs) {
    std::vector<char> cars;
    for (char c = kPremierImprimable; c <= kDernierImprimable; ++c)
        cars.push_back(c);
    auto texte = [](char c) { return QString(QChar::fromLatin1(c)); };
    for (char c : cars)
        if (collateur.compare(texte(c), QString()) == 0)
            return false; // ignored by the collation
    std::stable_sort(cars.begin(), cars.end(),
                     [&](char a, char b) { return collateur.compare(texte(a), texte(b)) < 0; });
    unsigned char rang = 0;
    for (std::size_t i = 0; i < cars.size(); ++i) {
        if (i == 0 || collateur.compare(texte(cars[i - 1]), texte(cars[i])) != 0)
            ++rang;
        rangs[static_cast<unsigned char>(cars[i])] = rang;
    }
    std::vector<std::string> textes;
    for (char a : cars) {
        textes.emplace_back(1, a);
        for (char b : cars)
            textes.push_back(std::string{a, b});
    }
    std::vector<QCollatorSortKey> cles;
    cles.reserve(textes.size());
    for (const std::string& t : textes)
        cles.push_back(collateur.sortKey(qs(t)));
    std::vector<std::size_t> ordre(textes.size());
    std::iota(ordre.begin(), ordre.end(), 0);
    std::stable_sort(ordre.begin(), ordre.end(),
                     [&](std::size_t a, std::size_t b) { return cles[a].compare(cles[b]) < 0; });
    // Neighbours in the collation's order agree with the ranks, so every pair does.
    for (std::size_t i = 1; i < ordre.size(); ++i) {
        const bool egaux = cles[ordre[i - 1]].compare(cles[ordre[i]]) == 0;
        const int r =
            rangsDe(textes[ordre[i - 1]], rangs).compare(rangsDe(textes[ordre[i]], rangs));
        if (egaux ? r != 0 : r >= 0)
            return false;
    }
    return true;
}

// The collation of the locale in force, made again when the locale changes.
struct Collation {
    bool faite = false;
    QLocale locale;
    std::unique_ptr<QCollator> collateur; // none in the C locale
    bool rangsCherches = false;
    bool rangsValables = false;
    std::array<unsigned char, 128> rangs{};

    const std::array<unsigned char, 128>* rangsAscii() {
        if (!rangsCherches) {
            rangsCherches = true;
            rangsValables = collateur && deduireRangs(*collateur, rangs);
        }
        return rangsValables ? &rangs : nullptr;
    }
};

// Made once a thread and locale: building a collator costs far more than a comparison.
Collation& collationDeListe() {
    thread_local Collation c;
    const QLocale locale;
    if (!c.faite || !(c.locale == locale)) {
        c = Collation{};
        c.faite = true;
        c.locale = locale;
        // The C locale's collation ignores the case setting: names are folded instead.
        if (locale.language() != QLocale::C)
            c.collateur = nouveauCollateur(locale);
    }
    return c;
}

// A second thread is worth starting: a large listing, and a second processor to run it.
bool deuxFils(std::size_t n) {
    static const bool plusieurs = std::thread::hardware_concurrency() > 1;
    return n >= kGrandeListe && plusieurs;
}

// Sorts by a total order (ties already broken), a large vector in two halves on two
// threads, then merged: the same result as one sort.
template <class T, class Moins> void trier(std::vector<T>& v, Moins moins) {
    if (!deuxFils(v.size())) {
        std::sort(v.begin(), v.end(), moins);
        return;
    }
    const auto milieu = v.begin() + std::ptrdiff_t(v.size() / 2);
    try {
        std::thread fil([&] { std::sort(v.begin(), milieu, moins); });
        std::sort(milieu, v.end(), moins);
        fil.join();
    } catch (const std::system_error&) {
        // No second thread to be had: one sort.
        std::sort(v.begin(), v.end(), moins);
        return;
    }
    std::inplace_merge(v.begin(), milieu, v.end(), moins);
}

// Rows sorted by byte keys: the first 16 bytes of each key as two big-endian numbers
// beside the row number, which also breaks ties, so that most names are told apart
// without reaching the strings and the order stays stable.
std::vector<std::size_t> ordreParOctets(const std::vector<std::string>& cles) {
    struct Tete {
        std::uint64_t a, b;
        std::size_t ligne;
    };
    auto nombre = [](const std::string& cle, std::size_t debut) {
        std::uint64_t n = 0;
        for (std::size_t k = debut; k < debut + 8; ++k)
            n = (n << 8) | (k < cle.size() ? static_cast<unsigned char>(cle[k]) : 0u);
        return n;
    };
    std::vector<Tete> tetes(cles.size());
    for (std::size_t i = 0; i < cles.size(); ++i)
        tetes[i] = {nombre(cles[i], 0), nombre(cles[i], 8), i};
    trier(tetes, [&](const Tete& x, const Tete& y) {
        if (x.a != y.a)
            return x.a < y.a;
        if (x.b != y.b)
            return x.b < y.b;
        // Keys hold no zero byte: equal heads of short keys are equal keys.
        if (cles[x.ligne].size() > 16 || cles[y.ligne].size() > 16)
            if (const int c = cles[x.ligne].compare(cles[y.ligne]); c != 0)
                return c < 0;
        return x.ligne < y.ligne;
    });
    std::vector<std::size_t> ordre(tetes.size());
    for (std::size_t i = 0; i < tetes.size(); ++i)
        ordre[i] = tetes[i].ligne;
    return ordre;
}

// Rows sorted by the collation's sort keys, a large listing's keys made on two threads.
std::vector<std::size_t> ordreParCollation(const std::vector<FileRow>& rows,
                                           const Collation& collation) {
    const std::size_t n = rows.size();
    auto cles = [&rows](const QCollator& c, std::size_t debut, std::size_t fin) {
        std::vector<QCollatorSortKey> out;
        out.reserve(fin - debut);
        for (std::size_t i = debut; i < fin; ++i)
            out.push_back(c.sortKey(qs(rows[i].ancien)));
        return out;
    };
    std::vector<QCollatorSortKey> toutes;
    if (!deuxFils(n)) {
        toutes = cles(*collation.collateur, 0, n);
    } else {
        const std::size_t milieu = n / 2;
        std::vector<QCollatorSortKey> premieres;
        try {
            // The second thread has a collator of its own.
            std::thread fil(
                [&] { premieres = cles(*nouveauCollateur(collation.locale), 0, milieu); });
            toutes = cles(*collation.collateur, milieu, n);
            fil.join();
        } catch (const std::system_error&) {
            premieres = cles(*collation.collateur, 0, milieu);
            toutes = cles(*collation.collateur, milieu, n);
        }
        toutes.insert(toutes.begin(), std::make_move_iterator(premieres.begin()),
                      std::make_move_iterator(premieres.end()));
    }
    std::vector<std::size_t> ordre(n);
    std::iota(ordre.begin(), ordre.end(), 0);
    trier(ordre, [&](std::size_t a, std::size_t b) {
        const int c = toutes[a].compare(toutes[b]);
        return c != 0 ? c < 0 : a < b;
    });
    return ordre;
}

} // namespace

std::string clePliee(std::string_view nom) {
    std::string cle(nom);
    bool ascii = true;
    for (char& c : cle) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    // Folding ASCII only lowers A-Z, and for ASCII the bytes sort as the UTF-16 units
    // do: most names need no detour through Qt.
    if (ascii)
        return cle;
    cle = qs(nom).toCaseFolded().toStdString();
    // UTF-8 bytes sort by code point, UTF-16 units put U+E000..U+FFFF after the
    // characters beyond U+FFFF. Their lead bytes, EE and EF, are moved past F4 (never a
    // continuation byte, never another lead), so the bytes sort as the folded text does.
    for (char& c : cle) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0xEE || b == 0xEF)
            c = char(b + 8);
    }
    return cle;
}

bool nomsEgauxPourLaListe(std::string_view a, std::string_view b) {
    if (const QCollator* c = collationDeListe().collateur.get())
        return c->compare(qs(a), qs(b)) == 0;
    return qs(a).toCaseFolded() == qs(b).toCaseFolded();
}

std::vector<FileRow> lignesTriees(std::vector<std::string> noms) {
    const std::size_t n = noms.size();
    std::vector<FileRow> rows(n);
    bool imprimables = true; // every name printable ASCII
    for (std::size_t i = 0; i < n; ++i) {
        std::string& nom = noms[i];
        const bool ascii = std::all_of(nom.begin(), nom.end(), imprimableAscii);
        imprimables = imprimables && ascii;
        if (ascii || isValidUtf8(nom)) {
            rows[i].ancien = std::move(nom);
        } else {
            rows[i].ancien = nomAffichable(nom);
            rows[i].brut = std::move(nom);
        }
    }
    Collation& collation = collationDeListe();
    const std::array<unsigned char, 128>* rangs =
        collation.collateur && imprimables && n >= kGrandeListe ? collation.rangsAscii() : nullptr;
    std::vector<std::size_t> ordre;
    if (!collation.collateur || rangs) {
        std::vector<std::string> cles(n);
        for (std::size_t i = 0; i < n; ++i)
            cles[i] = rangs ? rangsDe(rows[i].ancien, *rangs) : clePliee(rows[i].ancien);
        ordre = ordreParOctets(cles);
    } else {
        ordre = ordreParCollation(rows, collation);
    }
    std::vector<FileRow> sorted;
    sorted.reserve(n);
    for (std::size_t i : ordre)
        sorted.push_back(std::move(rows[i]));
    return sorted;
}

} // namespace varlime
