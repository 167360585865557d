#pragma once

#include <QPointF>

#include <cstddef>
#include <vector>

// The plain geometry of bringing outlines in: curves made into lines, and
// lines with too many vertices thinned out.

// How many equal parameter steps keep every point of the lines between them
// within tolerance of the cubic Bezier p0 p1 p2 p3 at the same parameter
// (Wang's bound: step^2 / 8 times the largest second derivative). Zero when
// the points or the tolerance are no finite numbers to count from.
double CubicSteps(QPointF p0, QPointF p1, QPointF p2, QPointF p3, double tolerance);

// Appends the points after p0 of that line, steps of them, p3 last.
void FlattenCubic(QPointF p0, QPointF p1, QPointF p2, QPointF p3, int steps,
                  std::vector<QPointF> &out);

// The distance from p to the segment a b.
double SegmentDistance(QPointF p, QPointF a, QPointF b);

// Thins points out to at most budget of them (at least 3), keeping the
// farthest first, as Douglas and Peucker do: a vertex stays while it lies
// farther from the line through the kept ones than every dropped vertex,
// and none stays that lies on it. A ring (closed) counts its vertices
// without repeating the first at the end. Returns the largest distance of a
// dropped vertex from the segment that replaced it: no point of the old
// line lies farther than that from the new, nor of the new from the old.
double Simplify(std::vector<QPointF> &points, bool closed, std::size_t budget);
