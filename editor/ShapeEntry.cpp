#include "editor/ShapeEntry.h"

#include "editor/Canvas.h"
#include "editor/PatternDlg.h"
#include "editor/Snap.h"
#include "palette/ColourComboBox.h"

namespace {

// Splits a 0x00BBGGRR value; -1 (no selection) gives white.
ShapeColour Split(std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
            static_cast<int>((v >> 16) & 0xFF)};
}

} // namespace

CShapeEntry::CShapeEntry(CPatternDlg &window)
    : m_window(window)
{
}

void CShapeEntry::Press(Qt::MouseButton button, QPoint pos)
{
    if (!IsRunning()) {
        if (button == Qt::LeftButton)
            Start(pos);
        return;
    }
    if (button == Qt::RightButton)
        Finish();
    // Further left presses, and the middle button, do nothing.
}

void CShapeEntry::Release(Qt::MouseButton button, QPoint pos)
{
    if (!IsRunning())
        return;
    if (button == Qt::RightButton) {
        Finish();
        return;
    }
    if (button != Qt::LeftButton)
        return;
    if (m_release >= EndingRelease) {
        Finish();
        return;
    }
    const QPoint vertex = RoundSnap(pos);
    const CanvasView view = m_window.View();
    if (const auto polar = ToPolar(vertex, view.client, view.scale, view.rotation))
        m_shape->AddPoint(polar->angle, polar->radius);
    // Inverts again what the last move drew here: the new segment stays
    // visible, inverted, until the shape is finished.
    ToggleBand(m_anchor, vertex);
    ++m_release;
    m_anchor = vertex;
}

void CShapeEntry::DoubleClick(Qt::MouseButton button)
{
    if (IsRunning() && button == Qt::RightButton)
        Finish();
}

void CShapeEntry::Move(QPoint pos)
{
    if (!IsRunning())
        return;
    const QPoint end = RoundSnap(pos);
    if (m_band)
        ToggleBand(m_band->first, m_band->second);
    m_band = std::make_pair(m_anchor, end);
    ToggleBand(m_anchor, end);
}

void CShapeEntry::GrabLost()
{
    if (IsRunning())
        Finish();
}

void CShapeEntry::Start(QPoint pos)
{
    m_anchor = PressSnap(pos);
    if (m_window.PolygonChecked())
        m_shape = std::make_unique<CPolyStorage>();
    else
        m_shape = std::make_unique<CLineStorage>();
    m_release = 1;
    m_band.reset();
    m_overlay.Reset(m_window.size());
    m_window.setMouseTracking(true);
    m_window.grabMouse();
    m_window.grabKeyboard();
}

void CShapeEntry::Finish()
{
    m_window.releaseKeyboard();
    m_window.releaseMouse();
    m_window.setMouseTracking(false);
    m_band.reset();
    m_overlay.Reset(m_window.size());

    const ShapeColour fill = Split(m_window.Background().SelectedColour());
    const ShapeColour pen = Split(m_window.Foreground().SelectedColour());
    m_shape->SetFillColour(fill.red, fill.green, fill.blue);
    m_shape->SetPenColour(pen.red, pen.green, pen.blue);
    m_window.AddShape(std::move(m_shape));
}

void CShapeEntry::ToggleBand(QPoint from, QPoint to)
{
    const QRect changed = m_overlay.Toggle(from, to);
    if (!changed.isEmpty())
        m_window.update(changed);
}
