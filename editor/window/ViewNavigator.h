#pragma once

#include "model/ObjectStorage.h"

#include <QObject>
#include <QPoint>
#include <QSize>

#include <optional>

class CCanvasWidget;
class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

// A zoom step multiplies or divides the scale by this.
inline constexpr double ZoomStep = 1.25;
// A notch of the wheel pans by this many pixels: whole grid steps.
inline constexpr int WheelPan = 40;
// The largest scale zooming in reaches.
inline constexpr double MostZoom = 1e6;
// Fit Design leaves this many pixels around the design.
inline constexpr int FitMargin = 20;

// The scale (of sign) at which every vertex of shapes lies at least margin
// pixels inside a canvas of this size, about its middle; nothing when no
// vertex lies off the centre or the canvas leaves no room.
std::optional<double> FitScale(const ShapeList &shapes, QSize canvas, int margin, double sign = 1.0);

// Zoom and pan of the canvas: the scale it shows and where its polar centre
// lies. The scale is the strip's (ScaleChosen asks the window to take it);
// the pan moves the centre in whole grid steps and is never kept. The input
// it takes: Ctrl+wheel zooms about the pointer, the wheel pans up and down
// and Shift+wheel sideways, a middle drag or Space held with a left drag
// pans. Nothing moves while the window is busy.
class CViewNavigator : public QObject
{
    Q_OBJECT

public:
    CViewNavigator(CCanvasWidget &canvas, const ShapeList &shapes);

    // Zoom by factor about the centre, or keeping the design point under a pixel.
    void ZoomBy(double factor, std::optional<QPoint> about = std::nullopt);
    // Scale 1, or the design fitted, the centre back in the middle.
    void ActualSize();
    void FitDesign();
    bool CanZoomBy(double factor) const;
    // Some vertex lies off the centre.
    bool CanFit() const;

    // The canvas's input; true when it was the navigator's.
    bool Mouse(const QMouseEvent &event);
    bool Wheel(const QWheelEvent &event);
    bool Key(const QKeyEvent &event, bool pressed);
    bool IsPanning() const { return m_grab.has_value(); }
    // The keys and buttons went elsewhere: Space is no longer held, a drag ends.
    void Forget();

signals:
    void ScaleChosen(double scale);

private:
    void Show(double scale, QPoint offset);

    CCanvasWidget &m_canvas;
    const ShapeList &m_shapes;
    std::optional<QPoint> m_grab; // where a pan drag started
    QPoint m_grabOffset;          // the pan then
    Qt::MouseButton m_grabButton = Qt::NoButton;
    bool m_space = false;
    QPoint m_wheel; // eighths of a degree of the wheel not yet turned into steps
};
