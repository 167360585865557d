#pragma once

#include "model/ObjectStorage.h"
#include "drawing/Viewport.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRegion>

#include <vector>

class QImage;

// Colour of the axes and the grid dots.
inline const QColor GridColour{100, 100, 100};
// Polar guides: a ring every this many pixels from the centre, in this colour.
inline constexpr int GuideRingPitch = 50;
inline const QColor GuideColour{190, 205, 230};

// Every canvas is rasterised in the frame of the window's client area,
// whose corner lies FrameTop rows above the canvas: the painter's arithmetic
// (where a line cut at the canvas's edge starts its steps) depends on where
// the pixels lie on the device, and so every picture, frame and image of the
// canvas is exactly what the window has always shown. An image in that frame
// holds FrameTop rows above the canvas that nothing paints; a CFramePainter
// on it takes the canvas's own pixels.
inline constexpr int FrameTop = 50;
QImage FrameImage(QSize canvas, QImage::Format format);
// The canvas's pixels of a frame image, and a box of the canvas as the frame image's pixels.
QImage CanvasOf(const QImage &frame);
inline QRect FrameRect(const QRect &box) { return box.translated(0, FrameTop); }

class CFramePainter : public QPainter
{
public:
    explicit CFramePainter(QImage *frame);
};

// What painting reads of a view: the viewport, and the polar guides beside it.
struct CanvasView
{
    CViewport viewport;
    int guideSpokes = 0; // polar guides with this many spokes; 0 for none
    bool frame = true;        // the black line round the canvas
    bool transparent = false; // the white left out: on an image with alpha, transparent pixels

    bool operator==(const CanvasView &) const = default;
};

// Paints the canvas: background, axes, guides, every shape in order, then the
// dots. Never draws outside the canvas rectangle, (0, 0) to its size. The
// painter takes canvas pixels; on a raster device, a CFramePainter.
void PaintCanvas(QPainter &painter, const CanvasView &view, const ShapeList &shapes);
// The canvas painted so as an image of its size (with alpha when
// transparent); a null image without the memory for it.
QImage PaintCanvasImage(const CanvasView &view, const ShapeList &shapes);

// The same on a frame image, the shapes shared out among the processor's
// cores; the pixels are those of PaintCanvas.
void PaintCanvasInParallel(QImage &image, const CanvasView &view, const ShapeList &shapes);
// The same with only the first count shapes, and the dots or not.
void PaintCanvasInParallel(QImage &image, const CanvasView &view, const ShapeList &shapes,
                           std::size_t count, bool dots);

// The layers of a canvas, for painting parts of it again: the background,
// axes and guides (with the clip of a whole paint); the given shapes, in that
// order, within area; the dots of the grid that lie in area. A shape drawn
// within an area gives there exactly the pixels of a whole paint.
void PaintUnderlay(QPainter &painter, const CanvasView &view);
void PaintShapesAt(QPainter &painter, const CViewport &view, const ShapeList &shapes,
                   const std::vector<std::size_t> &which, const QRegion &area);
void PaintDots(QPainter &painter, const CViewport &view, const QRect &area);
// The pixels of those dots.
std::vector<QPoint> GridDots(const CViewport &view, const QRect &area);
// Shapes [first, end) over the whole canvas, as a whole paint draws them.
void PaintShapes(QPainter &painter, const CViewport &view, const ShapeList &shapes,
                 std::size_t first, std::size_t end);
// The pixels drawing the shape in the view can touch.
QRect DrawnBox(const CObjectStorage &shape, const CViewport &view);

// Draws shapes [first, end) over a canvas PaintCanvas painted, with the dots
// put back on top of them; returns the pixels that may have changed.
QRect PaintAddedShapes(QPainter &painter, const CanvasView &view, const ShapeList &shapes,
                       std::size_t first);
