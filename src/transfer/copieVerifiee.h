// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one copy that a move or a card import may delete after: a source copied into one or
// more folders, each copy proved identical before it gets its name.
//
//   1. The source is opened without waiting (a pipe named like a photo must not hold the
//      run), refused unless it is a regular file, and hashed (XXH3-128) while it is read.
//   2. Each copy is written into an unnamed file of its folder (O_TMPFILE), or where the
//      file system has none (FAT, exFAT) into a hidden temporary file. The source's times
//      and, where the file system keeps them, its permissions are given to it.
//   3. The copy is flushed to the disk, dropped from the page cache, read back from the disk
//      and hashed: a copy that differs is removed.
//   4. The source is read again: one rewritten while it was copied (even with its dates
//      put back) leaves its copies removed. It was read a moment ago, so this reading
//      comes from the page cache, where every write to it lands first.
//   5. Only then is the copy linked to its final name, never in place of another file.
//
// Flushing each copy alone costs a disk flush per photo. A batch (`LotCopies`) writes
// several sources (step 1 and 2) and flushes their file systems once, then takes each
// copy through steps 3 to 5. A source edited after its own copy but before the batch's
// end is caught by step 4 like one edited during its copy.
//
// Without `verifier`, steps 3 and 4 and the hash are left out and the copy runs at the
// speed of the kernel's own copy; the caller then flushes the folder at the end.
//
// A film of several GB takes minutes: the copy tells its progress block by block, and a
// stop asked between two blocks removes that source's copies (they were never named).
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace varlime {

// Prefix of the hidden temporary files of a copy in progress (the name begins with '.').
inline constexpr std::string_view kPrefixeTemporaire = ".varlime-copie-";

// A content hash, XXH3-128.
struct Empreinte {
    std::uint64_t haut = 0, bas = 0;
    bool operator==(const Empreinte&) const = default;
    // 32 hex digits, high half first.
    std::string hex() const;
};

enum class CauseCopie {
    Aucune,          // copied, and proved identical when verified
    PasUnFichier,    // the source is a pipe, a device, a folder...
    SourceIllisible, // the source could not be opened or read (erreur says why)
    SourceModifiee,  // the source changed while it was copied: its copies are removed
    CibleExiste,     // a file of that name is already in the folder: it is left as it is
    DisquePlein,     // the folder's disk (or the user's quota on it) is full
    NomRefuse,       // the folder's file system cannot hold that name
    EcritureEchouee, // writing, flushing or naming the copy failed (erreur says why)
    Differente,      // the copy read back from the disk differs from the source: removed
    Interrompue,     // a stop was asked while it was copied: its copies are removed
};

struct Destination {
    int dossierFd = -1; // the folder, opened (O_DIRECTORY); left open
    std::string nom;    // the copy's name in it
};

struct ResultatDestination {
    CauseCopie cause = CauseCopie::Aucune;
    int erreur = 0; // errno, where one explains the cause
    // The copy as named (valid when cause is Aucune).
    dev_t dev = 0;
    ino_t ino = 0;
    bool ok() const { return cause == CauseCopie::Aucune; }
};

struct ResultatCopie {
    // The cause when the source itself failed (then every destination carries it too).
    CauseCopie causeSource = CauseCopie::Aucune;
    int erreurSource = 0;
    Empreinte empreinte; // of the source as copied (only when verified)
    off_t taille = 0;
    std::vector<ResultatDestination> destinations; // in the order given
    bool toutesCopiees() const;
};

// How far the copy of one source went: `fait` bytes of `total`, the work being the
// source's reading (and writing) followed, when verified, by the reading back of each
// copy: total = size x (1 + copies verified). `entree` is the source's place in its batch
// (0 for `copierVerifie`). Called after each block, on the copying thread.
using AvancementCopie =
    std::function<void(std::size_t entree, std::int64_t fait, std::int64_t total)>;

struct OptionsCopie {
    bool verifier = true;
    // Permission bits given to the copy; -1 keeps the source's.
    int mode = -1;
    AvancementCopie avancement; // may be empty
    // Checked between blocks: once true, the source being copied or verified fails with
    // `Interrompue` and its copies are removed. May be null.
    const std::atomic<bool>* arret = nullptr;
};

// Copies `nom` of the folder `dossierFd` into every destination: a batch of one. `tampon`
// is reused from call to call (it grows to 1 MiB).
ResultatCopie copierVerifie(int dossierFd, const std::string& nom,
                            const std::vector<Destination>& destinations, std::vector<char>& tampon,
                            const OptionsCopie& options = {});

// Copies written first and proved together. A copy is named only by `terminer`; copies
// still pending when the batch goes are removed. The caller ends the batch once `plein`.
class LotCopies {
public:
    explicit LotCopies(std::vector<char>& tampon, const OptionsCopie& options = {});
    ~LotCopies();
    LotCopies(const LotCopies&) = delete;
    LotCopies& operator=(const LotCopies&) = delete;

    // Reads `nom` of the folder `dossierFd` into a copy in every destination, not yet
    // named. Its result comes from `terminer`, in the order of the calls. False when it
    // already failed (the source unreadable, no copy could be written).
    bool ajouter(int dossierFd, const std::string& nom,
                 const std::vector<Destination>& destinations);
    std::size_t nombre() const { return entrees_.size(); }
    // Enough is pending: its size, or the descriptors it holds open.
    bool plein() const;
    // Flushes each file system written to once, proves each copy and names it.
    std::vector<ResultatCopie> terminer();

    struct Entree;

private:
    std::vector<char>& tampon_;
    OptionsCopie options_;
    std::vector<std::unique_ptr<Entree>> entrees_;
    off_t octets_ = 0;
    std::size_t descripteurs_ = 0;
};

// Reads `nom` of the folder again, whole, and tells whether it still holds the content
// that was hashed: true only for a regular file of that size and hash. Called just
// before the source is deleted, whatever its file system keeps of times and inodes.
bool contenuInchange(int dossierFd, const std::string& nom, off_t taille, const Empreinte& attendue,
                     std::vector<char>& tampon);

// The hash of an open file, read from its start; false on a read error.
bool hacherFichier(int fd, Empreinte& empreinte, std::vector<char>& tampon);

// For the tests: called at fixed points of every copy. `SourceEntamee` comes after the
// first block of the source was read (fd: the source, read only), `CopieEcrite` after a
// copy was written and flushed, before it is read back (fd: the copy, read-write); in a
// batch, every source of the batch has been copied by then.
enum class EtapeCopie { SourceEntamee, CopieEcrite };
using CrochetCopie = std::function<void(EtapeCopie etape, int fd)>;
void definirCrochetCopie(CrochetCopie crochet); // an empty one removes it

} // namespace varlime
