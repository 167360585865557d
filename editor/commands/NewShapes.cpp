#include "commands/NewShapes.h"

#include "commands/Commands.h"
#include "model/Copies.h"

bool AddWithinLimit(QWidget &parent, CDesignDocument &document, ShapeList shapes, const QString &name)
{
    if (!document.CanAdd(shapes.size())) {
        Say(&parent, QMessageBox::Warning,
            QStringLiteral("A design file holds at most 65,535 shapes: the design has %1, and %2 more "
                           "would not fit. Nothing was added.")
                .arg(document.Shapes().size())
                .arg(shapes.size()));
        return false;
    }
    document.AddShapes(std::move(shapes), name);
    return true;
}

bool AddWithCopies(QWidget &parent, CDesignDocument &document, std::unique_ptr<CObjectStorage> shape,
                   const CEditorSettings &settings, const ColourCycle &colours)
{
    const CopyGroup pattern = CopyPattern(settings);
    if (const QString why = CopiesProblem(*shape, pattern, settings.scale); !why.isEmpty()) {
        Say(&parent, QMessageBox::Warning, why);
        return false;
    }
    ShapeList shapes = MakeCopies(std::move(shape), pattern);
    if (settings.cycleColours)
        CycleColours(shapes, colours.fills, colours.fill, colours.pens, colours.pen);
    return AddWithinLimit(parent, document, std::move(shapes), QStringLiteral("Add shape"));
}
