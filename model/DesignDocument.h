#pragma once

#include "model/ObjectStorage.h"

#include <QList>
#include <QObject>
#include <QUndoStack>

// Positions in the design's shape list, ascending.
using Places = QList<int>;

// The design being edited: the ordered shape list and the undo history of
// every change to it. Entry and the editing commands change it only through
// the undoable edits; painting, export and the recovery copy read it and
// follow its change signals, each of which says exactly what changed.
class CDesignDocument : public QObject
{
    Q_OBJECT

public:
    explicit CDesignDocument(QObject *parent = nullptr);
    ~CDesignDocument() override;

    const ShapeList &Shapes() const { return m_shapes; }
    QUndoStack &UndoStack() { return m_undo; }

    // Whether count more shapes still fit a design file.
    bool CanAdd(std::size_t count) const { return count <= MaxDesignShapes - std::min(m_shapes.size(), MaxDesignShapes); }

    // Undoable edits, one step each, named as the Undo and Redo items show
    // them. The callers keep within MaxDesignShapes (CanAdd).
    void AddShapes(ShapeList shapes, const QString &name = QStringLiteral("Add shape"));
    void Clear();                                             // "Clear"
    void ReplaceAll(ShapeList shapes, const QString &name);   // e.g. "Open design"
    void RemoveShapes(const Places &places, const QString &name);
    // The shapes at places become these. Steps given the same non-zero drag
    // number one after another are one step: a drag is undone as a whole,
    // and a drag that ends where it began leaves no step at all.
    void ChangeShapes(const Places &places, ShapeList shapes, const QString &name, int drag = 0);
    // The shapes at from, in their order, go to the places to (as numbered
    // afterwards); the others keep their order.
    void MoveShapes(const Places &from, const Places &to, const QString &name);

    // Whether the shapes differ from those last generated or opened.
    bool IsModified() const { return !m_undo.isClean(); }
    void MarkUnmodified() { m_undo.setClean(); }

    // The list operations the undo steps are made of; not undoable themselves.
    void Append(ShapeList shapes);
    ShapeList RemoveLast(std::size_t count);
    ShapeList Replace(ShapeList shapes);
    ShapeList RemoveAt(const Places &places);
    void InsertAt(const Places &places, ShapeList shapes);
    // Puts shapes at places and returns the ones that were there.
    ShapeList ExchangeAt(const Places &places, ShapeList shapes);
    void MoveTo(const Places &from, const Places &to);

signals:
    // Shapes [first, first + count) were appended; the ones before are unchanged.
    void ShapesAppended(int first, int count);
    // The shapes at places (numbered as before) were removed.
    void ShapesRemoved(const Places &places);
    // Shapes were inserted at places (numbered as after).
    void ShapesInserted(const Places &places);
    // The shapes at places were replaced by others; the rest are unchanged.
    void ShapesChanged(const Places &places);
    // The shapes at from went to to, in the same order (see MoveShapes).
    void ShapesMoved(const Places &from, const Places &to);
    // The whole list was replaced.
    void ShapesReset();

private:
    ShapeList m_shapes;
    QUndoStack m_undo;
};

// Places first, first + 1, ..., first + count - 1.
Places PlaceRange(int first, int count);

// Takes the items at places out of items, keeping the order of both.
template <typename T> std::vector<T> TakeAt(std::vector<T> &items, const Places &places)
{
    std::vector<T> taken;
    taken.reserve(static_cast<std::size_t>(places.size()));
    std::size_t kept = 0;
    qsizetype next = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (next < places.size() && places[next] == static_cast<int>(i)) {
            taken.push_back(std::move(items[i]));
            ++next;
        } else {
            items[kept++] = std::move(items[i]);
        }
    }
    items.resize(kept);
    return taken;
}

// Puts added in at places (numbered as afterwards), keeping the order of both.
template <typename T> void PutAt(std::vector<T> &items, const Places &places, std::vector<T> added)
{
    std::vector<T> merged;
    merged.reserve(items.size() + added.size());
    std::size_t from = 0;
    std::size_t next = 0;
    for (std::size_t i = 0; i < items.size() + added.size(); ++i) {
        if (next < added.size() && places[static_cast<qsizetype>(next)] == static_cast<int>(i))
            merged.push_back(std::move(added[next++]));
        else
            merged.push_back(std::move(items[from++]));
    }
    items = std::move(merged);
}
