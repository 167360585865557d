#pragma once

#include "window/PatternDlg.h"
#include "model/ObjectStorage.h"

#include <benchmark/benchmark.h>

#include <memory>

class CRecoveryFile;

// The editor window, counting its paints.
class CCountingDlg : public CPatternDlg
{
public:
    using CPatternDlg::CPatternDlg;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// Runs the event loop until the window has painted once more than before;
// false when no paint came within a second.
bool UntilPainted(CCountingDlg &window, int before);

// Processor time of this thread, in seconds: the part of a wait that is the
// window's own work, and not other threads' or programs'.
double ThreadSeconds();

// Lets every paint and event that is due run, outside the timing.
void Settle();

// The window at BenchClient showing a design of the given size (seeded, or
// the given shapes), its canvas painted once.
std::unique_ptr<CCountingDlg> OpenWindow(benchmark::State &state, int shapes,
                                         CRecoveryFile *recovery = nullptr);
std::unique_ptr<CCountingDlg> OpenWindow(benchmark::State &state, ShapeList shapes,
                                         CRecoveryFile *recovery = nullptr);

// A pointer move over the window, with these buttons held.
void Move(CCountingDlg &window, QPoint pos, Qt::MouseButtons buttons = Qt::NoButton);
