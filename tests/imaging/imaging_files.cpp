// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging_files.h"

#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

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

bool ecrireDngLineaire(const std::string& chemin, int largeur, int hauteur, bool apercu,
                       int orientation) {
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
        if (orientation != 1)
            TIFFSetField(t, TIFFTAG_ORIENTATION, orientation);
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

bool ecrirePngGrand(const std::string& chemin, int largeur, int hauteur, int profondeur) {
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const int octets = profondeur / 8;
    std::vector<std::uint8_t> ligne(static_cast<std::size_t>(largeur) * 3 * octets);
    for (int x = 0; x < largeur; ++x)
        for (int i = 0; i < 3 * octets; ++i)
            ligne[(static_cast<std::size_t>(x) * 3 * octets) + i] = x < largeur / 2 ? 200 : 40;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    // Quick to write: the same row over and over compresses away at any level.
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, largeur, hauteur, profondeur, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < hauteur; ++y)
        png_write_row(png, ligne.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

namespace {

void petit(std::string& s, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
        s += static_cast<char>(v >> (8 * i));
}

std::string enteteBmp(std::uint32_t largeur, std::uint32_t hauteur) {
    const std::uint32_t parLigne = (largeur * 3 + 3) / 4 * 4;
    std::string h = "BM";
    petit(h, 54 + parLigne * hauteur, 4);
    petit(h, 0, 4);
    petit(h, 54, 4);
    petit(h, 40, 4);
    petit(h, largeur, 4);
    petit(h, hauteur, 4);
    petit(h, 1, 2);
    petit(h, 24, 2);
    petit(h, 0, 4);
    petit(h, parLigne * hauteur, 4);
    petit(h, 2835, 4);
    petit(h, 2835, 4);
    petit(h, 0, 4);
    petit(h, 0, 4);
    return h;
}

} // namespace

bool ecrireBmpGrand(const std::string& chemin, int largeur, int hauteur) {
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    if (!f)
        return false;
    const std::string h = enteteBmp(largeur, hauteur);
    std::vector<std::uint8_t> ligne((static_cast<std::size_t>(largeur) * 3 + 3) / 4 * 4, 0);
    for (int x = 0; x < largeur; ++x)
        for (int i = 0; i < 3; ++i)
            ligne[static_cast<std::size_t>(x) * 3 + i] = x < largeur / 2 ? 200 : 40;
    bool ok = std::fwrite(h.data(), 1, h.size(), f) == h.size();
    for (int y = 0; y < hauteur && ok; ++y)
        ok = std::fwrite(ligne.data(), 1, ligne.size(), f) == ligne.size();
    return std::fclose(f) == 0 && ok;
}

std::string enteteSeul(const std::string& format, std::uint32_t largeur, std::uint32_t hauteur) {
    std::string s;
    const auto grand = [&s](std::uint32_t v, int n) {
        for (int i = n - 1; i >= 0; --i)
            s += static_cast<char>(v >> (8 * i));
    };
    if (format == "jpeg") {
        // SOI, a baseline frame of three components, a Huffman-less scan start.
        s = std::string("\xff\xd8\xff\xc0\x00\x11\x08", 7);
        grand(hauteur, 2);
        grand(largeur, 2);
        s += std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
        s += std::string("\xff\xda\x00\x0c\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00", 14);
        s += std::string(64, '\0');
    } else if (format == "png") {
        s = std::string("\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR", 16);
        grand(largeur, 4);
        grand(hauteur, 4);
        s += std::string("\x08\x02\x00\x00\x00", 5);
        // The chunk's CRC is not checked before the size is: any value will do here.
        grand(0, 4);
        s += std::string(64, '\0');
    } else if (format == "tiff") {
        // One directory: width, height, 8-bit RGB samples, no compression, one strip
        // at offset 8 of the full declared length.
        s = "MM";
        grand(42, 2);
        grand(8, 4);
        const std::pair<std::uint32_t, std::uint32_t> entrees[] = {
            {0x0100, largeur}, {0x0101, hauteur}, {0x0102, 8},
            {0x0103, 1},       {0x0106, 2},       {0x0111, 8},
            {0x0115, 3},       {0x0116, hauteur}, {0x0117, largeur * 3 * hauteur}};
        grand(9, 2);
        for (const auto& [etiquette, valeur] : entrees) {
            grand(etiquette, 2);
            grand(4, 2);
            grand(1, 4);
            grand(valeur, 4);
        }
        grand(0, 4);
        s += std::string(256, '\x55');
    } else if (format == "bmp") {
        s = enteteBmp(largeur, hauteur) + std::string(64, '\0');
    }
    return s;
}

std::string jpegUni(int largeur, int hauteur, std::uint8_t r, std::uint8_t v, std::uint8_t b) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* memoire = nullptr;
    unsigned long taille = 0;
    jpeg_mem_dest(&c, &memoire, &taille);
    c.image_width = static_cast<JDIMENSION>(largeur);
    c.image_height = static_cast<JDIMENSION>(hauteur);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<std::uint8_t> ligne(static_cast<std::size_t>(largeur) * 3);
    for (std::size_t x = 0; x < ligne.size(); x += 3) {
        ligne[x] = r;
        ligne[x + 1] = v;
        ligne[x + 2] = b;
    }
    while (c.next_scanline < c.image_height) {
        JSAMPROW l = ligne.data();
        jpeg_write_scanlines(&c, &l, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string octets(reinterpret_cast<const char*>(memoire), taille);
    std::free(memoire);
    return octets;
}

namespace {

// TIFF-style bytes in either order.
struct Tiff {
    bool motorola;
    std::string s;

    void u16(std::uint32_t v) {
        for (int i = 0; i < 2; ++i)
            s += static_cast<char>(v >> (motorola ? 8 - 8 * i : 8 * i));
    }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            s += static_cast<char>(v >> (motorola ? 24 - 8 * i : 8 * i));
    }
    void entete() {
        s += motorola ? "MM" : "II";
        u16(42);
        u32(8);
    }
    void entree(std::uint32_t etiquette, std::uint32_t type, std::uint32_t nombre,
                std::uint32_t valeur) {
        u16(etiquette);
        u16(type);
        u32(nombre);
        if (type == 3 && nombre == 1) {
            u16(valeur);
            u16(0);
        } else {
            u32(valeur);
        }
    }
};

// A marker segment: the length counts itself, always most significant byte first.
std::string segment(std::uint8_t marqueur, const std::string& contenu) {
    const std::size_t l = contenu.size() + 2;
    return std::string{'\xff', static_cast<char>(marqueur), static_cast<char>(l >> 8),
                       static_cast<char>(l & 0xff)} +
           contenu;
}

} // namespace

std::string jpegCamera(const FichierCamera& f) {
    // EXIF: the header, a first directory holding the orientation (and the date, and the
    // EXIF directory with the picture's size, when asked), then the EXIF directory, then a
    // second directory pointing to the thumbnail stored right after it. Offsets are worked
    // out in that order; a date is 20 bytes with its NUL.
    const auto date = [](const std::string& d) { return d.substr(0, 19) + std::string(1, '\0'); };
    const std::uint32_t n0 = 1 + !f.dateExif.empty() + f.tailleExif.has_value();
    const std::uint32_t n1 = 3 + !f.dateVignette.empty();
    const std::uint32_t dateIfd0 = 8 + 2 + 12 * n0 + 4;
    const std::uint32_t ifdExif = dateIfd0 + (f.dateExif.empty() ? 0 : 20);
    const std::uint32_t ifd1 = ifdExif + (f.tailleExif ? 2 + 24 + 4 : 0);
    const std::uint32_t dateIfd1 = ifd1 + 2 + 12 * n1 + 4;
    const std::uint32_t vignette = dateIfd1 + (f.dateVignette.empty() ? 0 : 20);
    Tiff exif{f.motorola, {}};
    exif.entete();
    exif.u16(n0);
    exif.entree(0x0112, 3, 1, 1);
    if (!f.dateExif.empty())
        exif.entree(0x0132, 2, 20, dateIfd0);
    if (f.tailleExif)
        exif.entree(0x8769, 4, 1, ifdExif);
    exif.u32(f.vignette.empty() ? 0 : ifd1);
    if (!f.dateExif.empty())
        exif.s += date(f.dateExif);
    if (f.tailleExif) {
        exif.u16(2);
        exif.entree(0xA002, 4, 1, static_cast<std::uint32_t>(f.tailleExif->first));
        exif.entree(0xA003, 4, 1, static_cast<std::uint32_t>(f.tailleExif->second));
        exif.u32(0);
    }
    if (!f.vignette.empty()) {
        exif.u16(n1);
        exif.entree(0x0103, 3, 1, 6);
        if (!f.dateVignette.empty())
            exif.entree(0x0132, 2, 20, dateIfd1);
        exif.entree(0x0201, 4, 1, f.positionVignette.value_or(vignette));
        exif.entree(0x0202, 4, 1, static_cast<std::uint32_t>(f.vignette.size()));
        exif.u32(0);
        if (!f.dateVignette.empty())
            exif.s += date(f.dateVignette);
        exif.s += f.vignette;
    }
    const std::string app1 = segment(0xE1, std::string("Exif\0\0", 6) + exif.s);
    std::string app2;
    if (!f.apercu.empty()) {
        // Multi-Picture: version, number of images, and the two 16-byte entries right after
        // the directory (offset 50 = 8 + 2 + 3 × 12 + 4).
        constexpr std::size_t kApp2 = 2 + 2 + 4 + 82;
        const std::size_t image = 2 + app1.size() + kApp2 + f.image.size() - 2;
        const std::size_t base = 2 + app1.size() + 2 + 2 + 4;
        Tiff mpf{f.motorola, {}};
        mpf.entete();
        mpf.u16(3);
        mpf.u16(0xB000);
        mpf.u16(7);
        mpf.u32(4);
        mpf.s += "0100";
        mpf.entree(0xB001, 4, 1, 2);
        mpf.entree(0xB002, 7, 32, 50);
        mpf.u32(0);
        for (std::uint32_t v : {0x20030000u, static_cast<std::uint32_t>(image), 0u, 0u})
            mpf.u32(v);
        mpf.u32(0x00010001);
        mpf.u32(f.longueurApercu.value_or(static_cast<std::uint32_t>(f.apercu.size())));
        mpf.u32(f.positionApercu.value_or(static_cast<std::uint32_t>(image - base)));
        mpf.u32(0);
        app2 = segment(0xE2, std::string("MPF\0", 4) + mpf.s);
    }
    return f.image.substr(0, 2) + app1 + app2 + f.image.substr(2) + f.apercu;
}

} // namespace varlime::test
