// Starts as the program does (settings, recovery copy, the editor window)
// and prints the steady-clock time, in nanoseconds, at which the window's
// first frame has been painted; then ends without saving anything.
#include "window/PatternDlg.h"
#include "export/Recovery.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QMetaObject>

#include <chrono>
#include <cstdio>

namespace {

class CFirstFrameDlg : public CPatternDlg
{
public:
    using CPatternDlg::CPatternDlg;

protected:
    // The canvas's first paint, once it is done.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || m_reported)
            return false;
        watched->event(event);
        m_reported = true;
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("%lld\n", static_cast<long long>(
                                  std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
        QMetaObject::invokeMethod(this, [] { QApplication::quit(); }, Qt::QueuedConnection);
        return true;
    }

private:
    bool m_reported = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(CSettingsStore::Organisation);
    CRecoveryFile recovery;
    CFirstFrameDlg dialog(&recovery);
    dialog.Canvas().installEventFilter(&dialog);
    dialog.show();
    dialog.OfferRecovery();
    QApplication::exec();
    recovery.Close();
    return 0;
}
