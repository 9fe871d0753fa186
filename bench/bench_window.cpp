// SPDX-License-Identifier: GPL-3.0-or-later
// The real main window, offscreen, as a user drives it: 5,000 photos (copies of the
// sample photos) and 100,000 empty files. Each figure runs from the user's action to the
// grid (or the example line) drawn again:
//   - a keystroke in the prefix field;
//   - a keystroke in the EXIF dialog's free text;
//   - OK in the EXIF dialog, EXIF naming on;
//   - a first listing in EXIF naming (no file read yet), beside bench_exif_names;
//   - 100,000 files listed, a keystroke over them, and the grid scrolled from top to
//     bottom in jumps of 50 pages (the longest step is reported);
//   - a prefix keystroke over 100,000 rows, from the key to the grid drawn again (the
//     names of the rows shown are final in that frame), with the time until every row
//     is named beside it;
//   - 20,000 photos read for EXIF naming: how long the window is held when the reading
//     starts, and the arrow keys in the grid while it reads.
// Build it in a Release tree and run:
//   build/release/bench/bench_window
#include "app/Application.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "lancement.h"
#include "platform/ui/MessageService.h"
#include "window/Main.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Horloge = std::chrono::steady_clock;

double secondesDepuis(Horloge::time_point t0) {
    return std::chrono::duration<double>(Horloge::now() - t0).count();
}

std::string dossierTemporaire(const char* nom) {
    std::string modele = std::string("/tmp/varlime-bench-") + nom + "-XXXXXX";
    return std::string(mkdtemp(modele.data())) + "/";
}

// The folders, made once before any timing and removed at exit.
struct Dossiers {
    std::string photos = dossierTemporaire("photos");
    std::string vides = dossierTemporaire("files");
    std::string programme = dossierTemporaire("program");
    std::string lecture = dossierTemporaire("exif");
    Dossiers() {
        std::vector<std::filesystem::path> sources;
        for (const auto& e :
             std::filesystem::directory_iterator(VARLIME_BENCH_TESTDATA_DIR "/photos"))
            if (e.is_regular_file() && e.path().extension() == ".jpg")
                sources.push_back(e.path());
        char nom[32];
        for (int i = 0; i < 5000; ++i) {
            std::snprintf(nom, sizeof nom, "DSC_%05d.JPG", i);
            std::filesystem::copy_file(sources[std::size_t(i) % sources.size()], photos + nom);
        }
        for (int i = 0; i < 100000; ++i) {
            std::snprintf(nom, sizeof nom, "IMG_%06d.JPG", i);
            ::close(::open((vides + nom).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        }
        // Copies of one small photo: each is read whole, as a card's photos are.
        for (int i = 0; i < 20000; ++i) {
            std::snprintf(nom, sizeof nom, "P_%05d.jpg", i);
            std::filesystem::copy_file(VARLIME_BENCH_TESTDATA_DIR "/photos/Canon_40D.jpg",
                                       lecture + nom);
        }
    }
    ~Dossiers() {
        for (const std::string& d : {photos, vides, programme, lecture})
            std::filesystem::remove_all(d);
    }
};

Dossiers& dossiers() {
    static Dossiers d;
    return d;
}

// One application with its main window shown, over its own program folder.
struct Fenetre {
    varlime::ConsoleMessageService messages; // answers yes, prints nothing
    std::unique_ptr<varlime::Application> app;
    varlime::TMainForm* m = nullptr;
    Fenetre() {
        messages.quiet = true;
        app = std::make_unique<varlime::Application>(dossiers().programme, messages);
        m = &app->MainForm();
        m->resize(1000, 650);
        // A folder is listed before the window shows, as one given at start is: no
        // folder picker opens.
        m->Repertoire_courant = dossiers().photos;
        m->Validation_repertoire(false);
        m->show();
        QApplication::processEvents();
    }
    // Closed as the user closes it, before the dialogs it uses go.
    ~Fenetre() {
        m->close();
        QApplication::processEvents();
    }
    void lister(const std::string& dossier) {
        m->Repertoire_courant = dossier;
        m->Validation_repertoire(false);
        // A large folder may be listed on the side: its first row is then there.
        while (m->cellule(0, 1).isEmpty())
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        dessiner();
    }
    // What the user sees is drawn now.
    void dessiner() {
        QApplication::processEvents();
        m->GRS_fichier->viewport()->repaint();
    }
};

// A key typed into a field, as the keyboard gives it.
void taper(QWidget* champ, int touche, const QString& texte) {
    QKeyEvent appui(QEvent::KeyPress, touche, Qt::NoModifier, texte);
    QApplication::sendEvent(champ, &appui);
    QKeyEvent relache(QEvent::KeyRelease, touche, Qt::NoModifier, texte);
    QApplication::sendEvent(champ, &relache);
}

// One character typed, the next time taken back: the field stays short.
void frappe(QLineEdit* champ, int& n) {
    if (n++ % 2 == 0)
        taper(champ, Qt::Key_A, QStringLiteral("a"));
    else
        taper(champ, Qt::Key_Backspace, QString());
}

void BM_PrefixKeystrokeToGrid(benchmark::State& state) {
    Fenetre f;
    f.m->EDT_prefixe_remplacement->setText(QStringLiteral("Vacances_"));
    f.lister(dossiers().photos);
    f.m->EDT_prefixe_remplacement->setFocus();
    int n = 0;
    for (auto _ : state) {
        frappe(f.m->EDT_prefixe_remplacement, n);
        f.dessiner();
    }
    state.counters["rows"] = double(f.m->nombreLignes() - 1);
}
BENCHMARK(BM_PrefixKeystrokeToGrid)->Unit(benchmark::kMillisecond);

// EXIF naming switched on over the listed photos, make, date and free text chosen.
void passerEnExif(Fenetre& f) {
    varlime::TDLG_exif_info& exif = f.app->DLG_exif_info();
    exif.CKB_exploitation_exif->setChecked(true);
    for (const char* nom : {"CKB_zone_libre", "CKB_fabricant", "CKB_date"})
        exif.findChild<QCheckBox*>(QString::fromLatin1(nom))->click();
    exif.Ecran_option_exif();
    f.m->Voir_rename();
    f.m->prechargement().attendre(); // the facts are read on a worker: the names come then
    f.dessiner();
    // The current row is a photo with EXIF data, as "EXIF infos" needs.
    const auto& lignes = f.m->moteur().lignes();
    for (std::size_t i = 0; i < lignes.size(); ++i)
        if (f.m->chaine().faits(lignes[i].ancien).exif) {
            f.m->selectionnerLigne(int(i));
            exif.definirFichier(f.m->chaine().faits(lignes[i].ancien), lignes[i].ancien);
            break;
        }
}

void BM_ExifFreeTextKeystrokeToExample(benchmark::State& state) {
    Fenetre f;
    f.lister(dossiers().photos);
    passerEnExif(f);
    varlime::TDLG_exif_info& exif = f.app->DLG_exif_info();
    exif.Retourne_nom_exif();
    exif.show(); // as "EXIF infos" shows it, the example drawn on screen
    QApplication::processEvents();
    int n = 0;
    for (auto _ : state) {
        frappe(exif.EDT_zone_libre, n);
        QApplication::processEvents();
        exif.LBL_exemple->repaint();
    }
    exif.hide();
}
BENCHMARK(BM_ExifFreeTextKeystrokeToExample)->Unit(benchmark::kMillisecond);

void BM_ExifOkToGrid(benchmark::State& state) {
    Fenetre f;
    f.lister(dossiers().photos);
    passerEnExif(f);
    varlime::TDLG_exif_info& exif = f.app->DLG_exif_info();
    int n = 0;
    for (auto _ : state) {
        // The dialog opens as "EXIF infos" opens it; the clock starts at OK.
        exif.EDT_zone_libre->setText(QStringLiteral("Trip%1").arg(n++ % 10));
        Horloge::time_point t0 = Horloge::now();
        // OK is clicked once the dialog shows, from its own event loop.
        QTimer attente;
        QObject::connect(&attente, &QTimer::timeout, &exif, [&] {
            if (!exif.isVisible())
                return;
            attente.stop();
            t0 = Horloge::now();
            exif.BT_ok->click();
        });
        attente.start(1);
        f.m->BT_exif_info->click();
        f.m->prechargement().attendre();
        f.dessiner();
        state.SetIterationTime(secondesDepuis(t0));
    }
}
BENCHMARK(BM_ExifOkToGrid)->UseManualTime()->Unit(benchmark::kMillisecond);

// Compare with BM_FirstExifListing of bench_exif_names (the engine alone).
void BM_FirstExifListing(benchmark::State& state) {
    Fenetre f;
    f.lister(dossiers().photos);
    passerEnExif(f);
    for (auto _ : state) {
        state.PauseTiming();
        f.m->chaine().oublierFaits(); // no file read yet
        state.ResumeTiming();
        f.m->Chercher_fichier();
        // A large folder is listed on the side: its reading starts once it is listed.
        while (f.m->cellule(0, 1).isEmpty())
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        f.m->prechargement().attendre();
        f.dessiner();
    }
}
BENCHMARK(BM_FirstExifListing)->Unit(benchmark::kMillisecond);

// 100,000 files: the listing, a keystroke over them, and the longest step of a scroll
// through the whole grid, 50 pages a step.
void BM_HundredThousandFiles(benchmark::State& state) {
    Fenetre f;
    f.m->EDT_prefixe_remplacement->setText(QStringLiteral("IMG"));
    double listage = 0, frappeMax = 0, pasMax = 0;
    int n = 0;
    for (auto _ : state) {
        Horloge::time_point t0 = Horloge::now();
        f.lister(dossiers().vides);
        listage = std::max(listage, secondesDepuis(t0));
        for (int i = 0; i < 4; ++i) {
            t0 = Horloge::now();
            frappe(f.m->EDT_prefixe_remplacement, n);
            f.dessiner();
            frappeMax = std::max(frappeMax, secondesDepuis(t0));
        }
        QScrollBar* barre = f.m->GRS_fichier->verticalScrollBar();
        for (int v = 0; v <= barre->maximum(); v += std::max(1, barre->pageStep() * 50)) {
            t0 = Horloge::now();
            barre->setValue(v);
            f.dessiner();
            pasMax = std::max(pasMax, secondesDepuis(t0));
        }
    }
    state.counters["rows"] = double(f.m->nombreLignes() - 1);
    state.counters["listing_ms"] = listage * 1000;
    state.counters["keystroke_max_ms"] = frappeMax * 1000;
    state.counters["scroll_step_max_ms"] = pasMax * 1000;
}
BENCHMARK(BM_HundredThousandFiles)->Iterations(3)->Unit(benchmark::kMillisecond);

double mediane(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The event loop runs until the last row is named (a row still to be named shows no
// name): every name computed after the first frame is there.
void laisserFinir(varlime::TMainForm& m) {
    while (m.cellule(1, m.nombreLignes() - 1).isEmpty())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A prefix keystroke over 100,000 rows: from the key to the frame that shows the rows
// in view with their final names. `all_named_ms` runs on until every row is named.
void BM_PrefixKeystroke100000Rows(benchmark::State& state) {
    Fenetre f;
    f.m->EDT_prefixe_remplacement->setText(QStringLiteral("Vacances_"));
    f.lister(dossiers().vides);
    laisserFinir(*f.m);
    f.m->EDT_prefixe_remplacement->setFocus();
    std::vector<double> touts;
    int n = 0;
    for (auto _ : state) {
        const Horloge::time_point t0 = Horloge::now();
        frappe(f.m->EDT_prefixe_remplacement, n);
        f.m->GRS_fichier->viewport()->repaint();
        state.SetIterationTime(secondesDepuis(t0));
        laisserFinir(*f.m);
        touts.push_back(secondesDepuis(t0));
    }
    state.counters["rows"] = double(f.m->nombreLignes() - 1);
    state.counters["all_named_ms"] = mediane(touts) * 1000;
}
BENCHMARK(BM_PrefixKeystroke100000Rows)->UseManualTime()->Unit(benchmark::kMillisecond);

// 20,000 photos read for EXIF naming. `start_ms`: the listing that starts the reading,
// until the window answers again. Then arrow keys in the grid while it reads, each
// timed to the grid drawn again; the reading is left to run to its end.
void BM_KeystrokeDuringExifRead(benchmark::State& state) {
    Fenetre f;
    f.lister(dossiers().photos);
    passerEnExif(f);
    std::vector<double> departs, touches;
    double pire = 0;
    for (auto _ : state) {
        f.m->prechargement().arreter(); // the listed photos' reading, if still going
        f.m->chaine().oublierFaits();   // no file read yet
        const Horloge::time_point t0 = Horloge::now();
        f.m->Repertoire_courant = dossiers().lecture;
        f.m->Validation_repertoire(false);
        QApplication::processEvents();
        departs.push_back(secondesDepuis(t0));
        f.m->GRS_fichier->setFocus();
        int k = 0;
        // Until the folder is listed (a large one is, on the side) and read.
        while (f.m->prechargement().enCours() || f.m->cellule(0, 1).isEmpty() ||
               secondesDepuis(t0) < 0.3) {
            const Horloge::time_point t1 = Horloge::now();
            taper(f.m->GRS_fichier, k++ % 8 < 4 ? Qt::Key_Down : Qt::Key_Up, QString());
            f.dessiner();
            const double d = secondesDepuis(t1);
            touches.push_back(d);
            pire = std::max(pire, d);
            // About the pace of a key held down.
            while (secondesDepuis(t1) < 0.03)
                QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        state.SetIterationTime(mediane(touches));
        f.lister(dossiers().photos);
    }
    state.counters["start_ms"] = mediane(departs) * 1000;
    state.counters["key_median_ms"] = mediane(touches) * 1000;
    state.counters["key_max_ms"] = pire * 1000;
    state.counters["keys"] = double(touches.size());
}
BENCHMARK(BM_KeystrokeDuringExifRead)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return varlime::bench::lancer(
        argc, argv, [] { dossiers(); }, true);
}
