#pragma once

#include "model/PolarPoint.h"
#include "platform/Colour.h"

#include <QByteArray>
#include <QPointF>
#include <QRect>

#include <memory>
#include <stdexcept>
#include <vector>

class QPainter;

// A design that the file format cannot hold.
class CDesignLimitError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A design file counts its shapes in 16 bits.
inline constexpr std::size_t MaxDesignShapes = 0xFFFF;

// The shapes one click makes with copies around the centre (and Mirror):
// copy k is turned by k x span / divisor radians and its radii are scaled by
// factor^k (model/Copies.h makes and reads them).
struct CopyGroup
{
    int copies = 1;
    bool mirror = false;
    double span = 2 * Pi;
    int divisor = 1;
    double factor = 1.0;
};

// A shape's place in such a group: turned copy k of the first, and mirrored
// or not. Shapes share their group by pointer; none means no group.
struct GroupLink
{
    std::shared_ptr<const CopyGroup> group;
    int copy = 0;
    bool mirrored = false;

    bool operator==(const GroupLink &) const = default;
};

// One shape of a design: its kind, its two colours and its polar vertices.
class CObjectStorage
{
public:
    // Drawing uses at most this many vertices of a shape.
    static constexpr int MaxDrawnPoints = 50;
    // A record: type, vertex count, fill RGB, pen RGB, then per vertex the
    // angle and the radius as little-endian doubles. It counts vertices in a byte.
    static constexpr int RecordHeaderSize = 8;
    static constexpr int VertexEntrySize = 16;
    static constexpr std::size_t MaxRecordVertices = 0xFF;

    // A new empty shape of the kind a record's type names: 1 polygon, else polyline.
    static std::unique_ptr<CObjectStorage> Create(int type);
    // The same shape, of the given kind (its own by default).
    std::unique_ptr<CObjectStorage> Clone(int type = 0) const;

    virtual ~CObjectStorage() = default;
    CObjectStorage(const CObjectStorage &) = delete;
    CObjectStorage &operator=(const CObjectStorage &) = delete;

    void SetPenColour(int red, int green, int blue);
    void SetFillColour(int red, int green, int blue);
    void AddPoint(double angle, double radius);
    std::vector<PolarPoint> &Points() { return m_points; }
    const GroupLink &Group() const { return m_group; }
    void SetGroup(GroupLink link) { m_group = std::move(link); }
    // Room for n vertices, so a shape read whole holds no spare capacity.
    void ReservePoints(std::size_t n) { m_points.reserve(n); }

    int Type() const { return m_type; }
    int PointCount() const { return static_cast<int>(m_points.size()); }
    const std::vector<PolarPoint> &Points() const { return m_points; }
    ShapeColour FillColour() const { return m_fill; }
    ShapeColour PenColour() const { return m_pen; }
    // Kind, colours, vertices bit for bit, and group all equal.
    bool SameAs(const CObjectStorage &other) const;

    // Appends this shape's record to out; throws CDesignLimitError for more
    // vertices than a record counts.
    void AppendRecord(QByteArray &out) const;
    virtual void Draw(QPainter &painter, double scale, double rotation, int centreX,
                      int centreY) const = 0;
    // The pixels Draw can touch: the box of the drawn vertices, pen included.
    QRect DrawnBounds(double scale, double rotation, int centreX, int centreY) const;
    // The drawn vertices unrounded about centre, into out; returns how many there are.
    int ExactDrawn(QPointF (&out)[MaxDrawnPoints], double scale, double rotation, QPointF centre) const;
    // Draws as Draw does, antialiased, at the unrounded vertices about
    // centre; it may touch a pixel more on each side than DrawnBounds says.
    void DrawSmooth(QPainter &painter, double scale, double rotation, QPointF centre) const;

protected:
    explicit CObjectStorage(int type);

    // Draws the first MaxDrawnPoints vertices in the pen colour: a polyline,
    // or when closed a polygon filled (even-odd) in the fill colour.
    void DrawMapped(QPainter &painter, double scale, double rotation, int centreX, int centreY,
                    bool closed) const;

private:
    // Maps the drawn vertices into out; returns how many there are.
    int MapDrawn(QPoint (&out)[MaxDrawnPoints], double scale, double rotation, int centreX,
                 int centreY) const;

    int m_type;
    ShapeColour m_fill{255, 255, 255};
    ShapeColour m_pen{0, 0, 0};
    std::vector<PolarPoint> m_points;
    GroupLink m_group;
};

// An open polyline.
class CLineStorage : public CObjectStorage
{
public:
    static constexpr int TypeValue = 2;
    CLineStorage();
    void Draw(QPainter &painter, double scale, double rotation, int centreX,
              int centreY) const override;
};

// A closed, filled polygon.
class CPolyStorage : public CObjectStorage
{
public:
    static constexpr int TypeValue = 1;
    CPolyStorage();
    void Draw(QPainter &painter, double scale, double rotation, int centreX,
              int centreY) const override;
};

// A design: its shapes in the order they were entered and are drawn.
using ShapeList = std::vector<std::unique_ptr<CObjectStorage>>;
// A copy of every shape, for work that must not see the design change under it.
ShapeList CloneShapes(const ShapeList &shapes);
