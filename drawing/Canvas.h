#pragma once

#include "model/ObjectStorage.h"
#include "model/PolarPoint.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <optional>
#include <vector>

class QImage;
class QPainter;

// The control strip along the top of the window; the canvas is below it.
inline constexpr int StripHeight = 50;
// Pitch of the dot grid and of snapping.
inline constexpr int GridPitch = 10;
// Colour of the axes and the grid dots.
inline const QColor GridColour{100, 100, 100};
// Polar guides: a ring every this many pixels from the centre, in this colour.
inline constexpr int GuideRingPitch = 50;
inline const QColor GuideColour{190, 205, 230};

// What painting reads of the editor window.
struct CanvasView
{
    QSize client;           // the window's client area
    double scale = 1.0;
    double rotation = 0.0;  // radians, non-zero only while animating
    bool animating = false; // a plain canvas, without axes, guides and dots
    int guideSpokes = 0;    // polar guides with this many spokes; 0 for none

    bool operator==(const CanvasView &) const = default;
};

// The canvas: the client area below the strip.
QRect CanvasRect(QSize client);

// The origin of every polar coordinate: (W / 2, H / 2 + 25).
QPoint CanvasCentre(QSize client);

// Polar form of a client-area pixel at the given scale and rotation.
// Nothing when the scale or rotation can give no finite point.
std::optional<PolarPoint> ToPolar(QPoint pixel, QSize client, double scale, double rotation);

// Paints the canvas: background, axes, guides, every shape in order, then the
// dots. Never draws outside the canvas rectangle.
void PaintCanvas(QPainter &painter, const CanvasView &view, const ShapeList &shapes);

// The same on an image, the shapes shared out among the processor's cores;
// the pixels are those of PaintCanvas.
void PaintCanvasInParallel(QImage &image, const CanvasView &view, const ShapeList &shapes);
// The same with only the first count shapes, and the dots or not.
void PaintCanvasInParallel(QImage &image, const CanvasView &view, const ShapeList &shapes,
                           std::size_t count, bool dots);

// The layers of a canvas, for painting parts of it again: the background,
// axes and guides (with the clip of a whole paint); the given shapes, in that
// order, within area; the dots of the grid that lie in area. A shape drawn
// within an area gives there exactly the pixels of a whole paint.
void PaintUnderlay(QPainter &painter, const CanvasView &view);
void PaintShapesAt(QPainter &painter, const CanvasView &view, const ShapeList &shapes,
                   const std::vector<std::size_t> &which, const QRegion &area);
void PaintDots(QPainter &painter, QSize client, const QRect &area);

// Draws shapes [first, end) over a canvas PaintCanvas painted, with the dots
// put back on top of them; returns the pixels that may have changed.
QRect PaintAddedShapes(QPainter &painter, const CanvasView &view, const ShapeList &shapes,
                       std::size_t first);
