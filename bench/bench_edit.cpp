// Editing a large design in the window at 1920 x 1080: undo and redo, the
// commands on a selected shape near the top and deep in the design, a drag,
// and the click that picks a shape; each timed from the key or pointer event
// to the end of the paint it causes.
#include "bench/BenchDesign.h"
#include "bench/BenchWindow.h"
#include "bench/GoalReport.h"

#include "tools/Picking.h"
#include "palette/ColourComboBox.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <QTest>

#include <chrono>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

// The event's work to the end of the paint it causes, in seconds; a
// negative time when nothing was painted.
double Timed(CCountingDlg &window, const std::function<void()> &event)
{
    Settle();
    const int before = window.paints;
    const auto start = Clock::now();
    event();
    if (!UntilPainted(window, before))
        return -1.0;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Each iteration times one key (or event), then puts the design back untimed.
void TimeEach(benchmark::State &state, CCountingDlg &window, const std::function<void()> &timed,
              const std::function<void()> &back)
{
    for (auto _ : state) {
        const double seconds = Timed(window, timed);
        if (seconds < 0) {
            state.SkipWithError("nothing was painted");
            return;
        }
        state.SetIterationTime(seconds);
        back();
        Settle();
    }
}

void Key(CCountingDlg &window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(&window, key, modifiers);
}

// The window in select mode with the shape at place selected.
std::unique_ptr<CCountingDlg> Selecting(benchmark::State &state, int shapes, int place, bool livePreview = false)
{
    auto window = OpenWindow(state, shapes, nullptr, livePreview);
    if (window) {
        window->Tools().SetSelecting(true);
        window->Selection().Set({place});
        Settle();
    }
    return window;
}

// Among shapes [first, first + 100), the one whose drawn box is nearest to a
// tenth of the canvas.
int TenthOfTheCanvas(CCountingDlg &window, int first)
{
    const CViewport &view = window.Canvas().Viewport();
    const double tenth = view.canvas.width() * view.canvas.height() / 10.0;
    int best = first;
    double nearest = 1e300;
    for (int i = first; i < first + 100; ++i) {
        const QRect box = window.Shapes()[static_cast<std::size_t>(i)]->DrawnBounds(view.scale, 0, view.centre.x(), view.centre.y());
        const double off = std::abs(box.width() * box.height() - tenth);
        if (off < nearest) {
            nearest = off;
            best = i;
        }
    }
    return best;
}

constexpr int Top = LargeDesign - 50; // one of the 100 shapes on top

// The last step: one more 49-vertex shape.
void AddOne(CCountingDlg &window)
{
    window.Document().AddShapes(MakeBenchDesign(1, 99));
}

void BM_EditUndo(benchmark::State &state)
{
    auto window = OpenWindow(state, LargeDesign);
    if (!window)
        return;
    AddOne(*window);
    TimeEach(state, *window, [&] { Key(*window, Qt::Key_Z, Qt::ControlModifier); },
             [&] { Key(*window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); });
}

void BM_EditRedo(benchmark::State &state)
{
    auto window = OpenWindow(state, LargeDesign);
    if (!window)
        return;
    AddOne(*window);
    Key(*window, Qt::Key_Z, Qt::ControlModifier);
    TimeEach(state, *window, [&] { Key(*window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); },
             [&] { Key(*window, Qt::Key_Z, Qt::ControlModifier); });
}

void EditKey(benchmark::State &state, int place, Qt::Key key, Qt::KeyboardModifiers modifiers,
             bool livePreview = false)
{
    auto window = Selecting(state, LargeDesign, place, livePreview);
    if (!window)
        return;
    TimeEach(state, *window, [&] { Key(*window, key, modifiers); }, [&] {
        Key(*window, Qt::Key_Z, Qt::ControlModifier);
        window->Selection().Set({place});
    });
}

void BM_EditDeleteTop(benchmark::State &state)
{
    EditKey(state, Top, Qt::Key_Delete, Qt::NoModifier);
}

void BM_EditTurnTop(benchmark::State &state)
{
    EditKey(state, Top, Qt::Key_Right, Qt::ControlModifier);
}

void BM_EditColourTop(benchmark::State &state)
{
    auto window = Selecting(state, LargeDesign, Top);
    if (!window)
        return;
    int colour = 0;
    TimeEach(state, *window, [&] { emit window->Background().activated(++colour % 2 + 1); }, [] {});
}

// Deep in the design, a shape whose box is a tenth of the canvas; against a
// repaint of the whole canvas (the guides shown or hidden).
void BM_EditTurnDeep(benchmark::State &state)
{
    auto window = OpenWindow(state, LargeDesign);
    if (!window)
        return;
    const int deep = TenthOfTheCanvas(*window, 100);
    window->Tools().SetSelecting(true);
    window->Selection().Set({deep});
    TimeEach(state, *window, [&] { Key(*window, Qt::Key_Right, Qt::ControlModifier); }, [&] {
        Key(*window, Qt::Key_Z, Qt::ControlModifier);
    });
}

void BM_WholeRepaint(benchmark::State &state)
{
    auto window = OpenWindow(state, LargeDesign);
    if (!window)
        return;
    bool guides = false;
    TimeEach(state, *window, [&] { window->Options().SetGuides(guides = !guides); }, [] {});
}

// The same with the live preview playing beside the canvas.
void BM_EditTurnTopLivePreview(benchmark::State &state)
{
    EditKey(state, Top, Qt::Key_Right, Qt::ControlModifier, true);
}

// A pointer move while a vertex of a shape near the top is dragged, the
// live preview playing or not.
void DragTop(benchmark::State &state, bool livePreview)
{
    auto window = Selecting(state, LargeDesign, Top, livePreview);
    if (!window)
        return;
    // In the client area, as Move() takes it.
    const QPoint handle = DrawnPoints(*window->Shapes()[Top], window->Canvas().Viewport())[0] - OnCanvas({});
    QTest::mousePress(&window->Canvas(), Qt::LeftButton, {}, OnCanvas(handle));
    bool swing = false;
    TimeEach(state, *window, [&] { Move(*window, handle + ((swing = !swing) ? QPoint(20, 20) : QPoint(-20, 10)), Qt::LeftButton); },
             [] {});
    QTest::mouseRelease(&window->Canvas(), Qt::LeftButton, {}, OnCanvas(handle));
}

void BM_EditDragTop(benchmark::State &state)
{
    DragTop(state, false);
}

void BM_EditDragTopLivePreview(benchmark::State &state)
{
    DragTop(state, true);
}

// The click that picks a shape: near the centre, where the top shape lies,
// and 470 pixels right of it, beyond every star, where the boxes of most
// polylines lie but few of their lines, so that half the shapes are tested
// to their outlines.
void PickClick(benchmark::State &state, int shapes, bool beyondStars)
{
    auto window = OpenWindow(state, shapes);
    if (!window)
        return;
    window->Tools().SetSelecting(true);
    const QPoint at = window->Canvas().Viewport().centre - OnCanvas({}) + (beyondStars ? QPoint(470, 0) : QPoint(37, 23));
    int picked = -1;
    TimeEach(state, *window, [&] { QTest::mouseClick(&window->Canvas(), Qt::LeftButton, {}, OnCanvas(at)); },
             [&] {
                 picked = window->Selection().IsEmpty() ? -1 : window->Selection().Shapes().first();
                 window->Selection().Clear();
             });
    state.counters["picked"] = picked;
}

void BM_PickClick(benchmark::State &state)
{
    PickClick(state, LargeDesign, false);
}

void BM_PickClickBeyondStars(benchmark::State &state)
{
    PickClick(state, LargeDesign, true);
}

void BM_PickClickLargest(benchmark::State &state)
{
    PickClick(state, 65535, false);
}

void BM_PickClickLargestBeyondStars(benchmark::State &state)
{
    PickClick(state, 65535, true);
}

// A pan step during a middle drag: the pointer moves one grid step, back
// and forth, and the canvas image moves; at scale 1 and at 2, where most
// shapes cross the strips it uncovers.
void PanStep(benchmark::State &state, double scale)
{
    auto window = OpenWindow(state, LargeDesign);
    if (!window)
        return;
    window->Options().SetScale(scale);
    window->Canvas().repaint();
    Settle();
    const QPoint at(900, 500); // in the client area
    QTest::mousePress(&window->Canvas(), Qt::MiddleButton, {}, OnCanvas(at));
    bool swing = false;
    TimeEach(state, *window, [&] { Move(*window, at + QPoint((swing = !swing) ? 10 : 0, 0), Qt::MiddleButton); }, [] {});
    QTest::mouseRelease(&window->Canvas(), Qt::MiddleButton, {}, OnCanvas(at));
}

void BM_PanStep(benchmark::State &state)
{
    PanStep(state, 1);
}

void BM_PanStepZoomed(benchmark::State &state)
{
    PanStep(state, 2);
}

void Wheel(CCountingDlg &window, QPoint at, int notches)
{
    QWidget &canvas = window.Canvas();
    QWheelEvent wheel(OnCanvas(at), canvas.mapToGlobal(OnCanvas(at)), {}, {0, 120 * notches}, Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&canvas, &wheel);
}

// A zoom step, Ctrl+wheel about a point off the centre, in and out: the
// picture that follows at once, then (timed alone) the exact pixels.
void BM_ZoomStep(benchmark::State &state)
{
    auto window = OpenWindow(state, LargeDesign);
    if (!window)
        return;
    int notches = 1;
    TimeEach(state, *window, [&] { Wheel(*window, {1200, 300}, notches = -notches); }, [] {});
    window->Canvas().Refine();
}

void BM_ZoomExact(benchmark::State &state)
{
    auto window = OpenWindow(state, LargeDesign);
    if (!window)
        return;
    int notches = 1;
    Wheel(*window, {1200, 300}, notches);
    window->Canvas().repaint();
    TimeEach(state, *window, [&] { window->Canvas().Refine(); }, [&] {
        Wheel(*window, {1200, 300}, notches = -notches);
        window->Canvas().repaint();
    });
}

#define EDIT_BENCHMARK(name) BENCHMARK(name)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20)->Apply(Repeated)
EDIT_BENCHMARK(BM_EditUndo);
EDIT_BENCHMARK(BM_EditRedo);
EDIT_BENCHMARK(BM_EditDeleteTop);
EDIT_BENCHMARK(BM_EditTurnTop);
EDIT_BENCHMARK(BM_EditColourTop);
EDIT_BENCHMARK(BM_EditTurnDeep);
EDIT_BENCHMARK(BM_WholeRepaint);
EDIT_BENCHMARK(BM_EditDragTop);
EDIT_BENCHMARK(BM_EditTurnTopLivePreview);
EDIT_BENCHMARK(BM_EditDragTopLivePreview);
EDIT_BENCHMARK(BM_PickClick);
EDIT_BENCHMARK(BM_PickClickBeyondStars);
EDIT_BENCHMARK(BM_PanStep);
EDIT_BENCHMARK(BM_PanStepZoomed);
EDIT_BENCHMARK(BM_ZoomStep);
BENCHMARK(BM_ZoomExact)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3)->Apply(Repeated);
BENCHMARK(BM_PickClickLargest)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_PickClickLargestBeyondStars)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
