#pragma once

#include <QPainter>

// Turns antialiasing off for one drawing operation and gives the painter its
// previous pen, brush and antialiasing back when it goes.
class PainterToolsGuard
{
public:
    explicit PainterToolsGuard(QPainter &painter)
        : m_painter(painter), m_pen(painter.pen()), m_brush(painter.brush()),
          m_antialiased(painter.testRenderHint(QPainter::Antialiasing))
    {
        m_painter.setRenderHint(QPainter::Antialiasing, false);
    }
    ~PainterToolsGuard()
    {
        m_painter.setPen(m_pen);
        m_painter.setBrush(m_brush);
        m_painter.setRenderHint(QPainter::Antialiasing, m_antialiased);
    }
    PainterToolsGuard(const PainterToolsGuard &) = delete;
    PainterToolsGuard &operator=(const PainterToolsGuard &) = delete;

private:
    QPainter &m_painter;
    QPen m_pen;
    QBrush m_brush;
    bool m_antialiased;
};
