#pragma once

#include "window/PatternDlg.h"
#include "model/ObjectStorage.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

class CRecoveryFile;

// Calls before() and after() around each paint of a widget.
class CPaintWatch : public QObject
{
public:
    CPaintWatch(QWidget &widget, std::function<void()> before, std::function<void()> after);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_before;
    std::function<void()> m_after;
};

// The editor window, counting its canvas's paints.
class CCountingDlg : public CPatternDlg
{
public:
    explicit CCountingDlg(CRecoveryFile *recovery = nullptr);
    int paints = 0;

private:
    CPaintWatch m_watch;
};

// Resizes the window so that its client area has this size.
void ResizeClient(CPatternDlg &window, QSize client);
// A point of the client area on the canvas, below the strip.
QPoint OnCanvas(QPoint client);

// Runs the event loop until the window has painted once more than before;
// false when no paint came within a second.
bool UntilPainted(CCountingDlg &window, int before);

// Processor time of this thread, in seconds: the part of a wait that is the
// window's own work, and not other threads' or programs'.
double ThreadSeconds();

// Lets every paint and event that is due run, outside the timing.
void Settle();

// The window at BenchClient showing a design of the given size (seeded, or
// the given shapes), its canvas painted once; with livePreview, the live
// preview open beside the canvas and playing.
std::unique_ptr<CCountingDlg> OpenWindow(benchmark::State &state, int shapes,
                                         CRecoveryFile *recovery = nullptr, bool livePreview = false);
std::unique_ptr<CCountingDlg> OpenWindow(benchmark::State &state, ShapeList shapes,
                                         CRecoveryFile *recovery = nullptr, bool livePreview = false);

// A pointer move over the window's client area, with these buttons held.
void Move(CCountingDlg &window, QPoint pos, Qt::MouseButtons buttons = Qt::NoButton);
