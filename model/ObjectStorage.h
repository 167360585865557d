#pragma once

#include "model/PolarPoint.h"

#include <memory>
#include <vector>

class QPainter;
class COutputFile;

// An RGB colour as the shapes keep it: three integers, of which only the low
// byte of each is used for drawing and export.
struct ShapeColour
{
    int red = 0;
    int green = 0;
    int blue = 0;
};

// One shape of a design: its kind, its two colours and its polar vertices.
class CObjectStorage
{
public:
    // Drawing uses at most this many vertices of a shape.
    static constexpr int MaxDrawnPoints = 50;

    virtual ~CObjectStorage() = default;
    CObjectStorage(const CObjectStorage &) = delete;
    CObjectStorage &operator=(const CObjectStorage &) = delete;

    void SetPenColour(int red, int green, int blue);
    void SetFillColour(int red, int green, int blue);
    void AddPoint(double angle, double radius);

    int Type() const { return m_type; }
    int PointCount() const { return static_cast<int>(m_points.size()); }
    const std::vector<PolarPoint> &Points() const { return m_points; }
    ShapeColour FillColour() const { return m_fill; }
    ShapeColour PenColour() const { return m_pen; }

    // Writes this shape's record at the file's current position.
    virtual void WriteRecord(COutputFile &file) const;
    virtual void Draw(QPainter &painter, double scale, double rotation, int centreX,
                      int centreY) const = 0;

protected:
    explicit CObjectStorage(int type);

    // Draws the first MaxDrawnPoints vertices in the pen colour: a polyline,
    // or when closed a polygon filled (even-odd) in the fill colour.
    void DrawMapped(QPainter &painter, double scale, double rotation, int centreX, int centreY,
                    bool closed) const;

private:
    int m_type;
    ShapeColour m_fill{255, 255, 255};
    ShapeColour m_pen{0, 0, 0};
    std::vector<PolarPoint> m_points;
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
