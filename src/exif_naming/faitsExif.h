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

namespace varlime {

class TimgData;

class CacheFaitsExif {
public:
    CacheFaitsExif();
    ~CacheFaitsExif();
    CacheFaitsExif(const CacheFaitsExif&) = delete;
    CacheFaitsExif& operator=(const CacheFaitsExif&) = delete;

    // The facts of entry `nom` (bytes) of the listed folder; read when unknown or changed.
    const FaitsExif& faits(const DossierListe& dossier, const std::string& nom);
    // Reads every row not known yet; `progression(done, total)` after each one returns
    // false to stop early (the rest is read when first needed).
    void precharger(const DossierListe& dossier, const std::vector<FileRow>& lignes,
                    const std::function<bool(std::size_t, std::size_t)>& progression = {});
    void vider() { entrees_.clear(); }
    // How many files were read since the cache was made (tests check the reuse).
    std::size_t lectures() const { return lectures_; }

private:
    struct Cle {
        dev_t dev = 0;
        ino_t ino = 0;
        off_t taille = 0;
        long long mtime = 0, mtimeNs = 0, ctime = 0, ctimeNs = 0;
        bool operator==(const Cle&) const = default;
    };
    struct Entree {
        Cle cle;
        FaitsExif faits;
    };
    std::unordered_map<std::string, Entree> entrees_; // by full path
    std::unique_ptr<TimgData> lecteur_;
    std::size_t lectures_ = 0;
    FaitsExif vide_;
};

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
