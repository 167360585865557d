#pragma once

#include "tools/EntryTool.h"
#include "tools/SelectTool.h"

#include <QObject>

// The two tools and which one has the canvas: drawing at every start,
// selecting while the user asks for it. Leaving selection selects nothing.
class CToolManager : public QObject
{
    Q_OBJECT

public:
    explicit CToolManager(CToolHost &host);

    CAbstractTool &Active();
    const CAbstractTool &Active() const;
    CEntryTool &Entry() { return m_entry; }
    CSelectTool &Selector() { return m_select; }
    bool IsSelecting() const { return m_selecting; }
    // Refused while a tool is busy.
    void SetSelecting(bool selecting);

signals:
    void ModeChanged(bool selecting);

private:
    CToolHost &m_host;
    CEntryTool m_entry;
    CSelectTool m_select;
    bool m_selecting = false;
};
