#include "drawing/Canvas.h"

#include <QImage>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

QRect CanvasRect(QSize client)
{
    return QRect(QPoint(0, StripHeight), QPoint(client.width() - 1, client.height() - 1));
}

QPoint CanvasCentre(QSize client)
{
    return {client.width() / 2, client.height() / 2 + StripHeight / 2};
}

std::optional<PolarPoint> ToPolar(QPoint pixel, QSize client, double scale, double rotation)
{
    if (scale == 0.0 || !std::isfinite(scale) || !std::isfinite(rotation))
        return std::nullopt;

    const QPoint centre = CanvasCentre(client);
    const double dx = static_cast<double>(pixel.x()) - centre.x();
    const double dy = -(static_cast<double>(pixel.y()) - centre.y()); // grows upward

    PolarPoint point;
    point.radius = std::sqrt(dx * dx + dy * dy) / scale;
    if (dy > 0)
        point.angle = std::atan(dx / dy);
    else if (dy < 0)
        point.angle = std::atan(dx / dy) + Pi;
    else if (dx > 0)
        point.angle = Pi / 2; // straight right
    else if (dx < 0)
        point.angle = -Pi / 2; // straight left
    else
        point.angle = 0.0; // the centre itself
    point.angle -= rotation;

    if (!std::isfinite(point.angle) || !std::isfinite(point.radius))
        return std::nullopt;
    return point;
}

namespace {

void PaintBackground(QPainter &painter, const QRect &canvas)
{
    painter.fillRect(canvas, Qt::white);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    // A Qt outline covers one pixel more than the rectangle; keep it inside.
    painter.drawRect(canvas.adjusted(0, 0, -1, -1));
}

void PaintAxes(QPainter &painter, QSize client, QPoint centre)
{
    painter.setPen(QPen(GridColour, 0, Qt::DashDotLine));
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawLine(client.width() / 2, StripHeight, client.width() / 2, client.height());
    painter.drawLine(0, centre.y(), client.width(), centre.y());
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

void PaintShapes(QPainter &painter, const CanvasView &view, const ShapeList &shapes,
                 std::size_t first, std::size_t end)
{
    const QPoint centre = CanvasCentre(view.client);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(CanvasRect(view.client));
    for (std::size_t i = first; i < end; ++i)
        shapes[i]->Draw(painter, view.scale, view.rotation, centre.x(), centre.y());
}

} // namespace

// The dots of the grid that lie in area.
void PaintDots(QPainter &painter, QSize client, const QRect &area)
{
    const QRect box = area & CanvasRect(client);
    if (box.isEmpty())
        return;
    const auto firstOnGrid = [](int v, int origin) {
        const int offset = v - origin;
        return origin + (offset + GridPitch - 1) / GridPitch * GridPitch;
    };
    std::vector<QPoint> dots;
    dots.reserve(static_cast<std::size_t>((box.width() / GridPitch + 1) *
                                          (box.height() / GridPitch + 1)));
    for (int y = firstOnGrid(box.top(), StripHeight); y <= box.bottom(); y += GridPitch)
        for (int x = firstOnGrid(box.left(), 0); x <= box.right(); x += GridPitch)
            dots.emplace_back(x, y);
    painter.setPen(QPen(GridColour, 0));
    painter.drawPoints(dots.data(), static_cast<int>(dots.size()));
}

void PaintUnderlay(QPainter &painter, const CanvasView &view)
{
    const QRect canvas = CanvasRect(view.client);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(canvas);
    PaintBackground(painter, canvas);
    if (!view.animating) {
        PaintAxes(painter, view.client, CanvasCentre(view.client));
        if (view.guideSpokes > 0)
            PaintGuides(painter, canvas, CanvasCentre(view.client), view.guideSpokes);
    }
}

void PaintShapesAt(QPainter &painter, const CanvasView &view, const ShapeList &shapes,
                   const std::vector<std::size_t> &which, const QRegion &area)
{
    const QPoint centre = CanvasCentre(view.client);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRegion(area & CanvasRect(view.client));
    for (const std::size_t i : which)
        shapes[i]->Draw(painter, view.scale, view.rotation, centre.x(), centre.y());
}

void PaintCanvas(QPainter &painter, const CanvasView &view, const ShapeList &shapes)
{
    if (CanvasRect(view.client).isEmpty())
        return;
    painter.save(); // pen, brush, clip, background mode and hints come back at the end
    PaintUnderlay(painter, view);
    PaintShapes(painter, view, shapes, 0, shapes.size());
    if (!view.animating)
        PaintDots(painter, view.client, CanvasRect(view.client));
    painter.restore();
}

void PaintCanvasInParallel(QImage &image, const CanvasView &view, const ShapeList &shapes)
{
    PaintCanvasInParallel(image, view, shapes, shapes.size(), !view.animating);
}

void PaintCanvasInParallel(QImage &image, const CanvasView &view, const ShapeList &shapes,
                           std::size_t count, bool dots)
{
    const std::size_t threads = std::clamp<std::size_t>(
        count / ShapesPerThread, 1, static_cast<std::size_t>(QThread::idealThreadCount()));
    if (CanvasRect(view.client).isEmpty())
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
            QPainter painter(&layer);
            PaintShapes(painter, view, shapes, runEnd(run), runEnd(run + 1));
        });
    }
    QPainter painter(&image);
    PaintUnderlay(painter, view);
    PaintShapes(painter, view, shapes, 0, runEnd(1));
    for (std::size_t run = 1; run < threads; ++run) {
        helpers[run - 1].join();
        painter.drawImage(0, 0, layers[run - 1]);
    }
    if (dots)
        PaintDots(painter, view.client, CanvasRect(view.client));
}

QRect PaintAddedShapes(QPainter &painter, const CanvasView &view, const ShapeList &shapes,
                       std::size_t first)
{
    const QPoint centre = CanvasCentre(view.client);
    QRect changed;
    for (std::size_t i = first; i < shapes.size(); ++i)
        changed |= shapes[i]->DrawnBounds(view.scale, view.rotation, centre.x(), centre.y());
    changed &= CanvasRect(view.client);
    if (changed.isEmpty())
        return {};

    painter.save();
    PaintShapes(painter, view, shapes, first, shapes.size());
    if (!view.animating)
        PaintDots(painter, view.client, changed);
    painter.restore();
    return changed;
}
