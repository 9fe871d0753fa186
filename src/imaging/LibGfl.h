// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The binding to libgfl201.so, the imaging library loaded at run time: loaded on the
// first picture, usable only with all seven entry points, tried first for every
// picture. One object for the whole program, owned by the application object; the
// thumbnail's worker thread and the window use it at the same time: the lock guards
// the loading of the library only, never a decode.
//
// VARLIME_GFL in the environment chooses the library: "off" never loads it (how the
// tests run without it), a path loads that file only. Unset, the program looks beside
// its executable, in ../lib/varlime (installed), in ../../gfl (the build tree), then
// on the system's search path.
#include "imaging/decodeurJpeg.h"
#include "imaging/pixels.h"
#include "libgfl.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace varlime {

// 1 for a two-level bitmap, else bytes per pixel × 8.
int profondeurBitmap(const GFL_BITMAP& bitmap);

// The library's bitmap as pixels: depths 1, 8 (colour map, or greys without one),
// 24 and 32 with blue, green, red rows. Nothing for any other depth or an
// inconsistent record; rows are read no further than bytes per line × height.
std::optional<Pixels> convertirBitmap(const GFL_BITMAP& bitmap);

class LibGfl {
public:
    enum class Resultat { Charge, Echec, ProfondeurRefusee };

    LibGfl();
    LibGfl(const LibGfl&) = delete;
    LibGfl& operator=(const LibGfl&) = delete;

    // Tests choose with or without the library whatever the environment says.
    void choisirChemins(std::vector<std::string> chemins) { chemins_ = std::move(chemins); }

    bool Charger_DLL_LibGfl();
    bool DLL_LibGfl_charge() const {
        std::lock_guard verrou(mutex_);
        return handle_ != nullptr;
    }
    // The file the library was loaded from (empty while it is not), and why each place
    // tried failed at the last attempt ("file: reason"), for the about box.
    std::string cheminCharge() const {
        std::lock_guard verrou(mutex_);
        return cheminCharge_;
    }
    std::vector<std::string> raisonsEchec() const {
        std::lock_guard verrou(mutex_);
        return raisonsEchec_;
    }
    // Calls the library's exit function once when it was loaded; never unloads it.
    void Cloturer_DLL_LibGfl();

    // Loads the picture through the library, shrunk while decoding into the box asked
    // for; the pixels know the picture's own size. A refused depth is also written to
    // `profondeur` when given.
    Resultat Charger_image_gfl(const std::string& chemin, const DemandeImage& demande,
                               Pixels& sortie, int* profondeur = nullptr);
    // The depth of the last refused picture.
    int profondeurRefusee() const {
        std::lock_guard verrou(mutex_);
        return profondeurRefusee_;
    }

private:
    bool chargerBibliotheque();

    mutable std::mutex mutex_;
    std::vector<std::string> chemins_;
    void* handle_ = nullptr;
    bool utilisable_ = false;
    bool cloturee_ = false;
    int profondeurRefusee_ = 0;
    std::string cheminCharge_;
    std::vector<std::string> raisonsEchec_;
    // Decodes under way, which the exit function waits for.
    int enCours_ = 0;
    std::condition_variable libre_;
    GflLibraryInitFn init_ = nullptr;
    GflLibraryExitFn exit_ = nullptr;
    GflGetErrorStringFn errorString_ = nullptr;
    GflEnableLZWFn enableLzw_ = nullptr;
    GflFreeBitmapFn freeBitmap_ = nullptr;
    GflLoadBitmapFn loadBitmap_ = nullptr;
    GflGetDefaultLoadParamsFn defaultParams_ = nullptr;
};

} // namespace varlime
