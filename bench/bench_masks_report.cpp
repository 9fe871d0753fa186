// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the rename masks and of the test before renaming over large lists.
//   build/<dir>/bench/bench_masks_report
#include "core/maskEngine.h"
#include "core/renameTest.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> noms(int count) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(count));
    char name[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "IMG_%06d.JPG", i);
        out.emplace_back(name);
    }
    return out;
}

// One preview's worth of mask work: every row parses the field again.
void BM_MaskPerRow(benchmark::State& state, const char* champ) {
    const auto anciens = noms(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (const auto& a : anciens)
            benchmark::DoNotOptimize(varlime::Exploiter_masque(a, champ));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK_CAPTURE(BM_MaskPerRow, keep_digits, "[VAC&N]")->Arg(10000);
BENCHMARK_CAPTURE(BM_MaskPerRow, replace, "[{IMG}{PIC}]")->Arg(10000);
BENCHMARK_CAPTURE(BM_MaskPerRow, affixes, "[2024_*_Paris]")->Arg(10000);

// The test over a list where every target is a duplicate of the row above: the
// worst case for the searches of the rows above.
void BM_ReportDuplicates(benchmark::State& state) {
    const auto anciens = noms(static_cast<int>(state.range(0)));
    std::vector<varlime::LigneRenommage> lignes;
    for (const auto& a : anciens)
        lignes.push_back({a, "SAME.JPG"});
    const varlime::EntreeExiste rien = [](const std::string&) { return false; };
    const auto texte = varlime::defaultMessages();
    for (auto _ : state)
        benchmark::DoNotOptimize(varlime::Tester_rename(lignes, rien, texte));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReportDuplicates)->Arg(1000)->Arg(20000);

void BM_SupprimerDoublons(benchmark::State& state) {
    const std::vector<std::string> base(static_cast<std::size_t>(state.range(0)), "X.jpg");
    for (auto _ : state) {
        auto n = base;
        varlime::Supprimer_doublons(n);
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SupprimerDoublons)->Arg(20000);

} // namespace

BENCHMARK_MAIN();
