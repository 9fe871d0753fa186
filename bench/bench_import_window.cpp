// SPDX-License-Identifier: GPL-3.0-or-later
// The import window, offscreen, over a card of 5,000 photos (copies of the small sample
// photos, each a few bytes longer than the last, so that no two share a size and the plan
// reads no file twice). Each figure runs from the user's action to the tree drawn again,
// with the names the run will use (planned again from what the first plan read):
//   - a keystroke in the folder template (every file changes folder);
//   - a keystroke in the name prefix (every file is renamed);
//   - a camera's offset typed in (its files change folders).
// The first plan, which reads the card, is made once before any timing.
// Build it in a Release tree and run:
//   build/release/bench/bench_import_window
#include "app/Application.h"
#include "import/ui/ArbreImport.h"
#include "import/ui/IHM_import.h"
#include "lancement.h"
#include "platform/ui/MessageService.h"
#include "window/Main.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <QThread>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kPhotos = 5000;

std::string dossierTemporaire(const char* nom) {
    std::string modele = std::string("/tmp/varlime-bench-") + nom + "-XXXXXX";
    return std::string(mkdtemp(modele.data())) + "/";
}

// The card, the archive and the program folder, made once and removed at exit.
struct Dossiers {
    std::string carte = dossierTemporaire("card");
    std::string archive = dossierTemporaire("archive");
    std::string programme = dossierTemporaire("program");
    Dossiers() {
        const char* kSources[] = {"Canon_40D.jpg", "Nikon_D70.jpg", "Canon_DIGITAL_IXUS_400.jpg",
                                  "Olympus_C8080WZ.jpg"};
        std::vector<std::string> octets;
        for (const char* s : kSources) {
            std::ifstream in(std::string(VARLIME_BENCH_TESTDATA_DIR "/photos/") + s,
                             std::ios::binary);
            octets.push_back(
                std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        }
        std::filesystem::create_directories(carte + "DCIM/100CAM");
        for (int i = 0; i < kPhotos; ++i) {
            char nom[32];
            std::snprintf(nom, sizeof nom, "IMG_%05d.JPG", i);
            std::ofstream out(carte + "DCIM/100CAM/" + nom, std::ios::binary);
            out << octets[std::size_t(i) % octets.size()] << std::string(std::size_t(i), 'x');
        }
    }
    ~Dossiers() {
        for (const std::string& d : {carte, archive, programme})
            std::filesystem::remove_all(d);
    }
};

Dossiers& dossiers() {
    static Dossiers d;
    return d;
}

// The window shown over the card, its plan made.
struct Fenetre {
    varlime::ConsoleMessageService messages;
    std::unique_ptr<varlime::Application> app;
    varlime::TDLG_import* w = nullptr;
    Fenetre() {
        messages.quiet = true;
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dossiers().programme));
        app = std::make_unique<varlime::Application>(dossiers().programme, messages);
        w = &app->DLG_import();
        w->arbre().definirVignettes(false);
        w->CBB_archive->setEditText(QString::fromStdString(dossiers().archive));
        w->EDT_modele->setText(QStringLiteral("%Y/%Y-%m-%d"));
        w->modele().definirModele("%Y/%Y-%m-%d");
        w->Gerer(QString::fromStdString(dossiers().carte + "DCIM"));
        while (!w->planPret()) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(5);
        }
        dessiner();
    }
    ~Fenetre() {
        w->close();
        QApplication::processEvents();
    }
    void dessiner() {
        QApplication::processEvents();
        w->TRV_plan->viewport()->repaint();
    }
};

void taper(QWidget* champ, int touche, const QString& texte) {
    QKeyEvent appui(QEvent::KeyPress, touche, Qt::NoModifier, texte);
    QApplication::sendEvent(champ, &appui);
    QKeyEvent relache(QEvent::KeyRelease, touche, Qt::NoModifier, texte);
    QApplication::sendEvent(champ, &relache);
}

void BM_ImportTemplateKeystrokeToTree(benchmark::State& state) {
    Fenetre f;
    f.w->EDT_modele->setFocus();
    f.w->EDT_modele->end(false);
    int n = 0;
    for (auto _ : state) {
        if (n++ % 2 == 0)
            taper(f.w->EDT_modele, Qt::Key_A, QStringLiteral("a"));
        else
            taper(f.w->EDT_modele, Qt::Key_Backspace, QString());
        f.dessiner();
    }
    state.counters["files"] = double(f.w->arbre().plan().fichiers.size());
}
BENCHMARK(BM_ImportTemplateKeystrokeToTree)->Unit(benchmark::kMillisecond);

void BM_ImportNamePrefixKeystrokeToTree(benchmark::State& state) {
    Fenetre f;
    f.w->EDT_nom->setFocus();
    int n = 0;
    for (auto _ : state) {
        if (n++ % 2 == 0)
            taper(f.w->EDT_nom, Qt::Key_A, QStringLiteral("a"));
        else
            taper(f.w->EDT_nom, Qt::Key_Backspace, QString());
        f.dessiner();
    }
    state.counters["files"] = double(f.w->arbre().plan().fichiers.size());
}
BENCHMARK(BM_ImportNamePrefixKeystrokeToTree)->Unit(benchmark::kMillisecond);

void BM_ImportCameraOffsetToTree(benchmark::State& state) {
    Fenetre f;
    f.w->EDT_modele->setText(QStringLiteral("%Y/%Y-%m-%d %Hh"));
    f.w->modele().definirModele("%Y/%Y-%m-%d %Hh");
    f.dessiner();
    QTableWidget* t = f.w->TBL_appareils;
    int n = 0;
    for (auto _ : state) {
        t->item(0, 6)->setText(n++ % 2 == 0 ? QStringLiteral("+01:00") : QStringLiteral("+00:00"));
        f.dessiner();
    }
    state.counters["files"] = double(f.w->arbre().plan().fichiers.size());
}
BENCHMARK(BM_ImportCameraOffsetToTree)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return varlime::bench::lancer(
        argc, argv, [] { dossiers(); }, true);
}
