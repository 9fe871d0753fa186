// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File and folder services: directory search with an attribute set and a wildcard
// mask, folder test, modification time, and renaming that never replaces a file.
// Names are the exact bytes found on disk.
#include <QString>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

// Attribute flags of a directory entry, as the file-type choice sums them.
enum Attribut : int {
    attrLectureSeule = 1, // not writable by the user
    attrCache = 2,        // name begins with '.'
    attrSysteme = 4,      // neither a regular file nor a folder (device, pipe, broken link)
    attrVolume = 8,       // never set on Linux
    attrRepertoire = 16,  // a folder, or a link to one
    attrArchive = 32,     // a regular file
    attrTous = 63,
};

struct EntreeRepertoire {
    std::string nom; // exact bytes
    int attributs = 0;
};

// Windows-style wildcard match, letter case ignored: '*' any run, '?' one character;
// a mask ending in ".*" also matches names without a dot, so "*.*" matches every name.
bool correspondMasque(std::string_view masque, std::string_view nom);

// Entries of `dossier` matching `masque` and allowed by `attributs`: an entry is
// kept unless it carries the hidden, system, volume or folder flag while the set
// lacks it. "." and ".." never appear. A mask holding '/' matches nothing (the list
// only ever holds names of this folder). `ok` is false when the folder cannot be read.
std::vector<EntreeRepertoire> chercherFichiers(const std::string& dossier, std::string_view masque,
                                               int attributs, bool* ok = nullptr);

// The same in a folder already opened (a directory file descriptor, left open).
std::vector<EntreeRepertoire> chercherFichiersAt(int dossierFd, std::string_view masque,
                                                 int attributs, bool* ok = nullptr);

// True when `chemin` names an existing folder (links followed).
bool Chemin_valide(const std::string& chemin);
// True when an entry of that exact name exists in the folder (any kind, links not followed).
bool entreeExiste(const std::string& dossier, const std::string& nom);
// The same in a folder already opened.
bool entreeExisteAt(int dossierFd, const std::string& nom);
// Last modification time of an entry of an opened folder (links followed).
std::optional<std::time_t> dateModificationAt(int dossierFd, const std::string& nom);
// The bytes on disk of a path that Qt shows as text. Qt replaces the bytes of a name
// that are not UTF-8, so such a path does not lead back to its folder: each part that
// is not found as written is matched against its parent's entries as Qt shows them.
std::string cheminSurDisque(const QString& affiche);
// Last modification time of a file, or nothing when it cannot be read.
std::optional<std::time_t> dateModification(const std::string& chemin);

// The process's current directory, ending in '/'; setting it returns false on failure.
std::string repertoireCourant();
bool changerRepertoireCourant(const std::string& dossier);

// Folder of the running executable, ending in '/'.
std::string dossierProgramme();

enum class ResultatRenommage {
    Renomme,
    NomInvalide, // empty, ".", "..", holds '/' or NUL
    CibleExiste, // never replaced
    SourceAbsente,
    NomTropLong,
    Refuse, // access refused or any other failure
};

// Renames `ancien` to `nouveau`, both bare names inside `dossier`, without ever
// replacing an existing entry. A rename that only changes letter case works on
// file systems that ignore case (the target is then the source itself).
// On failure errno holds the system's cause.
ResultatRenommage renommerSansEcraser(const std::string& dossier, const std::string& ancien,
                                      const std::string& nouveau);

// Same, with the folder already opened (a directory file descriptor); used by
// batch runs so the folder is resolved once and cannot be swapped under the run.
ResultatRenommage renommerSansEcraserAt(int dirfd, const std::string& ancien,
                                        const std::string& nouveau);

bool nomValide(std::string_view nom);

// Opens a folder for renameat-style calls; closes it on destruction.
class DossierOuvert {
public:
    explicit DossierOuvert(const std::string& dossier);
    ~DossierOuvert();
    DossierOuvert(const DossierOuvert&) = delete;
    DossierOuvert& operator=(const DossierOuvert&) = delete;
    int fd() const { return fd_; }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace varlime
