// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/renameTest.h"

#include "core/nameUtils.h"
#include "platform/fileSystem.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace varlime {

namespace {
// Longest file name, in bytes, that Linux file systems accept.
constexpr std::size_t kNomMax = 255;
} // namespace

EntreeExiste existeDansDossier(std::string dossier) {
    dossier = Retourne_repertoire_slash(dossier);
    return [dossier](const std::string& nom) { return entreeExiste(dossier, nom); };
}

bool Trouve_dans_sources(const std::vector<LigneRenommage>& lignes, std::size_t ligne,
                         std::string_view nom, std::size_t& index) {
    for (std::size_t i = 0; i < ligne && i < lignes.size(); ++i) {
        if (lignes[i].ancien == nom) {
            index = i;
            return true;
        }
    }
    return false;
}

bool Trouve_dans_cibles(const std::vector<LigneRenommage>& lignes, std::size_t ligne,
                        std::string_view nom) {
    for (std::size_t i = 0; i < ligne && i < lignes.size(); ++i)
        if (lignes[i].nouveau == nom)
            return true;
    return false;
}

bool Nom_avec_joker(std::string_view nom) {
    return nom.find_first_of("*?") != std::string_view::npos;
}

bool Nom_cible_invalide(std::string_view nom) {
    return !nomValide(nom) || nom.size() > kNomMax || Nom_avec_joker(nom);
}

long compterSansDate(const std::vector<LigneRenommage>& lignes) {
    return std::count_if(lignes.begin(), lignes.end(), [](const LigneRenommage& l) {
        return !l.ancien.empty() && l.nouveau == kNonVarlimeSansDate;
    });
}

bool Nom_cachant(std::string_view ancien, std::string_view nouveau) {
    return nouveau.starts_with('.') && !ancien.starts_with('.');
}

RapportTest Tester_rename(const std::vector<LigneRenommage>& lignes, const EntreeExiste& existe,
                          const TextLookup& texte) {
    RapportTest rapport;
    // Names are put in after the message is split into lines, so that a name holding a
    // line break stays on its line.
    auto ajouter = [&rapport](std::vector<std::string> lignes) {
        for (auto& l : lignes)
            rapport.lignes.push_back(std::move(l));
    };
    // The rows above the current one, indexed as the run goes: the first row of each
    // old name and every new name. Same answers as the two searches, without scanning
    // every row above each row of a large folder.
    std::unordered_map<std::string_view, std::size_t> premiereSource;
    std::unordered_set<std::string_view> cibles;
    auto examiner = [&](std::size_t r) {
        const std::string& ancien = lignes[r].ancien;
        const std::string& nouveau = lignes[r].nouveau;
        if (ancien.empty())
            return;
        const std::size_t lignesAvant = rapport.lignes.size();
        bool verifier = !Remplacement_indique_pas_varlime(nouveau);
        // Said, so that a video or RAW file left aside is not taken for a renamed one.
        if (nouveau == kNonVarlimeSansCompagnon)
            ajouter(formattedLines(texte("RSC_msg_test_sans_compagnon",
                                         "Le fichier %s n'a pas de fichier compagnon portant les "
                                         "EXIF : il ne sera pas varlimé\r\n"),
                                   {ancien}));

        if (ancien == nouveau) {
            ajouter(formattedLines(
                texte("RSC_msg_test_varlime_meme_nom", "Vous varlimez %s avec son propre nom\r\n"),
                {ancien}));
            rapport.erreur = true;
            verifier = false;
        }

        // The rename run refuses such a name whatever the folder holds; asking the
        // file system about it would look into another folder or at this one.
        if (verifier && (Nom_cible_invalide(nouveau) || Nom_cachant(ancien, nouveau))) {
            ajouter(formattedLines(
                texte("RSC_msg_test_nom_invalide",
                      "Le fichier %s ne peut pas être varlimé en \"%s\" : nom de fichier "
                      "invalide\r\n"),
                {ancien, nouveau}));
            rapport.erreur = true;
            verifier = false;
        }

        if (verifier && existe && existe(nouveau)) {
            rapport.erreur = true;
            ajouter(formattedLines(
                texte("RSC_msg_test_doit_etre_varlime", "Le fichier %s doit être varlimé en %s"),
                {ancien, nouveau}));
            ajouter(
                messageLines(texte("RSC_msg_test_fichier_existe_deja", "ce fichier existe déjà,")));
            const auto source = premiereSource.find(nouveau);
            if (source != premiereSource.end() && cibles.count(nouveau) == 0) {
                const std::size_t i = source->second;
                ajouter(
                    formattedLines(texte("RSC_msg_test_devant_etre_varlime",
                                         "mais le fichier %s devant être lui-même varlimé en %s"),
                                   {nouveau, lignes[i].nouveau}));
                ajouter(formattedLines(
                    texte("RSC_msg_test_peut_etre_varlime", "le fichier %s peut donc être varlimé"),
                    {ancien}));
            } else {
                ajouter(formattedLines(
                    texte("RSC_msg_test_modifiez_cible", "modifiez la cible (%s) pour %s"),
                    {nouveau, ancien}));
            }
            rapport.lignes.emplace_back();
            verifier = false;
        }

        if (verifier && cibles.count(nouveau) > 0) {
            ajouter(formattedLines(texte("RSC_msg_test_apparait_plusieurs_fois",
                                         "Le fichier %s apparaît plusieurs fois dans la liste des "
                                         "fichiers cibles"),
                                   {nouveau}));
            ajouter(formattedLines(texte("RSC_msg_test_cible_differente",
                                         "Le fichier %s doit avoir un fichier cible différent\r\n"),
                                   {ancien}));
            rapport.erreur = true;
        }
        // The run leaves a photo as it is when one of its sidecars cannot follow it; said
        // before the empty line that closes the sidecar's lines.
        if (!lignes[r].photo.empty() && rapport.lignes.size() > lignesAvant) {
            auto fin = rapport.lignes.end();
            if (rapport.lignes.back().empty())
                --fin;
            const auto dite = formattedLines(texte("RSC_msg_test_annexe_photo_gardee",
                                                   "le fichier %s, qu'il accompagne, ne sera "
                                                   "donc pas varlimé non plus"),
                                             {lignes[r].photo});
            rapport.lignes.insert(fin, dite.begin(), dite.end());
        }
    };
    for (std::size_t r = 0; r < lignes.size(); ++r) {
        examiner(r);
        premiereSource.emplace(lignes[r].ancien, r);
        cibles.insert(lignes[r].nouveau);
    }
    // Files left aside because they have no date are counted, not listed one by one.
    if (const long sansDate = compterSansDate(lignes); sansDate > 0)
        ajouter(formattedLines(texte("RSC_msg_test_sans_date",
                                     "%d fichiers n'ont pas de date de prise de vue : ils ne "
                                     "seront pas varlimés\r\n"),
                               {std::to_string(sansDate)}));
    if (!rapport.erreur)
        ajouter(messageLines(texte("RSC_aucune_erreur", "*** Aucune erreur à signaler ***")));
    return rapport;
}

namespace {
// Name with the letters slipped in before its extension; a name without a dot
// takes them at its end rather than repeating itself as an extension.
std::string avecLettres(const std::string& nom, long long numero) {
    const std::string lettres = lettresCompteur(numero);
    if (nom.find('.') == std::string::npos)
        return nom + lettres;
    return Prefixe(nom) + lettres + "." + Extension(nom);
}

bool distinguable(const std::string& nom) {
    return !nom.empty() && !Remplacement_indique_pas_varlime(nom);
}
} // namespace

void Supprimer_doublons(std::vector<std::string>& nouveaux) {
    std::vector<std::size_t> seuls(nouveaux.size());
    for (std::size_t i = 0; i < seuls.size(); ++i)
        seuls[i] = i;
    Supprimer_doublons(nouveaux, seuls);
}

void Supprimer_doublons(std::vector<std::string>& nouveaux,
                        const std::vector<std::size_t>& groupes) {
    // Each group as the rows [debut, fin) it spans.
    std::vector<std::pair<std::size_t, std::size_t>> blocs;
    for (std::size_t i = 0; i < nouveaux.size(); ++i) {
        const std::size_t g = i < groupes.size() ? groupes[i] : i;
        if (!blocs.empty() && i > 0 && (i - 1 < groupes.size() ? groupes[i - 1] : i - 1) == g)
            blocs.back().second = i + 1;
        else
            blocs.emplace_back(i, i + 1);
    }
    auto egaux = [&](std::size_t a, std::size_t b) {
        for (std::size_t i = blocs[a].first; i < blocs[a].second; ++i)
            for (std::size_t j = blocs[b].first; j < blocs[b].second; ++j)
                if (distinguable(nouveaux[i]) && nouveaux[i] == nouveaux[j])
                    return true;
        return false;
    };
    auto lettrer = [&](std::size_t b, long long k) {
        for (std::size_t i = blocs[b].first; i < blocs[b].second; ++i)
            if (distinguable(nouveaux[i]))
                nouveaux[i] = avecLettres(nouveaux[i], k);
    };
    std::size_t r = 0;
    while (r + 1 < blocs.size()) {
        long long k = 1;
        while (r + 1 < blocs.size() && egaux(r, r + 1)) {
            lettrer(r, k);
            ++r;
            ++k;
        }
        // The last name of a run gets its letter too; it is then compared again with
        // the name below it, which may now be equal to it.
        if (k > 1)
            lettrer(r, k);
        else
            ++r;
    }
}

} // namespace varlime
