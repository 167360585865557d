#include "bench/BenchWindow.h"

#include "bench/BenchDesign.h"
#include "export/Recovery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLayout>
#include <QMouseEvent>
#include <QTest>

#include <ctime>

CPaintWatch::CPaintWatch(QWidget &widget, std::function<void()> before, std::function<void()> after)
    : QObject(&widget), m_before(std::move(before)), m_after(std::move(after))
{
    widget.installEventFilter(this);
}

bool CPaintWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Paint)
        return false;
    m_before();
    watched->event(event);
    m_after();
    return true;
}

CCountingDlg::CCountingDlg(CRecoveryFile *recovery)
    : CPatternDlg(recovery), m_watch(Canvas(), [] {}, [this] { ++paints; })
{
}

void ResizeClient(CPatternDlg &window, QSize client)
{
    // Before the window is first shown its parts have no sizes yet: lay them out.
    window.layout()->activate();
    window.resize(client + window.size() - window.ClientArea().size());
}

QPoint OnCanvas(QPoint client)
{
    return client - QPoint(0, CControlStrip::Height);
}

bool UntilPainted(CCountingDlg &window, int before)
{
    QElapsedTimer waited;
    waited.start();
    while (window.paints == before) {
        if (waited.elapsed() > 1000)
            return false;
        QCoreApplication::processEvents();
    }
    return true;
}

double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void Settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

std::unique_ptr<CCountingDlg> OpenWindow(benchmark::State &state, ShapeList shapes,
                                         CRecoveryFile *recovery, bool livePreview)
{
    auto window = std::make_unique<CCountingDlg>(recovery);
    window->Document().AddShapes(std::move(shapes));
    ResizeClient(*window, BenchClient);
    window->show();
    if (QTest::qWaitForWindowExposed(window.get())) {
        // The live preview takes its width from the window, not from the
        // canvas; a size asked for before the first show may be missed.
        window->LivePreview().setVisible(livePreview);
        Settle();
        ResizeClient(*window, BenchClient);
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 2000 && (window->ClientArea().size() != BenchClient ||
                                           (livePreview && window->LivePreview().Player().Frame() == 0)))
            QCoreApplication::processEvents();
    }
    if (!QTest::qWaitForWindowExposed(window.get()) || window->ClientArea().size() != BenchClient) {
        state.SkipWithError("the window did not appear at its size");
        return nullptr;
    }
    window->Canvas().repaint(); // the canvas image of the whole design, made once
    Settle();
    if (recovery)
        recovery->Flush();
    return window;
}

std::unique_ptr<CCountingDlg> OpenWindow(benchmark::State &state, int shapes,
                                         CRecoveryFile *recovery, bool livePreview)
{
    return OpenWindow(state, shapes > 0 ? MakeBenchDesign(shapes) : ShapeList(), recovery, livePreview);
}

void Move(CCountingDlg &window, QPoint pos, Qt::MouseButtons buttons)
{
    QWidget &canvas = window.Canvas();
    QMouseEvent move(QEvent::MouseMove, OnCanvas(pos), canvas.mapToGlobal(OnCanvas(pos)), Qt::NoButton, buttons,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&canvas, &move);
}
