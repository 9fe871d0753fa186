// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
// Photo transfer without a window: the camera-folder tests, the walk that both the
// count and the copy follow, the camera-folder search, and the copy and move run.
// The transfer dialog, its worker thread and the command line all call these.
#include "core/messageFormat.h"
#include "transfer/copieVerifiee.h"

#include <array>
#include <atomic>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace varlime {

// True when the folder, with a trailing '/' added if it has none, ends in "DCIM/"
// (letter case ignored): "/media/card/DCIM" is a camera folder, "/media/card/DCIM/100CANON" is not.
bool Dcim(std::string_view chemin);

// True when the file is to be copied: from a camera folder only pictures and films
// (JPG, JPEG, TIF, THM, CR2, CRW, PEF, NEF, AVI, MOV, any case) qualify; from any
// other folder every file does.
bool Fichier_a_copier(std::string_view nom, bool sourceApn);

// Visits the qualifying files of `dossier` in listing order, and of its subfolders
// (depth first) when `recursif`; names beginning with '.' are skipped, and folders
// reached through a link are not entered (a link to a parent would never end). The
// sidecars of a qualifying file are visited right after it, whatever their own kind. The
// walk stops before the next entry once `arret` is set. `visite` gets the folder
// (ending in '/') and the file's name. Each folder that cannot be listed adds one to
// `*illisibles` when given.
void parcourirFichiers(const std::string& dossier, bool recursif, bool sourceApn,
                       const std::atomic<bool>* arret,
                       const std::function<void(const std::string&, const std::string&)>& visite,
                       int* illisibles = nullptr);

// The number of files a copy run from `dossier` would take.
int Comptabilise_fichiers(bool recursif, const std::string& dossier, bool sourceApn);

// Where the camera-folder search starts: the root of the volume holding the source,
// or the source itself when that volume is the root file system (never the whole disk).
std::string departRechercheDcim(const std::string& source, const std::vector<std::string>& points);
std::string departRechercheDcim(const std::string& source);

// False when the folder is on removable media (/media/USER/NAME, /run/media/USER/NAME,
// /mnt/NAME) whose volume is not mounted: the drive is not there. `media` gets that
// media folder, which messages name where a drive letter would stand.
bool lecteurPresent(const std::string& dossier, const std::vector<std::string>& points,
                    std::string* media = nullptr);
bool Lecteur_present(const std::string& dossier, std::string* media = nullptr);

// The camera-folder search: every folder under `depart`, depth first in listing order,
// never through a link; the last folder named DCIM (any case) met wins and is not
// entered. Returns it as folder + name without a trailing '/', or empty when none.
std::string Chercher_dcim(const std::string& depart);

// A stored favourite row, "label;path": nothing when the value is "ERREUR" (missing
// key) or empty, which leaves the row as it is; a value without ';' is all label.
struct LigneChemin {
    std::string libelle;
    std::string chemin;
};
std::optional<LigneChemin> lireLigneChemin(std::string_view valeur);

enum class RefusTransfert {
    Aucun,
    DossierInvalide, // the source or the target is no existing folder
    CibleDansSource, // the target is the source, or lies in the folders the run walks
};

// Whether a run from `source` to `cible` may start.
RefusTransfert verifierDossiers(const std::string& source, const std::string& cible);
std::string messageRefus(RefusTransfert refus, const TextLookup& texte);

// What a run shows, in the order the run calls it. The window's version hands each
// call to the window thread; the command line prints.
class SortieTransfert {
public:
    virtual ~SortieTransfert() = default;
    // true: the run starts (copy, move and quit hidden, Interrupt shown); false: it ends.
    virtual void basculerBoutons(bool enCours) = 0;
    virtual void initialiserMessage(const std::string& titre) = 0;
    // After each file done; `n` is the count so far of the phase.
    virtual void afficherAvancement(int n, const std::string& ligne) = 0;
    virtual void fermer() = 0;
    virtual void afficherMessage(const std::string& texte) = 0;
    // The run's result: `reussite` when nothing failed and nothing was left undone (an
    // information then, a warning otherwise).
    virtual void afficherResultat(const std::string& texte, bool reussite) {
        (void)reussite;
        afficherMessage(texte);
    }
    // Asked once, before a move deletes `n` files from `source`; false keeps them.
    virtual bool confirmerEffacement(int n, const std::string& source) {
        (void)n;
        (void)source;
        return true;
    }
    virtual void recompter() = 0;
};

struct BilanTransfert {
    int copies = 0;
    int erreursCopie = 0;
    int effaces = 0;
    int erreursEffacement = 0;
    bool effacementLance = false;
    // The user kept the copied files on the card rather than deleting them.
    bool effacementRefuse = false;
    bool interrompu = false;
    // Nothing failed and nothing was left undone.
    bool reussi(bool deplacement) const;
};

// One copy or move run. Copies are written into an unnamed file of the target (or, where
// the file system has none, a hidden temporary file), which is then linked to its final
// name without replacing anything; the source's modification time and permissions (where
// the target keeps them) are kept. A move copies through the verified copy: the source
// hashed while read, the copy read back from the disk and compared. It deletes only the
// files this run copied, after the target was flushed to disk, and only when the copy is
// still there with the source's size and the source is still the very file that was
// copied: same device, inode, size, modification and change times, a regular file, in
// the folder that was walked, and read once more just before the delete with the same
// hash (the only proof on FAT and exFAT cards, whose times and inodes say little).
class TransfertPhotos {
public:
    TransfertPhotos(std::string source, std::string cible, bool deplacement);
    ~TransfertPhotos();
    TransfertPhotos(const TransfertPhotos&) = delete;
    TransfertPhotos& operator=(const TransfertPhotos&) = delete;

    // The whole run: copy phase, then (a move without copy failure nor interruption,
    // once the user agreed) the delete phase, the result, then the recount.
    // `totalTexte` is the count shown after the '/'.
    BilanTransfert executer(const std::string& totalTexte, const TextLookup& texte,
                            SortieTransfert& sortie);

    // Asks the run to stop before its next file; it is never cleared.
    void interrompre() { arret_.store(true); }
    bool interrompu() const { return arret_.load(); }

    // The phases alone (executer calls them); each returns its failures.
    int copierFichiers(const std::function<void(int)>& avancement);
    int effacerFichiers(const std::function<void(int)>& avancement);
    // Copies of the last copy phase that failed because the target's disk was full.
    int manqueDePlace() const { return echecs(CauseCopie::DisquePlein); }
    // Failures of the last copy phase for that cause; folders of the source that could not
    // be listed count as SourceIllisible.
    int echecs(CauseCopie cause) const { return echecs_[std::size_t(cause)]; }
    // Sources of the last delete phase kept because they changed since their copy.
    int modifiesDepuisCopie() const { return modifiesDepuisCopie_; }

private:
    // What a copied source was when it was copied: the move deletes it only while it is
    // still exactly that file, in that very folder.
    struct Copie {
        std::string dossier;
        std::string nom;
        dev_t dossierDev;
        ino_t dossierIno;
        dev_t dev;
        ino_t ino;
        off_t taille;
        struct timespec mtime, ctime;
        dev_t cibleDev;
        ino_t cibleIno;
        // The copy's birth time: an inode number freed by a removed copy may be given
        // at once to another file under the same name.
        std::uint64_t cibleNaissance;
        // What was copied, read again just before the delete.
        Empreinte empreinte;
    };
    // A source as it was found by the walk, before its copy.
    struct Source {
        std::string dossier;
        std::string nom;
        struct stat dossierSt;
        struct stat st;
    };
    CauseCopie copierUn(const std::string& dossier, const std::string& nom);
    // Keeps a finished copy for the delete phase; its cause otherwise.
    CauseCopie retenir(const Source& source, const ResultatCopie& r);
    void compter(CauseCopie cause, int& erreurs, const std::function<void(int)>& avancement);
    // Proves and names the copies of the batch, and counts them.
    void terminerLot(int& erreurs, const std::function<void(int)>& avancement);
    // The source folder, opened once while its files are walked (or deleted).
    int dossierSource(const std::string& dossier);
    void nettoyerTemporaires();

    std::string source_;
    std::string cible_;
    bool deplacement_;
    bool recursif_;
    int cibleFd_ = -1;
    std::atomic<bool> arret_{false};
    std::vector<Copie> copies_;
    std::unique_ptr<LotCopies> lot_;
    std::vector<Source> enLot_;
    int ecritsEnLot_ = 0; // of the batch, written without a failure so far
    std::vector<char> tampon_;
    unsigned sequence_ = 0;
    int nbCopies_ = 0;
    // The count last shown: copies proved, and those of the batch written so far.
    int montre_ = 0;
    int nbEffaces_ = 0;
    std::array<int, std::size_t(CauseCopie::Differente) + 1> echecs_{};
    int modifiesDepuisCopie_ = 0;
    std::string dossierOuvert_;
    int dossierFd_ = -1;
};

} // namespace varlime
