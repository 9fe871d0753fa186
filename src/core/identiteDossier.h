// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What tells a folder from every other, also across an eject and re-insert of a camera
// card: the volume it is on (its file system's UUID, or the serial number of a FAT or
// exFAT volume), where it stands inside that volume, its inode and its birth time.
// Cards renumber their inodes at each mount and keep no birth time, so there a folder
// is known by its volume and its path inside it; elsewhere by its volume, inode and
// birth time, so that a new folder given a removed folder's inode is another folder.
#include <cstdint>
#include <string>

namespace varlime {

struct IdentiteDossier {
    // "XXXX-XXXX" for FAT and exFAT, the UUID of other file systems, or "fsid:HEX" where
    // the file system derives its id from its UUID; empty when nothing names the volume.
    std::string volume;
    // The folder's path from the volume's root, starting with '/'.
    std::string interne;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t naissance = 0; // birth time in nanoseconds; 0 when not kept
    // False on file systems that invent inode numbers at each mount (FAT, exFAT, FUSE).
    bool inodesStables = true;
};

// The identity of an opened folder.
IdentiteDossier identiteDossier(int dossierFd);

// True when `ici` is the folder `journal` was taken from.
bool memeDossier(const IdentiteDossier& journal, const IdentiteDossier& ici);

// A key naming the folder as `memeDossier` compares it (the lock of its runs).
std::string cleDossier(const IdentiteDossier& id);

// The serial number of a FAT or exFAT volume from its first sector, as "XXXX-XXXX";
// empty when the sector is of no such volume.
std::string serieVolumeFat(const unsigned char* secteur, std::size_t taille);

// The lock a rename or an undo holds on its folder for its whole run, so that a
// second run of the same folder, from any process, is refused rather than mixed with it.
class VerrouDossier {
public:
    VerrouDossier() = default;
    ~VerrouDossier();
    VerrouDossier(const VerrouDossier&) = delete;
    VerrouDossier& operator=(const VerrouDossier&) = delete;
    // Takes the lock in the journals' folder; false when another run holds it, or
    // when the lock cannot be made (`erreur` then holds errno, else 0).
    bool prendre(const std::string& dossierJournaux, const IdentiteDossier& id);
    void rendre();
    int erreur() const { return erreur_; }

private:
    int fd_ = -1;
    int erreur_ = 0;
    std::string chemin_;
};

} // namespace varlime
