#include "tools/Selection.h"

#include <algorithm>

CSelection::CSelection(const CDesignDocument &document)
    : m_document(document), m_flags(document.Shapes().size())
{
    connect(&document, &CDesignDocument::ShapesAppended, this,
            [this](int, int count) { m_flags.resize(m_flags.size() + static_cast<std::size_t>(count)); });
    connect(&document, &CDesignDocument::ShapesRemoved, this, [this](const Places &places) {
        TakeAt(m_flags, places);
        Update();
    });
    connect(&document, &CDesignDocument::ShapesInserted, this, [this](const Places &places) {
        PutAt(m_flags, places, std::vector<bool>(static_cast<std::size_t>(places.size()), m_active));
        Update();
    });
    connect(&document, &CDesignDocument::ShapesMoved, this, [this](const Places &from, const Places &to) {
        PutAt(m_flags, to, TakeAt(m_flags, from));
        Update();
    });
    connect(&document, &CDesignDocument::ShapesReset, this, [this] {
        m_flags.assign(m_document.Shapes().size(), false);
        Update();
    });
}

bool CSelection::Contains(int place) const
{
    return place >= 0 && static_cast<std::size_t>(place) < m_flags.size() &&
           m_flags[static_cast<std::size_t>(place)];
}

void CSelection::Set(Places places)
{
    std::fill(m_flags.begin(), m_flags.end(), false);
    if (m_active)
        for (const int place : places)
            if (place >= 0 && static_cast<std::size_t>(place) < m_flags.size())
                m_flags[static_cast<std::size_t>(place)] = true;
    Update();
}

void CSelection::SetActive(bool active)
{
    m_active = active;
    if (!active)
        Clear();
}

void CSelection::Update()
{
    Places places;
    for (std::size_t i = 0; i < m_flags.size(); ++i)
        if (m_flags[i])
            places.append(static_cast<int>(i));
    if (places != m_places) {
        m_places = std::move(places);
        emit Changed();
    }
}
