// The Test animation at its real frame period, on a large window.
#include "bench/BenchDesign.h"

#include "editor/PatternDlg.h"

#include <QEvent>
#include <QTest>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void BM_TestAnimation(benchmark::State &state)
{
    CPatternDlg window;
    for (auto &shape : MakeBenchDesign())
        window.AddShape(std::move(shape));
    window.resize(BenchClient);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || window.size() != BenchClient) {
        state.SkipWithError("the window did not appear at 1920 x 1080");
        return;
    }
    QTest::qWait(50);
    window.SetFrameDelay(std::chrono::milliseconds(30));

    PaintCounter counter;
    window.installEventFilter(&counter);
    for (auto _ : state)
        window.OnTest();
    window.removeEventFilter(&counter);
    state.counters["frames"] =
        benchmark::Counter(static_cast<double>(counter.paints) / static_cast<double>(state.iterations()));
    window.hide();
}
BENCHMARK(BM_TestAnimation)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
