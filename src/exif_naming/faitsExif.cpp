// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif_naming/faitsExif.h"

#include "exif/dEXIF.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <thread>

namespace varlime {

namespace {

std::unique_ptr<TimgData> lecteurDeFaits() {
    auto l = std::make_unique<TimgData>();
    l->NamingFactsOnly = true;
    return l;
}

} // namespace

CacheFaitsExif::CacheFaitsExif() : lecteur_(lecteurDeFaits()) {}
CacheFaitsExif::~CacheFaitsExif() = default;

namespace {

std::optional<CacheFaitsExif::Cle> cleDe(const struct stat& st) {
    if (!S_ISREG(st.st_mode))
        return std::nullopt;
    return CacheFaitsExif::Cle{st.st_dev,         st.st_ino,          st.st_size,
                               st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_ctim.tv_sec,
                               st.st_ctim.tv_nsec};
}

// The key of a regular file of the folder, or nothing for anything else.
std::optional<CacheFaitsExif::Cle> cleFichier(int dirfd, const std::string& nom) {
    if (nom.empty() || nom.find('/') != std::string::npos)
        return std::nullopt;
    struct stat st;
    if (::fstatat(dirfd, nom.c_str(), &st, 0) != 0)
        return std::nullopt;
    return cleDe(st);
}

FaitsExif lireFaits(TimgData& lecteur, const std::string& chemin) {
    const bool lu = lecteur.ReadImageFile(chemin);
    return faitsDepuisLecteur(lecteur, lu);
}

} // namespace

void CacheFaitsExif::suivreDossier(const DossierListe& dossier) {
    if (dossier.chemin() != dossier_) {
        entrees_.clear();
        dossier_ = dossier.chemin();
    }
}

const FaitsExif& CacheFaitsExif::faits(const DossierListe& dossier, const std::string& nom) {
    if (!dossier.ouvert())
        return vide_;
    suivreDossier(dossier);
    auto it = entrees_.find(nom);
    if (it != entrees_.end() && it->second.generation == generation_)
        return it->second.faits;
    // Not read yet and not to be read now: no need to look at the file.
    if (suspendu_ && it == entrees_.end() && !nom.empty()) {
        nonLus_.insert(nom);
        return vide_;
    }
    const auto cle = cleFichier(dossier.fd(), nom);
    if (!cle) {
        // Gone or no regular file: nothing to name it from, and nothing kept.
        if (it != entrees_.end())
            entrees_.erase(it);
        return vide_;
    }
    if (it == entrees_.end() || !(it->second.cle == *cle)) {
        if (suspendu_) {
            nonLus_.insert(nom);
            return vide_;
        }
        ++lectures_;
        Entree e{*cle, lireFaits(*lecteur_, dossier.chemin() + nom), generation_};
        if (retouche_)
            retouche_(e.faits);
        it = entrees_.insert_or_assign(nom, std::move(e)).first;
    }
    it->second.generation = generation_;
    return it->second.faits;
}

void CacheFaitsExif::precharger(const DossierListe& dossier, const std::vector<FileRow>& lignes,
                                const std::function<bool(std::size_t, std::size_t)>& progression) {
    if (!dossier.ouvert())
        return;
    suivreDossier(dossier);
    struct Travail {
        std::string nom;
        std::optional<Cle> cle;
        FaitsExif faits;
    };
    std::vector<Travail> travaux;
    for (const FileRow& r : lignes) {
        const std::string& nom = r.ancienSurDisque();
        auto it = entrees_.find(nom);
        if (it != entrees_.end() && it->second.generation == generation_)
            continue;
        if (nom.empty() || nom.find('/') != std::string::npos)
            continue;
        // A file not seen yet is only read: the reader tells what it opened.
        if (it == entrees_.end()) {
            travaux.push_back({nom, std::nullopt, {}});
            continue;
        }
        const auto cle = cleFichier(dossier.fd(), nom);
        if (!cle)
            continue;
        if (it->second.cle == *cle)
            it->second.generation = generation_;
        else
            travaux.push_back({nom, cle, {}});
    }
    if (travaux.empty())
        return;
    // The threads and the caller's progress function must not see the folder change
    // under them: they work on this copy of its path, and what they read is kept only
    // if the cache still speaks of that folder when they are done.
    const std::string chemin = dossier.chemin();
    // Reading is mostly parsing: each thread has its own reader, and the files are
    // shared out one at a time.
    const std::size_t n = travaux.size();
    const unsigned coeurs = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t nombre = std::clamp<std::size_t>(n / 64, 1, std::min(coeurs, 8u));
    std::atomic<std::size_t> suivant{0}, faits{0};
    std::atomic<bool> arret{false};
    std::vector<char> lu(n, 0);
    // Reads up to `limite` files; the other threads go on until none is left.
    auto travailler = [&](TimgData& lecteur, std::size_t limite) {
        for (std::size_t i; limite-- > 0 && !arret && (i = suivant++) < n;) {
            travaux[i].faits = lireFaits(lecteur, chemin + travaux[i].nom);
            travaux[i].cle = cleDe(lecteur.LoadedFileStat);
            lu[i] = 1;
            ++faits;
        }
    };
    std::vector<std::thread> threads;
    std::vector<std::unique_ptr<TimgData>> lecteurs;
    // A helper that cannot start (no memory, a thread limit) leaves its share to the
    // threads that did: the reading is slower, never lost, and never ends the program.
    try {
        for (std::size_t t = 1; t < nombre; ++t) {
            lecteurs.push_back(lecteurDeFaits());
            threads.emplace_back(travailler, std::ref(*lecteurs.back()), SIZE_MAX);
        }
    } catch (const std::exception&) {
    }
    // This thread reads too, a few files at a time, and reports in between so that a
    // window can show the progress and stay alive.
    while (suivant < n && !arret) {
        travailler(*lecteur_, 8);
        if (progression && !progression(faits, n))
            arret = true;
    }
    for (auto& t : threads)
        t.join();
    if (dossier_ != chemin)
        return;
    for (std::size_t i = 0; i < n; ++i) {
        if (!lu[i])
            continue;
        ++lectures_;
        // Gone, or no regular file: nothing to name it from, and nothing kept.
        if (!travaux[i].cle) {
            entrees_.erase(travaux[i].nom);
            continue;
        }
        if (retouche_)
            retouche_(travaux[i].faits);
        entrees_.insert_or_assign(
            travaux[i].nom, Entree{*travaux[i].cle, std::move(travaux[i].faits), generation_});
    }
    if (progression && !arret)
        progression(n, n);
}

std::size_t CacheFaitsExif::aVerifier(const DossierListe& dossier,
                                      const std::vector<FileRow>& lignes) const {
    if (!dossier.ouvert())
        return 0;
    const bool memeDossier = dossier.chemin() == dossier_;
    return std::size_t(std::count_if(lignes.begin(), lignes.end(), [&](const FileRow& r) {
        const std::string& nom = r.ancienSurDisque();
        if (nom.empty() || nom.find('/') != std::string::npos)
            return false;
        if (!memeDossier)
            return true;
        const auto it = entrees_.find(nom);
        return it == entrees_.end() || it->second.generation != generation_;
    }));
}

FaitsExif lireFaitsExif(const std::string& chemin) {
    return lireFaits(*lecteurDeFaits(), chemin);
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
