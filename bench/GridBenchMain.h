#pragma once
// The main of a benchmark of grids: an offscreen Qt application around the runs; the shared
// drawing resources are freed after `cleanUp` has let go of the benchmark's own widgets.
#include "table/UICore.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>

inline int RunGridBenchmarks(int argc, char** argv, const std::function<void()>& cleanUp = {})
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (cleanUp)
        cleanUp();
    CUICore::Free();
    return 0;
}
