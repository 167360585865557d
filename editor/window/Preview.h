#pragma once

#include "drawing/Animation.h"

#include <QObject>

#include <chrono>
#include <functional>

// The Test preview: the frames of PreviewFrameAt, one frame delay apart, paced against the clock from the
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
