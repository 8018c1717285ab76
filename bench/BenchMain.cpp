#include <QGuiApplication>

#include <benchmark/benchmark.h>

// A QGuiApplication exists for the benchmarks that draw; those that do not
// are unaffected by it. Run with QT_QPA_PLATFORM=offscreen where there is no display.
int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
