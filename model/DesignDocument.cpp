#include "model/DesignDocument.h"

#include "model/DocumentCommands.h"

#include <iterator>
#include <utility>

Places PlaceRange(int first, int count)
{
    Places places;
    places.reserve(count);
    for (int i = 0; i < count; ++i)
        places.append(first + i);
    return places;
}

CDesignDocument::CDesignDocument(QObject *parent)
    : QObject(parent)
{
}

// The undo steps refer to the document, so they go before the shape list;
// a document that is going away tells no one of a new step, as those who
// listen (the window, its selection) may already be gone.
CDesignDocument::~CDesignDocument()
{
    m_undo.blockSignals(true);
    m_undo.clear();
}

void CDesignDocument::AddShapes(ShapeList shapes, const QString &name)
{
    m_undo.push(new CAddShapesCommand(*this, std::move(shapes), name));
}

void CDesignDocument::Clear()
{
    ReplaceAll({}, QStringLiteral("Clear"));
}

void CDesignDocument::ReplaceAll(ShapeList shapes, const QString &name)
{
    m_undo.push(new CReplaceDesignCommand(*this, std::move(shapes), name));
}

void CDesignDocument::RemoveShapes(const Places &places, const QString &name)
{
    if (!places.isEmpty())
        m_undo.push(new CRemoveShapesCommand(*this, places, name));
}

void CDesignDocument::ChangeShapes(const Places &places, ShapeList shapes, const QString &name,
                                   int drag)
{
    if (!places.isEmpty())
        m_undo.push(new CChangeShapesCommand(*this, places, std::move(shapes), name, drag));
}

void CDesignDocument::MoveShapes(const Places &from, const Places &to, const QString &name)
{
    if (from != to)
        m_undo.push(new CMoveShapesCommand(*this, from, to, name));
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
    return RemoveAt(PlaceRange(static_cast<int>(m_shapes.size() - count), static_cast<int>(count)));
}

ShapeList CDesignDocument::Replace(ShapeList shapes)
{
    std::swap(m_shapes, shapes);
    emit ShapesReset();
    return shapes;
}

ShapeList CDesignDocument::RemoveAt(const Places &places)
{
    ShapeList removed = TakeAt(m_shapes, places);
    emit ShapesRemoved(places);
    return removed;
}

void CDesignDocument::InsertAt(const Places &places, ShapeList shapes)
{
    PutAt(m_shapes, places, std::move(shapes));
    emit ShapesInserted(places);
}

ShapeList CDesignDocument::ExchangeAt(const Places &places, ShapeList shapes)
{
    for (qsizetype i = 0; i < places.size(); ++i)
        std::swap(m_shapes[static_cast<std::size_t>(places[i])], shapes[static_cast<std::size_t>(i)]);
    emit ShapesChanged(places);
    return shapes;
}

void CDesignDocument::MoveTo(const Places &from, const Places &to)
{
    PutAt(m_shapes, to, TakeAt(m_shapes, from));
    emit ShapesMoved(from, to);
}
