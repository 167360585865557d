#include "model/ObjectStorage.h"

#include "model/DrawMapping.h"
#include "model/PainterToolsGuard.h"

#include <QPainter>

namespace {

QColor ToQColor(const ShapeColour &c)
{
    return QColor(c.red & 0xFF, c.green & 0xFF, c.blue & 0xFF);
}

QPen OutlinePen(const ShapeColour &c)
{
    QPen pen(ToQColor(c));
    pen.setWidth(0); // cosmetic: one pixel at any transform
    pen.setStyle(Qt::SolidLine);
    return pen;
}

} // namespace

CObjectStorage::CObjectStorage(int type)
    : m_type(type)
{
}

void CObjectStorage::SetPenColour(int red, int green, int blue)
{
    m_pen = {red, green, blue};
}

void CObjectStorage::SetFillColour(int red, int green, int blue)
{
    m_fill = {red, green, blue};
}

void CObjectStorage::AddPoint(double angle, double radius)
{
    m_points.push_back({angle, radius});
}

void CObjectStorage::DrawMapped(QPainter &painter, double scale, double rotation, int centreX,
                                int centreY, bool closed) const
{
    QPoint points[MaxDrawnPoints];
    const int count = std::min(PointCount(), MaxDrawnPoints);
    if (count == 0)
        return;
    for (int i = 0; i < count; ++i)
        points[i] = MapToScreen(m_points[static_cast<std::size_t>(i)], scale, rotation, centreX,
                                centreY);

    PainterToolsGuard guard(painter);
    painter.setPen(OutlinePen(PenColour()));
    if (closed) {
        painter.setBrush(QBrush(ToQColor(FillColour()), Qt::SolidPattern));
        painter.drawPolygon(points, count, Qt::OddEvenFill);
    } else {
        painter.drawPolyline(points, count);
    }
}

CLineStorage::CLineStorage()
    : CObjectStorage(TypeValue)
{
}

void CLineStorage::Draw(QPainter &painter, double scale, double rotation, int centreX,
                        int centreY) const
{
    DrawMapped(painter, scale, rotation, centreX, centreY, false); // the fill plays no part
}

CPolyStorage::CPolyStorage()
    : CObjectStorage(TypeValue)
{
}

void CPolyStorage::Draw(QPainter &painter, double scale, double rotation, int centreX,
                        int centreY) const
{
    DrawMapped(painter, scale, rotation, centreX, centreY, true);
}
