#include "editor/CanvasImage.h"

#include <QPainter>

void CCanvasImage::SetView(const CanvasView &view)
{
    if (view == m_view)
        return;
    m_view = view;
    m_current = false;
}

QRect CCanvasImage::Append(const ShapeList &shapes, std::size_t first)
{
    if (!m_current)
        return CanvasRect(m_view.client); // all of it is painted afresh anyway
    QPainter painter(&m_image);
    return PaintAddedShapes(painter, m_view, shapes, first);
}

void CCanvasImage::Paint(QPainter &painter, const QRect &area, const ShapeList &shapes)
{
    if (!m_current) {
        if (m_image.size() != m_view.client)
            m_image = QImage(m_view.client, QImage::Format_RGB32);
        PaintCanvasInParallel(m_image, m_view, shapes);
        m_current = true;
    }
    const QRect shown = area & CanvasRect(m_view.client);
    if (!shown.isEmpty())
        painter.drawImage(shown.topLeft(), m_image, shown);
}
