// SPDX-License-Identifier: GPL-3.0-or-later
// EXIF naming over a card folder of 5,000 photos (copies of the sample photos):
// the first listing in EXIF mode beside a bare loop that opens each file and reads
// its first 64 KiB, and one keystroke's recomputation from the kept facts. A second
// card holds camera-sized photos (6 MB each, their EXIF in the first kilobytes), and a
// third mixes today's files (JPEG, CR2, CR3, HEIC, RAF, MOV copies of the samples), with
// the bytes read shown beside the bare loop's.
//   build/<dir>/bench/bench_exif_names
#include "core/renameEngine.h"
#include "exif/dEXIF.h"
#include "exif_naming/faitsExif.h"
#include "lancement.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr int kPhotos = 5000;

// Made once for every benchmark of the run and removed at exit.
struct Carte {
    std::string dir;
    std::vector<std::string> noms;
    // `taille` 0 keeps each copy as it is; otherwise each copy is lengthened to that
    // many bytes, the way a camera's picture data follows its EXIF. The added bytes are
    // a hole in the file, so that 5,000 of them take no room on the disk.
    explicit Carte(off_t taille = 0) {
        char templ[] = "/tmp/varlime-bench-exif-XXXXXX";
        dir = std::string(mkdtemp(templ)) + "/";
        std::vector<std::filesystem::path> sources;
        for (const auto& e :
             std::filesystem::directory_iterator(VARLIME_BENCH_TESTDATA_DIR "/photos"))
            if (e.is_regular_file() && e.path().extension() == ".jpg")
                sources.push_back(e.path());
        for (int i = 0; i < kPhotos; ++i) {
            char nom[32];
            std::snprintf(nom, sizeof nom, "DSC_%05d.JPG", i);
            std::filesystem::copy_file(sources[std::size_t(i) % sources.size()], dir + nom);
            if (taille > 0 && ::truncate((dir + nom).c_str(), taille) != 0)
                std::abort();
            noms.emplace_back(nom);
        }
    }
    ~Carte() { std::filesystem::remove_all(dir); }
};

} // namespace

const Carte& carte() {
    static Carte c;
    return c;
}

const Carte& carteAppareil() {
    static Carte c(6 * 1024 * 1024);
    return c;
}

// 5,000 files of six kinds, in turn.
struct CarteMixte {
    std::string dir;
    std::vector<std::string> noms;
    CarteMixte() {
        char templ[] = "/tmp/varlime-bench-mixed-XXXXXX";
        dir = std::string(mkdtemp(templ)) + "/";
        const std::string data = VARLIME_BENCH_TESTDATA_DIR;
        const std::pair<std::string, const char*> sources[] = {
            {data + "/photos/Canon_40D.jpg", "JPG"}, {data + "/raw/CanonRaw.cr2", "CR2"},
            {data + "/raw/CanonRaw.cr3", "CR3"},     {data + "/raw/Phone.heic", "HEIC"},
            {data + "/raw/FujiFilm.raf", "RAF"},     {data + "/raw/QuickTime.mov", "MOV"},
        };
        for (int i = 0; i < kPhotos; ++i) {
            const auto& [source, ext] = sources[std::size_t(i) % std::size(sources)];
            char nom[32];
            std::snprintf(nom, sizeof nom, "F_%05d.%s", i, ext);
            std::filesystem::copy_file(source, dir + nom);
            noms.emplace_back(nom);
        }
    }
    ~CarteMixte() { std::filesystem::remove_all(dir); }
};

const CarteMixte& carteMixte() {
    static CarteMixte c;
    return c;
}

namespace {

varlime::OptionsNommage options() {
    varlime::OptionsNommage o;
    o.exif.actif = true;
    using varlime::ItemExif;
    o.exif.ordre = {ItemExif::Fabricant, ItemExif::Modele,     ItemExif::Date,  ItemExif::Heure,
                    ItemExif::Ouverture, ItemExif::Exposition, ItemExif::Focale};
    return o;
}

void bareRead64KiB(benchmark::State& state, const Carte& c) {
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        for (const std::string& nom : c.noms) {
            const int fd = ::open((c.dir + nom).c_str(), O_RDONLY | O_CLOEXEC);
            benchmark::DoNotOptimize(::read(fd, buffer.data(), buffer.size()));
            ::close(fd);
        }
    }
    state.counters["files"] = double(c.noms.size());
}

void BM_BareRead64KiB(benchmark::State& state) {
    bareRead64KiB(state, carte());
}
BENCHMARK(BM_BareRead64KiB)->Unit(benchmark::kMillisecond);

void BM_CameraBareRead64KiB(benchmark::State& state) {
    bareRead64KiB(state, carteAppareil());
}
BENCHMARK(BM_CameraBareRead64KiB)->Unit(benchmark::kMillisecond);

// The parts of a first listing: the folder listed and sorted, and the EXIF reader
// over every file.
void BM_ListingOnly(benchmark::State& state) {
    const Carte& c = carte();
    for (auto _ : state) {
        varlime::MoteurNommage m;
        m.lister(c.dir);
        benchmark::DoNotOptimize(m.lignes().data());
    }
}
BENCHMARK(BM_ListingOnly)->Unit(benchmark::kMillisecond);

void BM_ReaderOnly(benchmark::State& state) {
    const Carte& c = carte();
    varlime::TimgData reader;
    for (auto _ : state)
        for (const std::string& nom : c.noms)
            benchmark::DoNotOptimize(reader.ReadImageFile(c.dir + nom));
}
BENCHMARK(BM_ReaderOnly)->Unit(benchmark::kMillisecond);

// The same reader as naming uses it: only the tags names are made from.
void BM_ReaderNamingFactsOnly(benchmark::State& state) {
    const Carte& c = carte();
    varlime::TimgData reader;
    reader.NamingFactsOnly = true;
    for (auto _ : state)
        for (const std::string& nom : c.noms)
            benchmark::DoNotOptimize(reader.ReadImageFile(c.dir + nom));
}
BENCHMARK(BM_ReaderNamingFactsOnly)->Unit(benchmark::kMillisecond);

// Listing the folder and naming every row with facts not read yet.
void firstExifListing(benchmark::State& state, const std::string& dir) {
    for (auto _ : state) {
        varlime::MoteurNommage m;
        m.options = options();
        varlime::CacheFaitsExif cache;
        m.lister(dir);
        cache.precharger(m.dossier(), m.lignes());
        m.calculer(varlime::partieNomExif(cache, m.dossier(), m.options, QDate(2026, 12, 7)));
        benchmark::DoNotOptimize(m.lignes().data());
    }
}

void BM_FirstExifListing(benchmark::State& state) {
    firstExifListing(state, carte().dir);
}
BENCHMARK(BM_FirstExifListing)->Unit(benchmark::kMillisecond);

void BM_CameraFirstExifListing(benchmark::State& state) {
    firstExifListing(state, carteAppareil().dir);
}
BENCHMARK(BM_CameraFirstExifListing)->Unit(benchmark::kMillisecond);

// The reader alone over the camera-sized photos, with the bytes it read.
void BM_CameraReaderNamingFactsOnly(benchmark::State& state) {
    const Carte& c = carteAppareil();
    double octets = 0;
    for (auto _ : state) {
        varlime::TimgData reader;
        reader.NamingFactsOnly = true;
        for (const std::string& nom : c.noms)
            benchmark::DoNotOptimize(reader.ReadImageFile(c.dir + nom));
        octets = double(reader.TotalBytesRead);
    }
    state.counters["bytes_read"] = octets;
}
BENCHMARK(BM_CameraReaderNamingFactsOnly)->Unit(benchmark::kMillisecond);

// One keystroke in the free text: every name again, no file read or checked.
void BM_KeystrokeRecompute(benchmark::State& state) {
    const Carte& c = carte();
    varlime::MoteurNommage m;
    m.options = options();
    m.options.exif.ordre.insert(m.options.exif.ordre.begin(), varlime::ItemExif::ZoneLibre);
    varlime::CacheFaitsExif cache;
    m.lister(c.dir);
    m.calculer(varlime::partieNomExif(cache, m.dossier(), m.options, QDate(2026, 12, 7)));
    const std::size_t lectures = cache.lectures();
    int n = 0;
    for (auto _ : state) {
        m.options.exif.zoneLibre = "Trip" + std::to_string(n++ % 10);
        m.calculer(varlime::partieNomExif(cache, m.dossier(), m.options, QDate(2026, 12, 7)));
        benchmark::DoNotOptimize(m.lignes().data());
    }
    state.counters["files_read_again"] = double(cache.lectures() - lectures);
}
BENCHMARK(BM_KeystrokeRecompute)->Unit(benchmark::kMillisecond);

} // namespace

void BM_MixedBareRead64KiB(benchmark::State& state) {
    const CarteMixte& c = carteMixte();
    std::vector<char> buffer(64 * 1024);
    double octets = 0;
    for (auto _ : state) {
        octets = 0;
        for (const std::string& nom : c.noms) {
            const int fd = ::open((c.dir + nom).c_str(), O_RDONLY | O_CLOEXEC);
            const ssize_t r = ::read(fd, buffer.data(), buffer.size());
            octets += r > 0 ? double(r) : 0;
            ::close(fd);
        }
    }
    state.counters["files"] = double(c.noms.size());
    state.counters["bytes_read"] = octets;
}
BENCHMARK(BM_MixedBareRead64KiB)->Unit(benchmark::kMillisecond);

// The reader as naming uses it, over the mixed card, with the bytes it read.
void BM_MixedReaderNamingFactsOnly(benchmark::State& state) {
    const CarteMixte& c = carteMixte();
    double octets = 0;
    for (auto _ : state) {
        varlime::TimgData reader;
        reader.NamingFactsOnly = true;
        for (const std::string& nom : c.noms)
            benchmark::DoNotOptimize(reader.ReadImageFile(c.dir + nom));
        octets = double(reader.TotalBytesRead);
    }
    state.counters["bytes_read"] = octets;
}
BENCHMARK(BM_MixedReaderNamingFactsOnly)->Unit(benchmark::kMillisecond);

// The reader over the mixed card's files of one kind only (0 JPEG, 1 CR2, 2 CR3,
// 3 HEIC, 4 RAF, 5 MOV), to see which kind costs what.
void BM_MixedReaderOneKind(benchmark::State& state) {
    const CarteMixte& c = carteMixte();
    const auto kind = static_cast<std::size_t>(state.range(0));
    varlime::TimgData reader;
    reader.NamingFactsOnly = true;
    for (auto _ : state)
        for (std::size_t i = kind; i < c.noms.size(); i += 6)
            benchmark::DoNotOptimize(reader.ReadImageFile(c.dir + c.noms[i]));
}
BENCHMARK(BM_MixedReaderOneKind)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_MixedBareOneKind(benchmark::State& state) {
    const CarteMixte& c = carteMixte();
    const auto kind = static_cast<std::size_t>(state.range(0));
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state)
        for (std::size_t i = kind; i < c.noms.size(); i += 6) {
            const int fd = ::open((c.dir + c.noms[i]).c_str(), O_RDONLY | O_CLOEXEC);
            benchmark::DoNotOptimize(::read(fd, buffer.data(), buffer.size()));
            ::close(fd);
        }
}
BENCHMARK(BM_MixedBareOneKind)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_MixedFirstExifListing(benchmark::State& state) {
    const CarteMixte& c = carteMixte();
    for (auto _ : state) {
        varlime::MoteurNommage m;
        m.options = options();
        varlime::CacheFaitsExif cache;
        m.lister(c.dir);
        cache.precharger(m.dossier(), m.lignes());
        m.calculer(varlime::partieNomExif(cache, m.dossier(), m.options, QDate(2026, 12, 7)));
        benchmark::DoNotOptimize(m.lignes().data());
    }
}
BENCHMARK(BM_MixedFirstExifListing)->Unit(benchmark::kMillisecond);

// A 100 MB TIFF as an editor writes it: the main directory at the start, the EXIF
// directory with the capture date after 100 MB of picture data (a hole on the disk).
// Naming it reads its first bytes and the bytes of that directory: bytes_read stays at
// a few hundred kilobytes.
struct GrandTiff {
    std::string chemin;
    GrandTiff() {
        char templ[] = "/tmp/varlime-bench-tiff-XXXXXX";
        chemin = std::string(mkdtemp(templ)) + "/grand.tif";
        constexpr std::uint32_t kExif = 100u * 1000 * 1000;
        auto le = [](std::uint32_t v, int n) {
            std::string s;
            for (int i = 0; i < n; ++i)
                s += char((v >> (8 * i)) & 0xFF);
            return s;
        };
        // IFD0: Make (inline "Nik" + NUL) and the EXIF pointer.
        std::string debut = "II*\0" + le(8, 4) + le(2, 2);
        debut += le(0x010F, 2) + le(2, 2) + le(4, 4) + std::string("Nik\0", 4);
        debut += le(0x8769, 2) + le(4, 2) + le(1, 4) + le(kExif, 4) + le(0, 4);
        std::string exif = le(1, 2) + le(0x9003, 2) + le(2, 2) + le(20, 4) + le(kExif + 18, 4) +
                           le(0, 4) + std::string("2010:05:06 07:08:09\0", 20);
        const int fd = ::open(chemin.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::pwrite(fd, debut.data(), debut.size(), 0) != ssize_t(debut.size()) ||
            ::pwrite(fd, exif.data(), exif.size(), kExif) != ssize_t(exif.size()))
            std::abort();
        ::close(fd);
    }
    ~GrandTiff() { std::filesystem::remove_all(std::filesystem::path(chemin).parent_path()); }
};

void BM_Tiff100MoNaming(benchmark::State& state) {
    static GrandTiff t;
    double octets = 0;
    for (auto _ : state) {
        varlime::TimgData reader;
        reader.NamingFactsOnly = true;
        reader.ReadImageFile(t.chemin);
        if (reader.DateForNaming.text != "2010:05:06 07:08:09")
            state.SkipWithError("the capture date was not found");
        octets = double(reader.TotalBytesRead);
    }
    state.counters["bytes_read"] = octets;
}
BENCHMARK(BM_Tiff100MoNaming)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return varlime::bench::lancer(
        argc, argv,
        [] {
            carte();
            carteAppareil();
            carteMixte();
        },
        false);
}
