// SPDX-License-Identifier: GPL-3.0-or-later
// Rename journals of any content (a journal cut short by a crash, damaged, or written by
// something else): reading never reads outside its input nor fails on it, and what it
// reads is written back and read again unchanged.
#include "core/renameJournal.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool memesLignes(const varlime::JournalLu& a, const varlime::JournalLu& b) {
    if (a.lignes.size() != b.lignes.size())
        return false;
    for (std::size_t i = 0; i < a.lignes.size(); ++i) {
        const auto &x = a.lignes[i], &y = b.lignes[i];
        if (x.ancien != y.ancien || x.nouveau != y.nouveau || x.inode != y.inode ||
            x.naissance != y.naissance || x.fait != y.fait || x.contenu != y.contenu ||
            x.taille != y.taille || x.mtime != y.mtime || (x.contenu && x.empreinte != y.empreinte))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view texte(reinterpret_cast<const char*>(data), size);
    const auto lu = varlime::lireJournalTexte(texte, "fuzz");
    if (!lu)
        return 0;
    if (lu->dossier.empty())
        std::abort(); // a journal always names its folder
    if (lu->faits() < 0 || std::size_t(lu->faits()) > lu->lignes.size())
        std::abort();
    std::string ecrit = varlime::texteEnteteJournal(lu->dossier, lu->identite(), lu->debut,
                                                    lu->lignes, lu->annulation);
    for (std::size_t i = 0; i < lu->lignes.size(); ++i)
        if (lu->lignes[i].fait)
            ecrit += "fait " + std::to_string(i) + "\n";
    if (lu->termine)
        ecrit += "fin\n";
    const auto relu = varlime::lireJournalTexte(ecrit, "fuzz");
    if (!relu || relu->dossier != lu->dossier || relu->device != lu->device ||
        relu->inode != lu->inode || relu->volume != lu->volume || relu->interne != lu->interne ||
        relu->naissanceDossier != lu->naissanceDossier ||
        relu->inodesStables != lu->inodesStables || relu->annulation != lu->annulation ||
        relu->termine != lu->termine || !memesLignes(*lu, *relu))
        std::abort();
    return 0;
}
