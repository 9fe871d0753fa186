// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Importing a card: its photos, films and sidecars filed into dated folders of an
// archive (and of each backup), renamed as they are filed, every copy read back and
// compared, remembered in a history so that the next card skips what is already there,
// and listed in a hash list that other tools check.
//
// Two steps, as the command line and the window both use them: plan first (what goes
// where, under which name, and what is skipped), which changes nothing and is what a
// preview shows; then run that plan as a job that reports progress, can be stopped
// before its next file from another thread, and returns what became of every file.
#include "core/renameEngine.h"
#include "import/historiqueImport.h"

#include <QDateTime>
#include <array>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace varlime {

struct FaitsExif;

// One camera's clock correction: the capture dates of the photos whose model or body
// serial is `appareil` are shifted by `secondes` (negative: earlier).
struct DecalageHoraire {
    std::string appareil;
    long secondes = 0;
    bool operator==(const DecalageHoraire&) const = default;
};
// "MODEL_OR_SERIAL=+HH:MM" or "=-HH:MM:SS"; nothing when the text is not of that form.
std::optional<DecalageHoraire> lireDecalage(std::string_view texte);
// The offset as given on the command line: "+01:30", "-00:00:20".
std::string texteDecalage(long secondes);

// Everything an import needs.
struct OptionsImport {
    std::string source;                   // a camera folder (DCIM) or any folder
    std::string archive;                  // where files are filed
    std::vector<std::string> sauvegardes; // backups: each gets the same tree
    // The folders under each destination: strftime's %Y %m %d %H %M %S %j %b of the
    // capture date, {make} {model} {job} {ext}; '/' separates levels.
    std::string modeleDossiers = "%Y/%Y-%m-%d";
    // Where files without a capture date go (never under today's date).
    std::string dossierSansDate = "sans date";
    std::string travail; // {job}
    std::vector<DecalageHoraire> decalages;
    // The short month names of %b, January first, in the user's language.
    std::array<std::string, 12> moisAbreges;
    // How each file is renamed: the same options as a rename.
    OptionsNommage nommage;
    bool deplacer = false; // delete from the card what every destination verified
    // The history database; empty: historiqueParDefaut().
    std::string historique;
    // Only the plan is wanted: a missing history is not created.
    bool apercu = false;
};

// The month names of the user's language (QLocale), for %b.
std::array<std::string, 12> moisAbregesDuSysteme();
// $XDG_DATA_HOME/varlime/imports.sqlite (~/.local/share when unset).
std::string historiqueParDefaut();

// The date a file is filed and named by: the capture date of its EXIF facts. Every
// reader of that date goes through here.
std::optional<QDateTime> dateDePrise(const FaitsExif& faits);

// The folders of one file under a destination, from the template (ending in '/'; empty
// for an empty template). Values that would make a new level or climb ('/', "..") are
// made harmless. Without a date, the date tokens' folder is `sansDate`.
struct ValeursModele {
    std::optional<QDateTime> date;
    std::string fabricant, modele, travail, extension;
};
std::string dossierDuModele(const std::string& modele, const ValeursModele& v,
                            const std::array<std::string, 12>& mois, const std::string& sansDate);

// What the plan says of one card file.
enum class MarqueImport {
    AImporter,    // to copy
    DejaImporte,  // already in this archive (by name, size and time, or by content)
    DoublonCarte, // the same content as another file of this card, imported once
    NomPris,      // its planned name is taken and would be replaced: it fails
};

struct FichierImport {
    std::string dossierSource; // card folder, ending in '/'
    std::string nomSource;     // its name there (bytes)
    std::int64_t taille = 0;
    std::int64_t mtime = 0; // seconds since the epoch
    std::int64_t mtimeNs = 0;
    // Where it goes, relative to each destination: folders ending in '/', then the name.
    std::string dossier;
    std::string nom;
    std::optional<QDateTime> datePrise; // after the camera's offset
    long decalage = 0;                  // the offset applied, in seconds
    std::string fabricant, modele, serie;
    MarqueImport marque = MarqueImport::AImporter;
    // For DejaImporte: the archive path it was imported as; for DoublonCarte: the card
    // file it repeats.
    std::string deja;
    // The content hash (32 hex digits) when the plan had to read the file to decide.
    std::string empreinte;
    // For a sidecar: the index of its photo in the plan; kSansPhoto otherwise.
    std::size_t photo = kSansPhoto;
    // A run stopped while writing it: it is finished under the name it was given then.
    bool reprise = false;
    // Already imported into this archive, but not into every destination of this run (a
    // backup added since): read from the card again and copied, verified, into the
    // destinations that lack it, under the path it was imported as (`deja`).
    bool completer = false;

    std::string cheminSource() const { return dossierSource + nomSource; }
    std::string cheminRelatif() const { return dossier + nom; }
    bool sansDate() const { return !datePrise.has_value(); }
};

struct PlanImport {
    std::vector<FichierImport> fichiers; // in card order, each photo before its sidecars
    std::int64_t octetsACopier = 0;      // of the files marked AImporter
    int illisibles = 0;                  // card folders that could not be listed
};

// Where a run is, before and after each file.
struct ProgressionImport {
    int fichiersFaits = 0, fichiersTotal = 0;
    std::int64_t octetsFaits = 0, octetsTotal = 0;
    double octetsParSeconde = 0;
    double secondesRestantes = -1; // -1 while unknown
    std::string fichier;           // the card file being imported
};

// What became of the card's files: each count with its files (card paths).
struct BilanImport {
    std::vector<std::string> importes;
    std::vector<std::string> dejaImportes;
    std::vector<std::string> doublons;
    std::vector<std::string> sansDate; // imported into the folder for undated files
    std::vector<std::string> echecs;
    std::vector<std::string> effaces; // deleted from the card (move)
    // Why each failure failed, in the order of `echecs`.
    std::vector<std::string> raisons;
    bool interrompu = false;
    // The files a stop left untouched.
    int restants = 0;
    // A fault that stopped the whole run (damaged history, full disk...), with its path.
    std::string erreur;
    bool reussi() const { return echecs.empty() && erreur.empty() && !interrompu; }
};

// How a job reports. Called on the job's own thread.
struct SuiviImport {
    std::function<void(const ProgressionImport&)> progression;
};

class ImportCarte {
public:
    explicit ImportCarte(OptionsImport options);
    ~ImportCarte();
    ImportCarte(const ImportCarte&) = delete;
    ImportCarte& operator=(const ImportCarte&) = delete;

    const OptionsImport& options() const { return options_; }

    // Opens the history (a damaged one is refused, never recreated) and plans every card
    // file. False with `*erreur` set when the import cannot go on: the history, a missing
    // source or archive.
    bool planifier(std::string* erreur);
    const PlanImport& plan() const { return plan_; }
    // Plans again for another folder template, other camera offsets or other naming
    // options, from what the last plan read (the files, their facts and marks, the
    // destination folders' names): no card file is read again, so a window can follow
    // each keystroke with the names the run will use. False when the options differ in
    // what only a new reading can tell (source, destinations, the listing's filters),
    // or when no plan was made: planifier() is then needed.
    bool replanifier(const OptionsImport& options);
    // Lets go of what the plan keeps open on the card (its folders), before an eject;
    // replanifier() then needs a new plan.
    void liberer();

    // Runs the plan: copies, verifies, records, writes the hash lists and, for a move,
    // deletes from the card what every destination verified.
    BilanImport executer(const SuiviImport& suivi = {});

    // Takes a planned file out of the run (the window's unticked files): it is neither
    // copied nor counted. Its sidecars are the caller's to take out with it.
    void ecarter(std::size_t i);

    // Asks the run to stop before its next file (any thread; never cleared).
    void arreter() { arret_.store(true); }
    bool arrete() const { return arret_.load(); }

    // A test hook: called with each destination file once written and flushed, before it
    // is read back; a test flips a byte there to see the verification fail.
    std::function<void(const std::string& destination)> avantRelecture;

private:
    // What a card file was when planned: a move deletes it only while it is still that
    // very file (same device, inode, size and time, a regular file).
    struct Identite {
        dev_t dev = 0;
        ino_t ino = 0;
        off_t taille = 0;
        struct timespec mtime {};
        bool present = false;
    };
    // The plan's steps: the walk and the listings, each file's date and folder, what
    // is already imported or twice on the card, the names.
    struct Etapes;
    void lister(Etapes& e);
    void identifier(Etapes& e);
    void placer(Etapes& e);
    void marquer(Etapes& e);
    void nommer(Etapes& e);
    // Copies one file into the destinations `vers`, verified; its reason of failure
    // ("kind:detail", "stopped:" when a stop was asked during the copy), or empty with
    // `empreinte` set. `plein` tells a full disk; `avance` is told of the bytes done.
    std::string copier(const FichierImport& f, const std::vector<std::string>& vers,
                       std::string& empreinte, bool& plein,
                       const std::function<void(std::int64_t)>& avance);
    bool encoreLaMeme(std::size_t i, const std::string& empreinte) const;
    bool effacerSource(std::size_t i, const std::string& empreinte);

    OptionsImport options_;
    PlanImport plan_;
    std::string archive_;                   // canonical, ending in '/'
    std::vector<std::string> destinations_; // the archive first, then each backup
    std::vector<Identite> identites_;
    std::vector<bool> ecartes_;
    // The history entries of the files to complete (`completer`), by place in the plan.
    std::map<std::size_t, EntreeHistorique> aCompleter_;
    std::vector<char> tampon_;
    std::unique_ptr<HistoriqueImport> historique_;
    std::unique_ptr<Etapes> etapes_; // what the last plan read, for replanifier()
    std::atomic<bool> arret_{false};
};

// The offset the plan gives a photo of that make, model and body serial (0 when none applies), as
// the plan matches them, for a window that previews a new offset before planning again.
long decalageDe(const std::vector<DecalageHoraire>& decalages, const std::string& fabricant,
                const std::string& modele, const std::string& serie = {});

// The result lines of a run, as the command line prints them.
std::vector<std::string> lignesBilan(const BilanImport& bilan, bool deplacement,
                                     const TextLookup& texte);
// One progress line: files, bytes, throughput and time left.
std::string ligneProgression(const ProgressionImport& p, const TextLookup& texte);

} // namespace varlime
