// The editor window under the mouse, at 1920 x 1080: the rubber band that
// follows the pointer during an entry, and the right click that ends a shape,
// each timed from the mouse event to the end of the paint it causes.
#include "bench/BenchDesign.h"
#include "bench/BenchWindow.h"

#include "window/PatternDlg.h"
#include "export/Recovery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>

#include <benchmark/benchmark.h>

#include "bench/GoalReport.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>

namespace {

// The band of an entry follows the pointer: a move, and the paint it causes.
// The pointer swings between two points, so every move changes the band.
void BandMove(benchmark::State &state, int shapes, QPoint anchor, QPoint end, bool livePreview = false)
{
    const auto window = OpenWindow(state, shapes, nullptr, livePreview);
    if (!window)
        return;
    QTest::mousePress(&window->Canvas(), Qt::LeftButton, {}, OnCanvas(anchor));
    Move(*window, end);
    Settle();

    bool swing = false;
    for (auto _ : state) {
        const int before = window->paints;
        swing = !swing;
        Move(*window, end + (swing ? QPoint(20, -20) : QPoint(0, 0)));
        if (!UntilPainted(*window, before)) {
            state.SkipWithError("the move was never painted");
            return;
        }
    }
    if (!window->IsBusy())
        state.SkipWithError("the entry ended during the moves");
    QTest::mouseClick(&window->Canvas(), Qt::RightButton, {}, OnCanvas(end));
}

// A band of about 250 pixels, as between two vertices of a small shape.
constexpr QPoint ShortAnchor{900, 500};
constexpr QPoint ShortEnd{1100, 640};
// A band from one corner of the canvas to the other.
constexpr QPoint LongAnchor{60, 80};
constexpr QPoint LongEnd{1840, 1020};

void BM_BandMoveEmpty(benchmark::State &state)
{
    BandMove(state, 0, ShortAnchor, ShortEnd);
}
BENCHMARK(BM_BandMoveEmpty)->Unit(benchmark::kMicrosecond)->Apply(Repeated);

void BM_BandMove(benchmark::State &state)
{
    BandMove(state, LargeDesign, ShortAnchor, ShortEnd);
}
BENCHMARK(BM_BandMove)->Unit(benchmark::kMicrosecond)->Apply(Repeated);

// The same with the live preview playing the design beside the canvas.
void BM_BandMoveLivePreview(benchmark::State &state)
{
    BandMove(state, LargeDesign, ShortAnchor, ShortEnd, true);
}
BENCHMARK(BM_BandMoveLivePreview)->Unit(benchmark::kMicrosecond)->Apply(Repeated);

void BM_LongBandMoveEmpty(benchmark::State &state)
{
    BandMove(state, 0, LongAnchor, LongEnd);
}
BENCHMARK(BM_LongBandMoveEmpty)->Unit(benchmark::kMicrosecond)->Apply(Repeated);

void BM_LongBandMove(benchmark::State &state)
{
    BandMove(state, LargeDesign, LongAnchor, LongEnd);
}
BENCHMARK(BM_LongBandMove)->Unit(benchmark::kMicrosecond)->Apply(Repeated);

// The right click that ends an entry of three vertices, timed until the end
// of the next paint, which shows the new shape and its copies. Each shape is
// entered, painted and its recovery copy written before the timing starts.
void FinishShape(benchmark::State &state, int shapes, const CopySettings &copying, bool recover)
{
    // In XDG_STATE_HOME, which main() points at a temporary folder.
    std::unique_ptr<CRecoveryFile> recovery;
    if (recover) {
        recovery = std::make_unique<CRecoveryFile>();
        if (recovery->FileName().isEmpty()) {
            state.SkipWithError("no recovery slot");
            return;
        }
    }
    auto window = OpenWindow(state, shapes, recovery.get());
    if (!window)
        return;
    window->Options().SetCopying(copying);
    Settle();

    const QPoint vertices[] = {{1060, 400}, {1160, 420}, {1100, 520}};
    const std::size_t added = static_cast<std::size_t>(copying.copies * (copying.mirror ? 2 : 1));
    std::size_t expected = window->Shapes().size();
    double ownSeconds = 0.0;
    for (auto _ : state) {
        for (const QPoint &vertex : vertices)
            QTest::mouseClick(&window->Canvas(), Qt::LeftButton, {}, OnCanvas(vertex));
        Move(*window, vertices[0]);
        Settle();
        if (recovery)
            recovery->Flush();

        const int before = window->paints;
        const double ownStart = ThreadSeconds();
        const auto start = std::chrono::steady_clock::now();
        QTest::mouseClick(&window->Canvas(), Qt::RightButton, {}, OnCanvas(vertices[0]));
        const bool painted = UntilPainted(*window, before);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        ownSeconds += ThreadSeconds() - ownStart;
        state.SetIterationTime(took.count());
        expected += added;
        if (!painted || window->Shapes().size() != expected) {
            state.SkipWithError("the shape was not added and painted");
            break;
        }
    }
    if (recovery) {
        recovery->Flush();
        window.reset();
        recovery->Close();
    }
    state.counters["shapes_after"] = static_cast<double>(expected);
    // The window thread's own processor time per click, in milliseconds.
    state.counters["thread_cpu_ms"] =
        ownSeconds * 1e3 / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
}

// A fixed count: every iteration adds to the design.
constexpr int FinishIterations = 10;

void BM_FinishShape(benchmark::State &state)
{
    FinishShape(state, LargeDesign, {}, true);
}
BENCHMARK(BM_FinishShape)
    ->Iterations(FinishIterations)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Apply(Repeated);

// The same without a recovery copy, to show what writing it costs the click.
void BM_FinishShapeNoRecovery(benchmark::State &state)
{
    FinishShape(state, LargeDesign, {}, false);
}
BENCHMARK(BM_FinishShapeNoRecovery)
    ->Iterations(FinishIterations)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Apply(Repeated);

// 24 copies and their mirror images: 48 shapes a click.
void BM_FinishShapeCopies(benchmark::State &state)
{
    FinishShape(state, SmallDesign, {24, 360, false, 1, true}, true);
}
BENCHMARK(BM_FinishShapeCopies)
    ->Iterations(FinishIterations)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Apply(Repeated);

// A spiral of 360 copies over two turns, each 0.99 of the last, and their
// mirror images: 720 shapes a click on the large design.
void BM_FinishShapeSpiral(benchmark::State &state)
{
    FinishShape(state, LargeDesign, {360, 720, false, 0.99, true}, true);
}
BENCHMARK(BM_FinishShapeSpiral)
    ->Iterations(FinishIterations)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Apply(Repeated);

} // namespace
