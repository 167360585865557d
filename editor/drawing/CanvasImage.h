#pragma once

#include "drawing/Canvas.h"
#include "model/DesignDocument.h"

#include <QImage>
#include <QRegion>

// The canvas as PaintCanvas paints it, kept as an image of the canvas,
// so that a rubber band or an edit repaints only the pixels it
// changes instead of the whole design. It keeps the box each shape is drawn
// in, so that an edit redraws only the shapes that meet the pixels it
// changes, and an image of the canvas below the top shapes, so that an edit
// of those redraws only a few shapes. Below them the shapes lie in a few
// runs, each on a layer of its own, so that an edit deep in a large design
// redraws only its run's shapes and lays the layers over each other again.
// The pixels are always exactly those of a whole paint (with smooth edges,
// but for the rounding of blending a layer's edges over those below).
class CCanvasImage
{
public:
    // Shapes drawn on the image of what lies below them: from this many to
    // half as many again, so that an edit of any of the top 100 redraws only
    // a few shapes.
    static constexpr std::size_t TopShapes = 100;
    // At most about this many layers below the top shapes, of at least
    // layerShapes shapes each (but the last).
    static constexpr std::size_t MostLayers = 8;

    explicit CCanvasImage(std::size_t layerShapes = 1000) : m_layerShapes(layerShapes) {}

    // The view the image shows; a different one is painted afresh when next
    // asked. A quick change (a pan or zoom step, the canvas and guides as
    // before) is shown at first from the pixels shown so far: a pan moves
    // them and paints only the uncovered strips, a zoom shows a scaled copy.
    // Such a picture stays until Refine().
    void SetView(const CanvasView &view, bool quick = false);
    const CanvasView &View() const { return m_view; }
    // The shapes were replaced: paint afresh when next asked.
    void Invalidate();
    // After a quick change: the exact pixels are painted when next asked;
    // false when they are there already.
    bool Refine();

    // The design changed as the document's signals say; each returns the
    // pixels that changed, shapes being the design as it is now.
    QRegion Appended(const ShapeList &shapes, std::size_t first);
    QRegion Removed(const ShapeList &shapes, const Places &places);
    QRegion Inserted(const ShapeList &shapes, const Places &places);
    QRegion Changed(const ShapeList &shapes, const Places &places);
    QRegion Moved(const ShapeList &shapes, const Places &from, const Places &to);

    // Paints the area of the canvas, from the image brought up to date first.
    void Paint(QPainter &painter, const QRect &area, const ShapeList &shapes);
    // The pixels each shape may cover in the view, as DrawnBounds gives them
    // (reaching beyond the canvas where the shape does).
    const std::vector<QRect> &Bounds(const ShapeList &shapes) const;

private:
    // A run of the shapes below the top ones: the first layer is opaque,
    // with the underlay under its shapes; the others are transparent where
    // their shapes draw nothing.
    struct Layer
    {
        std::size_t count = 0;
        QImage image;
    };
    using Dirty = std::vector<std::size_t>; // layers whose shapes changed, in order

    QRect BoundsOf(const CObjectStorage &shape) const;
    // The layer that holds the shape at place, which lies below the top ones.
    std::size_t LayerOf(std::size_t place) const;
    // Shapes at places (numbered as before) leave their layers.
    void TakeFromLayers(const Places &places, Dirty &dirty);
    // Shapes inserted at places (numbered as after) join the layers of the
    // shapes they come before, when those lie below the top ones.
    void PutIntoLayers(const Places &places, Dirty &dirty);
    // Paints area again; dirty: the layers whose shapes changed there.
    QRegion Repaint(const ShapeList &shapes, QRegion area, Dirty dirty);
    // Keeps the top shapes few: those past TopShapes go onto the layers below.
    void Settle(const ShapeList &shapes);
    // The picture of a quick change, from the pixels shown so far.
    void ShowQuickly(const ShapeList &shapes);
    // Paints every layer and lays them over each other.
    void PaintLayers(const ShapeList &shapes);
    // The underlay and every layer: the canvas below the top shapes.
    const QImage &Below() const { return m_layers.size() == 1 ? m_layers[0].image : m_below; }

    CanvasView m_view;
    QImage m_image;
    QImage m_underlay; // background, axes and guides of the view, made when first needed
    std::vector<Layer> m_layers{1}; // shapes [0, m_split), in order
    QImage m_below;    // the layers laid over each other, when there are several
    std::size_t m_split = 0;
    std::size_t m_layerShapes;
    bool m_current = false; // the images show the design in the view
    CViewport m_shown;      // the view m_image's pixels show
    bool m_quick = false;   // the next paint may start from m_image
    bool m_rough = false;   // m_image shows the view quickly; the layers are stale
    // A cache: every shape's box in the view, when m_boundsCurrent; in
    // m_boundsView, when m_boundsKept.
    mutable std::vector<QRect> m_bounds;
    mutable CViewport m_boundsView;
    mutable bool m_boundsCurrent = false;
    mutable bool m_boundsKept = false;
};
