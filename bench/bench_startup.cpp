// Start-up of a fresh process to the first painted frame of the editor window.
#include <QProcess>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

void BM_StartupToFirstFrame(benchmark::State &state)
{
    for (auto _ : state) {
        QProcess probe;
        const auto started = std::chrono::steady_clock::now();
        probe.start(QStringLiteral(VORTIGRAM_STARTUP_PROBE), {});
        if (!probe.waitForFinished(10000) || probe.exitCode() != 0) {
            state.SkipWithError("the start-up probe failed");
            return;
        }
        bool ok = false;
        const long long painted = probe.readAllStandardOutput().trimmed().toLongLong(&ok);
        if (!ok) {
            state.SkipWithError("the start-up probe reported no frame");
            return;
        }
        const auto startedNs =
            std::chrono::duration_cast<std::chrono::nanoseconds>(started.time_since_epoch()).count();
        state.SetIterationTime(static_cast<double>(painted - startedNs) * 1e-9);
    }
}
BENCHMARK(BM_StartupToFirstFrame)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
