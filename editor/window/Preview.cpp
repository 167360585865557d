#include "window/Preview.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

namespace {

// Waits until the clock reaches the deadline, answering the window system.
void WaitUntil(const QElapsedTimer &clock, qint64 deadlineMs)
{
    const qint64 remaining = deadlineMs - clock.elapsed();
    if (remaining <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(remaining), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

void CPreview::Run(std::chrono::milliseconds delay, double rotation, const ShowFrame &show)
{
    CPreview dropInput;
    QCoreApplication::instance()->installEventFilter(&dropInput);
    QElapsedTimer clock;
    clock.start();
    for (int frame = 1; frame <= PreviewFrameCount; ++frame) {
        WaitUntil(clock, frame * delay.count());
        const bool late = clock.elapsed() >= (frame + 1) * delay.count();
        if (frame == 1 || frame == PreviewFrameCount || !late) {
            const PreviewFrame shown = PreviewFrameAt(frame, rotation);
            show(shown.scale, shown.rotation);
        }
    }
}

bool CPreview::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}
