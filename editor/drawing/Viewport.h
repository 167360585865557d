#pragma once

#include "model/PolarPoint.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Pitch of the dot grid and of snapping.
inline constexpr int GridPitch = 10;

// Grid snapping of one coordinate. Remainders truncate toward zero, so
// negative coordinates snap toward zero as well. The press that starts a
// shape snaps down; every later position rounds, a remainder of exactly 5
// rounding down.
int PressSnap(int v);
int RoundSnap(int v);

// The origin of every polar coordinate on a canvas of this size when the
// view is centred: its middle, halves rounded down.
QPoint CanvasCentre(QSize canvas);

// The pan moves the centre in whole grid steps, so that grid points keep
// their places in the design and snapping stays repeatable: the nearest
// whole steps to an offset, at most MostPan pixels either way.
inline constexpr int MostPan = 1000000;
QPoint WholeSteps(double dx, double dy);

// One view of the design: the canvas it is drawn on, where on that canvas
// the polar centre lies, the scale and rotation, and whether it is a frame
// of the preview. Every conversion between canvas pixels and polar
// vertices goes through it. Pixels are the canvas's own, (0, 0) its top
// left corner; gridOrigin is where the grid's frame starts, so that the
// dots and snapping keep their places however the canvas sits in a window
// (remainders are taken from there, and truncate toward zero).
struct CViewport
{
    QSize canvas;
    QPoint centre;
    QPoint gridOrigin;
    double scale = 1.0;
    double rotation = 0.0;  // radians clockwise, non-zero only while animating
    bool animating = false; // a plain canvas, without axes, guides and dots
    bool smooth = false;    // shapes antialiased at their unrounded vertices

    // A canvas of this size with the centre in its middle.
    static CViewport Centred(QSize canvas, double scale = 1.0, double rotation = 0.0, bool animating = false);

    QRect CanvasRect() const { return QRect(QPoint(0, 0), canvas); }

    // Polar form of a pixel at the view's scale and rotation; nothing when
    // the scale or rotation can give no finite point.
    std::optional<PolarPoint> ToPolar(QPoint pixel) const;
    // The same as the screen shows it: at scale 1 and without the turn.
    std::optional<PolarPoint> ScreenPolar(QPoint pixel) const;
    // The pixel a vertex is drawn at (MapToScreen about the centre).
    QPoint ToPixel(const PolarPoint &vertex) const;
    // The pixel of a point given as the screen shows it (see ScreenPolar).
    QPoint ScreenPixel(const PolarPoint &onScreen) const;

    // The centre's place from the middle of the canvas (the pan).
    QPoint Offset() const { return centre - CanvasCentre(canvas); }
    // The pan that keeps the design point at pixel where it is when the
    // scale becomes scale, as near as whole grid steps allow.
    QPoint OffsetKeeping(QPoint pixel, double newScale) const;

    // PressSnap and RoundSnap in the grid's frame.
    QPoint PressSnap(QPoint pixel) const;
    QPoint RoundSnap(QPoint pixel) const;

    bool operator==(const CViewport &) const = default;
};
