// libgfl201.so: the imaging library the program loads at run time. It reads JPEG
// (libjpeg), PNG (libpng), TIFF (libtiff) and camera RAW files (LibRaw: the embedded
// preview when there is one, else the decoded picture) into the bitmap record of
// libgfl.h. Nothing here writes to the file it reads.
#include "libgfl.h"

#include "imaging/decodeurJpeg.h"

#include <libraw/libraw.h>
#include <png.h>
#include <tiffio.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// A picture larger than this is refused rather than allocated: 256 megapixels.
constexpr long long kPixelsMax = 1LL << 28;

bool lzwPermis = true;

void nommer(GFL_FILE_INFORMATION* info, const char* format, int l, int h) {
    if (!info)
        return;
    std::memset(info, 0, sizeof *info);
    std::snprintf(info->FormatName, sizeof info->FormatName, "%s", format);
    info->Width = l;
    info->Height = h;
}

// A zeroed bitmap with its rows, or null when the size is absurd or memory short.
GFL_BITMAP* nouveauBitmap(GFL_UINT16 type, long long l, long long h, int octetsParPixel,
                          int bitsParComposante, int composantes) {
    if (l <= 0 || h <= 0 || l * h > kPixelsMax)
        return nullptr;
    const long long parLigne = l * octetsParPixel;
    auto* b = static_cast<GFL_BITMAP*>(std::calloc(1, sizeof(GFL_BITMAP)));
    if (!b)
        return nullptr;
    b->Data = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(parLigne * h), 1));
    if (!b->Data) {
        std::free(b);
        return nullptr;
    }
    b->Type = type;
    b->Width = static_cast<GFL_INT32>(l);
    b->Height = static_cast<GFL_INT32>(h);
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

void liberer(GFL_BITMAP* b) {
    if (!b)
        return;
    std::free(b->ColorMap);
    std::free(b->Data);
    std::free(b);
}

// 3-byte rows come back in the order the caller asked for.
void ordonner(GFL_BITMAP* b, const GFL_LOAD_PARAMS& p, bool dejaBgr) {
    const bool bgr = p.ColorModel == GFL_BGR;
    if (bgr == dejaBgr || b->BytesPerPixel < 3 || b->BitsPerComponent != 8)
        return;
    for (GFL_INT32 y = 0; y < b->Height; ++y) {
        std::uint8_t* r = b->Data + static_cast<std::size_t>(y) * b->BytesPerLine;
        for (GFL_INT32 x = 0; x < b->Width; ++x)
            std::swap(r[x * b->BytesPerPixel], r[x * b->BytesPerPixel + 2]);
    }
}

GFL_ERROR depuisJpeg(const varlime::ImageJpeg& j, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie) {
    GFL_BITMAP* b = nouveauBitmap(j.composantes == 1 ? GFL_GREY : GFL_RGB_TYPE, j.largeur,
                                  j.hauteur, j.composantes, 8, j.composantes);
    if (!b)
        return GFL_ERROR_NO_MEMORY;
    std::memcpy(b->Data, j.octets.data(), j.octets.size());
    ordonner(b, p, true);
    *sortie = b;
    return GFL_NO_ERROR;
}

GFL_ERROR lireJpeg(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                   GFL_FILE_INFORMATION* info) {
    varlime::ImageJpeg j;
    if (!varlime::decoderJpegFichier(chemin, p.WantedWidth, j))
        return GFL_ERROR_BAD_FORMAT;
    nommer(info, "jpeg", j.largeur, j.hauteur);
    return depuisJpeg(j, p, sortie);
}

// ---- PNG

struct LecturePng {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::FILE* f = nullptr;
    GFL_BITMAP* b = nullptr;
    std::vector<png_bytep> lignes;
    ~LecturePng() {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (f)
            std::fclose(f);
        liberer(b);
    }
};

extern "C" void erreurPng(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
extern "C" void avertissementPng(png_structp, png_const_charp) {}

// Everything that needs freeing lives in `l`, made by the caller, so a long jump back
// from libpng only returns an error.
GFL_ERROR decoderPng(LecturePng& l, const GFL_LOAD_PARAMS& p, GFL_FILE_INFORMATION* info) {
    l.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, erreurPng, avertissementPng);
    if (!l.png)
        return GFL_ERROR_NO_MEMORY;
    l.info = png_create_info_struct(l.png);
    if (!l.info)
        return GFL_ERROR_NO_MEMORY;
    if (setjmp(png_jmpbuf(l.png)))
        return GFL_ERROR_BAD_FORMAT;
    png_init_io(l.png, l.f);
    png_set_user_limits(l.png, 1u << 20, 1u << 20);
    png_read_info(l.png, l.info);
    png_uint_32 largeur = 0, hauteur = 0;
    int profondeur = 0, couleurs = 0, entrelace = 0;
    png_get_IHDR(l.png, l.info, &largeur, &hauteur, &profondeur, &couleurs, &entrelace, nullptr,
                 nullptr);
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
    png_set_interlace_handling(l.png);
    png_read_update_info(l.png, l.info);
    if (png_get_rowbytes(l.png, l.info) != static_cast<png_size_t>(largeur) * octets)
        return GFL_ERROR_BAD_FORMAT;
    l.b = nouveauBitmap(type, largeur, hauteur, octets, bits, composantes);
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
    l.lignes.resize(hauteur);
    for (png_uint_32 y = 0; y < hauteur; ++y)
        l.lignes[y] = l.b->Data + static_cast<std::size_t>(y) * l.b->BytesPerLine;
    png_read_image(l.png, l.lignes.data());
    nommer(info, "png", static_cast<int>(largeur), static_cast<int>(hauteur));
    return GFL_NO_ERROR;
}

GFL_ERROR lirePng(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                  GFL_FILE_INFORMATION* info) {
    LecturePng l;
    l.f = std::fopen(chemin, "rb");
    if (!l.f)
        return GFL_ERROR_FILE_OPEN;
    const GFL_ERROR e = decoderPng(l, p, info);
    if (e == GFL_NO_ERROR) {
        *sortie = l.b;
        l.b = nullptr;
    }
    return e;
}

// ---- TIFF

extern "C" void silenceTiff(const char*, const char*, va_list) {}

struct TiffFerme {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

GFL_ERROR lireTiff(TIFF* t, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
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
    if (largeur == 0 || hauteur == 0 || static_cast<long long>(largeur) * hauteur > kPixelsMax)
        return GFL_ERROR_BAD_FORMAT;
    nommer(info, "tiff", static_cast<int>(largeur), static_cast<int>(hauteur));
    const bool parLignes = !TIFFIsTiled(t) && plans == PLANARCONFIG_CONTIG;
    if ((bits == 16 || bits == 1) && parLignes && echantillons <= 4 &&
        (photometrie <= PHOTOMETRIC_RGB) &&
        static_cast<long long>(TIFFScanlineSize64(t)) ==
            (static_cast<long long>(largeur) * bits * echantillons + 7) / 8) {
        const bool deux = bits == 1;
        if (deux && echantillons != 1)
            return GFL_ERROR_BAD_FORMAT;
        GFL_BITMAP* b =
            deux ? nouveauBitmap(GFL_BINARY, largeur, hauteur, 1, 1, 1)
                 : nouveauBitmap(GFL_DEEP, largeur, hauteur, 2 * echantillons, 16, echantillons);
        if (!b)
            return GFL_ERROR_NO_MEMORY;
        std::vector<std::uint8_t> ligne(static_cast<std::size_t>(TIFFScanlineSize64(t)));
        for (std::uint32_t y = 0; y < hauteur; ++y) {
            if (TIFFReadScanline(t, ligne.data(), y, 0) < 0) {
                liberer(b);
                return GFL_ERROR_FILE_READ;
            }
            std::uint8_t* dest = b->Data + static_cast<std::size_t>(y) * b->BytesPerLine;
            if (deux) {
                // One byte a pixel: 0 black, 1 white, whichever way the file counts.
                for (std::uint32_t x = 0; x < largeur; ++x) {
                    const bool blanc = (ligne[x / 8] >> (7 - x % 8)) & 1;
                    dest[x] = (blanc != (photometrie == PHOTOMETRIC_MINISWHITE)) ? 1 : 0;
                }
            } else {
                std::memcpy(dest, ligne.data(), b->BytesPerLine);
            }
        }
        *sortie = b;
        return GFL_NO_ERROR;
    }
    char message[1024] = {0};
    TIFFRGBAImage img;
    if (!TIFFRGBAImageOK(t, message) || !TIFFRGBAImageBegin(&img, t, 0, message))
        return GFL_ERROR_BAD_FORMAT;
    // Rows as stored: the caller turns the picture by its orientation tag itself.
    img.req_orientation = img.orientation;
    std::vector<std::uint32_t> rgba;
    try {
        rgba.assign(static_cast<std::size_t>(largeur) * hauteur, 0);
    } catch (const std::bad_alloc&) {
        TIFFRGBAImageEnd(&img);
        return GFL_ERROR_NO_MEMORY;
    }
    const int ok = TIFFRGBAImageGet(&img, rgba.data(), largeur, hauteur);
    TIFFRGBAImageEnd(&img);
    if (!ok)
        return GFL_ERROR_FILE_READ;
    GFL_BITMAP* b = nouveauBitmap(GFL_RGB_TYPE, largeur, hauteur, 3, 8, 3);
    if (!b)
        return GFL_ERROR_NO_MEMORY;
    const bool bgr = p.ColorModel == GFL_BGR;
    for (std::size_t i = 0; i < rgba.size(); ++i) {
        const std::uint32_t v = rgba[i];
        std::uint8_t* d = b->Data + i * 3;
        d[bgr ? 2 : 0] = static_cast<std::uint8_t>(TIFFGetR(v));
        d[1] = static_cast<std::uint8_t>(TIFFGetG(v));
        d[bgr ? 0 : 2] = static_cast<std::uint8_t>(TIFFGetB(v));
    }
    *sortie = b;
    return GFL_NO_ERROR;
}

// ---- camera RAW

GFL_ERROR lireRaw(const char* chemin, const GFL_LOAD_PARAMS& p, GFL_BITMAP** sortie,
                  GFL_FILE_INFORMATION* info) {
    // LibRaw's object is large: on the heap, not the stack.
    auto raw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
    if (raw->open_file(chemin) != LIBRAW_SUCCESS)
        return GFL_ERROR_UNKNOWN_FORMAT;
    nommer(info, "raw", raw->imgdata.sizes.width, raw->imgdata.sizes.height);
    int e = 0;
    if (raw->unpack_thumb() == LIBRAW_SUCCESS) {
        libraw_processed_image_t* apercu = raw->dcraw_make_mem_thumb(&e);
        if (apercu) {
            GFL_ERROR r = GFL_ERROR_BAD_FORMAT;
            if (apercu->type == LIBRAW_IMAGE_JPEG) {
                varlime::ImageJpeg j;
                if (varlime::decoderJpeg(apercu->data, apercu->data_size, p.WantedWidth, j))
                    r = depuisJpeg(j, p, sortie);
            } else if (apercu->type == LIBRAW_IMAGE_BITMAP && apercu->bits == 8 &&
                       apercu->colors == 3 &&
                       static_cast<long long>(apercu->width) * apercu->height * 3 <=
                           apercu->data_size) {
                GFL_BITMAP* b = nouveauBitmap(GFL_RGB_TYPE, apercu->width, apercu->height, 3, 8, 3);
                if (b) {
                    std::memcpy(b->Data, apercu->data,
                                static_cast<std::size_t>(b->BytesPerLine) * b->Height);
                    ordonner(b, p, false);
                    *sortie = b;
                    r = GFL_NO_ERROR;
                }
            }
            LibRaw::dcraw_clear_mem(apercu);
            if (r == GFL_NO_ERROR)
                return r;
        }
    }
    // No usable preview: develop the picture itself, at half size when that is enough.
    raw->imgdata.params.output_bps = 8;
    raw->imgdata.params.half_size =
        p.WantedWidth > 0 && p.WantedWidth * 2 <= raw->imgdata.sizes.width;
    if (raw->unpack() != LIBRAW_SUCCESS || raw->dcraw_process() != LIBRAW_SUCCESS)
        return GFL_ERROR_BAD_FORMAT;
    libraw_processed_image_t* image = raw->dcraw_make_mem_image(&e);
    if (!image)
        return GFL_ERROR_BAD_FORMAT;
    GFL_ERROR r = GFL_ERROR_BAD_FORMAT;
    if (image->type == LIBRAW_IMAGE_BITMAP && image->bits == 8 &&
        (image->colors == 3 || image->colors == 1) &&
        static_cast<long long>(image->width) * image->height * image->colors <= image->data_size) {
        GFL_BITMAP* b = nouveauBitmap(image->colors == 3 ? GFL_RGB_TYPE : GFL_GREY, image->width,
                                      image->height, image->colors, 8, image->colors);
        if (b) {
            std::memcpy(b->Data, image->data,
                        static_cast<std::size_t>(b->BytesPerLine) * b->Height);
            ordonner(b, p, false);
            *sortie = b;
            r = GFL_NO_ERROR;
        } else {
            r = GFL_ERROR_NO_MEMORY;
        }
    }
    LibRaw::dcraw_clear_mem(image);
    return r;
}

// A TIFF-structured camera file (DNG, CR2) goes to LibRaw, a plain TIFF to libtiff.
bool tiffDeCamera(TIFF* t, const unsigned char* debut) {
    void* version = nullptr;
    if (debut[8] == 'C' && debut[9] == 'R')
        return true;
    return TIFFGetField(t, TIFFTAG_DNGVERSION, &version) != 0;
}

} // namespace

extern "C" {

GFL_ERROR gflLibraryInit(void) {
    TIFFSetErrorHandler(silenceTiff);
    TIFFSetWarningHandler(silenceTiff);
    return GFL_NO_ERROR;
}

void gflLibraryExit(void) {}

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
    liberer(bitmap);
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
    unsigned char debut[16] = {0};
    {
        std::FILE* f = std::fopen(filename, "rb");
        if (!f)
            return GFL_ERROR_FILE_OPEN;
        const std::size_t n = std::fread(debut, 1, sizeof debut, f);
        std::fclose(f);
        if (n < 4)
            return GFL_ERROR_UNKNOWN_FORMAT;
    }
    if (debut[0] == 0xFF && debut[1] == 0xD8)
        return lireJpeg(filename, *params, bitmap, info);
    if (std::memcmp(debut, "\x89PNG", 4) == 0)
        return lirePng(filename, *params, bitmap, info);
    if (std::memcmp(debut, "II*\0", 4) == 0 || std::memcmp(debut, "MM\0*", 4) == 0) {
        std::unique_ptr<TIFF, TiffFerme> t(TIFFOpen(filename, "r"));
        if (!t)
            return GFL_ERROR_BAD_FORMAT;
        if (!tiffDeCamera(t.get(), debut))
            return lireTiff(t.get(), *params, bitmap, info);
    }
    return lireRaw(filename, *params, bitmap, info);
}

} // extern "C"
