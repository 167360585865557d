#pragma once

#include <Qt>

class QKeyEvent;
class QMouseEvent;
class QPainter;
class QRect;

// A way of working on the canvas: drawing shapes, selecting and changing
// them. The window hands the active tool the canvas's mouse input and the
// keys it does not take itself, and paints the tool's overlay over the canvas.
class CAbstractTool
{
public:
    virtual ~CAbstractTool() = default;

    virtual void MousePressed(QMouseEvent &event) = 0;
    virtual void MouseMoved(QMouseEvent &event) = 0;
    virtual void MouseReleased(QMouseEvent &event) = 0;
    virtual void MouseDoubleClicked(QMouseEvent &) {}
    // True when the key was the tool's.
    virtual bool KeyPressed(QKeyEvent &) { return false; }
    // Paints what the tool shows over the canvas, within area.
    virtual void PaintOverlay(QPainter &, const QRect &) const {}
    // Something is under way (an entry, a drag): the window's commands wait.
    virtual bool IsBusy() const { return false; }
    // Ends what is under way as if the mouse were let go: the window lost
    // the mouse, or its size and so the centre changed.
    virtual void Interrupt() {}
    virtual Qt::CursorShape Cursor() const = 0;
};
