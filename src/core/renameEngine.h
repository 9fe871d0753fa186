#pragma once
// The grid's rows as plain data, the new-name preview over them, and the rename
// run that acts on them. The windows only wire controls to these functions.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

struct FileRow {
    std::string ancien;  // old name as shown (UTF-8)
    std::string nouveau; // new name as shown
    std::string brut;    // exact bytes of the old name on disk when they differ from `ancien`

    // The bytes naming the file on disk.
    const std::string& ancienSurDisque() const { return brut.empty() ? ancien : brut; }
};

// Display text of a name read from disk: itself when valid UTF-8, otherwise the
// bytes decoded with replacement characters (the row keeps the exact bytes).
std::string nomAffichable(std::string_view octets);

// Rows of a listing, sorted case-insensitively by the user's locale (not numeric-aware);
// equal names keep their order.
std::vector<FileRow> lignesTriees(std::vector<std::string> noms);

struct PreviewOptions {
    std::string prefixe;               // EDT_prefixe_remplacement
    bool extensionImposee = false;     // CKB_extension
    std::string extension;             // TXT_extension_remplacement
    int largeur = 3;                   // CBB_largeur_increment
    int initialisation = 1;            // EDT_initialisation
    bool alphabetique = false;         // counter dialog, type
    bool compteurADroite = true;       // counter dialog, position
    bool compteurInactif = false;      // CKB_compteur_inactif checked and visible
    bool exifSansCompteur = false;     // EXIF naming on and its "no counter" box checked
    bool nommageExif = false;          // EXIF naming on
    bool nommageDate = false;          // names from each file's date
};

// Whether the row whose old name is `ancien` gets a counter.
bool Exploite_compteur(const PreviewOptions& options, std::string_view ancien);

// The name part of a row (without counter and extension), from the active mode.
using NamePartFn = std::function<std::string(std::size_t ligne, const FileRow& row)>;

// Recomputes the new name of every row. With no file, or with an empty prefix while
// neither EXIF nor date naming is on, every new name is emptied.
void calculerNouveauxNoms(std::vector<FileRow>& rows, bool fichiersTrouves,
                          const PreviewOptions& options, const NamePartFn& partieNom);

struct BilanRenommage {
    int renommes = 0;
    int erreurs = 0;
};

// Renames every row in order, one direct rename each, never replacing a file;
// marked rows are skipped and counted nowhere; every failure is counted.
BilanRenommage renommerLignes(const std::string& dossier, const std::vector<FileRow>& rows);

} // namespace varlime
