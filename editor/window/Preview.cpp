#include "window/Preview.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

namespace {

// Waits until the nth moment, answering the window system.
void WaitFor(const CFramePace &pace, int n)
{
    const qint64 remaining = pace.Until(n);
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
    CFramePace pace(delay);
    pace.Start();
    for (int frame = 1; frame <= PreviewFrameCount; ++frame) {
        WaitFor(pace, frame);
        if (frame == 1 || frame == PreviewFrameCount || !pace.Late(frame))
            show(frame, PreviewFrameAt(frame, rotation));
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
