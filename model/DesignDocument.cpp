#include "model/DesignDocument.h"

#include <QUndoCommand>

#include <iterator>
#include <utility>

namespace {

// Shapes appended as one step. While undone, the command holds them.
class CAddCommand : public QUndoCommand
{
public:
    CAddCommand(CDesignDocument &document, ShapeList shapes)
        : QUndoCommand(QStringLiteral("Add shape")), m_document(document),
          m_shapes(std::move(shapes)), m_count(m_shapes.size())
    {
    }
    void redo() override { m_document.Append(std::move(m_shapes)); }
    void undo() override { m_shapes = m_document.RemoveLast(m_count); }

private:
    CDesignDocument &m_document;
    ShapeList m_shapes;
    std::size_t m_count;
};

// The whole list exchanged for another; each run swaps them back.
class CReplaceCommand : public QUndoCommand
{
public:
    CReplaceCommand(CDesignDocument &document, ShapeList shapes, const QString &name)
        : QUndoCommand(name), m_document(document), m_shapes(std::move(shapes))
    {
    }
    void redo() override { m_shapes = m_document.Replace(std::move(m_shapes)); }
    void undo() override { redo(); }

private:
    CDesignDocument &m_document;
    ShapeList m_shapes;
};

} // namespace

CDesignDocument::CDesignDocument(QObject *parent)
    : QObject(parent)
{
}

// The undo steps refer to the document, so they go before the shape list.
CDesignDocument::~CDesignDocument()
{
    m_undo.clear();
}

void CDesignDocument::AddShapes(ShapeList shapes)
{
    m_undo.push(new CAddCommand(*this, std::move(shapes)));
}

void CDesignDocument::Clear()
{
    ReplaceAll({}, QStringLiteral("Clear"));
}

void CDesignDocument::ReplaceAll(ShapeList shapes, const QString &name)
{
    m_undo.push(new CReplaceCommand(*this, std::move(shapes), name));
}

void CDesignDocument::Append(ShapeList shapes)
{
    const auto first = static_cast<int>(m_shapes.size());
    m_shapes.insert(m_shapes.end(), std::make_move_iterator(shapes.begin()),
                    std::make_move_iterator(shapes.end()));
    emit ShapesAppended(first, static_cast<int>(shapes.size()));
}

ShapeList CDesignDocument::RemoveLast(std::size_t count)
{
    count = std::min(count, m_shapes.size());
    const auto from = m_shapes.end() - static_cast<std::ptrdiff_t>(count);
    ShapeList removed(std::make_move_iterator(from), std::make_move_iterator(m_shapes.end()));
    m_shapes.erase(from, m_shapes.end());
    emit ShapesReset();
    return removed;
}

ShapeList CDesignDocument::Replace(ShapeList shapes)
{
    std::swap(m_shapes, shapes);
    emit ShapesReset();
    return shapes;
}
