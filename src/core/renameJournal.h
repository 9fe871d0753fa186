// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The journal of a rename run, kept so that the run can be undone, also after a crash
// or a power cut. Before the first rename the journal holds the folder (path, device,
// volume, place in the volume, inode) and every row's old and new names as bytes, with
// what tells each file from another, and is flushed to disk; each
// rename is then marked done as it happens (appended, flushed in batches); the last
// line marks the end of the run. Journals live in the user's state folder, never in
// the photo folder, and the newest ones are kept.
#include "core/identiteDossier.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varlime {

// $XDG_STATE_HOME/varlime/ (by default ~/.local/state/varlime/), ending in '/'; empty
// when neither variable is set.
std::string dossierJournaux();

// How many journals are kept; older ones are removed when a run starts.
inline constexpr std::size_t kJournauxGardes = 20;

// A journal larger than this is not read (about two million rows, far beyond any run):
// a damaged or foreign file in the state folder must not cost its size in memory.
inline constexpr std::uint64_t kTailleMaxJournal = 256u << 20;

// Creates a folder and its parents; false (errno set) when one cannot be made.
bool creerDossiers(const std::string& chemin);

// One run as read back from its journal.
struct JournalLu {
    std::string fichier; // the journal's path
    std::string dossier; // the folder's path as bytes, ending in '/'
    int version = 2;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // From version 2: the rest of the folder's identity (see IdentiteDossier).
    std::string volume;
    std::string interne;
    std::uint64_t naissanceDossier = 0;
    bool inodesStables = true;
    std::string debut;       // local date and time of the start, "YYYY-MM-DD HH:MM:SS"
    bool annulation = false; // the run undid another one
    struct Ligne {
        std::string ancien;
        std::string nouveau;
        std::uint64_t inode = 0;     // the file's inode before the run (0: unknown)
        std::uint64_t naissance = 0; // and its birth time in nanoseconds (0: unknown)
        bool fait = false;
        // Where inodes do not last (cards), what the file was before the run: its
        // size, modification time (ns) and the hash of its first 64 KB.
        bool contenu = false;
        std::uint64_t taille = 0;
        std::uint64_t mtime = 0;
        std::uint64_t empreinte = 0;
    };
    std::vector<Ligne> lignes;
    bool termine = false; // the run reached its end
    bool signale = false; // an unfinished run was already reported to the user
    // A run still going holds its journal locked: it is neither unfinished nor undoable.
    bool enCours = false;
    // Larger than kTailleMaxJournal: only its head was read, it has no rows.
    bool tropGrand = false;
    int faits() const;
    IdentiteDossier identite() const;
};

// Reads a journal; nothing when it is no journal.
std::optional<JournalLu> lireJournal(const std::string& chemin);
// The same from the journal's text (`chemin` is only recorded).
std::optional<JournalLu> lireJournalTexte(std::string_view texte, const std::string& chemin = {});
// The head of a journal as a run writes it before its first rename: the folder, the
// start, and every row, up to and including the start mark.
std::string texteEnteteJournal(const std::string& dossier, const IdentiteDossier& identite,
                               const std::string& debut,
                               const std::vector<JournalLu::Ligne>& lignes, bool annulation);
// True when a run still holds the journal (it has not reached its end mark).
bool journalVerrouille(const std::string& chemin);
// The kept journals of `dossierJournaux`, newest first.
std::vector<JournalLu> journaux(const std::string& dossierJournaux);
// True when the journal's run was made in this folder. Journals of the first format
// name their folder by device and inode only: they are taken only where inodes last.
bool journalDuDossier(const JournalLu& journal, const IdentiteDossier& ici);
// The journals of this folder, newest first.
std::vector<JournalLu> journauxDuDossier(const std::string& dossierJournaux,
                                         const IdentiteDossier& ici);
// What tells one file from another that later took its name: the inode, and the birth
// time where the file system keeps one (an inode number may be reused at once); with
// `contenu`, also its size, modification time and the hash of its first 64 KB, for
// file systems whose inode numbers do not outlast a mount.
struct IdentiteFichier {
    std::uint64_t inode = 0;
    std::uint64_t naissance = 0;
    bool contenu = false;
    std::uint64_t taille = 0;
    std::uint64_t mtime = 0;
    std::uint64_t empreinte = 0;
};
IdentiteFichier identiteFichier(int dossierFd, const std::string& nom, bool contenu = false);
// True when `vu` is the file `attendu` describes. With content kept, inodes are not
// compared unless `inodesStables`.
bool memeFichier(const IdentiteFichier& vu, const IdentiteFichier& attendu, bool inodesStables);
// The identity a journal row keeps of its file.
IdentiteFichier identiteLigne(const JournalLu::Ligne& ligne);
void poserIdentite(JournalLu::Ligne& ligne, const IdentiteFichier& id);

// Marks an unfinished run as reported, so that it is reported once.
void marquerSignale(const std::string& cheminJournal);

// The journal being written by a run.
class JournalEcrit {
public:
    JournalEcrit() = default;
    ~JournalEcrit();
    JournalEcrit(const JournalEcrit&) = delete;
    JournalEcrit& operator=(const JournalEcrit&) = delete;

    // Writes the head and every row, and flushes them to disk; removes the oldest
    // journals beyond the kept number. False when the journal could not be written.
    // The journal stays locked until it is closed, so that no other process takes
    // the run for an unfinished one, or undoes it, while it goes on.
    // `erreur()` then tells why (errno).
    bool ouvrir(const std::string& dossierJournaux, const std::string& dossier,
                const IdentiteDossier& identite, const std::vector<JournalLu::Ligne>& lignes,
                bool annulation);
    int erreur() const { return erreur_; }
    // Marks row `index` renamed; written in batches.
    void fait(std::size_t index);
    // Marks the end of the run and closes the journal.
    void fermer();
    // Removes a journal whose run did not start (nothing was renamed).
    void abandonner();
    bool ouvert() const { return fd_ >= 0; }
    const std::string& chemin() const { return chemin_; }

private:
    void vider(bool surDisque);
    int fd_ = -1;
    int erreur_ = 0;
    std::string chemin_;
    std::string enAttente_;
    std::size_t nonVides_ = 0;
};

} // namespace varlime
