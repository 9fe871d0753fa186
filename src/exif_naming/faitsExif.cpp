#include "exif_naming/faitsExif.h"

#include "exif/dEXIF.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace varlime {

CacheFaitsExif::CacheFaitsExif() : lecteur_(std::make_unique<TimgData>()) {}
CacheFaitsExif::~CacheFaitsExif() = default;

const FaitsExif& CacheFaitsExif::faits(const DossierListe& dossier, const std::string& nom) {
    if (!dossier.ouvert() || nom.empty() || nom.find('/') != std::string::npos)
        return vide_;
    struct stat st;
    if (::fstatat(dossier.fd(), nom.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode)) {
        // Gone or no regular file: nothing to name it from, and nothing kept.
        entrees_.erase(dossier.chemin() + nom);
        return vide_;
    }
    const Cle cle{st.st_dev,          st.st_ino,         st.st_size,        st.st_mtim.tv_sec,
                  st.st_mtim.tv_nsec, st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
    const std::string chemin = dossier.chemin() + nom;
    auto it = entrees_.find(chemin);
    if (it != entrees_.end() && it->second.cle == cle)
        return it->second.faits;
    const bool lu = lecteur_->ReadImageFile(chemin);
    ++lectures_;
    FaitsExif f = faitsDepuisLecteur(lu && lecteur_->HasExifBlock(), lecteur_->ExifInfo.get());
    auto& e = entrees_[chemin];
    e.cle = cle;
    e.faits = std::move(f);
    return e.faits;
}

void CacheFaitsExif::precharger(const DossierListe& dossier, const std::vector<FileRow>& lignes,
                                const std::function<bool(std::size_t, std::size_t)>& progression) {
    for (std::size_t i = 0; i < lignes.size(); ++i) {
        faits(dossier, lignes[i].ancienSurDisque());
        if (progression && !progression(i + 1, lignes.size()))
            return;
    }
}

NamePartFn partieNomExif(CacheFaitsExif& cache, const DossierListe& dossier,
                         const OptionsNommage& options, const QDate& aujourdhui) {
    return [&cache, &dossier, &options, aujourdhui](std::size_t, const FileRow& row) {
        const std::string& nom = row.ancienSurDisque();
        return Retourne_nom_exif(cache.faits(dossier, nom), options, nom, aujourdhui);
    };
}

VerificationExif verifierListeExif(CacheFaitsExif& cache, const DossierListe& dossier,
                                   const std::vector<FileRow>& lignes) {
    VerificationExif v;
    for (const FileRow& r : lignes) {
        if (r.ancien.empty() && r.brut.empty())
            continue;
        if (!cache.faits(dossier, r.ancienSurDisque()).exif && v.sansExif++ == 0)
            v.premier = r.ancien;
    }
    return v;
}

} // namespace varlime
