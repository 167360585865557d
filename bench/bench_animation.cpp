// The Test animation at its real frame period, on a large window.
#include "bench/BenchDesign.h"

#include "editor/PatternDlg.h"

#include <QElapsedTimer>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

// The editor window, noting when each paint starts and how long it takes.
class CTimedPatternDlg : public CPatternDlg
{
public:
    struct Paint
    {
        double startMs;
        double durationMs;
    };
    QElapsedTimer clock;
    std::vector<Paint> paints;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        const qint64 start = clock.nsecsElapsed();
        CPatternDlg::paintEvent(event);
        paints.push_back({static_cast<double>(start) / 1e6,
                          static_cast<double>(clock.nsecsElapsed() - start) / 1e6});
    }
};

void TestAnimation(benchmark::State &state, QSize client)
{
    CTimedPatternDlg window;
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

    for (auto _ : state) {
        window.paints.clear();
        window.clock.start();
        window.OnTest();
    }
    // The last run: its 360 frames and the repaint after them.
    const std::vector<CTimedPatternDlg::Paint> &paints = window.paints;
    state.counters["frames"] = static_cast<double>(paints.size());
    if (paints.size() >= 361) {
        double latest = 0.0; // how far a frame started after its 30 ms mark
        double dearest = 0.0;
        for (std::size_t f = 0; f < 360; ++f) {
            latest = std::max(latest, paints[f].startMs - 30.0 * static_cast<double>(f + 1));
            dearest = std::max(dearest, paints[f].durationMs);
        }
        state.counters["latest_frame_ms"] = latest;
        state.counters["first_paint_ms"] = paints.front().durationMs;
        state.counters["dearest_paint_ms"] = dearest;
    }
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
