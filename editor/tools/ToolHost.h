#pragma once

#include "tools/ShapeEntry.h"
#include "model/DesignDocument.h"

#include <cstdint>
#include <memory>
#include <vector>

class CSelection;
class QRegion;
class QWidget;

// What the tools need of the window they work in.
class CToolHost
{
public:
    // The widget the tools work on: it takes the mouse and keys during an
    // entry, and shows the tool's cursor.
    virtual QWidget &Surface() = 0;
    virtual CDesignDocument &Document() = 0;
    virtual const CDesignDocument &Document() const = 0;
    virtual CSelection &Selection() = 0;
    virtual const CSelection &Selection() const = 0;
    // The box each shape is drawn in, in the view of EntrySetup().
    virtual const std::vector<QRect> &ShapeBounds() const = 0;
    // How a shape is entered now: kind, view, copies, snapping; a vertex
    // dragged is placed the same way.
    virtual CShapeEntry::Setup EntrySetup() const = 0;
    // The fill and outline of a new shape, as CShapeEntry::Host asks them.
    virtual std::pair<std::int32_t, std::int32_t> ShapeColours() const = 0;
    // An entry ended with this shape, or with none when it was abandoned.
    virtual void EntryEnded(std::unique_ptr<CObjectStorage> shape) = 0;
    // These pixels of the tool's overlay changed.
    virtual void OverlayChanged(const QRegion &area) = 0;

protected:
    ~CToolHost() = default;
};
