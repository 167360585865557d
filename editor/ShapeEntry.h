#pragma once

#include "editor/RubberBand.h"
#include "model/ObjectStorage.h"

#include <QPoint>

#include <memory>
#include <optional>

class CPatternDlg;

// Entry of one shape with the mouse. A left press on the window starts it;
// each left release adds the snapped vertex; a right-button action, the 50th
// release or the loss of the mouse grab ends it and hands the shape to the
// window. While it runs the window holds the mouse and the keyboard.
class CShapeEntry
{
public:
    // Counting from 1, the release that ends a shape without adding a point.
    static constexpr int EndingRelease = 50;

    explicit CShapeEntry(CPatternDlg &window);

    bool IsRunning() const { return m_shape != nullptr; }

    // Mouse events of the window; positions in client coordinates.
    void Press(Qt::MouseButton button, QPoint pos);
    void Release(Qt::MouseButton button, QPoint pos);
    void DoubleClick(Qt::MouseButton button);
    void Move(QPoint pos);
    // The window lost the mouse (deactivated, hidden, a popup took it).
    void GrabLost();

    const CRubberBandOverlay &Overlay() const { return m_overlay; }

private:
    void Start(QPoint pos);
    void Finish();
    void ToggleBand(QPoint from, QPoint to);

    CPatternDlg &m_window;
    std::unique_ptr<CObjectStorage> m_shape;
    QPoint m_anchor;
    int m_release = 1;
    // The band last drawn by a move, if any.
    std::optional<std::pair<QPoint, QPoint>> m_band;
    CRubberBandOverlay m_overlay;
};
