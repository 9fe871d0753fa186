// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail of a 24-megapixel JPEG (made here, 6000 × 4000) beside a full-size
// decode with Qt's QImageReader, and a viewer page (the picture decoded as wide as a
// 1920-pixel screen and turned upright). Through the fallback loader and through the
// imaging library built in gfl/. The thumbnail is timed on the picture as a camera writes
// it, with a 160 × 120 EXIF thumbnail and a 1616 × 1077 preview listed by a Multi-Picture
// block after the picture's end, and on the bare picture. The viewer page reads the
// camera's file: its preview is too narrow for a screen, so the picture itself is decoded.
#include "exif/dEXIF.h"
#include "imaging/chargementImage.h"
#include "imaging/rotation.h"

#include <QImageReader>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace {

constexpr int kLargeur = 6000, kHauteur = 4000, kVignette = 200, kEcran = 1920;

// A picture with detail everywhere (gradients and a fine pattern), so the encoded
// size is like a camera's. Drawn at any size from the same scene; `bandes`: that many
// black rows above and below it, as cameras pad a 3:2 picture's 4:3 EXIF thumbnail.
std::string encoder(int largeur, int hauteur, int bandes = 0) {
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
    std::vector<unsigned char> ligne(static_cast<std::size_t>(largeur) * 3);
    const unsigned l = static_cast<unsigned>(largeur),
                   h = static_cast<unsigned>(hauteur - 2 * bandes);
    while (c.next_scanline < c.image_height) {
        const int rang = static_cast<int>(c.next_scanline) - bandes;
        for (unsigned x = 0; x < l; ++x) {
            // The scene's own coordinates, whatever the size drawn.
            const unsigned X = x * kLargeur / l, Y = static_cast<unsigned>(rang) * kHauteur / h;
            const bool noir = rang < 0 || rang >= static_cast<int>(h);
            ligne[x * 3] = noir ? 0 : static_cast<unsigned char>(X * 255 / kLargeur);
            ligne[x * 3 + 1] = noir ? 0 : static_cast<unsigned char>(Y * 255 / kHauteur);
            ligne[x * 3 + 2] = noir ? 0 : static_cast<unsigned char>(((X * 7) ^ (Y * 13)) & 0xff);
        }
        JSAMPROW r = ligne.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string octets(reinterpret_cast<const char*>(memoire), taille);
    std::free(memoire);
    return octets;
}

// Little-endian TIFF-style values, as most cameras write them.
void u16(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xff);
    s += static_cast<char>(v >> 8 & 0xff);
}
void u32(std::string& s, std::uint32_t v) {
    u16(s, v & 0xffff);
    u16(s, v >> 16);
}
void entree(std::string& s, std::uint32_t etiquette, std::uint32_t type, std::uint32_t nombre,
            std::uint32_t valeur) {
    u16(s, etiquette);
    u16(s, type);
    u32(s, nombre);
    u32(s, valeur);
}
std::string segment(unsigned char marqueur, const std::string& contenu) {
    const std::size_t l = contenu.size() + 2;
    return std::string{'\xff', static_cast<char>(marqueur), static_cast<char>(l >> 8),
                       static_cast<char>(l & 0xff)} +
           contenu;
}

// As a camera lays the file out: SOI, the EXIF block (a first directory with the
// orientation, a second pointing to the thumbnail stored right after it), the
// Multi-Picture block (two 16-byte entries: the picture, then the preview with its offset
// from the block's TIFF header), the rest of the picture, the preview.
std::string camera(const std::string& image, const std::string& vignette,
                   const std::string& apercu) {
    std::string exif = "II";
    u16(exif, 42);
    u32(exif, 8);
    u16(exif, 1);
    entree(exif, 0x0112, 3, 1, 1);
    u32(exif, 26);
    u16(exif, 3);
    entree(exif, 0x0103, 3, 1, 6);
    entree(exif, 0x0201, 4, 1, 68);
    entree(exif, 0x0202, 4, 1, static_cast<std::uint32_t>(vignette.size()));
    u32(exif, 0);
    exif += vignette;
    const std::string app1 = segment(0xE1, std::string("Exif\0\0", 6) + exif);
    constexpr std::size_t kApp2 = 2 + 2 + 4 + 82;
    const std::size_t taille = 2 + app1.size() + kApp2 + image.size() - 2;
    const std::size_t base = 2 + app1.size() + 2 + 2 + 4;
    std::string mpf = "II";
    u16(mpf, 42);
    u32(mpf, 8);
    u16(mpf, 3);
    u16(mpf, 0xB000);
    u16(mpf, 7);
    u32(mpf, 4);
    mpf += "0100";
    entree(mpf, 0xB001, 4, 1, 2);
    entree(mpf, 0xB002, 7, 32, 50);
    u32(mpf, 0);
    for (std::uint32_t v :
         {0x20030000u, static_cast<std::uint32_t>(taille), 0u, 0u, 0x00010002u,
          static_cast<std::uint32_t>(apercu.size()), static_cast<std::uint32_t>(taille - base), 0u})
        u32(mpf, v);
    const std::string app2 = segment(0xE2, std::string("MPF\0", 4) + mpf);
    return image.substr(0, 2) + app1 + app2 + image.substr(2) + apercu;
}

std::string fabriquerJpeg(bool avecApercus) {
    const std::string chemin =
        (std::filesystem::temp_directory_path() /
         (avecApercus ? "varlime_bench_24mp_camera.jpg" : "varlime_bench_24mp.jpg"))
            .string();
    if (std::filesystem::exists(chemin))
        return chemin;
    const std::string image = encoder(kLargeur, kHauteur);
    // 160 × 120 holding a 160 × 108 picture between black bands: not the picture's shape,
    // so never used; the preview is.
    std::ofstream(chemin, std::ios::binary)
        << (avecApercus ? camera(image, encoder(160, 120, 6), encoder(1616, 1077)) : image);
    return chemin;
}

const std::string& fichier(bool avecApercus = false) {
    static const std::string nu = fabriquerJpeg(false), appareil = fabriquerJpeg(true);
    return avecApercus ? appareil : nu;
}
varlime::LibGfl* bibliotheque(bool avec) {
    static varlime::LibGfl sans, lib;
    static bool pret = false;
    if (!pret) {
        sans.choisirChemins({});
#ifdef VARLIME_GFL_FILE
        lib.choisirChemins({VARLIME_GFL_FILE});
#endif
        pret = true;
    }
    return avec ? &lib : &sans;
}

void BM_FullDecodeQt(benchmark::State& state) {
    const QString f = QString::fromStdString(fichier());
    for (auto _ : state) {
        QImageReader r(f);
        QImage image = r.read();
        benchmark::DoNotOptimize(image.width());
    }
}
BENCHMARK(BM_FullDecodeQt)->Unit(benchmark::kMillisecond);

// Arguments: through the imaging library (1) or the fallback loader (0); the camera's
// file with its stored preview (1) or the bare picture (0).
void BM_Thumbnail(benchmark::State& state) {
    varlime::LibGfl* lib = bibliotheque(state.range(0) != 0);
    const std::string& f = fichier(state.range(1) != 0);
    varlime::TimgData reader;
    for (auto _ : state) {
        varlime::DemandeImage d;
        d.boite = {kVignette, kVignette};
        d.apercuPermis = true;
        const varlime::ImageChargee i = varlime::chargerImageRedressee(lib, reader, f, d, nullptr);
        const varlime::Pixels p = varlime::redimensionner(i.pixels, kVignette);
        benchmark::DoNotOptimize(p.px.data());
    }
    state.SetLabel(std::string(state.range(0) ? "imaging library" : "fallback loader") +
                   (state.range(1) ? ", camera JPEG with preview" : ", no preview"));
}
BENCHMARK(BM_Thumbnail)
    ->Args({0, 1})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond);

void BM_ViewerPage(benchmark::State& state) {
    varlime::LibGfl* lib = bibliotheque(state.range(0) != 0);
    varlime::TimgData reader;
    for (auto _ : state) {
        varlime::DemandeImage d;
        d.boite = {kEcran, kEcran};
        const varlime::ImageChargee i =
            varlime::chargerImageRedressee(lib, reader, fichier(true), d, nullptr);
        benchmark::DoNotOptimize(i.pixels.px.data());
    }
    state.SetLabel(state.range(0) ? "imaging library" : "fallback loader");
}
BENCHMARK(BM_ViewerPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
