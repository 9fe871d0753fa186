// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The naming engine: a listed folder, its rows, every naming option as plain data,
// the computation of every new name, the test before renaming and the rename run.
// The main window fills the options from its controls and shows the rows; the
// command line fills the same options from its arguments. Neither computes a name
// itself.
#include "core/annexes.h"
#include "core/dateFormats.h"
#include "core/messageFormat.h"
#include "core/renameJournal.h"
#include "core/renameTest.h"
#include "platform/fileSystem.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace varlime {

struct FileRow {
    std::string ancien;  // old name as shown (UTF-8)
    std::string nouveau; // new name, as bytes: computed from the old name's bytes
    std::string brut;    // exact bytes of the old name on disk when they differ from `ancien`
    // The sidecars renamed with this file (found by the listing; none for a name
    // typed by hand).
    std::vector<Annexe> annexes = {};

    // The bytes naming the file on disk.
    const std::string& ancienSurDisque() const { return brut.empty() ? ancien : brut; }
};

// Display text of a name read from disk: itself when valid UTF-8, otherwise the
// bytes decoded with replacement characters (the row keeps the exact bytes).
std::string nomAffichable(std::string_view octets);

// Where the locale has no collation: a name's key, folded, whose bytes sort as the
// folded UTF-16 text does.
std::string clePliee(std::string_view nom);

// True when two names are equal as the listing compares them (its sort order).
bool nomsEgauxPourLaListe(std::string_view a, std::string_view b);

// The sidecars of a row to rename with it, as (old name, new name) pairs: none when
// the row is not renamed, or when its new name leaves the sidecars' names as they are.
std::vector<std::pair<std::string, std::string>> annexesARenommer(const FileRow& row);

// Rows of a listing, sorted case-insensitively by the user's locale (not numeric-aware);
// equal names keep their order.
std::vector<FileRow> lignesTriees(std::vector<std::string> noms);

// The items a name can be composed of from a photo's EXIF data.
enum class ItemExif {
    ZoneLibre,
    Fabricant,
    Modele,
    Date,
    Heure,
    Ouverture,
    Exposition,
    Focale,
    Focale35,
    Proprietaire,
};

// EXIF naming (its composer fills the name part of each row).
struct OptionsExif {
    bool actif = false;          // EXIF naming on
    bool sansCompteur = false;   // its "no counter" box
    bool garderCompteur = false; // keep the counter of the old name (mask "[*&N]")
    std::vector<ItemExif> ordre; // the chosen items, in naming order
    bool separateurInfoCoche = true;
    std::string separateurInfo = "_";
    bool separateurFinalCoche = true;
    std::string separateurFinal = "_";
    std::string zoneLibre;
    int formatOuverture = -1;  // FORMATS/OUVERTURE: 1 gives F2.8, anything else F2,8
    int formatExposition = -1; // FORMATS/EXPOSITION: 1 gives the accented 1_50_ème
    // What follows "1_N" in the active language ("th" in English); the format's own
    // "_eme" or "_ème" when empty.
    std::string suffixeExposition;

    bool operator==(const OptionsExif&) const = default;
};

// Companion files renamed with their main file.
struct OptionsCompagnons {
    bool rawCanon = false;
    bool association = false;
    std::string cible;  // extension of the files that take their name from a neighbour
    std::string source; // extension of the neighbour whose EXIF data names them

    bool operator==(const OptionsCompagnons&) const = default;
};

// Every option that decides what is listed and how each row is renamed.
struct OptionsNommage {
    // The listing.
    std::string masqueRecherche = "*.*";        // EDT_masque_recherche
    int attributs = attrTous & ~attrRepertoire; // file types: every entry but folders
    // The name part: a prefix text, or a rename mask when it starts with "[".
    std::string prefixe; // EDT_prefixe_remplacement
    // The counter.
    int largeur = 3;        // CBB_largeur_increment (clamped when the counter is made)
    int initialisation = 1; // EDT_initialisation
    bool alphabetique = false;
    bool compteurADroite = true;
    // CKB_compteur_inactif: only masks that search and replace, add a prefix and
    // suffix or remove a counter offer it, so it counts only for those.
    bool compteurInactif = true;
    // The extension.
    bool extensionImposee = false;   // CKB_extension
    std::string extension = "*";     // TXT_extension_remplacement
    bool extensionMinuscule = false; // CKB_extension_minuscule: "JPG" becomes "jpg"
    // The window's date prefix box: a fixed date is then an ordinary prefix text, and
    // each file's own date (dateFichier) names the rows. The names depend on dateFichier only.
    bool datePrefixe = false;
    // Each file's own date as name part.
    bool dateFichier = false;
    int formatDate = 0; // FORMATS/DATE
    SeparateurDate separateur;
    int formatHeure = -1; // FORMATS/HEURE
    OptionsExif exif;
    OptionsCompagnons compagnons;

    bool operator==(const OptionsNommage&) const = default;
};

// Whether the row whose old name is `ancien` gets a counter.
bool Exploite_compteur(const OptionsNommage& options, std::string_view ancien);

// The name part of a row (without counter and extension), from the active mode.
using NamePartFn = std::function<std::string(std::size_t ligne, const FileRow& row)>;

// The row a companion row is named with (its main file's, or the file it takes its
// EXIF data from), or nothing for a row named on its own.
using LigneCompagnonFn = std::function<std::optional<std::size_t>(std::size_t ligne)>;

// The rows named together: for each row, the first row of its group (itself when
// alone). `compagnon` ties a row to another; ties chain, so three rows can share a name.
std::vector<std::size_t> groupesDeLignes(std::size_t n, const LigneCompagnonFn& compagnon);

// Recomputes the new name of every row. With no file, or with an empty prefix while
// neither EXIF nor date naming is on, every new name is emptied. A companion row and
// the row it goes with (`compagnon`) share one counter number, so that the pair keeps
// one base name. Returns the highest counter number written (0 when none was).
long long calculerNouveauxNoms(std::vector<FileRow>& rows, bool fichiersTrouves,
                               const OptionsNommage& options, const NamePartFn& partieNom,
                               const LigneCompagnonFn& compagnon = {});

// The same names computed in steps, row after row, so that a long list can be named a
// part at a time: each step goes on where the last one stopped, with the options and
// the counter as they then stood.
class CalculNouveauxNoms {
public:
    CalculNouveauxNoms(std::vector<FileRow>& rows, bool fichiersTrouves,
                       const OptionsNommage& options, NamePartFn partieNom,
                       const LigneCompagnonFn& compagnon = {});
    // Names the rows up to `fin` (excluded). The rows before `nommerDes` only move the
    // counter on: their names are left as they were, so that the rows from `nommerDes`
    // get their final names without the ones above being written.
    void avancer(std::size_t fin, std::size_t nommerDes = 0);
    // The first row not gone through yet.
    std::size_t suivante() const { return suivante_; }
    bool fini() const { return suivante_ >= rows_.size(); }
    // The highest counter number written so far (0 when none was).
    long long dernierCompteur() const { return numerote_ ? valeur_ : 0; }

private:
    std::vector<FileRow>& rows_;
    const OptionsNommage options_;
    const NamePartFn partieNom_;
    const bool vider_;
    long long valeur_;
    bool numerote_ = false;
    const std::string extImposee_;
    std::vector<std::size_t> groupes_;
    std::vector<std::string> compteurs_;
    std::size_t suivante_ = 0;
};

// The digits a numeric counter needs to reach `dernier`, its highest number; 0 when
// the counter is alphabetic or took no number.
int largeurCompteurNecessaire(const OptionsNommage& options, long long dernier);

// The question a run asks before renaming with a counter too narrow (key
// RSC_msg_proposer_largeur_compteur).
inline constexpr const char* kMessageProposerLargeur =
    "Le compteur sur %d chiffres va jusqu'à %d : les noms ne se suivraient plus dans "
    "l'ordre.\r\nVoulez-vous passer à %d chiffres ?";

// The lines the test before renaming adds when the counter outgrows its width (a name
// ending in _1000 after _999 breaks the order file managers sort by); none otherwise.
std::vector<std::string> rapportLargeurCompteur(const OptionsNommage& options, long long dernier,
                                                const TextLookup& texte);

// The name part of a row in every mode but EXIF naming: the mask applied to the old
// name's bytes, else the file's own date (read through `dirfd`), else the prefix.
std::string partieNomStandard(const OptionsNommage& options, int dirfd, const FileRow& row);

// A folder as it was listed: opened once, and known by its device and inode, so that
// a run can tell whether the path still leads to it.
class DossierListe {
public:
    DossierListe() = default;
    ~DossierListe();
    DossierListe(const DossierListe&) = delete;
    DossierListe& operator=(const DossierListe&) = delete;

    // Opens the folder (a path as bytes); false when it is no folder that can be read.
    bool ouvrir(const std::string& chemin);
    void fermer();
    bool ouvert() const { return fd_ >= 0; }
    // The path as given, ending in '/'.
    const std::string& chemin() const { return chemin_; }
    int fd() const { return fd_; }
    // True when the path still leads to the very folder opened: it was not removed,
    // renamed or replaced since.
    bool toujoursEnPlace() const;

private:
    int fd_ = -1;
    std::string chemin_;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
};

// One rename that failed, and why: an errno value (EEXIST when the name is taken, EINVAL
// for a name no file can bear, EACCES or EROFS for a folder that cannot be written…).
struct EchecRenommage {
    std::string ancien, nouveau;
    int erreur = 0;
};

struct BilanRenommage {
    int renommes = 0;
    int erreurs = 0;
    // Each failure counted in `erreurs`, in order, with its cause.
    std::vector<EchecRenommage> echecs;
    // The run refused to start: the folder is no longer where it was listed.
    bool dossierDeplace = false;
    // The run renamed nothing: its journal could not be written first, in
    // `dossierJournal` (empty: no state folder is set), for the reason `erreurJournal` (errno).
    bool sansJournal = false;
    std::string dossierJournal;
    int erreurJournal = 0;
    // Refused because a run of the folder is still going.
    bool enCours = false;
};

// Shown when a run refuses to start because its folder moved (key RSC_msg_repertoire_deplace).
inline constexpr const char* kMessageDossierDeplace =
    "Le répertoire %s a été déplacé, renommé ou supprimé depuis sa lecture : aucun fichier "
    "n'a été varlimé.";

// The summary of an undo (key RSC_msg_bilan_annulation).
inline constexpr const char* kMessageBilanAnnulation =
    "%d fichiers ont repris leur ancien nom\r\n%d n'ont pas pu";
// Told when a run could not write its journal first (key RSC_msg_journal_impossible): the
// journals' folder, and the reason.
inline constexpr const char* kMessageJournalImpossible =
    "Le journal du varlimage n'a pas pu être écrit dans %s (%s) : aucun fichier n'a été varlimé.";
// What to tell for a run refused without its journal.
std::string messageSansJournal(const TextLookup& texte, const BilanRenommage& bilan);

// Told when the journal of the last run is too large to be read (key
// RSC_msg_journal_trop_grand).
inline constexpr const char* kMessageJournalTropGrand =
    "Le journal %s est trop grand pour être lu : ce varlimage ne peut pas être annulé.";

// Told when an undo is asked while a run of the folder goes on (key RSC_msg_varlimage_en_cours).
inline constexpr const char* kMessageVarlimageEnCours =
    "Un varlimage du répertoire %s est en cours : il pourra être annulé une fois terminé.";

// Reported at start for a run that never ended (key RSC_msg_varlimage_interrompu).
inline constexpr const char* kMessageVarlimageInterrompu =
    "Un varlimage du répertoire %s s'est interrompu après %d changements de nom.\r\nVoulez-vous "
    "remettre ces fichiers sous leur ancien nom ?";

// What to tell for a run of `dossier` that renamed nothing because it had no journal,
// because another run of the folder goes on, or because the journal to undo
// (`journalTropGrand`) is too large; empty when the run was not refused for those.
std::string messageRefus(const TextLookup& texte, const BilanRenommage& bilan,
                         const std::string& dossier, const std::string& journalTropGrand = {});

// Whether a run would have anything to do: some row is neither empty nor marked.
bool lignesARenommer(const std::vector<FileRow>& rows);

// Why the renames of a run failed, one line per failure ("old → new: cause"), at most
// `maximum` lines and then how many more; empty when nothing failed.
std::string raisonsEchecs(const BilanRenommage& bilan, const TextLookup& texte,
                          std::size_t maximum = 8);

// Renames every row in order inside the listed folder, one direct rename each (two,
// through a temporary name, for a change of case on a file system that ignores case),
// never replacing a file; marked rows are skipped and counted nowhere; every failure is
// counted. Nothing is renamed when the folder moved since it was listed.
// With `journaux` (a folder) the run holds the folder's lock and is journaled there
// first, so it can be undone; nothing is renamed when either cannot be had.
BilanRenommage renommerLignes(const DossierListe& dossier, const std::vector<FileRow>& rows,
                              const std::string& journaux = {}, bool annulation = false);
// The same in a folder opened for this run alone.
BilanRenommage renommerLignes(const std::string& dossier, const std::vector<FileRow>& rows);

// Undoing a run is a run of its own toward the names the files had before it. Its rows
// are those of the run it undoes, each on its way back; the renames it has to make follow
// the names each earlier step frees, so chains (a new name that is another row's old
// name) and renumberings go back whole. A file already back stays; a file renamed or
// replaced since, or whose old name is taken, is left alone and counted.
struct PlanAnnulation {
    enum class Sens {
        Annuler,  // the last run goes back
        Terminer, // the last run was an undo that did not finish: it is finished
        Refaire,  // the last run was an undo that finished: its files are renamed again
    };
    JournalLu journal; // the journal the plan comes from
    Sens sens = Sens::Annuler;
    // A run of the folder is still going: nothing is planned, and nothing may be undone.
    bool enCours = false;
    // The journal of the last run is too large to be read (its path): nothing is planned.
    std::string journalTropGrand;
    // Whether the files' inode numbers tell them apart (false on cards: their content does).
    bool inodesStables = true;
    // The rows of the undo run, as its journal holds them.
    std::vector<JournalLu::Ligne> lignes;
    // The renames to make, in order: old name: the current one; new name: where it goes.
    std::vector<FileRow> retours;
    std::vector<std::size_t> indices; // the row of `lignes` of each rename
    int impossibles = 0;
};
// The undo of the last journaled run in the folder; nothing when there is none.
std::optional<PlanAnnulation> planAnnulation(const DossierListe& dossier,
                                             const std::string& journaux);
// The undo plan of one journal (a run left unfinished, reported at start): the run goes
// back, or, for an undo left unfinished, the undo is finished.
PlanAnnulation planAnnulation(const DossierListe& dossier, JournalLu journal);
// Makes the plan's renames, journaled as a run of its own so that it can be finished or
// undone in turn; each file is checked to be the one planned right before it is renamed.
// The rows that cannot go back count as errors. Refused when a run of the folder is
// still going.
BilanRenommage annuler(const DossierListe& dossier, const PlanAnnulation& plan,
                       const std::string& journaux);

// One listed folder with its rows and the options that name them.
class MoteurNommage {
public:
    OptionsNommage options;
    // Where rename runs are journaled (dossierJournaux()); no run when empty.
    std::string journaux;
    // Which listed entries are kept (the companion modes leave some out); all when empty.
    std::function<bool(const std::string& nom)> garderFichier;
    // Sees every listed entry before the first is filtered: a filter may depend on
    // what the folder holds, whatever order the folder gives its entries in.
    std::function<void(const std::vector<std::string>& noms)> voirListing;

    // Lists the folder with the options' search mask and file types, replacing the
    // previous listing; false when it cannot be opened (the rows are then empty).
    bool lister(const std::string& chemin);
    const DossierListe& dossier() const { return dossier_; }
    // The rows: at least one, an empty one when nothing was found.
    std::vector<FileRow>& lignes() { return lignes_; }
    const std::vector<FileRow>& lignes() const { return lignes_; }
    bool fichiersTrouves() const { return fichiersTrouves_; }
    // The highest counter number the last calculation wrote (0 when none).
    long long dernierCompteur() const { return dernierCompteur_; }
    // The counter width the rows need, when the chosen one is too narrow; else 0.
    int largeurCompteurManquante() const;

    // Every new name from the options; `partieExif` gives the name part in EXIF naming.
    void calculer(const NamePartFn& partieExif = {}, const LigneCompagnonFn& compagnon = {});
    // The names outside EXIF naming, computed in steps over the rows as they now stand
    // (no row may be added or removed until it is done); once every row is named,
    // `finirCalcul` keeps its highest counter as `calculer` does.
    std::unique_ptr<CalculNouveauxNoms> calculParEtapes();
    void finirCalcul(const CalculNouveauxNoms& calcul);
    // The report of the test before renaming, over the rows as they stand.
    RapportTest tester(const TextLookup& texte) const;
    // The rename run over the rows as they stand; refused when `journaux` is empty.
    BilanRenommage renommer() const;

private:
    DossierListe dossier_;
    std::vector<FileRow> lignes_ = std::vector<FileRow>(1);
    bool fichiersTrouves_ = false;
    long long dernierCompteur_ = 0;
};

} // namespace varlime
