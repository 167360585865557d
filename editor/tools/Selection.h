#pragma once

#include "model/DesignDocument.h"

#include <QObject>

#include <vector>

// The selected shapes of the design, by place. It follows the document: a
// removed shape leaves it, places move with their shapes, shapes put back by
// an undo are selected, a replaced design selects nothing. While inactive
// (drawing) it stays empty.
class CSelection : public QObject
{
    Q_OBJECT

public:
    explicit CSelection(const CDesignDocument &document);

    const Places &Shapes() const { return m_places; }
    bool IsEmpty() const { return m_places.isEmpty(); }
    bool Contains(int place) const;

    void Set(Places places); // any order; repeats count once
    void Clear() { Set({}); }
    void SetActive(bool active);
    bool IsActive() const { return m_active; }

signals:
    void Changed();

private:
    // Makes the places follow the flags, and tells when they changed.
    void Update();

    const CDesignDocument &m_document;
    std::vector<bool> m_flags; // one for each shape of the design
    Places m_places;
    bool m_active = false;
};
