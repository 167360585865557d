#include "drawing/Canvas.h"

#include "model/DrawMapping.h"

#include <QImage>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

QImage FrameImage(QSize canvas, QImage::Format format)
{
    return QImage(canvas + QSize(0, FrameTop), format);
}

QImage CanvasOf(const QImage &frame)
{
    return QImage(frame.constScanLine(FrameTop), frame.width(), frame.height() - FrameTop, frame.bytesPerLine(),
                  frame.format());
}

CFramePainter::CFramePainter(QImage *frame)
    : QPainter(frame)
{
    translate(0, FrameTop);
}

QImage PaintCanvasImage(const CanvasView &view, const ShapeList &shapes)
{
    QImage frame = FrameImage(view.viewport.canvas, view.transparent ? QImage::Format_ARGB32_Premultiplied
                                                                     : QImage::Format_RGB32);
    if (frame.isNull())
        return frame;
    {
        CFramePainter painter(&frame);
        PaintCanvas(painter, view, shapes);
    }
    return CanvasOf(frame).copy();
}

namespace {

void PaintBackground(QPainter &painter, const QRect &canvas, const CanvasView &view)
{
    if (view.transparent) {
        const QPainter::CompositionMode mode = painter.compositionMode();
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(canvas, Qt::transparent);
        painter.setCompositionMode(mode);
    } else {
        painter.fillRect(canvas, Qt::white);
    }
    if (!view.frame)
        return;
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    // A Qt outline covers one pixel more than the rectangle; keep it inside.
    painter.drawRect(canvas.adjusted(0, 0, -1, -1));
}

void PaintAxes(QPainter &painter, const CViewport &view)
{
    painter.setPen(QPen(GridColour, 0, Qt::DashDotLine));
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawLine(view.centre.x(), 0, view.centre.x(), view.canvas.height());
    painter.drawLine(0, view.centre.y(), view.canvas.width(), view.centre.y());
}

void PaintGuides(QPainter &painter, const QRect &canvas, QPoint centre, int spokes)
{
    // Far enough to leave the canvas from the centre in any direction.
    const double reach = std::hypot(canvas.width(), canvas.height()) + GuideRingPitch;
    painter.setPen(QPen(GuideColour, 0));
    painter.setBrush(Qt::NoBrush);
    for (int r = GuideRingPitch; r < reach; r += GuideRingPitch)
        painter.drawEllipse(centre, r, r);
    for (int k = 0; k < spokes; ++k) {
        const double angle = k * 2 * Pi / spokes;
        painter.drawLine(centre, centre + QPoint(static_cast<int>(std::sin(angle) * reach),
                                                 static_cast<int>(-std::cos(angle) * reach)));
    }
}

// Below this many shapes a second thread costs more than it saves.
constexpr std::size_t ShapesPerThread = 32;

// Draws one shape as the view has it: a smooth one about the middle of the
// centre's pixel, where the plain one puts the centre.
void DrawShape(QPainter &painter, const CViewport &view, const CObjectStorage &shape)
{
    const QPoint centre = view.centre;
    if (view.smooth)
        shape.DrawSmooth(painter, view.scale, view.rotation, QPointF(centre) + QPointF(0.5, 0.5));
    else
        shape.Draw(painter, view.scale, view.rotation, centre.x(), centre.y());
}

} // namespace

void PaintShapes(QPainter &painter, const CViewport &view, const ShapeList &shapes,
                 std::size_t first, std::size_t end)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(view.CanvasRect());
    for (std::size_t i = first; i < end; ++i)
        DrawShape(painter, view, *shapes[i]);
}

QRect DrawnBox(const CObjectStorage &shape, const CViewport &view)
{
    const QRect box = shape.DrawnBounds(view.scale, view.rotation, view.centre.x(), view.centre.y());
    return view.smooth && !box.isNull() ? box.adjusted(-1, -1, 1, 1) : box;
}

std::vector<QPoint> GridDots(const CViewport &view, const QRect &area)
{
    std::vector<QPoint> dots;
    const QRect box = area & view.CanvasRect();
    if (box.isEmpty())
        return dots;
    const auto firstOnGrid = [](int v, int origin) {
        const int offset = v - origin;
        return origin + (offset + GridPitch - 1) / GridPitch * GridPitch;
    };
    dots.reserve(static_cast<std::size_t>((box.width() / GridPitch + 1) *
                                          (box.height() / GridPitch + 1)));
    for (int y = firstOnGrid(box.top(), view.gridOrigin.y()); y <= box.bottom(); y += GridPitch)
        for (int x = firstOnGrid(box.left(), view.gridOrigin.x()); x <= box.right(); x += GridPitch)
            dots.emplace_back(x, y);
    return dots;
}

// The dots of the grid that lie in area.
void PaintDots(QPainter &painter, const CViewport &view, const QRect &area)
{
    const std::vector<QPoint> dots = GridDots(view, area);
    if (dots.empty())
        return;
    painter.setPen(QPen(GridColour, 0));
    painter.drawPoints(dots.data(), static_cast<int>(dots.size()));
}

void PaintUnderlay(QPainter &painter, const CanvasView &view)
{
    const QRect canvas = view.viewport.CanvasRect();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(canvas);
    PaintBackground(painter, canvas, view);
    if (!view.viewport.animating) {
        PaintAxes(painter, view.viewport);
        if (view.guideSpokes > 0)
            PaintGuides(painter, canvas, view.viewport.centre, view.guideSpokes);
    }
}

void PaintShapesAt(QPainter &painter, const CViewport &view, const ShapeList &shapes,
                   const std::vector<std::size_t> &which, const QRegion &area)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRegion(area & view.CanvasRect());
    for (const std::size_t i : which)
        DrawShape(painter, view, *shapes[i]);
}

void PaintCanvas(QPainter &painter, const CanvasView &view, const ShapeList &shapes)
{
    const CViewport &viewport = view.viewport;
    if (viewport.CanvasRect().isEmpty())
        return;
    painter.save(); // pen, brush, clip, background mode and hints come back at the end
    PaintUnderlay(painter, view);
    PaintShapes(painter, viewport, shapes, 0, shapes.size());
    if (!viewport.animating)
        PaintDots(painter, viewport, viewport.CanvasRect());
    painter.restore();
}

void PaintCanvasInParallel(QImage &image, const CanvasView &view, const ShapeList &shapes)
{
    PaintCanvasInParallel(image, view, shapes, shapes.size(), !view.viewport.animating);
}

void PaintCanvasInParallel(QImage &image, const CanvasView &view, const ShapeList &shapes,
                           std::size_t count, bool dots)
{
    const std::size_t threads = std::clamp<std::size_t>(
        count / ShapesPerThread, 1, static_cast<std::size_t>(QThread::idealThreadCount()));
    const CViewport &viewport = view.viewport;
    if (viewport.CanvasRect().isEmpty())
        return;
    // Each helper thread draws a run of the shapes, the later runs on layers
    // of their own, transparent where they draw nothing. Every drawing is
    // opaque, so laying the layers over each other in order gives the very
    // pixels of drawing the runs one after another. (Bands of rows would not:
    // a line cut at a band's edge is stepped from a rounded start and can
    // move a pixel.)
    const auto runEnd = [&](std::size_t run) { return count * run / threads; };
    std::vector<QImage> layers(threads - 1);
    std::vector<std::thread> helpers;
    for (std::size_t run = 1; run < threads; ++run) {
        helpers.emplace_back([&, run] {
            QImage &layer = layers[run - 1];
            layer = QImage(image.size(), QImage::Format_ARGB32_Premultiplied);
            layer.fill(Qt::transparent);
            CFramePainter painter(&layer);
            PaintShapes(painter, viewport, shapes, runEnd(run), runEnd(run + 1));
        });
    }
    CFramePainter painter(&image);
    PaintUnderlay(painter, view);
    PaintShapes(painter, viewport, shapes, 0, runEnd(1));
    for (std::size_t run = 1; run < threads; ++run) {
        helpers[run - 1].join();
        painter.drawImage(QPoint(0, -FrameTop), layers[run - 1]);
    }
    if (dots)
        PaintDots(painter, viewport, viewport.CanvasRect());
}

QRect PaintAddedShapes(QPainter &painter, const CanvasView &view, const ShapeList &shapes,
                       std::size_t first)
{
    const CViewport &viewport = view.viewport;
    QRect changed;
    for (std::size_t i = first; i < shapes.size(); ++i)
        changed |= DrawnBox(*shapes[i], viewport);
    changed &= viewport.CanvasRect();
    if (changed.isEmpty())
        return {};

    painter.save();
    PaintShapes(painter, viewport, shapes, first, shapes.size());
    if (!viewport.animating)
        PaintDots(painter, viewport, changed);
    painter.restore();
    return changed;
}
