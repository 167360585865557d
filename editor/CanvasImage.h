#pragma once

#include "editor/Canvas.h"

#include <QImage>

// The canvas as PaintCanvas paints it, kept as an image of the window's
// client area, so that a rubber band or a new shape repaints only the pixels
// it changes instead of the whole design.
class CCanvasImage
{
public:
    // The view the image shows; a different one is painted afresh when next asked.
    void SetView(const CanvasView &view);
    const CanvasView &View() const { return m_view; }
    // The shapes were removed or replaced: paint afresh when next asked.
    void Invalidate() { m_current = false; }
    // Draws shapes [first, end) over the image; returns the pixels that changed.
    QRect Append(const ShapeList &shapes, std::size_t first);
    // Paints the area of the canvas, from the image brought up to date first.
    void Paint(QPainter &painter, const QRect &area, const ShapeList &shapes);

private:
    CanvasView m_view;
    QImage m_image;
    bool m_current = false;
};
