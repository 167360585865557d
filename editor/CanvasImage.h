#pragma once

#include "editor/Canvas.h"
#include "model/DesignDocument.h"

#include <QImage>
#include <QRegion>

// The canvas as PaintCanvas paints it, kept as an image of the window's
// client area, so that a rubber band or an edit repaints only the pixels it
// changes instead of the whole design. It keeps the box each shape is drawn
// in, so that an edit redraws only the shapes that meet the pixels it
// changes, and an image of the canvas below the top shapes, so that an edit
// of those redraws only a few shapes. The pixels are always exactly those of
// a whole paint.
class CCanvasImage
{
public:
    // Shapes drawn on the image of what lies below them: about this many.
    static constexpr std::size_t TopShapes = 128;

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
    // Where shapes inserted at places (numbered as after) fall: how many go
    // below the top shapes.
    std::size_t InsertedBelow(const Places &places) const;
    // Paints area again; below: shapes under the top ones changed there too.
    QRegion Repaint(const ShapeList &shapes, QRegion area, bool below);
    // Keeps the top shapes few: those past TopShapes go onto the image below.
    void Settle(const ShapeList &shapes);

    CanvasView m_view;
    QImage m_image;
    QImage m_underlay; // background, axes and guides of the view, made when first needed
    QImage m_below;    // the underlay and shapes [0, m_split)
    std::size_t m_split = 0;
    bool m_current = false; // the images show the design in the view
    // A cache: every shape's box in the view, when m_boundsCurrent.
    mutable std::vector<QRect> m_bounds;
    mutable bool m_boundsCurrent = false;
};
