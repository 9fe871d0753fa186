// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The naming options the settings file keeps: one table of section, key, default and
// bounds, and the one reading of it that the window and the command line share. Every
// key of the naming options is spelled here and nowhere else.
#include "core/renameEngine.h"

#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varlime {

class IniDocument;
class Localization;
struct IniProblem;

// One stored value: where it lives, what a missing key reads as, for a number the range
// it is kept within, and for a box the command-line switch that ticks it. "ERREUR" as
// default means: a missing key leaves the option as it stands.
struct Reglage {
    const char* section;
    const char* cle;
    const char* defaut;
    int min = INT_MIN;
    int max = INT_MAX;
    const char* option = nullptr;
};

namespace reglages {
inline constexpr const char* kAbsent = "ERREUR";
// The folder the window starts in.
inline constexpr Reglage kDossier{"CHEMINS", "DEFAUT", "Erreur"};
// The main window's fields.
inline constexpr Reglage kMasqueRecherche{"MAIN", "MASQUE_RECHERCHE", "*.*"};
inline constexpr Reglage kPrefixe{"MAIN", "PREFIXE_REMPLACEMENT", ""};
inline constexpr Reglage kLargeurCompteur{"MAIN", "LARGEUR_COMPTEUR", "3"};
inline constexpr Reglage kExtensionMinuscule{"MAIN", "EXTENSION_MINUSCULE",  "0", 0,
                                             1,      "--lowercase-extension"};
// The formats of the date, time, aperture and exposure dialogs (radio group indexes).
inline constexpr Reglage kFormatHeure{"FORMATS", "HEURE", kAbsent};
inline constexpr Reglage kFormatDate{"FORMATS", "DATE", "0"};
inline constexpr Reglage kFormatOuverture{"FORMATS", "OUVERTURE", kAbsent};
inline constexpr Reglage kFormatExposition{"FORMATS", "EXPOSITION", kAbsent};
// The EXIF dialog.
inline constexpr Reglage kZoneLibre{"EXIF", "ZONE_LIBRE", ""};
inline constexpr Reglage kListeExif{"EXIF", "LISTE_OPTION", kAbsent};
inline constexpr Reglage kMasqueCompteurCoche{"EXIF", "MASQUE_COMPTEUR_COCHE", kAbsent};
inline constexpr Reglage kSeparateurInfoCoche{"EXIF", "SEPARATEUR_INFORMATION_COCHE", kAbsent};
inline constexpr Reglage kSeparateurInfo{"EXIF", "SEPARATEUR_INFORMATION", kAbsent};
inline constexpr Reglage kSeparateurFinalCoche{"EXIF", "SEPARATEUR_FINAL_COCHE", kAbsent};
inline constexpr Reglage kSeparateurFinal{"EXIF", "SEPARATEUR_FINAL", kAbsent};
inline constexpr Reglage kCompteurCoche{"EXIF", "COMPTEUR_COCHE", kAbsent};
// The companion modes.
inline constexpr Reglage kRawCanon{"OPTIONS", "RAW_CANON", "1"};
inline constexpr Reglage kAssociationCible{"ASSOCIATION_FICHIER", "CIBLE", "AVI"};
inline constexpr Reglage kAssociationSource{"ASSOCIATION_FICHIER", "SOURCE_EXIF", "THM"};
// The transfer dialog: the card's folder (the target is the window's folder) and the
// question before deleting.
inline constexpr Reglage kTransfertSource{"CHEMINS", "SOURCE", "ERREUR"};
inline constexpr Reglage kConfirmerEffacement{"OPTIONS", "CONFIRMER_EFFACEMENT", "1"};
// Its favourite folders, one key per place (cleFavori), in a section for each side.
inline constexpr const char* kFavorisSource = "CHEMINS_SOURCE";
inline constexpr const char* kFavorisCible = "CHEMINS_CIBLE";
inline std::string cleFavori(int place) {
    return "LIGNE" + std::to_string(place);
}
} // namespace reglages

// The separators of the EXIF dialog's drop-downs, by stored index; any other index
// selects nothing: no separator.
inline constexpr int kNombreSeparateursExif = 3;
std::string separateurExif(int index);
// The index a separator is stored under, or -1 for none.
int indexSeparateurExif(std::string_view separateur);

// What the settings file holds for the naming options, read in one pass into `o` (the
// width stays text in `largeur`: a stored one may be no number, which only matters once
// names are made). A stored text that is no number ends the pass and is returned; the
// options read until then are kept. EXIF naming and the companion modes are never read:
// they are chosen for each run.
std::optional<std::string> lireReglagesNommage(const IniDocument& ini, OptionsNommage& o,
                                               std::string& largeur);

// The text a stored value gets for an option in the table; nothing for a key that is
// not a naming option of the table.
std::optional<std::string> valeurReglage(const OptionsNommage& o, const Reglage& r);

// The options of the table that a window keeps in its model (not in a dialog's
// controls): read from the file at start, and written when the model changes them. A
// stored text that is no number ends the read and is returned, as lireReglagesNommage does.
std::optional<std::string> lireReglagesDuModele(const IniDocument& ini, OptionsNommage& o);
// Those of them whose stored text differs between `avant` and `apres`, with the new text.
std::vector<std::pair<const Reglage*, std::string>> reglagesChanges(const OptionsNommage& avant,
                                                                    const OptionsNommage& apres);

// A command-line switch of the table (`Reglage::option`): ticks its box in `o`. False
// for any other argument.
bool appliquerInterrupteur(std::string_view argument, OptionsNommage& o);

// The warnings for a settings file at `chemin` and the active language file that were
// not read whole, with each one's path and key: none for a file read whole.
std::vector<std::string> avertissementsFichiers(const TextLookup& texte, const std::string& chemin,
                                                const IniProblem& probleme,
                                                Localization& localization);

// The message for a stored or typed text that is no number.
std::string messageValeurNonEntiere(std::string_view texte);

} // namespace varlime
