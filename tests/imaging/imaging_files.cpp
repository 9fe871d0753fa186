#include "imaging_files.h"

#include <png.h>
#include <tiffio.h>

#include <cstdio>

namespace varlime::test {

bool ecrirePngBrut(const std::string& chemin, int largeur, int hauteur, int profondeur,
                   int typeCouleur, const std::vector<std::uint8_t>& octets,
                   const std::vector<std::uint8_t>& palette) {
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, largeur, hauteur, profondeur, typeCouleur, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> entrees;
    for (std::size_t i = 0; i + 2 < palette.size(); i += 3)
        entrees.push_back({palette[i], palette[i + 1], palette[i + 2]});
    if (!entrees.empty())
        png_set_PLTE(png, info, entrees.data(), static_cast<int>(entrees.size()));
    png_write_info(png, info);
    const std::size_t parLigne = octets.size() / hauteur;
    for (int y = 0; y < hauteur; ++y)
        png_write_row(png, octets.data() + y * parLigne);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

bool ecrireTiffDeuxNiveaux(const std::string& chemin, int largeur, int hauteur,
                           const std::vector<std::uint8_t>& pixels) {
    TIFF* t = TIFFOpen(chemin.c_str(), "w");
    if (!t)
        return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, largeur);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, hauteur);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, hauteur);
    std::vector<std::uint8_t> ligne((largeur + 7) / 8);
    bool ok = true;
    for (int y = 0; y < hauteur; ++y) {
        std::fill(ligne.begin(), ligne.end(), 0);
        for (int x = 0; x < largeur; ++x)
            if (pixels[y * largeur + x])
                ligne[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        ok = ok && TIFFWriteScanline(t, ligne.data(), y, 0) == 1;
    }
    TIFFClose(t);
    return ok;
}

bool ecrireDngLineaire(const std::string& chemin, int largeur, int hauteur, bool apercu) {
    TIFF* t = TIFFOpen(chemin.c_str(), "w");
    if (!t)
        return false;
    bool ok = true;
    if (apercu) {
        const int l = largeur / 2, h = hauteur / 2;
        TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_REDUCEDIMAGE);
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, l);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, h);
        TIFFSetField(t, TIFFTAG_MAKE, "Varlime");
        TIFFSetField(t, TIFFTAG_MODEL, "Test");
        const unsigned char version[4] = {1, 4, 0, 0};
        TIFFSetField(t, TIFFTAG_DNGVERSION, version);
        TIFFSetField(t, TIFFTAG_UNIQUECAMERAMODEL, "Varlime Test");
        toff_t sousRepertoire[1] = {0};
        TIFFSetField(t, TIFFTAG_SUBIFD, 1, sousRepertoire);
        std::vector<std::uint8_t> ligne(static_cast<std::size_t>(l) * 3, 10);
        for (int x = 0; x < l / 2; ++x)
            ligne[x * 3 + 1] = 250;
        for (int y = 0; y < h; ++y)
            ok = ok && TIFFWriteScanline(t, ligne.data(), y, 0) == 1;
        ok = ok && TIFFWriteDirectory(t);
    }
    TIFFSetField(t, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, largeur);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, hauteur);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    // LinearRaw: demosaiced camera values, which LibRaw still develops.
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, 34892);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, hauteur);
    if (!apercu) {
        TIFFSetField(t, TIFFTAG_MAKE, "Varlime");
        TIFFSetField(t, TIFFTAG_MODEL, "Test");
        const unsigned char version[4] = {1, 4, 0, 0};
        TIFFSetField(t, TIFFTAG_DNGVERSION, version);
        TIFFSetField(t, TIFFTAG_UNIQUECAMERAMODEL, "Varlime Test");
    }
    std::vector<std::uint16_t> ligne(static_cast<std::size_t>(largeur) * 3, 2000);
    for (int x = 0; x < largeur / 2; ++x)
        ligne[x * 3] = 60000;
    for (int y = 0; y < hauteur; ++y)
        ok = ok && TIFFWriteScanline(t, ligne.data(), y, 0) == 1;
    TIFFClose(t);
    return ok;
}

} // namespace varlime::test
