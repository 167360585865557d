#include "tools/ToolManager.h"

#include "tools/Selection.h"

#include <QWidget>

CToolManager::CToolManager(CToolHost &host)
    : m_host(host), m_entry(host), m_select(host)
{
    m_host.Surface().setCursor(m_entry.Cursor());
}

CAbstractTool &CToolManager::Active()
{
    return m_selecting ? static_cast<CAbstractTool &>(m_select) : m_entry;
}

const CAbstractTool &CToolManager::Active() const
{
    return m_selecting ? static_cast<const CAbstractTool &>(m_select) : m_entry;
}

void CToolManager::SetSelecting(bool selecting)
{
    if (selecting != m_selecting && !Active().IsBusy()) {
        m_selecting = selecting;
        m_host.Selection().SetActive(selecting);
        m_host.Surface().setCursor(Active().Cursor());
    }
    emit ModeChanged(m_selecting);
}
