// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The advisory test run before renaming: for every row of the file grid whose
// rename would fail or collide, a few lines of explanation for the report window.
// Nothing on disk is changed. Also the two searches it uses and the step that makes
// equal neighbouring new names distinct in EXIF naming.
#include "core/messageFormat.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

// One data row of the file grid: the old bare name and the new bare name as they
// stand in the grid (hand-edited cells included).
struct LigneRenommage {
    std::string ancien;
    std::string nouveau;
    // For a sidecar renamed with its photo: the photo's old name (empty for a row).
    std::string photo = {};
};

// True when an entry of any kind (file, folder, hidden, link, device) carries
// exactly this bare name in the current folder.
using EntreeExiste = std::function<bool(const std::string& nom)>;

// Asks the file system about folder + name without following a final link, so a
// broken link counts as an existing entry, as it blocks a rename. The exact name is
// asked for: where the file system ignores case, a name differing only in case
// finds the file itself.
EntreeExiste existeDansDossier(std::string dossier);

// Rows are data rows, 0-based, in grid order. The header row is not a file and is
// never searched, so a file named like a column title cannot match it.
// True when a row above `ligne` has `nom` as old name; `index` gets the first one
// (left unchanged when none is found).
bool Trouve_dans_sources(const std::vector<LigneRenommage>& lignes, std::size_t ligne,
                         std::string_view nom, std::size_t& index);
// True when a row above `ligne` has `nom` as new name.
bool Trouve_dans_cibles(const std::vector<LigneRenommage>& lignes, std::size_t ligne,
                        std::string_view nom);

// True when a name holds a wildcard ("*" or "?"): the extension field starts as "*", and
// such a name is almost always a field left as it was, never a name the user meant.
bool Nom_avec_joker(std::string_view nom);
// A new name the rename run is bound to refuse whatever the folder holds: empty,
// "." or "..", holding "/" or a NUL, a wildcard, or longer than a file name can be.
bool Nom_cible_invalide(std::string_view nom);
// A new name that would hide a file that was not hidden: it begins with "." where the
// old one did not, as ".jpg" does when the name part and the counter come out empty.
bool Nom_cachant(std::string_view ancien, std::string_view nouveau);

// How many rows are left aside because their file has no date (the "Pas de date"
// marker); the report and the command line's summary count them.
long compterSansDate(const std::vector<LigneRenommage>& lignes);

struct RapportTest {
    std::vector<std::string> lignes;
    bool erreur = false;
};

// The report for the rows in grid order (the order of the rename run). A row whose
// old name is empty holds no file (the grid's single empty row) and is skipped.
RapportTest Tester_rename(const std::vector<LigneRenommage>& lignes, const EntreeExiste& existe,
                          const TextLookup& texte);

// Makes runs of equal neighbouring new names distinct: IMG.jpg, IMG.jpg, IMG.jpg
// become IMGA.jpg, IMGB.jpg, IMGC.jpg; past Z the letters go on as the alphabetic
// counter does (AA, AB, ...). Equal names that are not neighbours stay equal.
// Names carrying the not-renamed marker and empty names are left alone.
void Supprimer_doublons(std::vector<std::string>& nouveaux);
// The same over groups of rows named together (`groupes`: the first row of each row's
// group; a group's rows stand together): all the rows of a group take one letter, and
// two neighbouring groups are equal when they share a new name, so a RAW and its JPEG
// are never told apart by a letter.
void Supprimer_doublons(std::vector<std::string>& nouveaux,
                        const std::vector<std::size_t>& groupes);

} // namespace varlime
