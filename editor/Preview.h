#pragma once

#include <QObject>

#include <chrono>
#include <functional>

// The frames of the Test preview, shown by the window and written by the
// animation export alike: frame k (1 to PreviewFrameCount) draws the design
// at scale 0.1 + 0.004 k, turned 0.03 k radians clockwise from where it
// starts, and stays PreviewFrameDelay.
inline constexpr int PreviewFrameCount = 360;
inline constexpr std::chrono::milliseconds PreviewFrameDelay{30};

struct PreviewFrame
{
    double scale;
    double rotation;
};
PreviewFrame PreviewFrameAt(int k, double startRotation = 0.0);

// The Test preview: the frames above, one frame delay apart, paced against the clock from the
// start. A frame whose moment has passed before it could be shown is skipped,
// so the preview keeps its length whatever the design and every frame shown
// is the one of its moment; the first and the last are always shown. While it
// runs the window keeps answering the window system, but the user's input is
// dropped, not held back for afterwards.
class CPreview : public QObject
{
    Q_OBJECT

public:
    // show(scale, rotation) paints one frame.
    using ShowFrame = std::function<void(double scale, double rotation)>;

    static void Run(std::chrono::milliseconds delay, double rotation, const ShowFrame &show);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
