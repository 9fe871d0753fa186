#pragma once
// The journal of a rename run, kept so that the run can be undone, also after a crash
// or a power cut. Before the first rename the journal holds the folder (path, device,
// inode) and every row's old and new names as bytes, and is flushed to disk; each
// rename is then marked done as it happens (appended, flushed in batches); the last
// line marks the end of the run. Journals live in the user's state folder, never in
// the photo folder, and the newest ones are kept.
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

// One run as read back from its journal.
struct JournalLu {
    std::string fichier; // the journal's path
    std::string dossier; // the folder's path as bytes, ending in '/'
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::string debut;       // local date and time of the start, "YYYY-MM-DD HH:MM:SS"
    bool annulation = false; // the run undid another one
    struct Ligne {
        std::string ancien;
        std::string nouveau;
        std::uint64_t inode = 0;     // the file's inode before the run (0: unknown)
        std::uint64_t naissance = 0; // and its birth time in nanoseconds (0: unknown)
        bool fait = false;
    };
    std::vector<Ligne> lignes;
    bool termine = false; // the run reached its end
    bool signale = false; // an unfinished run was already reported to the user
    // A run still going holds its journal locked: it is neither unfinished nor undoable.
    bool enCours = false;
    int faits() const;
};

// Reads a journal; nothing when it is no journal.
std::optional<JournalLu> lireJournal(const std::string& chemin);
// The same from the journal's text (`chemin` is only recorded).
std::optional<JournalLu> lireJournalTexte(std::string_view texte, const std::string& chemin = {});
// The head of a journal as a run writes it before its first rename: the folder, the
// start, and every row, up to and including the start mark.
std::string texteEnteteJournal(const std::string& dossier, std::uint64_t device,
                               std::uint64_t inode, const std::string& debut,
                               const std::vector<JournalLu::Ligne>& lignes, bool annulation);
// True when a run still holds the journal (it has not reached its end mark).
bool journalVerrouille(const std::string& chemin);
// The kept journals of `dossierJournaux`, newest first.
std::vector<JournalLu> journaux(const std::string& dossierJournaux);
// The journals of the folder with this device and inode, newest first.
std::vector<JournalLu> journauxDuDossier(const std::string& dossierJournaux, std::uint64_t device,
                                         std::uint64_t inode);
// What tells one file from another that later took its name: the inode, and the birth
// time where the file system keeps one (an inode number may be reused at once).
struct IdentiteFichier {
    std::uint64_t inode = 0;
    std::uint64_t naissance = 0;
};
IdentiteFichier identiteFichier(int dossierFd, const std::string& nom);

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
    bool ouvrir(const std::string& dossierJournaux, const std::string& dossier,
                std::uint64_t device, std::uint64_t inode,
                const std::vector<JournalLu::Ligne>& lignes, bool annulation);
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
    std::string chemin_;
    std::string enAttente_;
    std::size_t nonVides_ = 0;
};

} // namespace varlime
