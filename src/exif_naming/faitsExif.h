// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The EXIF facts of each listed photo, read once and kept: a keystroke in EXIF
// naming recomputes every name from them without opening any file. A file is read
// again when its size, times, device or inode change (edited, replaced, renamed over).
#include "core/renameEngine.h"
#include "exif_naming/composeurExif.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace varlime {

class TimgData;

class CacheFaitsExif {
public:
    CacheFaitsExif();
    ~CacheFaitsExif();
    CacheFaitsExif(const CacheFaitsExif&) = delete;
    CacheFaitsExif& operator=(const CacheFaitsExif&) = delete;

    // The facts of entry `nom` (bytes) of the listed folder. A file is checked (size,
    // times, device, inode) once per generation and read again when it changed.
    const FaitsExif& faits(const DossierListe& dossier, const std::string& nom);
    // Every file is checked again at its next use: after a listing, and when the user
    // comes back to the window (files may have changed meanwhile).
    void nouvelleGeneration() { ++generation_; }
    // Checks every row and reads, on several threads, the files not known yet;
    // `progression(done, total)` is called on this thread while they are read and
    // returns false to stop (the rest is then read when first needed).
    void precharger(const DossierListe& dossier, const std::vector<FileRow>& lignes,
                    const std::function<bool(std::size_t, std::size_t)>& progression = {});
    // How many rows the next preload would check or read: those whose facts were not
    // checked in this generation (a preload may find some of them unchanged).
    std::size_t aVerifier(const DossierListe& dossier, const std::vector<FileRow>& lignes) const;
    void vider() { entrees_.clear(); }
    // Applied to each file's facts once read, before they are kept: an import shifts the
    // capture date of a camera whose clock was off. The cache is emptied.
    void retoucher(std::function<void(FaitsExif&)> retouche) {
        retouche_ = std::move(retouche);
        entrees_.clear();
    }
    // The same applied in place to the facts already kept (an import's camera offset
    // changed while its files stay read).
    void retoucherLus(const std::function<void(FaitsExif&)>& retouche) {
        for (auto& [nom, e] : entrees_)
            retouche(e.faits);
    }
    // How many files were read since the cache was made (tests check the reuse).
    std::size_t lectures() const { return lectures_; }
    // While suspended, a file not known yet is not read: `faits` gives empty facts and
    // notes its name in `nonLus()`, so names can be shown at once from what is known.
    void suspendreLecture(bool suspendre) {
        suspendu_ = suspendre;
        nonLus_.clear();
    }
    bool nonLu(const std::string& nom) const { return nonLus_.count(nom) != 0; }
    bool aNonLus() const { return !nonLus_.empty(); }

    struct Cle {
        dev_t dev = 0;
        ino_t ino = 0;
        off_t taille = 0;
        long long mtime = 0, mtimeNs = 0, ctime = 0, ctimeNs = 0;
        bool operator==(const Cle&) const = default;
    };

private:
    struct Entree {
        Cle cle;
        FaitsExif faits;
        unsigned generation = 0;
    };
    // The facts belong to one folder; another folder starts afresh.
    void suivreDossier(const DossierListe& dossier);

    std::unordered_map<std::string, Entree> entrees_; // by name in the folder
    std::string dossier_;
    unsigned generation_ = 1;
    std::unique_ptr<TimgData> lecteur_;
    std::size_t lectures_ = 0;
    FaitsExif vide_;
    std::function<void(FaitsExif&)> retouche_;
    bool suspendu_ = false;
    std::unordered_set<std::string> nonLus_;
};

// The facts of one file read now, whatever a cache holds.
FaitsExif lireFaitsExif(const std::string& chemin);

// The name part of each row in EXIF naming, from the cached facts of its file.
NamePartFn partieNomExif(CacheFaitsExif& cache, const DossierListe& dossier,
                         const OptionsNommage& options, const QDate& aujourdhui);

// The list check before EXIF naming: how many listed files carry no EXIF, and the
// first of them (its shown name).
struct VerificationExif {
    int sansExif = 0;
    std::string premier;
};
VerificationExif verifierListeExif(CacheFaitsExif& cache, const DossierListe& dossier,
                                   const std::vector<FileRow>& lignes);

} // namespace varlime
