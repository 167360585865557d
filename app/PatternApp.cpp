#include "app/PatternApp.h"

#include "app/AboutDlg.h"
#include "window/PatternDlg.h"
#include "export/Recovery.h"
#include "platform/SettingsStore.h"

#include <QApplication>

void CPatternApp::InitInstance(const QString &file)
{
    QCoreApplication::setOrganizationName(CSettingsStore::Organisation);
    CRecoveryFile recovery;
    CPatternDlg dialog(&recovery);
    QObject::connect(&dialog, &CPatternDlg::AboutRequested, &dialog, [&dialog] {
        CAboutDlg about(&dialog);
        about.exec();
    });
    dialog.show();
    // A design lost in a crash first; a file asked for then asks about it.
    dialog.OfferRecovery();
    if (!file.isEmpty())
        dialog.Files().Open(file);
    QApplication::exec(); // the program ends with the window
}
