// SPDX-License-Identifier: GPL-3.0-or-later
// libgfl201.so: the imaging library the program loads at run time. It reads JPEG
// (libjpeg), PNG (libpng), TIFF (libtiff), HEIF pictures (HEIC, AVIF: libheif) and camera
// RAW files (LibRaw: the embedded preview when there is one, else the decoded picture)
// into the bitmap record of libgfl.h. Every reader shrinks the picture into the box asked for while
// it reads its rows, so no picture is held at its own size only to be shrunk, and a file declaring
// more than the budget of imaging/tailles.h is refused. Nothing here writes to the
// file it reads.
#include "lecteurs.h"
#include "platform/fichierOrdinaire.h"

#include "core/fileKinds.h"
#include "imaging/decodeurJpeg.h"
#include "imaging/lignesPng.h"
#include "imaging/reduction.h"
#include "imaging/structureHeif.h"
#include "imaging/tailles.h"
#include "imaging/vignetteFilm.h"

#include <libheif/heif.h>
#include <libraw/libraw.h>
#include <png.h>
#include <tiffio.h>

#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace varlime::gfl {

namespace {

std::atomic<bool> lzwPermis{true};

void nommer(GFL_FILE_INFORMATION* info, const char* format, int l, int h) {
    if (!info)
        return;
    std::memset(info, 0, sizeof *info);
    std::snprintf(info->FormatName, sizeof info->FormatName, "%s", format);
    info->Width = l;
    info->Height = h;
}

Boite boiteDe(const GFL_LOAD_PARAMS& p) {
    return {p.WantedWidth > 0 ? p.WantedWidth : 0, p.WantedHeight > 0 ? p.WantedHeight : 0};
}

// A bitmap of the given size with its rows (mid-grey, as rows a damaged file never
// delivers stay), or null when the size is beyond the budget or memory short.
GFL_BITMAP* nouveauBitmap(GFL_UINT16 type, Taille t, int octetsParPixel, int bitsParComposante,
                          int composantes) {
    if (!dansLeBudget(t))
        return nullptr;
    const std::size_t parLigne = static_cast<std::size_t>(t.largeur) * octetsParPixel;
    auto* b = static_cast<GFL_BITMAP*>(std::calloc(1, sizeof(GFL_BITMAP)));
    if (!b)
        return nullptr;
    b->Data = static_cast<std::uint8_t*>(std::malloc(parLigne * t.hauteur));
    if (!b->Data) {
        std::free(b);
        return nullptr;
    }
    std::memset(b->Data, 128, parLigne * t.hauteur);
    b->Type = type;
    b->Width = t.largeur;
    b->Height = t.hauteur;
    b->BytesPerLine = static_cast<GFL_UINT32>(parLigne);
    b->BytesPerPixel = static_cast<GFL_UINT16>(octetsParPixel);
    b->BitsPerComponent = static_cast<GFL_UINT16>(bitsParComposante);
    b->ComponentsPerPixel = static_cast<GFL_UINT16>(composantes);
    return b;
}

bool ajouterPalette(GFL_BITMAP* b) {
    b->ColorMap = static_cast<GFL_COLORMAP*>(std::calloc(1, sizeof(GFL_COLORMAP)));
    return b->ColorMap != nullptr;
}

std::uint8_t* ligneDe(GFL_BITMAP* b, int y) {
    return b->Data + static_cast<std::size_t>(y) * b->BytesPerLine;
}

// A row of 8-bit samples into the bitmap, red and blue swapped when the caller's order
// is not the decoder's.
void copierLigne(GFL_BITMAP* b, int y, const std::uint8_t* src, bool echanger) {
    std::uint8_t* d = ligneDe(b, y);
    if (!echanger || b->BytesPerPixel < 3) {
        std::memcpy(d, src, b->BytesPerLine);
        return;
    }
    const int n = b->BytesPerPixel;
    for (GFL_INT32 x = 0; x < b->Width; ++x, d += n, src += n) {
        std::memcpy(d, src, static_cast<std::size_t>(n));
        d[0] = src[2];
        d[2] = src[0];
    }
}

// Rows of a decoder that delivers blue, green, red (or grey) into a bitmap.
class DestinationBitmap : public DestinationImage {
public:
    explicit DestinationBitmap(const GFL_LOAD_PARAMS& p) : bgr_(p.ColorModel == GFL_BGR) {}
    ~DestinationBitmap() override { libererBitmap(b_); }
    bool preparer(int largeurImage, int hauteurImage, Taille taille, int composantes) override {
        libererBitmap(b_);
        largeurImage_ = largeurImage;
        hauteurImage_ = hauteurImage;
        b_ = nouveauBitmap(composantes == 1 ? GFL_GREY : GFL_RGB_TYPE, taille, composantes, 8,
                           composantes);
        return b_ != nullptr;
    }
    void ligne(int y, const std::uint8_t* octets) override {
        if (b_ && y >= 0 && y < b_->Height)
            copierLigne(b_, y, octets, !bgr_);
    }
    GFL_BITMAP* liberer() {
        GFL_BITMAP* b = b_;
        b_ = nullptr;
        return b;
    }
    int largeurImage_ = 0, hauteurImage_ = 0;

private:
    bool bgr_;
    GFL_BITMAP* b_ = nullptr;
};

// `propre`: receives the picture's own size.
GFL_ERROR depuisJpegMemoire(const std::uint8_t* data, std::size_t taille, const GFL_LOAD_PARAMS& p,
                            GFL_BITMAP** sortie, Taille& propre) {
    DestinationBitmap d(p);
    if (!decoderJpeg(data, taille, boiteDe(p), d))
        return GFL_ERROR_BAD_FORMAT;
    propre = {d.largeurImage_, d.hauteurImage_};
    *sortie = d.liberer();
    return GFL_NO_ERROR;
}

// ---- PNG

// Everything that needs freeing or lives across libpng's long jump sits here, made by
// the caller before the jump point.
struct LecturePng {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::FILE* f = nullptr;
    GFL_BITMAP* b = nullptr;
    Reducteur reducteur;
    TamponsPng tampons;
    ~LecturePng() {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (f)
            std::fclose(f);
        libererBitmap(b);
    }
};

extern "C" void erreurPng(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
extern "C" void avertissementPng(png_structp, png_const_charp) {}

// libpng allocates what a chunk's length says (a text chunk of 800 MB in a 120-byte
// file): anything beyond what a row or a chunk worth reading needs is refused, and
// libpng then fails the file.
constexpr png_alloc_size_t kAllocationPngMax = kBudgetOctets / 8;
extern "C" png_voidp allouerPng(png_structp, png_alloc_size_t taille) {
    return taille <= kAllocationPngMax ? std::malloc(taille) : nullptr;
}
extern "C" void libererPng(png_structp, png_voidp p) {
    std::free(p);
}

GFL_ERROR decoderPng(LecturePng& l, const GFL_LOAD_PARAMS& p, GFL_FILE_INFORMATION* info) {
    l.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, erreurPng, avertissementPng,
                                     nullptr, allouerPng, libererPng);
    if (!l.png)
        return GFL_ERROR_NO_MEMORY;
    l.info = png_create_info_struct(l.png);
    if (!l.info)
        return GFL_ERROR_NO_MEMORY;
    if (setjmp(png_jmpbuf(l.png)))
        return GFL_ERROR_BAD_FORMAT;
    png_init_io(l.png, l.f);
    png_set_user_limits(l.png, 1u << 20, 1u << 20);
    // A chunk's length comes from the file: libpng would allocate whatever it says for a
    // text or profile chunk. None worth showing a picture needs more than this.
    png_set_chunk_malloc_max(l.png, 8u << 20);
    png_set_chunk_cache_max(l.png, 1000);
    png_read_info(l.png, l.info);
    png_uint_32 largeur = 0, hauteur = 0;
    int profondeur = 0, couleurs = 0, entrelace = 0;
    png_get_IHDR(l.png, l.info, &largeur, &hauteur, &profondeur, &couleurs, &entrelace, nullptr,
                 nullptr);
    if (static_cast<long long>(largeur) * hauteur > kPixelsSourceMax)
        return GFL_ERROR_NO_MEMORY;
    GFL_UINT16 type = GFL_RGB_TYPE;
    int octets = 3, bits = 8, composantes = 3;
    bool palette = false;
    if (couleurs == PNG_COLOR_TYPE_PALETTE) {
        png_set_packing(l.png);
        type = GFL_COLORS;
        octets = composantes = 1;
        palette = true;
    } else if (couleurs == PNG_COLOR_TYPE_GRAY || couleurs == PNG_COLOR_TYPE_GRAY_ALPHA) {
        if (couleurs == PNG_COLOR_TYPE_GRAY_ALPHA)
            png_set_strip_alpha(l.png);
        type = GFL_GREY;
        octets = composantes = 1;
        if (profondeur == 1) {
            // Two levels: one byte a pixel, 0 black and 1 white.
            png_set_packing(l.png);
            type = GFL_BINARY;
        } else if (profondeur < 8) {
            png_set_expand_gray_1_2_4_to_8(l.png);
        }
    } else if (couleurs == PNG_COLOR_TYPE_RGB_ALPHA) {
        type = GFL_RGBA_TYPE;
        octets = composantes = 4;
    }
    if (profondeur == 16) {
        // Kept deep, as decoded, so the caller learns the real depth; most significant
        // byte first, as the file has it.
        type = GFL_DEEP;
        octets *= 2;
        bits = 16;
    }
    if (p.ColorModel == GFL_BGR && bits == 8 && octets >= 3)
        png_set_bgr(l.png);
    const int passes = png_set_interlace_handling(l.png);
    png_read_update_info(l.png, l.info);
    const std::size_t parLigne = static_cast<std::size_t>(largeur) * octets;
    if (png_get_rowbytes(l.png, l.info) != parLigne)
        return GFL_ERROR_BAD_FORMAT;
    const Taille cible =
        tailleCible(static_cast<int>(largeur), static_cast<int>(hauteur), boiteDe(p));
    // Means of colour-map indexes, of two levels or of deep samples mean nothing: those
    // keep one pixel of each area.
    const bool moyenne = type == GFL_GREY || type == GFL_RGB_TYPE || type == GFL_RGBA_TYPE;
    if (!l.reducteur.preparer(static_cast<int>(largeur), static_cast<int>(hauteur), cible.largeur,
                              cible.hauteur, octets, moyenne))
        return GFL_ERROR_BAD_FORMAT;
    l.b = nouveauBitmap(type, cible, octets, bits, composantes);
    if (!l.b)
        return GFL_ERROR_NO_MEMORY;
    if (palette) {
        png_colorp entrees = nullptr;
        int n = 0;
        if (!ajouterPalette(l.b))
            return GFL_ERROR_NO_MEMORY;
        if (png_get_PLTE(l.png, l.info, &entrees, &n) & PNG_INFO_PLTE)
            for (int i = 0; i < n && i < 256; ++i) {
                l.b->ColorMap->Red[i] = entrees[i].red;
                l.b->ColorMap->Green[i] = entrees[i].green;
                l.b->ColorMap->Blue[i] = entrees[i].blue;
            }
    }
    GFL_BITMAP* b = l.b;
    const auto donner = [b](int y, const std::uint8_t* r) {
        std::memcpy(ligneDe(b, y), r, b->BytesPerLine);
    };
    if (!lireLignesPng(l.png, passes, parLigne, hauteur, l.tampons, l.reducteur, donner))
        return GFL_ERROR_NO_MEMORY;
    nommer(info, "png", static_cast<int>(largeur), static_cast<int>(hauteur));
    return GFL_NO_ERROR;
}

// ---- TIFF

extern "C" int silenceTiff(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffFerme {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

std::unique_ptr<TIFF, TiffFerme> ouvrirTiff(const char* chemin) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    // libtiff's own buffers (a strip, a tile, a directory's values) are held to the
    // budget too, whatever the file declares.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(kBudgetOctets / 4));
    TIFFOpenOptionsSetErrorHandlerExtR(options, silenceTiff, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, silenceTiff, nullptr);
    std::unique_ptr<TIFF, TiffFerme> t(TIFFOpenExt(chemin, "r", options));
    TIFFOpenOptionsFree(options);
    return t;
}

struct RgbaFin {
    void operator()(TIFFRGBAImage* i) const { TIFFRGBAImageEnd(i); }
};

GFL_ERROR decoderTiff(TIFF* t, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                      GFL_FILE_INFORMATION* info) {
    std::uint32_t largeur = 0, hauteur = 0;
    std::uint16_t bits = 1, echantillons = 1, photometrie = PHOTOMETRIC_MINISBLACK,
                  plans = PLANARCONFIG_CONTIG;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &largeur);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &hauteur);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &echantillons);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &plans);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometrie);
    if (largeur == 0 || hauteur == 0 || largeur > (1u << 20) || hauteur > (1u << 28) ||
        static_cast<long long>(largeur) * hauteur > kPixelsSourceMax)
        return GFL_ERROR_BAD_FORMAT;
    const int l = static_cast<int>(largeur), h = static_cast<int>(hauteur);
    const Taille cible = tailleCible(l, h, boiteDe(p));
    nommer(info, "tiff", l, h);
    Reducteur reducteur;
    const bool parLignes = !TIFFIsTiled(t) && plans == PLANARCONFIG_CONTIG;
    if ((bits == 16 || bits == 1) && parLignes && echantillons <= 4 &&
        (photometrie <= PHOTOMETRIC_RGB) &&
        static_cast<long long>(TIFFScanlineSize64(t)) ==
            (static_cast<long long>(largeur) * bits * echantillons + 7) / 8) {
        const bool deux = bits == 1;
        if (deux && echantillons != 1)
            return GFL_ERROR_BAD_FORMAT;
        const int octets = deux ? 1 : 2 * echantillons;
        std::unique_ptr<GFL_BITMAP, void (*)(GFL_BITMAP*)> b(
            deux ? nouveauBitmap(GFL_BINARY, cible, 1, 1, 1)
                 : nouveauBitmap(GFL_DEEP, cible, octets, 16, echantillons),
            libererBitmap);
        if (!b || !reducteur.preparer(l, h, cible.largeur, cible.hauteur, octets, false))
            return GFL_ERROR_NO_MEMORY;
        std::vector<std::uint8_t> ligne(static_cast<std::size_t>(TIFFScanlineSize64(t)));
        std::vector<std::uint8_t> pixels(deux ? largeur : 0);
        GFL_BITMAP* d = b.get();
        const auto donner = [d](int y, const std::uint8_t* r) {
            std::memcpy(ligneDe(d, y), r, d->BytesPerLine);
        };
        for (std::uint32_t y = 0; y < hauteur; ++y) {
            if (TIFFReadScanline(t, ligne.data(), y, 0) < 0)
                return GFL_ERROR_FILE_READ;
            if (deux) {
                // One byte a pixel: 0 black, 1 white, whichever way the file counts.
                for (std::uint32_t x = 0; x < largeur; ++x) {
                    const bool blanc = (ligne[x / 8] >> (7 - x % 8)) & 1;
                    pixels[x] = (blanc != (photometrie == PHOTOMETRIC_MINISWHITE)) ? 1 : 0;
                }
                reducteur.ajouter(pixels.data(), donner);
            } else {
                reducteur.ajouter(ligne.data(), donner);
            }
        }
        *sortie = b.release();
        return GFL_NO_ERROR;
    }
    char message[1024] = {0};
    TIFFRGBAImage img;
    if (!TIFFRGBAImageOK(t, message) || !TIFFRGBAImageBegin(&img, t, 0, message))
        return GFL_ERROR_BAD_FORMAT;
    std::unique_ptr<TIFFRGBAImage, RgbaFin> fin(&img);
    // Rows as stored: the caller turns the picture by its orientation tag itself.
    img.req_orientation = img.orientation;
    // Read a band at a time, a band being what libtiff decodes in one go (a strip, or a
    // row of tiles), so that no band is decoded twice.
    std::uint32_t bande = 0;
    if (TIFFIsTiled(t))
        TIFFGetField(t, TIFFTAG_TILELENGTH, &bande);
    else
        TIFFGetFieldDefaulted(t, TIFFTAG_ROWSPERSTRIP, &bande);
    if (bande == 0 || bande > hauteur)
        bande = hauteur;
    if (static_cast<std::uint64_t>(largeur) * bande * 4 > kBudgetOctets / 4)
        return GFL_ERROR_NO_MEMORY;
    std::unique_ptr<GFL_BITMAP, void (*)(GFL_BITMAP*)> b(
        nouveauBitmap(GFL_RGB_TYPE, cible, 3, 8, 3), libererBitmap);
    if (!b || !reducteur.preparer(l, h, cible.largeur, cible.hauteur, 3, true))
        return GFL_ERROR_NO_MEMORY;
    std::vector<std::uint32_t> rgba(static_cast<std::size_t>(largeur) * bande);
    std::vector<std::uint8_t> ligne(static_cast<std::size_t>(largeur) * 3);
    const bool bgr = p.ColorModel == GFL_BGR;
    GFL_BITMAP* d = b.get();
    const auto donner = [d](int y, const std::uint8_t* r) {
        std::memcpy(ligneDe(d, y), r, d->BytesPerLine);
    };
    for (std::uint32_t y = 0; y < hauteur; y += bande) {
        const std::uint32_t n = std::min(bande, hauteur - y);
        img.row_offset = static_cast<int>(y);
        img.col_offset = 0;
        if (!TIFFRGBAImageGet(&img, rgba.data(), largeur, n))
            return GFL_ERROR_FILE_READ;
        for (std::uint32_t r = 0; r < n; ++r) {
            const std::uint32_t* s = rgba.data() + static_cast<std::size_t>(r) * largeur;
            for (std::uint32_t x = 0; x < largeur; ++x) {
                std::uint8_t* o = ligne.data() + static_cast<std::size_t>(x) * 3;
                o[bgr ? 2 : 0] = static_cast<std::uint8_t>(TIFFGetR(s[x]));
                o[1] = static_cast<std::uint8_t>(TIFFGetG(s[x]));
                o[bgr ? 0 : 2] = static_cast<std::uint8_t>(TIFFGetB(s[x]));
            }
            reducteur.ajouter(ligne.data(), donner);
        }
    }
    *sortie = b.release();
    return GFL_NO_ERROR;
}

// A DNG starts as any TIFF does: its version tag sends it to LibRaw.
bool tiffDeCamera(TIFF* t) {
    void* version = nullptr;
    return TIFFGetField(t, TIFFTAG_DNGVERSION, &version) != 0;
}

// ---- camera RAW

// 8-bit rows of `composantes` samples (red first) handed over by LibRaw, shrunk into a
// bitmap in the caller's order.
GFL_ERROR depuisRangees(const std::uint8_t* data, std::size_t taille, int largeur, int hauteur,
                        int composantes, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie) {
    if (largeur <= 0 || hauteur <= 0 || (composantes != 1 && composantes != 3) ||
        static_cast<std::uint64_t>(largeur) * hauteur * composantes > taille)
        return GFL_ERROR_BAD_FORMAT;
    const Taille cible = tailleCible(largeur, hauteur, boiteDe(p));
    std::unique_ptr<GFL_BITMAP, void (*)(GFL_BITMAP*)> b(
        nouveauBitmap(composantes == 3 ? GFL_RGB_TYPE : GFL_GREY, cible, composantes, 8,
                      composantes),
        libererBitmap);
    Reducteur reducteur;
    if (!b ||
        !reducteur.preparer(largeur, hauteur, cible.largeur, cible.hauteur, composantes, true))
        return GFL_ERROR_NO_MEMORY;
    GFL_BITMAP* d = b.get();
    const bool echanger = p.ColorModel == GFL_BGR;
    const auto donner = [d, echanger](int y, const std::uint8_t* r) {
        copierLigne(d, y, r, echanger);
    };
    const std::size_t parLigne = static_cast<std::size_t>(largeur) * composantes;
    for (int y = 0; y < hauteur; ++y)
        reducteur.ajouter(data + static_cast<std::size_t>(y) * parLigne, donner);
    *sortie = b.release();
    return GFL_NO_ERROR;
}

struct ImageLibRaw {
    void operator()(libraw_processed_image_t* i) const { LibRaw::dcraw_clear_mem(i); }
};

// ---- HEIF (HEIC, AVIF)

struct ContexteHeif {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct PoigneeHeif {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageHeif {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsHeif {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

// Decodes one picture of the file (the primary one, or one of its thumbnails) upright,
// as libheif turns and mirrors it by the file's own transformations, into a bitmap
// fitted to the box asked for.
GFL_ERROR decoderHeif(heif_image_handle* h, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie) {
    const int largeur = heif_image_handle_get_width(h), hauteur = heif_image_handle_get_height(h);
    // libheif decodes the whole picture, a few bytes a pixel in its planes and three in
    // the rows handed back: only pictures that fit the budget that way are decoded.
    if (largeur <= 0 || hauteur <= 0)
        return GFL_ERROR_BAD_FORMAT;
    if (!heifDansLeBudget(static_cast<std::uint64_t>(largeur), static_cast<std::uint64_t>(hauteur)))
        return GFL_ERROR_NO_MEMORY;
    // A picture whose depth the file does not tell coherently (libheif then sizes its
    // buffers from whatever the coded data claims) is refused before any decode.
    const int bits = heif_image_handle_get_luma_bits_per_pixel(h);
    if (bits < 1 || bits > 16)
        return GFL_ERROR_BAD_FORMAT;
    std::unique_ptr<heif_decoding_options, OptionsHeif> options(heif_decoding_options_alloc());
    heif_image* brute = nullptr;
    const heif_error e = heif_decode_image(h, &brute, heif_colorspace_RGB,
                                           heif_chroma_interleaved_RGB, options.get());
    std::unique_ptr<heif_image, ImageHeif> image(brute);
    if (e.code != heif_error_Ok || !image)
        return GFL_ERROR_BAD_FORMAT;
    int pas = 0;
    const std::uint8_t* plan =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &pas);
    const int l = heif_image_get_width(image.get(), heif_channel_interleaved),
              ht = heif_image_get_height(image.get(), heif_channel_interleaved);
    // A decoded picture of another size than the file declares is a damaged file.
    if (!plan || l != largeur || ht != hauteur || pas < l * 3)
        return GFL_ERROR_BAD_FORMAT;
    const Taille cible = tailleCible(l, ht, boiteDe(p));
    std::unique_ptr<GFL_BITMAP, void (*)(GFL_BITMAP*)> b(
        nouveauBitmap(GFL_RGB_TYPE, cible, 3, 8, 3), libererBitmap);
    Reducteur reducteur;
    if (!b || !reducteur.preparer(l, ht, cible.largeur, cible.hauteur, 3, true))
        return GFL_ERROR_NO_MEMORY;
    GFL_BITMAP* d = b.get();
    const bool echanger = p.ColorModel == GFL_BGR;
    const auto donner = [d, echanger](int y, const std::uint8_t* r) {
        copierLigne(d, y, r, echanger);
    };
    for (int y = 0; y < ht; ++y)
        reducteur.ajouter(plan + static_cast<std::size_t>(y) * pas, donner);
    *sortie = b.release();
    return GFL_NO_ERROR;
}

} // namespace

void libererBitmap(GFL_BITMAP* b) {
    if (!b)
        return;
    std::free(b->ColorMap);
    std::free(b->Data);
    std::free(b);
}

GFL_ERROR lireJpeg(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                   GFL_FILE_INFORMATION* info) {
    DestinationBitmap d(p);
    DemandeImage demande;
    demande.boite = boiteDe(p);
    demande.apercuPermis = (p.Flags & GFL_LOAD_STORED_COPY) != 0;
    if (!decoderJpegFichier(chemin, demande, d))
        return GFL_ERROR_BAD_FORMAT;
    nommer(info, "jpeg", d.largeurImage_, d.hauteurImage_);
    *sortie = d.liberer();
    return GFL_NO_ERROR;
}

GFL_ERROR lirePng(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                  GFL_FILE_INFORMATION* info) {
    LecturePng l;
    l.f = varlime::ouvrirFluxOrdinaire(chemin);
    if (!l.f)
        return GFL_ERROR_FILE_OPEN;
    const GFL_ERROR e = decoderPng(l, p, info);
    if (e == GFL_NO_ERROR) {
        *sortie = l.b;
        l.b = nullptr;
    }
    return e;
}

GFL_ERROR lireTiff(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                   GFL_FILE_INFORMATION* info) {
    const auto t = ouvrirTiff(chemin);
    if (!t)
        return GFL_ERROR_BAD_FORMAT;
    return decoderTiff(t.get(), p, sortie, info);
}

GFL_ERROR lireRaw(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                  GFL_FILE_INFORMATION* info) {
    // LibRaw's object is large: on the heap, not the stack.
    std::unique_ptr<LibRaw> raw(new (std::nothrow) LibRaw(LIBRAW_OPTIONS_NONE));
    if (!raw)
        return GFL_ERROR_NO_MEMORY;
    // LibRaw's own buffers for the sensor's data are held to the budget.
    raw->imgdata.params.max_raw_memory_mb = static_cast<unsigned>(kBudgetMo / 2);
    // The picture comes as the sensor stored it: the program turns it by its EXIF
    // orientation, once.
    raw->imgdata.params.user_flip = 0;
    if (raw->open_file(chemin) != LIBRAW_SUCCESS)
        return GFL_ERROR_UNKNOWN_FORMAT;
    const int largeur = raw->imgdata.sizes.width, hauteur = raw->imgdata.sizes.height;
    nommer(info, "raw", largeur, hauteur);
    int e = 0;
    const libraw_thumbnail_t& vignette = raw->imgdata.thumbnail;
    const bool vignetteRaisonnable =
        vignette.tlength <= kBudgetOctets / 8 &&
        static_cast<std::uint64_t>(vignette.twidth) * vignette.theight <= kPixelsSourceMax;
    if (vignetteRaisonnable && raw->unpack_thumb() == LIBRAW_SUCCESS) {
        std::unique_ptr<libraw_processed_image_t, ImageLibRaw> apercu(
            raw->dcraw_make_mem_thumb(&e));
        GFL_ERROR r = GFL_ERROR_BAD_FORMAT;
        Taille propre;
        if (apercu && apercu->type == LIBRAW_IMAGE_JPEG) {
            r = depuisJpegMemoire(apercu->data, apercu->data_size, p, sortie, propre);
        } else if (apercu && apercu->type == LIBRAW_IMAGE_BITMAP && apercu->bits == 8) {
            r = depuisRangees(apercu->data, apercu->data_size, apercu->width, apercu->height,
                              apercu->colors, p, sortie);
            propre = {apercu->width, apercu->height};
        }
        if (r == GFL_NO_ERROR) {
            // The preview is the picture shown: its proportions are the ones drawn.
            nommer(info, "raw", propre.largeur, propre.hauteur);
            return r;
        }
    }
    // No usable preview: develop the picture itself, at half size when that is enough
    // or when the whole would not fit the budget (the sensor's values, four 16-bit
    // channels a pixel while developing, and the picture handed back).
    if (largeur <= 0 || hauteur <= 0 ||
        static_cast<long long>(largeur) * hauteur > kPixelsSourceMax)
        return GFL_ERROR_BAD_FORMAT;
    const Taille cible = tailleCible(largeur, hauteur, boiteDe(p));
    const std::uint64_t pixels = static_cast<std::uint64_t>(largeur) * hauteur;
    raw->imgdata.params.output_bps = 8;
    raw->imgdata.params.half_size = cible.largeur * 2 <= largeur || pixels * 13 > kBudgetOctets;
    if (raw->imgdata.params.half_size && pixels * 13 / 4 > kBudgetOctets)
        return GFL_ERROR_NO_MEMORY;
    if (raw->unpack() != LIBRAW_SUCCESS || raw->dcraw_process() != LIBRAW_SUCCESS)
        return GFL_ERROR_BAD_FORMAT;
    std::unique_ptr<libraw_processed_image_t, ImageLibRaw> image(raw->dcraw_make_mem_image(&e));
    if (!image || image->type != LIBRAW_IMAGE_BITMAP || image->bits != 8)
        return GFL_ERROR_BAD_FORMAT;
    nommer(info, "raw", image->width, image->height);
    return depuisRangees(image->data, image->data_size, image->width, image->height, image->colors,
                         p, sortie);
}

// The size of a regular file open as `fd`, or nothing.
static std::optional<std::uint64_t> tailleFichier(int fd) {
    struct stat etat;
    if (fd < 0 || ::fstat(fd, &etat) != 0 || !S_ISREG(etat.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(etat.st_size);
}

GFL_ERROR lireHeif(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                   GFL_FILE_INFORMATION* info) {
    {
        // libheif makes a grid's or an overlay's canvas at the size the item describes
        // before anything is checked: a file whose tables declare more than the budget
        // never reaches it.
        const int fd = varlime::ouvrirFichierOrdinaire(chemin);
        const auto taille = tailleFichier(fd);
        const std::string faute = taille ? verifierStructureHeif(fd, *taille) : "unreadable";
        if (fd >= 0)
            ::close(fd);
        if (!faute.empty())
            return taille ? GFL_ERROR_BAD_FORMAT : GFL_ERROR_FILE_READ;
    }
    std::unique_ptr<heif_context, ContexteHeif> contexte(heif_context_alloc());
    if (!contexte)
        return GFL_ERROR_NO_MEMORY;
    // No side of a picture worth reading is longer: larger ones are refused unread.
    heif_context_set_maximum_image_size_limit(contexte.get(), 1 << 15);
    // A grid's tiles one after the other, in this thread: never several tiles' buffers
    // at once on top of the canvas.
    heif_context_set_max_decoding_threads(contexte.get(), 0);
    if (heif_context_read_from_file(contexte.get(), chemin, nullptr).code != heif_error_Ok)
        return GFL_ERROR_BAD_FORMAT;
    heif_image_handle* brute = nullptr;
    if (heif_context_get_primary_image_handle(contexte.get(), &brute).code != heif_error_Ok ||
        !brute)
        return GFL_ERROR_BAD_FORMAT;
    std::unique_ptr<heif_image_handle, PoigneeHeif> principale(brute);
    const int largeur = heif_image_handle_get_width(principale.get()),
              hauteur = heif_image_handle_get_height(principale.get());
    nommer(info, "heif", largeur, hauteur);
    // The grid's thumbnail may come from a thumbnail the file stores, when it is wide
    // enough and of the picture's shape.
    const Taille cible = tailleCible(largeur, hauteur, boiteDe(p));
    if ((p.Flags & GFL_LOAD_STORED_COPY) && cible.largeur > 0) {
        heif_item_id ids[4] = {0, 0, 0, 0};
        const int n = heif_image_handle_get_list_of_thumbnail_IDs(principale.get(), ids, 4);
        for (int i = 0; i < n; ++i) {
            heif_image_handle* v = nullptr;
            if (heif_image_handle_get_thumbnail(principale.get(), ids[i], &v).code !=
                    heif_error_Ok ||
                !v)
                continue;
            std::unique_ptr<heif_image_handle, PoigneeHeif> vignette(v);
            const int lv = heif_image_handle_get_width(v), hv = heif_image_handle_get_height(v);
            if (apercuConvient(largeur, hauteur, lv, hv, cible.largeur) &&
                decoderHeif(v, p, sortie) == GFL_NO_ERROR)
                return GFL_NO_ERROR;
        }
    }
    return decoderHeif(principale.get(), p, sortie);
}

GFL_ERROR lireFilm(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                   GFL_FILE_INFORMATION* info) {
    const std::optional<std::string> jpeg = vignetteFilmFichier(chemin);
    if (!jpeg)
        return GFL_ERROR_UNKNOWN_FORMAT;
    Taille propre;
    const GFL_ERROR e = depuisJpegMemoire(reinterpret_cast<const std::uint8_t*>(jpeg->data()),
                                          jpeg->size(), p, sortie, propre);
    if (e == GFL_NO_ERROR)
        nommer(info, "jpeg", propre.largeur, propre.hauteur);
    return e;
}

} // namespace varlime::gfl

using namespace varlime::gfl;

extern "C" {

GFL_ERROR gflLibraryInit(void) {
    heif_init(nullptr);
    return GFL_NO_ERROR;
}

void gflLibraryExit(void) {
    heif_deinit();
}

const char* gflGetErrorString(GFL_ERROR error) {
    switch (error) {
    case GFL_NO_ERROR:
        return "no error";
    case GFL_ERROR_FILE_OPEN:
        return "cannot open the file";
    case GFL_ERROR_FILE_READ:
        return "cannot read the file";
    case GFL_ERROR_NO_MEMORY:
        return "not enough memory";
    case GFL_ERROR_UNKNOWN_FORMAT:
        return "unknown format";
    case GFL_ERROR_BAD_FORMAT:
        return "damaged or unsupported file";
    default:
        return "bad parameters";
    }
}

void gflEnableLZW(GFL_BOOL enable) {
    lzwPermis = enable != 0;
}

void gflFreeBitmap(GFL_BITMAP* bitmap) {
    libererBitmap(bitmap);
}

void gflGetDefaultLoadParams(GFL_LOAD_PARAMS* params) {
    if (params)
        std::memset(params, 0, sizeof *params);
}

GFL_ERROR gflLoadBitmap(const char* filename, GFL_BITMAP** bitmap, const GFL_LOAD_PARAMS* params,
                        GFL_FILE_INFORMATION* info) {
    if (!filename || !bitmap || !params)
        return GFL_ERROR_BAD_PARAMETERS;
    *bitmap = nullptr;
    nommer(info, "", 0, 0);
    char debut[16] = {0};
    std::size_t n = 0;
    {
        // Only a regular file, opened without waiting: a pipe named like a photo would
        // hold the caller for ever, here or in the decoders that open it by name below.
        std::FILE* f = varlime::ouvrirFluxOrdinaire(filename);
        if (!f)
            return GFL_ERROR_FILE_OPEN;
        n = std::fread(debut, 1, sizeof debut, f);
        std::fclose(f);
        if (n < 4)
            return GFL_ERROR_UNKNOWN_FORMAT;
    }
    // The program's table of file kinds decides by the first bytes, whatever the name.
    switch (varlime::kindOfBytes(std::string_view(debut, n))) {
    case varlime::FileKind::Jpeg:
        return lireJpeg(filename, *params, bitmap, info);
    case varlime::FileKind::Png:
        return lirePng(filename, *params, bitmap, info);
    case varlime::FileKind::Heif: {
        const GFL_ERROR e = lireHeif(filename, *params, bitmap, info);
        // Stands upright already: the program leaves it as it is.
        if (e == GFL_NO_ERROR && info)
            info->Upright = 1;
        return e;
    }
    case varlime::FileKind::Video:
        return lireFilm(filename, *params, bitmap, info);
    case varlime::FileKind::Tiff: {
        const auto t = ouvrirTiff(filename);
        if (!t)
            return GFL_ERROR_BAD_FORMAT;
        if (!tiffDeCamera(t.get()))
            return decoderTiff(t.get(), *params, bitmap, info);
        return lireRaw(filename, *params, bitmap, info);
    }
    case varlime::FileKind::WebP:
    case varlime::FileKind::JpegXl:
    case varlime::FileKind::Bitmap:
        // Left to the program's other loaders.
        return GFL_ERROR_UNKNOWN_FORMAT;
    default:
        // Camera RAW files, and whatever LibRaw recognises that the table does not.
        return lireRaw(filename, *params, bitmap, info);
    }
}

} // extern "C"
