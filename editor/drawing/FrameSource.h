#pragma once

#include "drawing/Canvas.h"

#include <QImage>
#include <QSize>

#include <chrono>

// The frames of the preview, the one home of what each shows, how it is
// painted and how long it stays, for the Test preview on the canvas, the live
// preview, the full-screen player and the animation export alike: frame k
// (1 to PreviewFrameCount) draws the design on the plain canvas at scale
// 0.1 + 0.004 k, turned 0.03 k radians clockwise from where it starts, and
// stays PreviewFrameDelay.
inline constexpr int PreviewFrameCount = 360;
inline constexpr std::chrono::milliseconds PreviewFrameDelay{30};

struct PreviewFrame
{
    double scale;
    double rotation;
};
PreviewFrame PreviewFrameAt(int k, double startRotation = 0.0);

// What an exported animation may choose of its frames' look; the screen's
// previews draw the plain one.
struct FrameLook
{
    bool smooth = false;
    bool frame = true;
    bool transparent = false; // on an image with alpha, premultiplied
};

// Frame k's view of a canvas of this size: centred, without axes, guides or dots.
CanvasView PreviewFrameView(QSize size, int k, const FrameLook &look = {});

// Frame k painted on a canvas of this size, as a frame image (FrameImage); a
// null image without the memory for it. With parallel the shapes are shared
// out among the cores, for the same pixels.
QImage PaintPreviewFrame(QSize size, int k, const ShapeList &shapes, bool parallel = false,
                         const FrameLook &look = {});

// The frame of the loop at the nth frame moment since frame first was shown:
// after the last frame the first again.
inline int LoopFrame(int first, int n)
{
    return (first + n - 1) % PreviewFrameCount + 1;
}

// The frames' moments, counted from a start: the nth is n delays after it.
// A frame is shown at its moment, or not at all once the next one's has come,
// so that the frames keep their pace whatever they cost to paint.
class CFramePace
{
public:
    using Clock = std::chrono::steady_clock;

    explicit CFramePace(std::chrono::milliseconds delay = PreviewFrameDelay) : m_delay(delay) {}

    void Start() { m_start = Clock::now(); }
    std::chrono::milliseconds Delay() const { return m_delay; }
    // When the nth moment comes.
    Clock::time_point Moment(int n) const { return m_start + n * m_delay; }
    // Milliseconds until the nth moment, rounded up; none or less once it has come.
    qint64 Until(int n) const { return std::chrono::ceil<std::chrono::milliseconds>(Moment(n) - Clock::now()).count(); }
    // The nth moment has passed: the next one's has come too.
    bool Late(int n) const { return Until(n + 1) <= 0; }
    // The last moment that has come (0 at the start).
    int Current() const { return static_cast<int>((Clock::now() - m_start) / m_delay); }

private:
    std::chrono::milliseconds m_delay;
    Clock::time_point m_start = Clock::now();
};
