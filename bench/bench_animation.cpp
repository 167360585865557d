// The Test animation at its real frame period, on a large window.
#include "bench/BenchDesign.h"

#include "editor/PatternDlg.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

// Counts the frames and notes when each one starts painting.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    QElapsedTimer clock;
    std::vector<qint64> startsNs;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            startsNs.push_back(clock.nsecsElapsed());
        }
        return false;
    }
};

void TestAnimation(benchmark::State &state, QSize client)
{
    CPatternDlg window;
    for (auto &shape : MakeBenchDesign())
        window.AddShape(std::move(shape));
    window.resize(client);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || window.size() != client) {
        state.SkipWithError("the window did not appear at its size");
        return;
    }
    QTest::qWait(50);
    window.SetFrameDelay(std::chrono::milliseconds(30));

    PaintCounter counter;
    window.installEventFilter(&counter);
    for (auto _ : state) {
        counter.clock.start();
        window.OnTest();
    }
    window.removeEventFilter(&counter);
    // How far the frames strayed from their 30 ms marks, in the last run.
    if (counter.startsNs.size() >= 360) {
        const std::size_t first = counter.startsNs.size() - 361;
        double latest = 0.0;
        for (std::size_t f = 0; f < 360; ++f) {
            const double late =
                static_cast<double>(counter.startsNs[first + f]) / 1e6 - 30.0 * static_cast<double>(f + 1);
            latest = std::max(latest, late);
        }
        state.counters["latest_frame_ms"] = latest;
    }
    state.counters["frames"] =
        benchmark::Counter(static_cast<double>(counter.paints) / static_cast<double>(state.iterations()));
    window.hide();
}
void BM_TestAnimation(benchmark::State &state)
{
    TestAnimation(state, BenchClient);
}
BENCHMARK(BM_TestAnimation)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The window at the size it opens with, where every frame paints well
// within the frame period.
void BM_TestAnimationDefaultWindow(benchmark::State &state)
{
    TestAnimation(state, QSize(480, 361));
}
BENCHMARK(BM_TestAnimationDefaultWindow)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
