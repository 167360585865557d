// Starts as the program does and prints the steady-clock time, in
// nanoseconds, at which the editor window's first frame has been painted;
// then ends without saving anything.
#include "editor/PatternDlg.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QMetaObject>

#include <chrono>
#include <cstdio>

namespace {

class CFirstFrameDlg : public CPatternDlg
{
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
    CFirstFrameDlg dialog;
    dialog.exec();
    return 0;
}
