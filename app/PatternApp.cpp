#include "app/PatternApp.h"

#include "editor/PatternDlg.h"
#include "platform/SettingsStore.h"

#include <QCoreApplication>

bool CPatternApp::InitInstance()
{
    QCoreApplication::setOrganizationName(CSettingsStore::Organisation);
    CPatternDlg dialog;
    dialog.exec(); // however it ended, the program ends with it
    return false;
}
