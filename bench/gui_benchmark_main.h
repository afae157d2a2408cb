#pragma once

// Runs the benchmarks of a program that needs fonts: the GUI module, never a window.

#include <QGuiApplication>
#include <benchmark/benchmark.h>

inline int RunGuiBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
