#include "editor/Canvas.h"

#include <QPainter>

#include <cmath>
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

void PaintDots(QPainter &painter, QSize client)
{
    if (client.width() <= 0 || client.height() <= StripHeight)
        return;
    const int columns = (client.width() + GridPitch - 1) / GridPitch;
    const int rows = (client.height() - StripHeight + GridPitch - 1) / GridPitch;
    std::vector<QPoint> dots;
    dots.reserve(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    for (int y = StripHeight; y < client.height(); y += GridPitch)
        for (int x = 0; x < client.width(); x += GridPitch)
            dots.emplace_back(x, y);
    painter.setPen(QPen(GridColour, 0));
    painter.drawPoints(dots.data(), static_cast<int>(dots.size()));
}

} // namespace

void PaintCanvas(QPainter &painter, const CanvasView &view, const ShapeList &shapes)
{
    const QRect canvas = CanvasRect(view.client);
    if (canvas.isEmpty())
        return;
    const QPoint centre = CanvasCentre(view.client);

    painter.save(); // pen, brush, clip, background mode and hints come back at the end
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(canvas);

    PaintBackground(painter, canvas);
    if (!view.animating)
        PaintAxes(painter, view.client, centre);
    for (const auto &shape : shapes)
        shape->Draw(painter, view.scale, view.rotation, centre.x(), centre.y());
    if (!view.animating)
        PaintDots(painter, view.client);

    painter.restore();
}
