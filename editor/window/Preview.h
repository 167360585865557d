#pragma once

#include "drawing/FrameSource.h"

#include <QObject>

#include <chrono>
#include <functional>

// The Test preview: the preview's frames once through, one frame delay apart,
// at the moments of a CFramePace. A frame whose moment has passed before it could be shown is skipped,
// so the preview keeps its length whatever the design and every frame shown
// is the one of its moment; the first and the last are always shown. While it
// runs the window keeps answering the window system, but the user's input is
// dropped, not held back for afterwards.
class CPreview : public QObject
{
    Q_OBJECT

public:
    // show(k, frame) paints frame k, turned on from rotation.
    using ShowFrame = std::function<void(int k, const PreviewFrame &frame)>;

    static void Run(std::chrono::milliseconds delay, double rotation, const ShowFrame &show);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
