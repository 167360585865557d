#include "editor/EntryTool.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

CEntryTool::CEntryTool(CToolHost &host)
    : m_host(host)
{
}

void CEntryTool::MousePressed(QMouseEvent &event)
{
    if (m_entry.IsRunning()) {
        m_entry.Press(event.button());
        return;
    }
    if (event.button() != Qt::LeftButton)
        return;
    m_entry.Start(event.position().toPoint(), m_host.EntrySetup());
    // The entry follows the pointer between clicks, and takes every click
    // and key until it ends, wherever they happen.
    QWidget &surface = m_host.Surface();
    surface.setMouseTracking(true);
    surface.grabMouse();
    surface.grabKeyboard();
}

void CEntryTool::MouseMoved(QMouseEvent &event)
{
    m_entry.Move(event.position().toPoint());
}

void CEntryTool::MouseReleased(QMouseEvent &event)
{
    m_entry.Release(event.button(), event.position().toPoint());
}

void CEntryTool::MouseDoubleClicked(QMouseEvent &event)
{
    m_entry.DoubleClick(event.button());
}

bool CEntryTool::KeyPressed(QKeyEvent &event)
{
    if (!m_entry.IsRunning())
        return false;
    if (event.key() == Qt::Key_Backspace)
        m_entry.TakeBack();
    else if (event.key() == Qt::Key_Escape)
        m_entry.Abandon();
    // Every other key waits for the end of the entry, as every command does.
    return true;
}

void CEntryTool::PaintOverlay(QPainter &painter, const QRect &area) const
{
    if (m_entry.IsRunning())
        m_entry.Overlay().Apply(painter, area);
}

void CEntryTool::OverlayChanged(const QRegion &area)
{
    m_host.OverlayChanged(area);
}

std::pair<std::int32_t, std::int32_t> CEntryTool::ShapeColours() const
{
    return m_host.ShapeColours();
}

void CEntryTool::ShapeFinished(std::unique_ptr<CObjectStorage> shape)
{
    QWidget &surface = m_host.Surface();
    surface.releaseKeyboard();
    surface.releaseMouse();
    surface.setMouseTracking(false);
    m_host.EntryEnded(std::move(shape));
}
