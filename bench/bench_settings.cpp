// SPDX-License-Identifier: GPL-3.0-or-later
// Message lookup in the active language and single-key writes of the settings file.
//   build/<dir>/bench/bench_settings
#include "i18n/uLocalization.h"
#include "platform/iniFile.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string makeFolder() {
    char templ[] = "/tmp/varlime-bench-XXXXXX";
    return std::string(mkdtemp(templ)) + "/";
}

// A language file of `count` messages, as large as a complete translation gets.
void writeLanguage(const std::string& folder, int count) {
    std::ofstream out(folder + "lang_en.ini");
    out << "[langue]\nLangCode=en\n[MESSAGES]\n";
    for (int i = 0; i < count; ++i)
        out << "RSC_message_" << i << "=Message number " << i << " with %s in it\\nand a break\n";
}

// The preview looks up three messages on every keystroke.
void BM_GetLangText(benchmark::State& state) {
    const std::string folder = makeFolder();
    writeLanguage(folder, int(state.range(0)));
    varlime::Localization loc(folder);
    loc.SetActiveLanguage("en");
    const std::string key = "RSC_message_" + std::to_string(state.range(0) - 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(loc.GetLangText("MESSAGES", key, "Message %s"));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_GetLangText)->Arg(50)->Arg(500);

// Saving the main options writes three keys, each read, rewritten and synced to disk.
void BM_WriteOneKey(benchmark::State& state) {
    const std::string folder = makeFolder();
    const std::string path = folder + "varlime.ini";
    for (int i = 0; i < 40; ++i)
        varlime::writeIniValue(path, "SECTION" + std::to_string(i % 8), "KEY" + std::to_string(i),
                               "value");
    long n = 0;
    for (auto _ : state)
        varlime::writeIniValue(path, "MAIN", "PREFIXE_REMPLACEMENT", std::to_string(++n));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WriteOneKey)->Unit(benchmark::kMicrosecond);

// Every activation of the main window reads the settings file whole: a file just under
// the size bound, of blank lines (arg 0) or of short keys (arg 1), the costliest shapes.
void BM_ReadFileAtTheBound(benchmark::State& state) {
    const std::string folder = makeFolder();
    const std::string path = folder + "varlime.ini";
    {
        std::ofstream out(path, std::ios::binary);
        out << "[MAIN]\nPREFIXE_REMPLACEMENT=IMG\n";
        const std::string ligne = state.range(0) == 0 ? "\n" : "k=v\n";
        for (std::size_t n = 32; n + ligne.size() < varlime::kIniMaxFileSize; n += ligne.size())
            out << ligne;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(varlime::IniDocument::load(path).read("MAIN", "k", ""));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ReadFileAtTheBound)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
