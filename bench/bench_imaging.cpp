// The thumbnail of a 24-megapixel JPEG (made here, 6000 × 4000) beside a full-size
// decode with Qt's QImageReader, and a viewer page (the picture decoded as wide as a
// 1920-pixel screen and turned upright). Through the fallback loader and through the
// imaging library built in gfl/.
#include "exif/dEXIF.h"
#include "imaging/chargementImage.h"
#include "imaging/rotation.h"

#include <QImageReader>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace {

constexpr int kLargeur = 6000, kHauteur = 4000, kVignette = 200, kEcran = 1920;

// A picture with detail everywhere (gradients and a fine pattern), so the encoded
// size is like a camera's.
std::string fabriquerJpeg() {
    const std::string chemin =
        (std::filesystem::temp_directory_path() / "varlime_bench_24mp.jpg").string();
    if (std::filesystem::exists(chemin))
        return chemin;
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = kLargeur;
    c.image_height = kHauteur;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> ligne(kLargeur * 3);
    while (c.next_scanline < c.image_height) {
        const unsigned y = c.next_scanline;
        for (unsigned x = 0; x < kLargeur; ++x) {
            ligne[x * 3] = static_cast<unsigned char>(x * 255 / kLargeur);
            ligne[x * 3 + 1] = static_cast<unsigned char>(y * 255 / kHauteur);
            ligne[x * 3 + 2] = static_cast<unsigned char>(((x * 7) ^ (y * 13)) & 0xff);
        }
        JSAMPROW r = ligne.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
    return chemin;
}

const std::string& fichier() {
    static const std::string f = fabriquerJpeg();
    return f;
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

void BM_Thumbnail(benchmark::State& state) {
    varlime::LibGfl* lib = bibliotheque(state.range(0) != 0);
    varlime::TimgData reader;
    for (auto _ : state) {
        const varlime::ImageChargee i =
            varlime::chargerImageRedressee(lib, reader, fichier(), kVignette, nullptr);
        const varlime::Pixels p = varlime::redimensionner(i.pixels, kVignette);
        benchmark::DoNotOptimize(p.px.data());
    }
    state.SetLabel(state.range(0) ? "imaging library" : "fallback loader");
}
BENCHMARK(BM_Thumbnail)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ViewerPage(benchmark::State& state) {
    varlime::LibGfl* lib = bibliotheque(state.range(0) != 0);
    varlime::TimgData reader;
    for (auto _ : state) {
        const varlime::ImageChargee i =
            varlime::chargerImageRedressee(lib, reader, fichier(), kEcran, nullptr);
        benchmark::DoNotOptimize(i.pixels.px.data());
    }
    state.SetLabel(state.range(0) ? "imaging library" : "fallback loader");
}
BENCHMARK(BM_ViewerPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
