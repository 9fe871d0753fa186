// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and dumping the EXIF data of 2,000 photos in one process, beside a bare
// loop that only opens each file and reads its first 64 KiB. The photos are copies
// of the sample photos in a temporary folder, or the files of VARLIME_BENCH_FOLDER
// when it is set (bench/exif_compare.sh sets it and times `exiv2 -pa` over the same
// files).
#include "exif/exifDump.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kPhotos = 2000;

struct PhotoFolder {
    std::vector<std::string> files;
    std::string ownDir;

    PhotoFolder() {
        if (const char* given = std::getenv("VARLIME_BENCH_FOLDER")) {
            for (const auto& e : fs::directory_iterator(given))
                if (e.is_regular_file())
                    files.push_back(e.path().string());
            std::sort(files.begin(), files.end());
            return;
        }
        std::vector<fs::path> samples;
        const fs::path photos = fs::path(VARLIME_BENCH_TESTDATA_DIR) / "photos";
        for (const auto& e : fs::recursive_directory_iterator(photos))
            if (e.is_regular_file())
                samples.push_back(e.path());
        std::sort(samples.begin(), samples.end());
        if (samples.empty())
            return;
        std::string templ = (fs::temp_directory_path() / "varlime-bench-XXXXXX").string();
        if (!::mkdtemp(templ.data()))
            return;
        ownDir = templ;
        for (int i = 0; i < kPhotos; ++i) {
            const fs::path& src = samples[static_cast<std::size_t>(i) % samples.size()];
            const fs::path dst =
                fs::path(ownDir) / (std::to_string(i) + "_" + src.filename().string());
            fs::copy_file(src, dst);
            files.push_back(dst.string());
        }
    }
    ~PhotoFolder() {
        if (!ownDir.empty()) {
            std::error_code ec;
            fs::remove_all(ownDir, ec);
        }
    }
};

const PhotoFolder& folder() {
    static const PhotoFolder f;
    return f;
}

void BM_ReadAndDumpExif(benchmark::State& state) {
    const auto& files = folder().files;
    varlime::TimgData reader;
    std::size_t lines = 0;
    for (auto _ : state) {
        for (const auto& f : files)
            lines += varlime::DumpExifFile(reader, f).size();
    }
    benchmark::DoNotOptimize(lines);
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["per_file"] = benchmark::Counter(
        static_cast<double>(files.size()) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadAndDumpExif)->Unit(benchmark::kMillisecond);

void BM_BareOpenRead64KiB(benchmark::State& state) {
    const auto& files = folder().files;
    std::vector<char> buf(64 * 1024);
    std::size_t total = 0;
    for (auto _ : state) {
        for (const auto& f : files) {
            const int fd = ::open(f.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            std::size_t got = 0;
            while (got < buf.size()) {
                const ssize_t r = ::read(fd, buf.data() + got, buf.size() - got);
                if (r <= 0)
                    break;
                got += static_cast<std::size_t>(r);
            }
            total += got;
            ::close(fd);
        }
    }
    benchmark::DoNotOptimize(total);
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["per_file"] = benchmark::Counter(
        static_cast<double>(files.size()) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BareOpenRead64KiB)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
