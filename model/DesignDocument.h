#pragma once

#include "model/ObjectStorage.h"

#include <QObject>
#include <QUndoStack>

// The design being edited: the ordered shape list and the undo history of
// every change to it. Entry and the editing commands change it only through
// the undoable edits; painting, export and the recovery copy read it and
// follow its two change signals.
class CDesignDocument : public QObject
{
    Q_OBJECT

public:
    explicit CDesignDocument(QObject *parent = nullptr);
    ~CDesignDocument() override;

    const ShapeList &Shapes() const { return m_shapes; }
    QUndoStack &UndoStack() { return m_undo; }

    // Undoable edits, one step each, named as the Undo and Redo items show them.
    void AddShapes(ShapeList shapes);                         // "Add shape"
    void Clear();                                             // "Clear"
    void ReplaceAll(ShapeList shapes, const QString &name);   // e.g. "Open design"

    // Whether the shapes differ from those last generated or opened.
    bool IsModified() const { return !m_undo.isClean(); }
    void MarkUnmodified() { m_undo.setClean(); }

    // The list operations the undo steps are made of; not undoable themselves.
    void Append(ShapeList shapes);
    ShapeList RemoveLast(std::size_t count);
    ShapeList Replace(ShapeList shapes);

signals:
    // Shapes [first, first + count) were appended; the ones before are unchanged.
    void ShapesAppended(int first, int count);
    // Anything else: shapes were removed or the list replaced.
    void ShapesReset();

private:
    ShapeList m_shapes;
    QUndoStack m_undo;
};
