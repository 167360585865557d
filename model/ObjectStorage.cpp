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

int CObjectStorage::MapPoints(QPoint *out, double scale, double rotation, int centreX,
                              int centreY) const
{
    const int count = std::min(PointCount(), MaxDrawnPoints);
    for (int i = 0; i < count; ++i)
        out[i] = MapToScreen(m_points[static_cast<std::size_t>(i)], scale, rotation, centreX,
                             centreY);
    return count;
}

CLineStorage::CLineStorage()
    : CObjectStorage(TypeValue)
{
}

void CLineStorage::Draw(QPainter &painter, double scale, double rotation, int centreX,
                        int centreY) const
{
    QPoint points[MaxDrawnPoints];
    const int count = MapPoints(points, scale, rotation, centreX, centreY);
    if (count == 0)
        return;
    PainterToolsGuard guard(painter);
    painter.setPen(OutlinePen(PenColour()));
    painter.drawPolyline(points, count);
}

CPolyStorage::CPolyStorage()
    : CObjectStorage(TypeValue)
{
}

void CPolyStorage::Draw(QPainter &painter, double scale, double rotation, int centreX,
                        int centreY) const
{
    QPoint points[MaxDrawnPoints];
    const int count = MapPoints(points, scale, rotation, centreX, centreY);
    if (count == 0)
        return;
    PainterToolsGuard guard(painter);
    painter.setPen(OutlinePen(PenColour()));
    painter.setBrush(QBrush(ToQColor(FillColour()), Qt::SolidPattern));
    painter.drawPolygon(points, count, Qt::OddEvenFill);
}
