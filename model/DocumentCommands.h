#pragma once

#include "model/DesignDocument.h"

#include <QUndoCommand>

// The undo steps of a design document, one class per kind of edit. Each
// holds the shapes that are not in the document while it is done or undone,
// and changes the document only through its list operations.

// Shapes appended at the end.
class CAddShapesCommand : public QUndoCommand
{
public:
    CAddShapesCommand(CDesignDocument &document, ShapeList shapes, const QString &name);
    void redo() override;
    void undo() override;

private:
    CDesignDocument &m_document;
    ShapeList m_shapes;
    std::size_t m_count;
};

// The whole list exchanged for another; each run swaps them back.
class CReplaceDesignCommand : public QUndoCommand
{
public:
    CReplaceDesignCommand(CDesignDocument &document, ShapeList shapes, const QString &name);
    void redo() override;
    void undo() override;

private:
    CDesignDocument &m_document;
    ShapeList m_shapes;
};

// Shapes removed from places anywhere in the list.
class CRemoveShapesCommand : public QUndoCommand
{
public:
    CRemoveShapesCommand(CDesignDocument &document, Places places, const QString &name);
    void redo() override;
    void undo() override;

private:
    CDesignDocument &m_document;
    Places m_places;
    ShapeList m_removed;
};

// The shapes at places replaced by changed ones: colours, kind, vertices.
class CChangeShapesCommand : public QUndoCommand
{
public:
    CChangeShapesCommand(CDesignDocument &document, Places places, ShapeList shapes,
                         const QString &name, int drag);
    void redo() override;
    void undo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

private:
    CDesignDocument &m_document;
    Places m_places;
    ShapeList m_shapes; // whichever shapes are not in the document now
    int m_drag;
};

// Shapes moved to other places in the drawing order.
class CMoveShapesCommand : public QUndoCommand
{
public:
    CMoveShapesCommand(CDesignDocument &document, Places from, Places to, const QString &name);
    void redo() override;
    void undo() override;

private:
    CDesignDocument &m_document;
    Places m_from;
    Places m_to;
};
