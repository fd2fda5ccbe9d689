// The main of the benchmarks that run Qt code: the application object that
// code expects (headless), the Shift-JIS codec, then Google Benchmark with its
// own flags. `before` runs after the flags are read and can refuse to go on.
#pragma once

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <functional>

#include "core/text/sjistext.h"

template <class App>
int runQtBenchmarks(int argc, char **argv, const std::function<bool()> &before = {}) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    vorq::sjis::ensureCodec();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (before && !before()) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
