#pragma once

#include "commands/EditorSettings.h"
#include "model/DesignDocument.h"

#include <QList>

#include <cstdint>
#include <memory>

class QWidget;

// The one home of the shape limit: adds shapes to the design as one step,
// or, when a design file could not hold them, says so and adds nothing.
bool AddWithinLimit(QWidget &parent, CDesignDocument &document, ShapeList shapes, const QString &name);

// The colour lists that copies step through, and the selected entry of each.
struct ColourCycle
{
    QList<std::int32_t> fills;
    int fill = -1;
    QList<std::int32_t> pens;
    int pen = -1;
};

// The one home of the copy policy for a new shape: its copies around the
// centre (and mirror images) as the settings ask, the colours cycled when
// they ask for it, all added as one step within the limit.
bool AddWithCopies(QWidget &parent, CDesignDocument &document, std::unique_ptr<CObjectStorage> shape,
                   const CEditorSettings &settings, const ColourCycle &colours);
