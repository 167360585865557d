// PaintCanvas against the cost it cannot avoid: filling the image and
// rasterising the same shapes from ready-made integer points. The design is
// the 1,000-shape one.
#include "bench/BenchDesign.h"

#include "drawing/Canvas.h"
#include "model/DrawMapping.h"

#include <QImage>
#include <QPainter>
#include <QThread>

#include "bench/GoalReport.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// The canvas of a window of BenchClient's client area, below the strip.
constexpr QSize BenchCanvas = BenchClient - QSize(0, FrameTop);

QImage BenchImage()
{
    return FrameImage(BenchCanvas, QImage::Format_RGB32);
}

CanvasView BenchView(double scale, double rotation = 0.0, bool animating = false)
{
    return {CViewport::Centred(BenchCanvas, scale, rotation, animating)};
}

void BM_BareFill(benchmark::State &state)
{
    QImage image = BenchImage();
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::white);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_BareFill)->Unit(benchmark::kMillisecond)->Apply(Repeated);

// What the rasteriser has to do whoever calls it: the shapes mapped once,
// outside the timing, then drawn with plain QPainter calls. Qt's raster
// engine takes a faster path for these shapes when a clip rectangle is set,
// so the reference is measured both ways and the faster one counts.
void DirectPainting(benchmark::State &state, bool clipped, double scale = 1.0,
                    double rotation = 0.0)
{
    const ShapeList shapes = MakeBenchDesign(SmallDesign);
    const QPoint centre = CanvasCentre(BenchCanvas) + QPoint(0, FrameTop);
    struct Ready
    {
        std::vector<QPoint> points;
        QColor pen;
        QColor fill;
        bool polygon;
    };
    std::vector<Ready> ready;
    for (const auto &shape : shapes) {
        Ready r;
        for (const PolarPoint &p : shape->Points())
            r.points.push_back(MapToScreen(p, scale, rotation, centre.x(), centre.y()));
        r.pen = ToQColor(shape->PenColour());
        r.fill = ToQColor(shape->FillColour());
        r.polygon = shape->Type() == CPolyStorage::TypeValue;
        ready.push_back(std::move(r));
    }

    QImage image = BenchImage();
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::white);
        if (clipped)
            painter.setClipRect(QRect(QPoint(0, FrameTop), BenchCanvas));
        for (const Ready &r : ready) {
            painter.setPen(QPen(r.pen, 0));
            if (r.polygon) {
                painter.setBrush(r.fill);
                painter.drawPolygon(r.points.data(), static_cast<int>(r.points.size()),
                                    Qt::OddEvenFill);
            } else {
                painter.drawPolyline(r.points.data(), static_cast<int>(r.points.size()));
            }
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
void BM_DirectPainting(benchmark::State &state)
{
    DirectPainting(state, false);
}
BENCHMARK(BM_DirectPainting)->Unit(benchmark::kMillisecond)->Apply(Repeated);

void BM_DirectPaintingClipped(benchmark::State &state)
{
    DirectPainting(state, true);
}
BENCHMARK(BM_DirectPaintingClipped)->Unit(benchmark::kMillisecond)->Apply(Repeated);

void PaintCanvasAt(benchmark::State &state, const CanvasView &view)
{
    const ShapeList shapes = MakeBenchDesign(SmallDesign);
    QImage image = BenchImage();
    for (auto _ : state) {
        CFramePainter painter(&image);
        PaintCanvas(painter, view, shapes);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

// What PaintCanvas adds of its own: background, axes and the dot grid.
void BM_PaintCanvasNoShapes(benchmark::State &state)
{
    const ShapeList none;
    const CanvasView view = BenchView(1.0);
    QImage image = BenchImage();
    for (auto _ : state) {
        CFramePainter painter(&image);
        PaintCanvas(painter, view, none);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PaintCanvasNoShapes)->Unit(benchmark::kMillisecond)->Apply(Repeated);

void BM_PaintCanvas(benchmark::State &state)
{
    PaintCanvasAt(state, BenchView(1.0));
}
BENCHMARK(BM_PaintCanvas)->Unit(benchmark::kMillisecond)->Apply(Repeated);

// The same with Smooth Edges: every shape antialiased at its unrounded vertices.
void BM_PaintCanvasSmooth(benchmark::State &state)
{
    CanvasView view = BenchView(1.0);
    view.viewport.smooth = true;
    PaintCanvasAt(state, view);
}
BENCHMARK(BM_PaintCanvasSmooth)->Unit(benchmark::kMillisecond)->Apply(Repeated);

// The shapes shared among the cores, as the window paints its canvas image.
// Real time: the point is the wait, and the processor time of the helper
// threads would not show in this thread's.
void BM_PaintCanvasInParallel(benchmark::State &state)
{
    const ShapeList shapes = MakeBenchDesign(SmallDesign);
    const CanvasView view = BenchView(1.0);
    QImage image = BenchImage();
    for (auto _ : state) {
        PaintCanvasInParallel(image, view, shapes);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["cores"] = QThread::idealThreadCount();
}
BENCHMARK(BM_PaintCanvasInParallel)->Unit(benchmark::kMillisecond)->UseRealTime()->Apply(Repeated);

// The Test animation's dearest frame, its last: scale 1.54, turned by 10.8
// radians, no axes or dots. Against the same shapes from ready points.
constexpr double LastFrameScale = 0.1 + 360 * 0.004;
constexpr double LastFrameRotation = 360 * 0.03;

void BM_LastFrameDirect(benchmark::State &state)
{
    DirectPainting(state, true, LastFrameScale, LastFrameRotation);
}
BENCHMARK(BM_LastFrameDirect)->Unit(benchmark::kMillisecond)->Apply(Repeated);

void BM_LastFramePaintCanvas(benchmark::State &state)
{
    PaintCanvasAt(state, BenchView(LastFrameScale, LastFrameRotation, true));
}
BENCHMARK(BM_LastFramePaintCanvas)->Unit(benchmark::kMillisecond)->Apply(Repeated);

} // namespace

namespace {

// The same design seen at a scale that throws every vertex far outside the
// window, as a design entered at a small scale and shown at a large one.
void BM_PaintCanvasFarVertices(benchmark::State &state)
{
    PaintCanvasAt(state,
                  BenchView(static_cast<double>(state.range(0))));
}
BENCHMARK(BM_PaintCanvasFarVertices)->Arg(10)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Apply(Repeated);

} // namespace
