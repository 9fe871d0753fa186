// SPDX-License-Identifier: GPL-3.0-or-later
// Listing, preview and rename speed, and memory per listed row.
//   build/<dir>/bench/bench_rename
#include "app/Application.h"
#include "core/renameEngine.h"
#include "lancement.h"
#include "platform/fileSystem.h"
#include "platform/ui/MessageService.h"
#include "window/Main.h"
#include "window/fileGridModel.h"

#include <QApplication>
#include <QLineEdit>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string makeFolder(int count) {
    char templ[] = "/tmp/varlime-bench-XXXXXX";
    std::string dir = std::string(mkdtemp(templ)) + "/";
    char name[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "DSC_%06d.JPG", i);
        const int fd = ::open((dir + name).c_str(), O_CREAT | O_WRONLY, 0644);
        ::close(fd);
    }
    return dir;
}

void removeFolder(const std::string& dir) {
    std::filesystem::remove_all(dir);
}

long rssKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Listing plus preview through the main window, as when a folder is validated.
void BM_ListingAndPreview(benchmark::State& state) {
    const std::string dir = makeFolder(int(state.range(0)));
    varlime::ScriptedMessageService messages;
    varlime::Application app("/tmp/", messages);
    varlime::TMainForm& m = app.MainForm();
    m.EDT_prefixe_remplacement->setText(QStringLiteral("IMG"));
    for (auto _ : state) {
        m.Repertoire_courant = dir;
        m.Validation_repertoire(false);
        benchmark::DoNotOptimize(m.grille().rows().data());
    }
    state.counters["rows"] = double(m.grille().rows().size());
    removeFolder(dir);
}
BENCHMARK(BM_ListingAndPreview)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The sort of a listing alone, 100,000 names as a camera writes them (argument 0) or
// mixed (1: accents, case, digits, punctuation), in the locale the program runs in
// (LANG=fr_FR.UTF-8 for a collating one).
void BM_SortListing(benchmark::State& state) {
    std::vector<std::string> names;
    char name[64];
    static const char* const stems[] = {"IMG_", "Été ", "photo-", "DSC", "Zoë_", "cafe ", "Café_"};
    for (int i = 0; i < 100000; ++i) {
        if (state.range(0) == 0)
            std::snprintf(name, sizeof name, "IMG_%06d.JPG", (i * 7919) % 100000);
        else
            std::snprintf(name, sizeof name, "%s%d.%s", stems[i % 7], (i * 7919) % 100000,
                          i % 3 ? "jpg" : "CR2");
        names.emplace_back(name);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(varlime::lignesTriees(names).data());
}
BENCHMARK(BM_SortListing)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One recomputation of every new name, as on a keystroke in the prefix field.
void BM_KeystrokePreview(benchmark::State& state) {
    const std::string dir = makeFolder(int(state.range(0)));
    varlime::ScriptedMessageService messages;
    varlime::Application app("/tmp/", messages);
    varlime::TMainForm& m = app.MainForm();
    m.Repertoire_courant = dir;
    m.Validation_repertoire(false);
    bool flip = false;
    for (auto _ : state) {
        m.EDT_prefixe_remplacement->setText(flip ? QStringLiteral("Vacances")
                                                 : QStringLiteral("Vacance"));
        flip = !flip;
    }
    removeFolder(dir);
}
BENCHMARK(BM_KeystrokePreview)->Arg(10000)->Unit(benchmark::kMillisecond);

// The rename run over 10,000 files, beside a bare loop of rename calls; with the
// second argument 1 the run writes its undo journal first, as the window and the
// command line do.
void BM_RenameRun(benchmark::State& state) {
    const int n = int(state.range(0));
    const bool journal = state.range(1) != 0;
    const std::string journaux = "/tmp/varlime-bench-journaux/";
    for (auto _ : state) {
        state.PauseTiming();
        const std::string dir = makeFolder(n);
        std::vector<std::string> names;
        for (const auto& e : varlime::chercherFichiers(dir, "*.*", 47))
            names.push_back(e.nom);
        auto rows = varlime::lignesTriees(names);
        varlime::OptionsNommage o;
        o.prefixe = "Vacances_";
        o.largeur = 6;
        varlime::calculerNouveauxNoms(rows, true, o, nullptr);
        state.ResumeTiming();
        varlime::DossierListe dossier;
        dossier.ouvrir(dir);
        const auto bilan =
            varlime::renommerLignes(dossier, rows, journal ? journaux : std::string());
        state.PauseTiming();
        if (bilan.renommes != n)
            state.SkipWithError("not every file was renamed");
        removeFolder(dir);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RenameRun)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_BareRenameLoop(benchmark::State& state) {
    const int n = int(state.range(0));
    char from[64], to[64];
    for (auto _ : state) {
        state.PauseTiming();
        const std::string dir = makeFolder(n);
        state.ResumeTiming();
        for (int i = 0; i < n; ++i) {
            std::snprintf(from, sizeof from, "DSC_%06d.JPG", i);
            std::snprintf(to, sizeof to, "Vacances_%06d.JPG", i + 1);
            std::rename((dir + from).c_str(), (dir + to).c_str());
        }
        state.PauseTiming();
        removeFolder(dir);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BareRenameLoop)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);

// Memory: resident size grown by listing 100,000 files into the grid, per row.
void BM_MemoryPerRow(benchmark::State& state) {
    const int n = int(state.range(0));
    const std::string dir = makeFolder(n);
    for (auto _ : state) {
        varlime::ScriptedMessageService messages;
        varlime::Application app("/tmp/", messages);
        varlime::TMainForm& m = app.MainForm();
        m.EDT_prefixe_remplacement->setText(QStringLiteral("IMG"));
        const long before = rssKiB();
        m.Repertoire_courant = dir;
        m.Validation_repertoire(false);
        const long after = rssKiB();
        state.counters["bytes_per_row"] = double(after - before) * 1024.0 / n;
    }
    removeFolder(dir);
}
BENCHMARK(BM_MemoryPerRow)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return varlime::bench::lancer(argc, argv, {}, true);
}
