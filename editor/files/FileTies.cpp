#include "files/FileTies.h"

#include <QUndoStack>

#include <algorithm>
#include <iterator>

CFileTies::CFileTies(QUndoStack &stack)
    : m_stack(stack), m_steps{{nullptr, QString(), true}}, m_held{{QString(), 0}}
{
    connect(&m_stack, &QUndoStack::indexChanged, this, &CFileTies::Follow);
    Follow();
}

void CFileTies::Tie(const QString &path, bool holds)
{
    const auto index = static_cast<std::size_t>(m_index);
    m_steps[index].own = true;
    for (std::size_t step = index; step < m_steps.size() && (step == index || !m_steps[step].own); ++step)
        m_steps[step].file = path;
    if (holds)
        m_held.insert(path, m_index);
    SetClean();
}

void CFileTies::Follow()
{
    const auto count = static_cast<std::size_t>(m_stack.count());
    const int index = m_stack.index();
    // Undo and Redo change no step; a push (a merge, a step that undoes
    // itself, a branch dropped) changes them from the index it was made at
    // and leaves none above its new index. So only the steps between the old
    // and the new index need looking at, which is what changed.
    auto step = static_cast<std::size_t>(std::max(1, std::min(m_index, index)));
    const std::size_t last = std::min({m_steps.size(), count + 1, static_cast<std::size_t>(std::max(m_index, index)) + 1});
    while (step < last && m_steps[step].command == m_stack.command(static_cast<int>(step) - 1))
        ++step;
    Cut(step < last ? step : std::min(m_steps.size(), count + 1));
    for (step = m_steps.size(); step <= count; ++step)
        m_steps.push_back({m_stack.command(static_cast<int>(step) - 1), m_steps.back().file, false});
    m_index = index;
    SetClean();
}

void CFileTies::Cut(std::size_t size)
{
    if (size >= m_steps.size())
        return;
    m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(size), m_steps.end());
    // A file whose step is gone holds none of those left.
    for (auto held = m_held.begin(); held != m_held.end();)
        held = held.value() >= static_cast<int>(size) ? m_held.erase(held) : std::next(held);
}

void CFileTies::SetClean()
{
    const auto held = m_held.constFind(File());
    const bool clean = held != m_held.cend() && held.value() == m_index;
    if (clean && !m_stack.isClean())
        m_stack.setClean();
    else if (!clean && m_stack.isClean())
        m_stack.resetClean();
    emit Changed();
}
