#pragma once

#include "editor/Canvas.h"
#include "model/DesignDocument.h"

#include <QImage>
#include <QRegion>

// The canvas as PaintCanvas paints it, kept as an image of the window's
// client area, so that a rubber band or an edit repaints only the pixels it
// changes instead of the whole design. It keeps the box each shape is drawn
// in, so that an edit redraws only the shapes under the pixels it changes;
// the pixels are always exactly those of a whole paint.
class CCanvasImage
{
public:
    // The view the image shows; a different one is painted afresh when next asked.
    void SetView(const CanvasView &view);
    const CanvasView &View() const { return m_view; }
    // The shapes were replaced: paint afresh when next asked.
    void Invalidate();

    // The design changed as the document's signals say; each returns the
    // pixels that changed, shapes being the design as it is now.
    QRegion Appended(const ShapeList &shapes, std::size_t first);
    QRegion Removed(const ShapeList &shapes, const Places &places);
    QRegion Inserted(const ShapeList &shapes, const Places &places);
    QRegion Changed(const ShapeList &shapes, const Places &places);
    QRegion Moved(const ShapeList &shapes, const Places &from, const Places &to);

    // Paints the area of the canvas, from the image brought up to date first.
    void Paint(QPainter &painter, const QRect &area, const ShapeList &shapes);
    // The pixels each shape may cover in the view, as DrawnBounds gives them.
    const std::vector<QRect> &Bounds(const ShapeList &shapes) const;

private:
    QRect BoundsOf(const CObjectStorage &shape) const;
    // Paints area again from the underlay and the shapes that meet it.
    QRegion Repaint(const ShapeList &shapes, QRegion area);

    CanvasView m_view;
    QImage m_image;
    QImage m_underlay; // background, axes and guides of the view, made when first needed
    QImage m_scratch;  // where a repaint is put together
    bool m_current = false; // the image shows the design in the view
    // A cache: every shape's box in the view, when m_boundsCurrent.
    mutable std::vector<QRect> m_bounds;
    mutable bool m_boundsCurrent = false;
};
