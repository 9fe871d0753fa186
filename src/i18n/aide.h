// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The help shipped with the program: HTML pages in one folder per language (fr, en,
// ...), opened at the page of the window the user is in. The "Aide" buttons and the
// help menu take their page from a message key beginning with RSC_lien_aide_ (so a
// language file may name another page, or an anchor in one); F1 takes it from the
// window's row below.
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

struct PageAide {
    const char* fenetre; // objectName of the window; empty for a menu item alone
    const char* cle;     // message key naming the page, or nullptr for a fixed page
    const char* page;    // built-in page, "name.html" or "name.html#anchor"
};

// Every window of the program, one row each, and the help menu's tips page.
std::span<const PageAide> pagesAide();
// The row of a window, or nullptr.
const PageAide* pageAideDeFenetre(std::string_view fenetre);
// The built-in page of a message key ("index.html" for an unknown key).
std::string pageAideParDefaut(std::string_view cle);

// Where the help pages are looked for: "help/" beside the executable (the build tree),
// then "../share/doc/varlime/" (where the program is installed).
std::vector<std::string> dossiersAide(const std::string& programFolder);

struct RechercheAide {
    std::string chemin;                // full path of the page found; empty when none
    std::string ancre;                 // what followed '#', without it
    std::string adresseWeb;            // a web address to open when no page was found
    std::vector<std::string> cherches; // every path tried, in order
};

// Finds the page a key's value names. A value that is a web address (language files of
// older versions held one) gives way to the built-in page when that one is shipped; an
// empty value is the built-in page. The page is looked for in the language's folder,
// then in English, then in French, under each help folder in turn.
RechercheAide chercherPageAide(std::string_view valeur, std::string_view pageParDefaut,
                               std::string_view langue, const std::vector<std::string>& dossiers);

} // namespace varlime
