#pragma once

#include "drawing/Viewport.h"

#include <QRect>
#include <QString>

#include <optional>

class QPainter;

// Where the pointer is in the design's own terms, shown in the canvas's
// bottom left corner while it is over the canvas: its radius in design units
// at the current scale and its angle in degrees clockwise from up, and with
// polar snapping where a click would snap to. Only ever painted on screen.
class CPointerReadout
{
public:
    // The pointer moved to pos, or left the canvas; returns the pixels to repaint.
    QRect Track(std::optional<QPoint> pos, const CViewport &view, bool polarSnap, int spokes);
    void Paint(QPainter &painter, const QRect &area) const;
    QString Text() const { return m_text; }

private:
    QString m_text;
    QRect m_box;
};

// "r 123.4  a 45.0°": a radius and an angle (radians) as the read-out shows them.
QString PolarText(double radius, double angle);
