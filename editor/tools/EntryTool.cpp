#include "tools/EntryTool.h"

#include "tools/PolarField.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace {

// The keys that open the field of a typed vertex.
const QString FieldKeys = QStringLiteral("0123456789-.<");

} // namespace

CEntryTool::CEntryTool(CToolHost &host)
    : m_host(host)
{
}

CEntryTool::~CEntryTool() = default;

void CEntryTool::MousePressed(QMouseEvent &event)
{
    if (m_entry.IsRunning()) {
        m_entry.Press(event.button());
        return;
    }
    if (event.button() == Qt::LeftButton)
        Begin(event.position().toPoint(), true);
}

void CEntryTool::Begin(QPoint at, bool snap)
{
    m_entry.Start(at, m_host.EntrySetup(), snap);
    // The entry takes every click and key until it ends, wherever they happen.
    QWidget &surface = m_host.Surface();
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
    const QString text = event.text();
    if (text.size() == 1 && FieldKeys.contains(text) &&
        !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        OpenField(text);
        return true;
    }
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
    if (m_field && m_field->isVisible()) {
        m_field->hide();
        m_field->GrabKeys(false);
    }
    m_host.EntryEnded(std::move(shape));
}

void CEntryTool::OpenField(const QString &text)
{
    QWidget &surface = m_host.Surface();
    if (!m_field) {
        m_field = std::make_unique<CPolarField>(&surface);
        QObject::connect(m_field.get(), &CPolarField::Entered, m_field.get(),
                         [this](const PolarPoint &vertex) { Typed(vertex); });
        QObject::connect(m_field.get(), &CPolarField::EndRequested, m_field.get(), [this] {
            if (m_entry.IsRunning())
                m_entry.End();
            else
                m_field->hide();
        });
        QObject::connect(m_field.get(), &CPolarField::Closed, m_field.get(), [this] { FieldClosed(); });
    }
    m_field->Open(text, surface.mapFromGlobal(QCursor::pos()), m_host.EntrySetup().view.CanvasRect());
    if (m_entry.IsRunning())
        m_field->GrabKeys(true);
}

void CEntryTool::Typed(const PolarPoint &vertex)
{
    if (!m_entry.IsRunning()) {
        Begin(m_host.EntrySetup().view.ToPixel(vertex), false);
        m_field->GrabKeys(true); // the keys stay with the field
    }
    if (!m_entry.AddVertex(vertex))
        m_field->Refuse(QStringLiteral("A shape has at most 49 vertices: Enter on an empty field ends it."));
}

void CEntryTool::FieldClosed()
{
    m_field->GrabKeys(false);
    if (m_entry.IsRunning())
        m_host.Surface().grabKeyboard();
}
