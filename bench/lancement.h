// SPDX-License-Identifier: GPL-3.0-or-later
// The start of every benchmark program: Google Benchmark's own arguments, the folders
// made before any timing (so that no benchmark pays for their copies) and, for the
// benchmarks that drive windows, an offscreen Qt application.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>
#include <functional>
#include <memory>

namespace varlime::bench {

inline int lancer(int argc, char** argv, const std::function<void()>& preparer, bool fenetres) {
    std::unique_ptr<QApplication> app;
    if (fenetres) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    }
    if (preparer)
        preparer();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace varlime::bench
