// The Test preview at its real frame period, on a large window.
#include "bench/BenchDesign.h"

#include "bench/BenchWindow.h"
#include "window/PatternDlg.h"
#include "window/Preview.h"

#include <QElapsedTimer>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <set>
#include <vector>

namespace {

constexpr int PreviewFrames = PreviewFrameCount;
constexpr double FramePeriodMs = static_cast<double>(PreviewFrameDelay.count());

// The editor window, noting when each paint starts, how long it takes and
// which frame of the preview it shows (0 for none).
class CTimedPatternDlg : public CPatternDlg
{
public:
    CTimedPatternDlg()
        : m_watch(
              Canvas(),
              [this] {
                  m_start = clock.nsecsElapsed();
                  // The preview grows the scale by 0.004 a frame from 0.1 (PreviewFrameAt).
                  m_frame = IsAnimating()
                                ? static_cast<int>(std::lround((FrameView().viewport.scale - PreviewFrameAt(0).scale) /
                                                               (PreviewFrameAt(1).scale - PreviewFrameAt(0).scale)))
                                : 0;
              },
              [this] {
                  paints.push_back({static_cast<double>(m_start) / 1e6,
                                    static_cast<double>(clock.nsecsElapsed() - m_start) / 1e6, m_frame});
              })
    {
    }
    struct Paint
    {
        double startMs;
        double durationMs;
        int frame;
    };
    QElapsedTimer clock;
    std::vector<Paint> paints;

private:
    qint64 m_start = 0;
    int m_frame = 0;
    CPaintWatch m_watch;
};

void TestAnimation(benchmark::State &state, QSize client)
{
    CTimedPatternDlg window;
    window.Document().AddShapes(MakeBenchDesign(SmallDesign));
    window.LivePreview().hide(); // as a run before may have left it
    ResizeClient(window, client);
    window.show();
    if (QTest::qWaitForWindowExposed(&window) && window.ClientArea().size() != client) {
        ResizeClient(window, client); // the live preview was open: a size before the show is missed
        QTest::qWait(200);
    }
    if (!QTest::qWaitForWindowExposed(&window) || window.ClientArea().size() != client) {
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
    // The last run: the frames it showed and the repaint after them.
    std::set<int> shown;
    double latest = 0.0; // how far a frame's paint started after its moment
    double dearest = 0.0;
    for (const CTimedPatternDlg::Paint &paint : window.paints) {
        if (paint.frame < 1 || paint.frame > PreviewFrames)
            continue;
        shown.insert(paint.frame);
        latest = std::max(latest, paint.startMs - FramePeriodMs * paint.frame);
        dearest = std::max(dearest, paint.durationMs);
    }
    // The last frame is shown however late it is, and the window is then
    // painted afresh at its own scale: together they are what the preview
    // lasts beyond its 360 periods.
    for (const CTimedPatternDlg::Paint &paint : window.paints) {
        if (paint.frame == PreviewFrames)
            state.counters["last_frame_ms"] = paint.durationMs;
    }
    if (!window.paints.empty() && window.paints.back().frame == 0)
        state.counters["final_repaint_ms"] = window.paints.back().durationMs;
    state.counters["frames"] = static_cast<double>(shown.size());
    state.counters["skipped"] = static_cast<double>(PreviewFrames - static_cast<int>(shown.size()));
    state.counters["latest_frame_ms"] = latest;
    state.counters["dearest_paint_ms"] = dearest;
    if (!window.paints.empty())
        state.counters["first_paint_ms"] = window.paints.front().durationMs;
    window.hide();
}

void BM_TestAnimation(benchmark::State &state)
{
    TestAnimation(state, BenchClient);
}
BENCHMARK(BM_TestAnimation)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The window at the size it opens with.
void BM_TestAnimationDefaultWindow(benchmark::State &state)
{
    TestAnimation(state, QSize(480, 361));
}
BENCHMARK(BM_TestAnimationDefaultWindow)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
