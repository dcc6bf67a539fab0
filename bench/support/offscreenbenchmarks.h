#ifndef OFFSCREENBENCHMARKS_H
#define OFFSCREENBENCHMARKS_H

#include <QByteArray>
#include <QtGlobal>

#include <benchmark/benchmark.h>

// The main() of a benchmark that needs a GUI application but never a screen:
// the offscreen platform unless one is chosen, then Google Benchmark's own
// arguments and run. `App` is QGuiApplication or QApplication.
template <class App> int RunOffscreenBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#endif // OFFSCREENBENCHMARKS_H
