#include "model/DocumentCommands.h"

#include <algorithm>
#include <utility>

CAddShapesCommand::CAddShapesCommand(CDesignDocument &document, ShapeList shapes,
                                     const QString &name)
    : QUndoCommand(name), m_document(document), m_shapes(std::move(shapes)),
      m_count(m_shapes.size())
{
}

void CAddShapesCommand::redo()
{
    m_document.Append(std::move(m_shapes));
}

void CAddShapesCommand::undo()
{
    m_shapes = m_document.RemoveLast(m_count);
}

CReplaceDesignCommand::CReplaceDesignCommand(CDesignDocument &document, ShapeList shapes,
                                             const QString &name)
    : QUndoCommand(name), m_document(document), m_shapes(std::move(shapes))
{
}

void CReplaceDesignCommand::redo()
{
    m_shapes = m_document.Replace(std::move(m_shapes));
}

void CReplaceDesignCommand::undo()
{
    redo();
}

CRemoveShapesCommand::CRemoveShapesCommand(CDesignDocument &document, Places places,
                                           const QString &name)
    : QUndoCommand(name), m_document(document), m_places(std::move(places))
{
}

void CRemoveShapesCommand::redo()
{
    m_removed = m_document.RemoveAt(m_places);
}

void CRemoveShapesCommand::undo()
{
    m_document.InsertAt(m_places, std::move(m_removed));
}

CChangeShapesCommand::CChangeShapesCommand(CDesignDocument &document, Places places,
                                           ShapeList shapes, const QString &name, int drag)
    : QUndoCommand(name), m_document(document), m_places(std::move(places)),
      m_shapes(std::move(shapes)), m_drag(drag)
{
}

void CChangeShapesCommand::redo()
{
    m_shapes = m_document.ExchangeAt(m_places, std::move(m_shapes));
}

void CChangeShapesCommand::undo()
{
    redo();
}

int CChangeShapesCommand::id() const
{
    return m_drag == 0 ? -1 : 1;
}

bool CChangeShapesCommand::mergeWith(const QUndoCommand *other)
{
    // Both are done: this one holds the shapes from before the drag, the
    // other the drag's previous state, which is no longer needed.
    const auto *next = static_cast<const CChangeShapesCommand *>(other);
    if (next->m_drag != m_drag || next->m_places != m_places)
        return false;
    const ShapeList &now = m_document.Shapes();
    setObsolete(std::equal(m_places.cbegin(), m_places.cend(), m_shapes.cbegin(),
                           [&](int place, const auto &before) {
                               return now[static_cast<std::size_t>(place)]->SameAs(*before);
                           }));
    return true;
}

CMoveShapesCommand::CMoveShapesCommand(CDesignDocument &document, Places from, Places to,
                                       const QString &name)
    : QUndoCommand(name), m_document(document), m_from(std::move(from)), m_to(std::move(to))
{
}

void CMoveShapesCommand::redo()
{
    m_document.MoveTo(m_from, m_to);
}

void CMoveShapesCommand::undo()
{
    m_document.MoveTo(m_to, m_from);
}
