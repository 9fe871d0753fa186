// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/aide.h"

#include <algorithm>
#include <cctype>
#include <sys/stat.h>

namespace varlime {

namespace {

constexpr PageAide kPages[] = {
    {"MainForm", "RSC_lien_aide_sommaire", "index.html"},
    {"", "RSC_lien_aide_truc_astuce", "astuces.html"},
    {"DLG_masque", "RSC_lien_aide_masque", "masques.html"},
    {"DLG_exif_info", "RSC_lien_aide_exif", "exif.html"},
    {"DLG_canon", "RSC_lien_aide_raw", "raw.html"},
    {"DLG_information", "RSC_lien_aide_raw", "raw.html"},
    {"DLG_transfert", "RSC_lien_aide_module_transfert", "transfert.html"},
    {"DLG_import", "RSC_lien_aide_import", "import.html"},
    // Windows without an "Aide" button: F1 opens the part of a page about them.
    {"DLG_association_fichier", nullptr, "raw.html#association"},
    {"DLG_option_date", nullptr, "options.html#date"},
    {"DLG_option_heure", nullptr, "options.html#heure"},
    {"DLG_option_prefixe", nullptr, "options.html#prefixe"},
    {"DLG_option_compteur", nullptr, "options.html#compteur"},
    {"DLG_type_fichier", nullptr, "options.html#types"},
    {"DLG_rapport", nullptr, "index.html#test"},
    {"DLG_essai", nullptr, "index.html#dossier"},
    {"DLG_selection_repertoire", nullptr, "index.html#dossier"},
    {"DLG_langue", nullptr, "index.html#langue"},
    {"DLG_a_propos", nullptr, "index.html#a-propos"},
    {"DLG_exif_dump", nullptr, "exif.html#dump"},
    {"DLG_lecture_exif", nullptr, "exif.html"},
    {"DLG_exif_option_affichage", nullptr, "exif.html#formats"},
    {"DLG_option_ouverture", nullptr, "exif.html#formats"},
    {"DLG_option_exposition", nullptr, "exif.html#formats"},
    {"DLG_info_avancement", nullptr, "transfert.html#avancement"},
    {"DLG_rep_xp", nullptr, "transfert.html#dossiers"},
    {"DLG_vignette", nullptr, "image.html"},
    {"DLG_info_touche", nullptr, "image.html#touches"},
};

bool fichierExiste(const std::string& chemin) {
    struct stat st;
    return ::stat(chemin.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string_view sansBlancs(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

std::string minuscules(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

} // namespace

std::span<const PageAide> pagesAide() {
    return kPages;
}

const PageAide* pageAideDeFenetre(std::string_view fenetre) {
    for (const PageAide& p : kPages)
        if (!fenetre.empty() && fenetre == p.fenetre)
            return &p;
    return nullptr;
}

std::string pageAideParDefaut(std::string_view cle) {
    for (const PageAide& p : kPages)
        if (p.cle && cle == p.cle)
            return p.page;
    return "index.html";
}

std::vector<std::string> dossiersAide(const std::string& programFolder) {
    const std::string base = programFolder.empty() ? std::string("./") : programFolder;
    return {base + "help/", base + "../share/doc/varlime/"};
}

RechercheAide chercherPageAide(std::string_view valeur, std::string_view pageParDefaut,
                               std::string_view langue, const std::vector<std::string>& dossiers) {
    RechercheAide r;
    valeur = sansBlancs(valeur);
    const std::string debut = minuscules(valeur.substr(0, 8));
    const bool web = debut.starts_with("http://") || debut.starts_with("https://");
    std::string page(valeur.empty() || web ? pageParDefaut : valeur);
    if (page.starts_with("file://"))
        page.erase(0, 7);
    if (const auto diese = page.find('#'); diese != std::string::npos) {
        r.ancre = page.substr(diese + 1);
        page.erase(diese);
    }
    if (page.starts_with('/')) {
        r.cherches.push_back(page);
    } else if (!page.empty()) {
        std::vector<std::string> langues;
        for (std::string l : {minuscules(sansBlancs(langue)), std::string("en"), std::string("fr")})
            if (!l.empty() && l.find('/') == std::string::npos &&
                std::find(langues.begin(), langues.end(), l) == langues.end())
                langues.push_back(l);
        for (const std::string& l : langues)
            for (const std::string& d : dossiers)
                r.cherches.push_back(d + l + "/" + page);
    }
    for (const std::string& c : r.cherches)
        if (fichierExiste(c)) {
            r.chemin = c;
            return r;
        }
    if (web)
        r.adresseWeb = std::string(valeur);
    return r;
}

} // namespace varlime
