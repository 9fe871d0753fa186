// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped help: which file a help key's value opens, and that every key and window
// leads to a page (and anchor) that exists in French and in English.
#include "i18n/aide.h"
#include "platform/iniFile.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

using namespace varlime;
using varlime::test::TempDir;

namespace {

const std::string kHelp = std::string(VARLIME_SOURCE_DIR) + "/doc/help/";

TEST(AidePages, FoundInTheLanguageThenEnglishThenFrench) {
    TempDir t;
    for (const char* f : {"build/help/en/index.html", "build/help/fr/index.html",
                          "build/help/fr/masques.html", "share/de/raw.html", "share/en/raw.html"})
        t.write(f, "<html></html>");
    const std::vector<std::string> dossiers{t.path() + "build/help/", t.path() + "share/"};
    struct Cas {
        const char* nom;
        const char* valeur;
        const char* defaut;
        const char* langue;
        const char* trouve; // under the temporary folder; "" when none
        const char* ancre;
        const char* web;
    };
    const Cas cas[] = {
        {"french", "index.html", "index.html", "fr", "build/help/fr/index.html", "", ""},
        {"empty value is the built-in page", "", "index.html", "en", "build/help/en/index.html", "",
         ""},
        {"anchor, English missing", "masques.html#prefixe", "masques.html", "en",
         "build/help/fr/masques.html", "prefixe", ""},
        {"second folder", "raw.html", "raw.html", "de", "share/de/raw.html", "", ""},
        {"unknown language", "raw.html", "raw.html", "it", "share/en/raw.html", "", ""},
        {"language code in capitals", " index.html ", "index.html", "EN",
         "build/help/en/index.html", "", ""},
        {"old web address gives way", "https://example.org/en/help/raw", "raw.html", "en",
         "share/en/raw.html", "", ""},
        {"web address kept when nothing shipped", "HTTP://example.org/x", "absent.html", "en", "",
         "", "HTTP://example.org/x"},
        {"page named by the language file", "raw.html#association", "index.html", "fr",
         "share/en/raw.html", "association", ""},
        {"missing page", "absent.html", "index.html", "fr", "", "", ""},
    };
    for (const Cas& c : cas) {
        const RechercheAide r = chercherPageAide(c.valeur, c.defaut, c.langue, dossiers);
        EXPECT_EQ(r.chemin, *c.trouve ? t.path() + c.trouve : "") << c.nom;
        EXPECT_EQ(r.ancre, c.ancre) << c.nom;
        EXPECT_EQ(r.adresseWeb, c.web) << c.nom;
    }
    // What a missing page's message lists: each language under each folder, in order.
    const RechercheAide r = chercherPageAide("absent.html", "index.html", "de", dossiers);
    const std::vector<std::string> attendu{
        t.path() + "build/help/de/absent.html", t.path() + "share/de/absent.html",
        t.path() + "build/help/en/absent.html", t.path() + "share/en/absent.html",
        t.path() + "build/help/fr/absent.html", t.path() + "share/fr/absent.html"};
    EXPECT_EQ(r.cherches, attendu);
    EXPECT_EQ(dossiersAide("/opt/varlime/bin/"),
              (std::vector<std::string>{"/opt/varlime/bin/help/",
                                        "/opt/varlime/bin/../share/doc/varlime/"}));
}

// True when `page` ("name.html" or "name.html#anchor") exists in the language's folder
// of the shipped help, with an element of that id.
std::string defautPage(const std::string& langue, const std::string& page) {
    const auto diese = page.find('#');
    const std::string fichier = kHelp + langue + "/" + page.substr(0, diese);
    if (!std::filesystem::is_regular_file(fichier))
        return "missing " + fichier;
    if (diese != std::string::npos &&
        test::readFile(fichier).find("id=\"" + page.substr(diese + 1) + "\"") == std::string::npos)
        return "no anchor " + page;
    return "";
}

TEST(AidePages, EveryKeyAndWindowLeadsToAShippedPage) {
    std::vector<std::pair<std::string, std::string>> pages; // what names it, page
    for (const PageAide& p : pagesAide()) {
        pages.push_back({std::string("window ") + p.fenetre, p.page});
        if (p.cle) {
            EXPECT_EQ(pageAideParDefaut(p.cle), p.page) << p.cle;
        }
    }
    const IniDocument en = IniDocument::load(std::string(VARLIME_SOURCE_DIR) + "/lang/lang_en.ini");
    int cles = 0;
    for (const std::string& cle : en.keys("MESSAGES"))
        if (cle.starts_with("RSC_lien_aide_")) {
            pages.push_back({"lang_en.ini " + cle, en.read("MESSAGES", cle, "")});
            ++cles;
        }
    EXPECT_EQ(cles, 7);
    for (const char* langue : {"fr", "en"})
        for (const auto& [qui, page] : pages)
            EXPECT_EQ(defautPage(langue, page), "") << qui << " (" << langue << ")";
}

// Every picture and page a help page links to is shipped too.
TEST(AidePages, LinksAndPicturesOfThePagesExist) {
    const std::regex lien(R"re((?:src|href)="([^"#:]+)(?:#[^"]*)?")re");
    int pages = 0, liens = 0;
    for (const char* langue : {"fr", "en"})
        for (const auto& e : std::filesystem::directory_iterator(kHelp + langue)) {
            ++pages;
            const std::string texte = test::readFile(e.path().string());
            for (std::sregex_iterator it(texte.begin(), texte.end(), lien), fin; it != fin; ++it) {
                ++liens;
                EXPECT_TRUE(
                    std::filesystem::is_regular_file(e.path().parent_path() / (*it)[1].str()))
                    << e.path() << " links to " << (*it)[1];
            }
        }
    EXPECT_EQ(pages, 18);
    EXPECT_GT(liens, 150);
}

} // namespace
