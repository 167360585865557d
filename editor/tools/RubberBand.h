#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>

class QPainter;

// The rubber band of shape entry, kept as an overlay of the canvas: a mask of
// the pixels to invert. Toggling a band inverts, within its thin
// quadrilateral, the pixels of a 50 % checkerboard; toggling the same band
// again restores them.
class CRubberBandOverlay
{
public:
    // Covers a canvas of the given size; a new size starts empty.
    void Resize(QSize canvas);
    // Forgets the bands within area.
    void Clear(const QRect &area);
    // Inverts the band between two points; returns the pixels that changed.
    QRegion Toggle(QPoint from, QPoint to);
    // Inverts, on the painter's device, the pixels the bands have marked.
    void Apply(QPainter &painter, const QRect &area) const;
    bool IsEmpty() const;
    // True when the pixel is marked inverted.
    bool IsInverted(QPoint pixel) const;

private:
    QImage m_mask; // white where the painted window is shown inverted, black elsewhere
};
