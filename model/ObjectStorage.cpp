#include "model/ObjectStorage.h"

#include "model/DrawMapping.h"
#include "model/PainterToolsGuard.h"
#include "platform/LittleEndian.h"

#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

QPen OutlinePen(const ShapeColour &c)
{
    QPen pen(ToQColor(c));
    pen.setWidth(0); // cosmetic: one pixel at any transform
    pen.setStyle(Qt::SolidLine);
    return pen;
}

unsigned char LowByte(int value)
{
    return static_cast<unsigned char>(value & 0xFF);
}

} // namespace

std::unique_ptr<CObjectStorage> CObjectStorage::Create(int type)
{
    if (type == CPolyStorage::TypeValue)
        return std::make_unique<CPolyStorage>();
    return std::make_unique<CLineStorage>();
}

CObjectStorage::CObjectStorage(int type)
    : m_type(type)
{
}

std::unique_ptr<CObjectStorage> CObjectStorage::Clone(int type) const
{
    auto copy = Create(type == 0 ? m_type : type);
    copy->m_fill = m_fill;
    copy->m_pen = m_pen;
    copy->m_points = m_points;
    copy->m_group = m_group;
    return copy;
}

bool CObjectStorage::SameAs(const CObjectStorage &other) const
{
    const auto same = [](const ShapeColour &a, const ShapeColour &b) {
        return a.red == b.red && a.green == b.green && a.blue == b.blue;
    };
    // Bit for bit: 0.0 and -0.0 are different vertices in a file.
    return m_type == other.m_type && same(m_fill, other.m_fill) && same(m_pen, other.m_pen) &&
           m_group == other.m_group && m_points.size() == other.m_points.size() &&
           (m_points.empty() || std::memcmp(m_points.data(), other.m_points.data(),
                                            m_points.size() * sizeof(PolarPoint)) == 0);
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

void CObjectStorage::AppendRecord(QByteArray &out) const
{
    const std::size_t n = m_points.size();
    if (n > MaxRecordVertices)
        throw CDesignLimitError("A shape has " + std::to_string(n) +
                                " vertices; a design file holds at most 255 per shape.");
    const qsizetype start = out.size();
    out.resize(start + RecordHeaderSize + static_cast<qsizetype>(n) * VertexEntrySize);
    auto *bytes = reinterpret_cast<unsigned char *>(out.data() + start);
    const unsigned char header[RecordHeaderSize] = {
        LowByte(m_type),       static_cast<unsigned char>(n), LowByte(m_fill.red),
        LowByte(m_fill.green), LowByte(m_fill.blue),          LowByte(m_pen.red),
        LowByte(m_pen.green),  LowByte(m_pen.blue)};
    bytes = std::copy(std::begin(header), std::end(header), bytes);
    for (const PolarPoint &p : m_points)
        bytes = PutF64(PutF64(bytes, p.angle), p.radius);
}

int CObjectStorage::MapDrawn(QPoint (&out)[MaxDrawnPoints], double scale, double rotation,
                             int centreX, int centreY) const
{
    const int count = std::min(PointCount(), MaxDrawnPoints);
    for (int i = 0; i < count; ++i)
        out[i] = MapToScreen(m_points[static_cast<std::size_t>(i)], scale, rotation, centreX,
                             centreY);
    return count;
}

QRect CObjectStorage::DrawnBounds(double scale, double rotation, int centreX, int centreY) const
{
    QPoint points[MaxDrawnPoints];
    const int count = MapDrawn(points, scale, rotation, centreX, centreY);
    QRect box;
    for (int i = 0; i < count; ++i)
        box |= QRect(points[i], QSize(1, 1));
    // A one-pixel pen can stray a pixel past the vertices' box.
    return box.isNull() ? box : box.adjusted(-1, -1, 1, 1);
}

void CObjectStorage::DrawMapped(QPainter &painter, double scale, double rotation, int centreX,
                                int centreY, bool closed) const
{
    QPoint points[MaxDrawnPoints];
    const int count = MapDrawn(points, scale, rotation, centreX, centreY);
    if (count == 0)
        return;

    PainterToolsGuard guard(painter);
    painter.setPen(OutlinePen(PenColour()));
    if (closed) {
        painter.setBrush(QBrush(ToQColor(FillColour()), Qt::SolidPattern));
        painter.drawPolygon(points, count, Qt::OddEvenFill);
    } else {
        painter.drawPolyline(points, count);
    }
}

int CObjectStorage::ExactDrawn(QPointF (&out)[MaxDrawnPoints], double scale, double rotation,
                               QPointF centre) const
{
    const int count = std::min(PointCount(), MaxDrawnPoints);
    for (int i = 0; i < count; ++i)
        out[i] = MapExact(m_points[static_cast<std::size_t>(i)], scale, rotation, centre);
    return count;
}

void CObjectStorage::DrawSmooth(QPainter &painter, double scale, double rotation, QPointF centre) const
{
    QPointF points[MaxDrawnPoints];
    const int count = ExactDrawn(points, scale, rotation, centre);
    if (count == 0)
        return;
    PainterToolsGuard guard(painter);
    const bool closed = m_type == CPolyStorage::TypeValue;
    // On pixels, the fill without antialiasing at the same unrounded
    // vertices: the plain rasteriser's cost goes with the area, the
    // antialiased one's with every edge cell, several times dearer. The
    // antialiased outline drawn next covers the fill's stair steps. A page
    // (PDF, printer) keeps one exact path with its fill and outline.
    const QPaintEngine *engine = painter.paintEngine();
    const bool split = closed && engine && engine->type() == QPaintEngine::Raster;
    if (split) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QBrush(ToQColor(FillColour()), Qt::SolidPattern));
        painter.drawPolygon(points, count, Qt::OddEvenFill);
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(OutlinePen(PenColour()));
    if (closed) {
        painter.setBrush(split ? QBrush(Qt::NoBrush) : QBrush(ToQColor(FillColour()), Qt::SolidPattern));
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

ShapeList CloneShapes(const ShapeList &shapes)
{
    ShapeList copy;
    copy.reserve(shapes.size());
    for (const auto &shape : shapes)
        copy.push_back(shape->Clone());
    return copy;
}
