#pragma once

#include "export/ImportError.h"
#include "model/ShapeEdits.h"

#include <QByteArray>

// Shapes as the clipboard carries them between Vortigram programs, under a
// type of their own. All values little-endian:
//   4 bytes  56 47 53 48 ("VGSH")
//   1 byte   version, 1
//   2 bytes  G, the number of copy groups
//   G x 4    each group's first shape and its number of members (2 bytes
//            each), in order, none overlapping
//   the rest the shapes exactly as a design file holds them, header and all.
// A group names only where its members lie: whether they are one, and what
// kind, is found from their vertices as when a design file is opened, so
// that the data holds no parameter of a group that could disagree with them.
inline constexpr char ShapesMimeType[] = "application/x-vortigram-shapes";

// The selected shapes, their records bit for bit and in order, and the copy
// groups selected whole whose members lie together and in order, as one
// click made them. Throws CDesignLimitError for more shapes or vertices than
// a design file holds.
QByteArray EncodeShapes(const SelectedShapes &selected);

// The shapes again, every whole group a new group of its own. Anything but
// exactly what EncodeShapes writes is refused with CImportError, saying
// what is wrong where (bytes counted from 0); nothing is returned then.
ShapeList DecodeShapes(const QByteArray &data);
