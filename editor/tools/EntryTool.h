#pragma once

#include "tools/AbstractTool.h"
#include "tools/ShapeEntry.h"
#include "tools/ToolHost.h"

#include <memory>

class CPolarField;

// Drawing: a left press starts a shape, clicks add its vertices, a right
// click ends it (CShapeEntry). During an entry Backspace takes back the last
// vertex and Escape abandons the shape. Typing a digit, "-", "." or "<"
// opens a field for a vertex in polar form (CPolarField): the first one
// typed starts a shape of the checked kind, Enter on an empty field ends it.
class CEntryTool : public CAbstractTool, private CShapeEntry::Host
{
public:
    explicit CEntryTool(CToolHost &host);
    ~CEntryTool() override;

    const CShapeEntry &Entry() const { return m_entry; }
    // The field vertices are typed in; none until one was first typed.
    const CPolarField *Field() const { return m_field.get(); }

    void MousePressed(QMouseEvent &event) override;
    void MouseMoved(QMouseEvent &event) override;
    void MouseReleased(QMouseEvent &event) override;
    void MouseDoubleClicked(QMouseEvent &event) override;
    bool KeyPressed(QKeyEvent &event) override;
    void PaintOverlay(QPainter &painter, const QRect &area) const override;
    bool IsBusy() const override { return m_entry.IsRunning(); }
    void Interrupt() override { m_entry.End(); }
    Qt::CursorShape Cursor() const override { return Qt::CrossCursor; }

private:
    // CShapeEntry::Host
    void OverlayChanged(const QRegion &area) override;
    std::pair<std::int32_t, std::int32_t> ShapeColours() const override;
    void ShapeFinished(std::unique_ptr<CObjectStorage> shape) override;

    void Begin(QPoint at, bool snap);
    void OpenField(const QString &text);
    void Typed(const PolarPoint &vertex);
    void FieldClosed();

    CToolHost &m_host;
    CShapeEntry m_entry{*this};
    std::unique_ptr<CPolarField> m_field;
};
