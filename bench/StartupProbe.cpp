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
    void paintEvent(QPaintEvent *event) override
    {
        CPatternDlg::paintEvent(event);
        if (m_reported)
            return;
        m_reported = true;
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("%lld\n", static_cast<long long>(
                                  std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
        QMetaObject::invokeMethod(this, [this] { done(QDialog::Accepted); }, Qt::QueuedConnection);
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
    dialog.show();
    dialog.OfferRecovery();
    dialog.exec();
    recovery.Close();
    return 0;
}
