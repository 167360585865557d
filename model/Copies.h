#pragma once

#include "model/ObjectStorage.h"

#include <QList>

#include <cstdint>

// Copies around the centre: the limits of the copy count.
inline constexpr int MinCopies = 1;
inline constexpr int MaxCopies = 24;

// An angle brought into the range entry produces, -pi/2 up to 3pi/2, by
// whole turns; one already there is returned unchanged.
double NormalisedAngle(double angle);

// The angle of a vertex of the drawn shape in copy k of copies around the
// centre, mirrored or not, exactly as MakeCopies makes it.
double CopiedAngle(double angle, int copy, int copies, bool mirrored);

// The shape and its copies turned by k x 2pi / copies (k = 1 ... copies - 1),
// then, with mirror, the reflection of each of these across the vertical
// axis, in that order. Copies keep the kind, colours, radii and vertex order.
// More than one shape made are a group: each is linked to it as its member.
ShapeList MakeCopies(std::unique_ptr<CObjectStorage> shape, int copies, bool mirror);

// Gives copy k of a click (and its mirror image) the fill k entries after
// entry `fill` of the fill list and the outline k entries after entry `pen`
// of the outline list, wrapping at a list's end. A list without a selected
// entry (-1) leaves that colour as it is.
void CycleColours(ShapeList &shapes, const QList<std::int32_t> &fills, int fill,
                  const QList<std::int32_t> &pens, int pen);

// Finds the groups of a design read from a file, which keeps none: runs of
// consecutive shapes of the same vertex count (at least one) whose vertices
// are bit for bit what MakeCopies makes from the first, for 2 to 24 copies
// with or without Mirror, or one copy with Mirror, whatever their colours
// and kinds. The longest run wins. Other shapes belong to no group.
void RecogniseGroups(ShapeList &shapes);
