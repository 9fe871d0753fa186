// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/renameEngine.h"
#include "support/test_support.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <numeric>
#include <optional>
#include <unistd.h>

using namespace varlime;
using varlime::test::readFile;
using varlime::test::TempDir;

namespace {

std::vector<FileRow> rows(std::initializer_list<const char*> olds) {
    std::vector<std::string> names;
    for (const char* n : olds)
        names.emplace_back(n);
    return lignesTriees(names);
}

std::vector<std::string> newNames(const std::vector<FileRow>& r) {
    std::vector<std::string> out;
    for (const auto& row : r)
        out.push_back(row.nouveau);
    return out;
}

std::vector<std::string> oldNames(const std::vector<FileRow>& r) {
    std::vector<std::string> out;
    for (const auto& row : r)
        out.push_back(row.ancien);
    return out;
}

TEST(Sorting, CaseInsensitiveNotNumericDuplicatesKept) {
    EXPECT_EQ(oldNames(rows({"b.jpg", "a.JPG", "c"})),
              (std::vector<std::string>{"a.JPG", "b.jpg", "c"}));
    EXPECT_EQ(oldNames(rows({"img10.jpg", "IMG2.jpg", "img1.jpg"})),
              (std::vector<std::string>{"img1.jpg", "img10.jpg", "IMG2.jpg"}));
    EXPECT_EQ(oldNames(rows({"x", "x", "X"})).size(), 3u);
}

// Names that sort differently under naive byte, case or code-point orders: accents,
// case, digits, punctuation, characters beyond U+FFFF against the private-use and
// specials area, and bytes that are no UTF-8.
const std::vector<std::string> kNomsDelicats = {
    "b.jpg", "B.JPG", "a.jpg", "_a.jpg", "-a.jpg", "a_b", "a-b", "a b", "a.b", "a~b", "Zèbre",
    "zebre", "zèbre", "ÉTÉ", "été", "ete", "Ete", "eté", "Straße", "STRASSE", "strasse", "img10",
    "IMG2", "img1", "img01", "ΣΙΣΥΦΟΣ", "σισυφος", "ǅ", "ǆ", "Ǆ", "\xef\xbc\xa1", "\xee\x80\x80",
    "\xf0\x9f\x93\xb7", "\xf0\x90\x90\x80", "\xef\xbf\xbd", "x\xff", "x\xc3", "X\xe9t\xe9", "\x01",
    "~", "Ab", "aB", "AB", "ab", "k", "\xe2\x84\xaa", "\xc3\x85", "\xe2\x84\xab", "a\xcc\x8a",
    // Keys longer than 16 bytes that share their first 16.
    "2024-06-01 Mariage 010.jpg", "2024-06-01 mariage 002.JPG", "2024-06-01 Mariage 010.jpg",
    "2024-06-01 mariage", "2024-06-01 marIAGE 002.jpg", "2024-06-01 Mariag",
    "2024-06-01 Mariage \xc3\xa9"};

TEST(Sorting, FoldedKeysOrderAsTheFoldedText) {
    // Every pair: the keys compare exactly as the folded UTF-16 text of the shown names.
    for (const std::string& a : kNomsDelicats)
        for (const std::string& b : kNomsDelicats) {
            const QString fa = QString::fromStdString(nomAffichable(a)).toCaseFolded();
            const QString fb = QString::fromStdString(nomAffichable(b)).toCaseFolded();
            const std::string ka = clePliee(nomAffichable(a)), kb = clePliee(nomAffichable(b));
            EXPECT_EQ(ka < kb, fa < fb) << a << " / " << b;
            EXPECT_EQ(ka == kb, fa == fb) << a << " / " << b;
        }
}

TEST(Sorting, ListingOrderIsTheLocaleOrder) {
    // The listing against a plain stable sort by the locale's own comparison, in the C
    // locale (folded text) and in one whose collation has its own letters after z.
    const QLocale avant;
    for (const char* locale : {"C", "da_DK"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        std::vector<std::string> attendu = kNomsDelicats;
        const bool c = QLocale().language() == QLocale::C;
        QCollator collator{QLocale()};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        collator.setNumericMode(false);
        std::stable_sort(
            attendu.begin(), attendu.end(), [&](const std::string& x, const std::string& y) {
                const QString a = QString::fromStdString(nomAffichable(x));
                const QString b = QString::fromStdString(nomAffichable(y));
                return c ? a.toCaseFolded() < b.toCaseFolded() : collator.compare(a, b) < 0;
            });
        std::vector<std::string> obtenu;
        for (const FileRow& r : lignesTriees(kNomsDelicats))
            obtenu.push_back(r.ancienSurDisque());
        EXPECT_EQ(obtenu, attendu) << locale;
    }
    QLocale::setDefault(avant);
}

// Large listings take other roads (two threads; for names of plain ASCII, the
// characters' ranks in the collation instead of its sort keys): their order must stay
// the collation's, also in locales where letters pair up ("aa" in Danish, "ch" in
// Czech) or where i and I are two letters (Turkish).
TEST(Sorting, LargeListingsKeepTheLocaleOrder) {
    // Short names over characters whose orders differ between byte, case and collation,
    // repeated so that equal names show that the folder's order is kept.
    const std::string lettres = "aAbBcChHiIyYvVwWzZ019 _-.~!(@";
    std::vector<std::string> ascii;
    std::uint32_t graine = 12345;
    for (int i = 0; i < 6000; ++i) {
        std::string nom;
        graine = graine * 1103515245u + 12345u;
        const std::size_t longueur = 1 + (graine >> 16) % 5;
        for (std::size_t k = 0; k < longueur; ++k) {
            graine = graine * 1103515245u + 12345u;
            nom += lettres[(graine >> 16) % lettres.size()];
        }
        ascii.push_back(nom + (i % 3 ? ".jpg" : ".JPG"));
    }
    std::vector<std::string> melanges;
    for (int i = 0; i < 5000; ++i)
        melanges.push_back(kNomsDelicats[std::size_t(i) % kNomsDelicats.size()] +
                           ascii[std::size_t(i)]);
    const QLocale avant;
    for (const char* locale : {"C", "fr_FR", "en_US", "da_DK", "cs_CZ", "tr_TR"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        QCollator collator{QLocale()};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        collator.setNumericMode(false);
        const bool c = QLocale().language() == QLocale::C;
        for (const auto* noms : {&ascii, &melanges}) {
            std::vector<std::size_t> attendu(noms->size());
            std::iota(attendu.begin(), attendu.end(), 0);
            std::vector<QString> textes;
            for (const std::string& n : *noms)
                textes.push_back(QString::fromStdString(nomAffichable(n)));
            std::stable_sort(attendu.begin(), attendu.end(), [&](std::size_t x, std::size_t y) {
                return c ? textes[x].toCaseFolded() < textes[y].toCaseFolded()
                         : collator.compare(textes[x], textes[y]) < 0;
            });
            // Names the collation holds equal ("a.jpg", "A.JPG") keep the folder's order.
            const std::vector<FileRow> obtenu = lignesTriees(*noms);
            ASSERT_EQ(obtenu.size(), attendu.size());
            std::size_t ecarts = 0;
            for (std::size_t i = 0; i < attendu.size() && ecarts < 5; ++i)
                if (obtenu[i].ancienSurDisque() != (*noms)[attendu[i]]) {
                    ++ecarts;
                    ADD_FAILURE() << locale << " row " << i << ": " << obtenu[i].ancien
                                  << " instead of " << (*noms)[attendu[i]];
                }
        }
    }
    QLocale::setDefault(avant);
}

struct PreviewCase {
    const char* name;
    std::vector<const char*> files;
    OptionsNommage options;
    std::vector<std::string> expected;
};

OptionsNommage opts(const char* prefix, auto&& tweak) {
    OptionsNommage o;
    o.prefixe = prefix;
    tweak(o);
    return o;
}

TEST(Preview, NamesFromPrefixCounterAndExtension) {
    auto same = [](OptionsNommage&) {};
    const PreviewCase cases[] = {
        {"counter right",
         {"b.jpg", "a.JPG", "c"},
         opts("IMG", same),
         {"IMG001.JPG", "IMG002.jpg", "IMG003"}},
        {"counter left",
         {"b.jpg", "a.JPG", "c"},
         opts("IMG", [](auto& o) { o.compteurADroite = false; }),
         {"001IMG.JPG", "002IMG.jpg", "003IMG"}},
        {"extension png",
         {"b.jpg", "a.JPG", "c"},
         opts("IMG",
              [](auto& o) {
                  o.extensionImposee = true;
                  o.extension = "png";
              }),
         {"IMG001.png", "IMG002.png", "IMG003.png"}},
        {"empty extension",
         {"a.jpg"},
         opts("P",
              [](auto& o) {
                  o.extensionImposee = true;
                  o.extension = "";
              }),
         {"P001."}},
        {"initial value 0",
         {"a.jpg"},
         opts("P", [](auto& o) { o.initialisation = 0; }),
         {"P000.jpg"}},
        {"alphabetic",
         {"a.jpg", "b.jpg"},
         opts("P",
              [](auto& o) {
                  o.alphabetique = true;
                  o.initialisation = 26;
              }),
         {"P__Z.jpg", "P_AA.jpg"}},
        {"empty prefix empties", {"a.jpg", "b.jpg"}, opts("", same), {"", ""}},
        {"keep-digits mask",
         {"IMG_0042.jpg", "IMG.jpg"},
         opts("[X&N]", same),
         {"[X&N]001.jpg", "[X&N].jpg"}},
        {"inactive counter",
         {"a.jpg"},
         opts("[{a}{Z}]", [](auto& o) { o.compteurInactif = true; }),
         {"[{a}{Z}].jpg"}},
        {"inactive box without a mask",
         {"a.jpg"},
         opts("P", [](auto& o) { o.compteurInactif = true; }),
         {"P001.jpg"}},
        {"dot file", {".profile"}, opts("P", same), {"P001.profile"}},
        {"width 1",
         {"a", "b"},
         opts("P",
              [](auto& o) {
                  o.largeur = 1;
                  o.initialisation = 9;
              }),
         {"P9", "P10"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> names(c.files.begin(), c.files.end());
        auto r = lignesTriees(names);
        calculerNouveauxNoms(r, true, c.options, nullptr);
        EXPECT_EQ(newNames(r), c.expected) << c.name;
    }
}

TEST(Preview, WiderNumbersAreNotCut) {
    std::vector<std::string> names;
    for (int i = 0; i < 150; ++i)
        names.push_back("f" + std::to_string(1000 + i));
    auto r = lignesTriees(names);
    OptionsNommage o;
    o.prefixe = "P";
    o.largeur = 2;
    calculerNouveauxNoms(r, true, o, nullptr);
    EXPECT_EQ(r[0].nouveau, "P01");
    EXPECT_EQ(r[98].nouveau, "P99");
    EXPECT_EQ(r[99].nouveau, "P100");
    EXPECT_EQ(r[149].nouveau, "P150");
}

TEST(Preview, MarkedRowsGetNoCounterNoExtensionAndUseNoNumber) {
    auto r = rows({"a.jpg", "b.jpg", "c.jpg"});
    OptionsNommage o;
    o.prefixe = "P";
    calculerNouveauxNoms(r, true, o, [](std::size_t i, const FileRow&) {
        return i == 1 ? std::string("NON VARLIMÉ (Pas d'en-tête Exif)") : std::string("P");
    });
    EXPECT_EQ(newNames(r), (std::vector<std::string>{"P001.jpg", "NON VARLIMÉ (Pas d'en-tête Exif)",
                                                     "P002.jpg"}));
}

// Names computed in steps of any size, and a later part named first from the start's
// counter, are the names of one pass: markers, rows without counter and rows named
// together (one number for a pair) included.
TEST(Preview, NamesInStepsAreTheNamesOfOnePass) {
    std::vector<std::string> noms;
    for (int i = 0; i < 40; ++i)
        noms.push_back(i % 5 == 2 ? "img" + std::to_string(100 + i) + ".jpg"
                                  : "vue_" + std::to_string(100 + i) + ".CR2");
    const NamePartFn partie = [](std::size_t i, const FileRow& r) {
        if (i % 9 == 4)
            return std::string("NON VARLIMÉ (Pas d'en-tête Exif)");
        return r.ancien.substr(0, 3);
    };
    // Each even row goes with the next one.
    const LigneCompagnonFn paires = [](std::size_t i) -> std::optional<std::size_t> {
        if (i % 2 == 1)
            return i - 1;
        return std::nullopt;
    };
    const struct {
        const char* nom;
        const char* prefixe;
        NamePartFn partie;
        LigneCompagnonFn compagnon;
    } cas[] = {
        {"prefix", "P_", nullptr, nullptr},
        {"keep-the-digits mask", "[*&N]", nullptr, nullptr},
        {"name parts with markers", "P_", partie, nullptr},
        {"pairs named together", "P_", partie, paires},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        OptionsNommage o;
        o.prefixe = c.prefixe;
        o.initialisation = 7;
        o.largeur = 2;
        const NamePartFn partieMasque = [&o](std::size_t, const FileRow& r) {
            return partieNomStandard(o, -1, r);
        };
        const NamePartFn& p = c.partie ? c.partie : partieMasque;
        auto entier = lignesTriees(noms);
        const long long dernier = calculerNouveauxNoms(entier, true, o, p, c.compagnon);
        for (const std::size_t pas : {1u, 3u, 16u, 100u}) {
            auto r = lignesTriees(noms);
            CalculNouveauxNoms calcul(r, true, o, p, c.compagnon);
            // Rows 25 to 30 first, counted from the start, as rows in view are.
            auto vue = r;
            CalculNouveauxNoms depuisLeDebut(vue, true, o, p, c.compagnon);
            depuisLeDebut.avancer(31, 25);
            for (std::size_t k = 25; k < 31; ++k)
                EXPECT_EQ(vue[k].nouveau, entier[k].nouveau) << "row " << k;
            EXPECT_EQ(vue[24].nouveau, "");
            while (!calcul.fini())
                calcul.avancer(calcul.suivante() + pas);
            EXPECT_EQ(newNames(r), newNames(entier)) << "steps of " << pas;
            EXPECT_EQ(calcul.dernierCompteur(), dernier);
        }
    }
}

TEST(Preview, NothingFoundEmptiesTheNewNames) {
    auto r = rows({"a.jpg"});
    r[0].nouveau = "stale";
    OptionsNommage o;
    o.prefixe = "P";
    calculerNouveauxNoms(r, false, o, nullptr);
    EXPECT_EQ(r[0].nouveau, "");
}

TEST(CounterRule, CasesThatDropTheCounter) {
    struct {
        const char* prefix;
        const char* old;
        bool inactive, exif, exifNoCounter;
        bool expected;
    } cases[] = {
        {"IMG", "a.jpg", false, false, false, true},
        {"[X&N]", "IMG_0042.jpg", false, false, false, false},
        {"[X&N]", "IMG.jpg", false, false, false, true},
        {"[*&N]", "0042", false, false, false, false},
        {"[{a}{b}]", "a.jpg", true, false, false, false},
        {"IMG", "a.jpg", false, true, true, false},
        {"IMG", "a.jpg", false, true, false, true},
        {"IMG", "a.jpg", false, false, true, true},
    };
    for (const auto& c : cases) {
        OptionsNommage o;
        o.prefixe = c.prefix;
        o.compteurInactif = c.inactive;
        o.exif.actif = c.exif;
        o.exif.sansCompteur = c.exifNoCounter;
        EXPECT_EQ(Exploite_compteur(o, c.old), c.expected) << c.prefix << " " << c.old;
    }
}

TEST(RenameRun, RenamesInGridOrderAndCountsFailures) {
    TempDir dir;
    dir.write("IMG001.jpg", "1");
    dir.write("IMG002.jpg", "2");
    auto r = rows({"IMG001.jpg", "IMG002.jpg"});
    OptionsNommage o;
    o.prefixe = "IMG";
    o.initialisation = 2;
    calculerNouveauxNoms(r, true, o, nullptr);
    ASSERT_EQ(newNames(r), (std::vector<std::string>{"IMG002.jpg", "IMG003.jpg"}));
    const BilanRenommage b = renommerLignes(dir.path(), r);
    EXPECT_EQ(b.renommes, 1);
    EXPECT_EQ(b.erreurs, 1);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"IMG001.jpg", "IMG003.jpg"}));
    EXPECT_EQ(dir.read("IMG001.jpg"), "1");
    EXPECT_EQ(dir.read("IMG003.jpg"), "2");
}

TEST(RenameRun, TargetFreedByARowAboveSucceeds) {
    TempDir dir;
    dir.write("a.jpg", "A");
    dir.write("b.jpg", "B");
    std::vector<FileRow> r = {{"a.jpg", "x.jpg", ""}, {"b.jpg", "a.jpg", ""}};
    const BilanRenommage b = renommerLignes(dir.path(), r);
    EXPECT_EQ(b.renommes, 2);
    EXPECT_EQ(b.erreurs, 0);
    EXPECT_EQ(dir.read("x.jpg"), "A");
    EXPECT_EQ(dir.read("a.jpg"), "B");
}

TEST(RenameRun, MarkedEmptyAndInvalidRows) {
    TempDir dir;
    dir.write("a.jpg", "A");
    dir.write("b.jpg", "B");
    dir.write("c.jpg", "C");
    dir.write("d.jpg", "D");
    dir.write("e.jpg", "E");
    std::vector<FileRow> r = {
        {"a.jpg", "NON VARLIMÉ (Pas d'en-tête Exif)", ""},
        {"b.jpg", "", ""},
        {"c.jpg", "../c.jpg", ""},
        {"d.jpg", "..", ""},
        {"", "", ""},
        // Already named as asked: done, not failed; gone: failed.
        {"e.jpg", "e.jpg", ""},
        {"f.jpg", "f.jpg", ""},
        {"d.jpg", ".jpg", ""},
    };
    const BilanRenommage b = renommerLignes(dir.path(), r);
    EXPECT_EQ(b.renommes, 1);
    EXPECT_EQ(b.erreurs, 5);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}));
}

TEST(RenameRun, TargetAppearingAfterThePreviewIsNeverReplaced) {
    TempDir dir;
    dir.write("a.jpg", "A");
    auto r = rows({"a.jpg"});
    OptionsNommage o;
    o.prefixe = "P";
    calculerNouveauxNoms(r, true, o, nullptr);
    dir.write("P001.jpg", "someone else's");
    const BilanRenommage b = renommerLignes(dir.path(), r);
    EXPECT_EQ(b.erreurs, 1);
    EXPECT_EQ(dir.read("P001.jpg"), "someone else's");
    EXPECT_EQ(dir.read("a.jpg"), "A");
}

TEST(RenameRun, NonUtf8NamesKeepTheirBytes) {
    TempDir dir;
    const std::string a = "\xE9t\xE9.jpg";
    const std::string b = "\xE8t\xE9.jpg";
    dir.write(a, "1");
    dir.write(b, "2");
    auto r = lignesTriees({a, b});
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].ancien, r[1].ancien); // both show the same replacement characters
    EXPECT_NE(r[0].ancienSurDisque(), r[1].ancienSurDisque());
    OptionsNommage o;
    o.prefixe = "P";
    calculerNouveauxNoms(r, true, o, nullptr);
    const BilanRenommage bilan = renommerLignes(dir.path(), r);
    EXPECT_EQ(bilan.renommes, 2);
    EXPECT_EQ(dir.read("P001.jpg") + dir.read("P002.jpg"),
              r[0].ancienSurDisque() == a ? "12" : "21");
}

} // namespace

namespace {

// What becomes of the listed folder between the listing and the run.
enum class Sort { Reste, Renomme, Supprime, Remplace };

struct FolderFateCase {
    const char* name;
    Sort sort;
    bool refused;
};

} // namespace

// The run acts only in the folder its rows were listed from; when the path no longer
// leads to that folder, nothing anywhere is renamed.
TEST(Engine, RunRefusesWhenTheListedFolderMoved) {
    const FolderFateCase cases[] = {
        {"folder/unchanged", Sort::Reste, false},
        {"folder/renamed", Sort::Renomme, true},
        {"folder/removed", Sort::Supprime, true},
        {"folder/replaced by another", Sort::Remplace, true},
    };
    for (const auto& c : cases) {
        TempDir root, state;
        root.write("photos/a.jpg");
        const std::string photos = root.path() + "photos/";
        MoteurNommage engine;
        engine.journaux = state.path();
        engine.options.prefixe = "P";
        ASSERT_TRUE(engine.lister(photos)) << c.name;
        engine.calculer();
        ASSERT_EQ(newNames(engine.lignes()), std::vector<std::string>{"P001.jpg"}) << c.name;
        switch (c.sort) {
        case Sort::Reste:
            break;
        case Sort::Renomme:
            ASSERT_EQ(::rename(photos.c_str(), (root.path() + "moved").c_str()), 0);
            break;
        case Sort::Supprime:
            ASSERT_EQ(::unlink((photos + "a.jpg").c_str()), 0);
            ASSERT_EQ(::rmdir(photos.c_str()), 0);
            break;
        case Sort::Remplace:
            ASSERT_EQ(::rename(photos.c_str(), (root.path() + "old").c_str()), 0);
            root.write("photos/a.jpg");
            break;
        }
        const BilanRenommage b = engine.renommer();
        EXPECT_EQ(b.dossierDeplace, c.refused) << c.name;
        EXPECT_EQ(b.renommes, c.refused ? 0 : 1) << c.name;
        if (c.sort == Sort::Renomme) {
            EXPECT_TRUE(root.exists("moved/a.jpg")) << c.name;
        }
        if (c.sort == Sort::Remplace) {
            EXPECT_TRUE(root.exists("photos/a.jpg")) << c.name;
            EXPECT_TRUE(root.exists("old/a.jpg")) << c.name;
        }
    }
}

// Names are bytes: a mask keeps the bytes of an old name that is not UTF-8, in a
// folder whose own path is not UTF-8, and two such names stay two files.
TEST(Engine, NonUtf8NamesAndFolderThroughAMask) {
    TempDir root, state;
    const std::string folder = root.path() + "f\xF6to/";
    root.write("f\xF6to/caf\xE9.jpg", "1");
    root.write("f\xF6to/caf\xE8.jpg", "2");
    MoteurNommage engine;
    engine.journaux = state.path();
    engine.options.prefixe = "[*_s]";
    ASSERT_TRUE(engine.lister(folder));
    engine.calculer();
    std::vector<std::string> news = newNames(engine.lignes());
    std::sort(news.begin(), news.end());
    EXPECT_EQ(news, (std::vector<std::string>{"caf\xE8_s.jpg", "caf\xE9_s.jpg"}));
    const BilanRenommage b = engine.renommer();
    EXPECT_EQ(b.renommes, 2);
    EXPECT_EQ(b.erreurs, 0);
    EXPECT_EQ(readFile(folder + "caf\xE9_s.jpg"), "1");
    EXPECT_EQ(readFile(folder + "caf\xE8_s.jpg"), "2");
}

// The extension field starts as "*": a name holding a wildcard is never created, and
// the test before renaming names the row.
TEST(Engine, WildcardNamesAreRefusedAndNamedByTheTest) {
    TempDir dir, state;
    dir.write("a.jpg");
    dir.write("b.jpg");
    MoteurNommage engine;
    engine.journaux = state.path();
    engine.options.prefixe = "P";
    engine.options.extensionImposee = true; // the field still holds "*"
    ASSERT_TRUE(engine.lister(dir.path()));
    engine.calculer();
    engine.lignes()[1].nouveau = "Q?.jpg";
    const RapportTest rapport = engine.tester(defaultMessages());
    ASSERT_GE(rapport.lignes.size(), 2u);
    EXPECT_NE(rapport.lignes[0].find("P001.*"), std::string::npos);
    const BilanRenommage b = engine.renommer();
    EXPECT_EQ(b.renommes, 0);
    EXPECT_EQ(b.erreurs, 2);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.jpg", "b.jpg"}));
}
