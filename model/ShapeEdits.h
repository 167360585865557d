#pragma once

#include "model/DesignDocument.h"

#include <functional>
#include <optional>

// The edits of a selection of a design, worked out without changing it: the
// places they change and what comes there. A copy group whose every member
// in the design is selected is edited as one: the change is carried back to
// its first member through the edited member's own turn and mirror, and
// every member is made again from that by the copy function (CopyPlace), so
// the group stays exactly what one click makes. A member selected without the rest of its group
// leaves the group when its geometry changes; colours and kind belong to
// each member and never break a group.

// The selected shapes as they were when an edit began, so that every step of
// a drag is worked out from them and not from the previous step.
struct SelectedShapes
{
    Places places;    // ascending
    ShapeList shapes; // copies, one for each place
    std::vector<bool> wholeGroup; // each one's group is selected as a whole
};
SelectedShapes Select(const ShapeList &design, const Places &selection);

struct ShapeChanges
{
    Places places;
    ShapeList shapes;
};

// Every vertex of the selection through op (a turn, a scale).
using VertexOp = std::function<PolarPoint(PolarPoint)>;
ShapeChanges EditVertices(const SelectedShapes &selected, const VertexOp &op);
// Vertex `vertex` of selected shape `which` (an index into selected) moved to `to`.
ShapeChanges MoveVertex(const SelectedShapes &selected, int which, int vertex, PolarPoint to);
// New fill and outline colours (those given), or a new kind, shape by shape.
ShapeChanges Recoloured(const SelectedShapes &selected, std::optional<ShapeColour> fill,
                        std::optional<ShapeColour> pen);
ShapeChanges Rekinded(const SelectedShapes &selected, int type);
// Copies of the selected shapes; whole groups are copied as new groups.
ShapeList Duplicates(const SelectedShapes &selected);

// The places of the members of the group of the shape at place, or that
// place alone when it belongs to none.
Places GroupPlaces(const ShapeList &design, int place);

// Where the selection goes in a design of count shapes: one place later
// (direction 1) or earlier (-1), or to the top or the bottom; the selected
// shapes keep their order among themselves.
Places Raised(const Places &selection, int count, int direction);
Places ToTop(const Places &selection, int count);
Places ToBottom(const Places &selection);

// The vertex operations of the commands: a turn about the centre, brought
// back into -pi/2 .. 3pi/2 as copies are, and a radial scale; a drag with
// Shift does both.
VertexOp TurnAndScale(double angle, double factor);
