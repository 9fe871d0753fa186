// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/LibGfl.h"

#include "platform/fileSystem.h"

#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <link.h>

namespace varlime {

namespace {

std::vector<std::string> cheminsParDefaut() {
    const char* choisi = std::getenv("VARLIME_GFL");
    if (choisi && *choisi) {
        if (std::string(choisi) == "off")
            return {};
        return {choisi};
    }
    const std::string dossier = dossierProgramme();
    std::string d = dossier;
    if (!d.empty() && d.back() != '/')
        d += '/';
    return {d + "libgfl201.so", d + "../lib/varlime/libgfl201.so", d + "../../gfl/libgfl201.so",
            "libgfl201.so"};
}

template <typename F> bool resoudre(void* handle, const char* nom, F& f) {
    f = reinterpret_cast<F>(dlsym(handle, nom));
    return f != nullptr;
}

} // namespace

int profondeurBitmap(const GFL_BITMAP& b) {
    return b.Type == GFL_BINARY ? 1 : b.BytesPerPixel * 8;
}

std::optional<Pixels> convertirBitmap(const GFL_BITMAP& b) {
    const int profondeur = profondeurBitmap(b);
    if (profondeur != 1 && profondeur != 8 && profondeur != 24 && profondeur != 32)
        return std::nullopt;
    if (b.Width <= 0 || b.Height <= 0 || !b.Data ||
        static_cast<long long>(b.Width) * b.Height > kPixelsCibleMax)
        return std::nullopt;
    Pixels p;
    p.largeur = b.Width;
    p.hauteur = b.Height;
    // What a row holds that the record promises less of stays white.
    p.px.assign(static_cast<std::size_t>(p.largeur) * p.hauteur, rgb(255, 255, 255));
    const int octets = profondeur == 1 ? 1 : profondeur / 8;
    const long long parLigne = b.BytesPerLine;
    const int pixelsLus = static_cast<int>(std::min<long long>(b.Width, parLigne / octets));
    for (int y = 0; y < b.Height; ++y) {
        const std::uint8_t* src = b.Data + static_cast<std::size_t>(y) * b.BytesPerLine;
        std::uint32_t* dest = p.px.data() + static_cast<std::size_t>(y) * p.largeur;
        switch (profondeur) {
        case 1:
            for (int x = 0; x < pixelsLus; ++x)
                if (src[x] == 0)
                    dest[x] = rgb(0, 0, 0);
            break;
        case 8:
            for (int x = 0; x < pixelsLus; ++x) {
                const std::uint8_t i = src[x];
                dest[x] = b.ColorMap
                              ? rgb(b.ColorMap->Red[i], b.ColorMap->Green[i], b.ColorMap->Blue[i])
                              : rgb(i, i, i);
            }
            break;
        default:
            for (int x = 0; x < pixelsLus; ++x) {
                const std::uint8_t* s = src + static_cast<std::size_t>(x) * octets;
                dest[x] = rgb(s[2], s[1], s[0]);
            }
            break;
        }
    }
    return p;
}

LibGfl::LibGfl() : chemins_(cheminsParDefaut()) {}

bool LibGfl::Charger_DLL_LibGfl() {
    std::lock_guard verrou(mutex_);
    return chargerBibliotheque();
}

bool LibGfl::chargerBibliotheque() {
    if (handle_)
        return utilisable_;
    // A failed load is tried again on the next picture: the library may have been
    // installed meanwhile.
    raisonsEchec_.clear();
    for (const std::string& chemin : chemins_) {
        void* h = dlopen(chemin.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            const char* raison = dlerror();
            raisonsEchec_.push_back(raison ? raison : chemin + ": cannot be loaded");
            continue;
        }
        const bool tous =
            resoudre(h, "gflLibraryInit", init_) && resoudre(h, "gflLibraryExit", exit_) &&
            resoudre(h, "gflGetErrorString", errorString_) &&
            resoudre(h, "gflEnableLZW", enableLzw_) && resoudre(h, "gflFreeBitmap", freeBitmap_) &&
            resoudre(h, "gflLoadBitmap", loadBitmap_) &&
            resoudre(h, "gflGetDefaultLoadParams", defaultParams_);
        if (!tous) {
            // All seven or none: a library missing one is no library.
            init_ = nullptr;
            exit_ = nullptr;
            errorString_ = nullptr;
            enableLzw_ = nullptr;
            freeBitmap_ = nullptr;
            loadBitmap_ = nullptr;
            defaultParams_ = nullptr;
            dlclose(h);
            raisonsEchec_.push_back(chemin +
                                    ": not the imaging library (an entry point is missing)");
            continue;
        }
        handle_ = h;
        // The file itself, also when the system's search path found it.
        struct link_map* carte = nullptr;
        cheminCharge_ =
            dlinfo(h, RTLD_DI_LINKMAP, &carte) == 0 && carte && carte->l_name && *carte->l_name
                ? carte->l_name
                : chemin;
        if (char* reel = ::realpath(cheminCharge_.c_str(), nullptr)) {
            cheminCharge_ = reel;
            std::free(reel);
        }
        utilisable_ = true;
        init_();
        return true;
    }
    return false;
}

void LibGfl::Cloturer_DLL_LibGfl() {
    std::unique_lock verrou(mutex_);
    libre_.wait(verrou, [this] { return enCours_ == 0; });
    if (handle_ && !cloturee_) {
        exit_();
        cloturee_ = true;
    }
}

LibGfl::Resultat LibGfl::Charger_image_gfl(const std::string& chemin, const DemandeImage& demande,
                                           Pixels& sortie, int* profondeur) {
    sortie = Pixels();
    GflLoadBitmapFn charger = nullptr;
    GflFreeBitmapFn liberer = nullptr;
    GFL_LOAD_PARAMS params;
    {
        std::lock_guard verrou(mutex_);
        if (cloturee_ || !chargerBibliotheque())
            return Resultat::Echec;
        enableLzw_(1);
        defaultParams_(&params);
        charger = loadBitmap_;
        liberer = freeBitmap_;
        ++enCours_;
    }
    params.ColorModel = GFL_BGR;
    params.WantedWidth = demande.boite.largeur;
    params.WantedHeight = demande.boite.hauteur;
    if (demande.apercuPermis)
        params.Flags |= GFL_LOAD_STORED_COPY;
    GFL_FILE_INFORMATION info{};
    GFL_BITMAP* bitmap = nullptr;
    // The decode itself runs unlocked: the viewer never waits behind the thumbnail.
    const GFL_ERROR erreur = charger(chemin.c_str(), &bitmap, &params, &info);
    std::optional<Pixels> p;
    int bits = 0;
    if (bitmap) {
        if (erreur == GFL_NO_ERROR) {
            p = convertirBitmap(*bitmap);
            bits = profondeurBitmap(*bitmap);
        }
        liberer(bitmap);
    }
    std::lock_guard verrou(mutex_);
    --enCours_;
    libre_.notify_all();
    if (erreur != GFL_NO_ERROR || bits == 0)
        return Resultat::Echec;
    if (!p) {
        if (bits != 1 && bits != 8 && bits != 24 && bits != 32) {
            profondeurRefusee_ = bits;
            if (profondeur)
                *profondeur = bits;
            return Resultat::ProfondeurRefusee;
        }
        return Resultat::Echec;
    }
    sortie = std::move(*p);
    // The library's record of the picture's own size, when it gives one that the
    // bitmap can be a reduction of.
    if (info.Width >= sortie.largeur && info.Height >= sortie.hauteur) {
        sortie.largeurImage = info.Width;
        sortie.hauteurImage = info.Height;
    }
    sortie.redressee = info.Upright != 0;
    return Resultat::Charge;
}

} // namespace varlime
