#pragma once

#include "drawing/FrameSource.h"

#include <QImage>
#include <QObject>
#include <QTimer>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Plays the preview's frames in an endless loop on a canvas of a size, each
// at its moment (CFramePace). The frames are painted ahead on threads of the
// player's own from a design that nothing changes under them: a snapshot the
// owner hands over whenever the design has changed. A frame not painted by
// its moment is skipped, never shown late; after a new design or size, no
// frame of the old one is shown. Paused, it shows one frame, painted again
// for each new design.
class CFramePlayer : public QObject
{
    Q_OBJECT

public:
    using Design = std::shared_ptr<const ShapeList>;
    // Low painters yield the processor to the window they play beside.
    enum class Priority
    {
        Normal,
        Low,
    };

    explicit CFramePlayer(Priority priority, QObject *parent = nullptr);
    ~CFramePlayer() override;
    CFramePlayer(const CFramePlayer &) = delete;
    CFramePlayer &operator=(const CFramePlayer &) = delete;

    void SetDesign(Design design);
    // The canvas the frames are painted on; nothing is painted while it is empty.
    void SetSize(QSize size);
    QSize Size() const { return m_size; }
    // The time between two frames (PreviewFrameDelay unless told otherwise).
    void SetDelay(std::chrono::milliseconds delay) { m_pace = CFramePace(delay); }

    // Plays on from the frame shown.
    void Play();
    void Pause();
    bool IsPlaying() const { return m_playing; }
    // Pauses at frame k (1 to PreviewFrameCount), shown once it is painted.
    void Seek(int k);

    // The frame shown and its picture, a frame image (FrameImage); 0 and a
    // null image before the first.
    int Frame() const { return m_frame; }
    const QImage &Image() const { return m_image; }
    // The frames shown and skipped since the last Play.
    int Shown() const { return m_shown; }
    int Skipped() const { return m_skipped; }

signals:
    void FrameShown(int k);

private:
    struct Job
    {
        int moment; // 0 for the frame that stays while paused
        int k;
        int generation;
        QSize size;
        Design design;
        CFramePace::Clock::time_point deadline; // its moment
    };
    struct Painted
    {
        int moment;
        int generation;
        QImage image;
    };

    void Paint();
    void Tick();
    // Asks for the frames of the moments ahead.
    void PaintAhead();
    // Forgets the frames asked for so far.
    void Drop();
    // A new design, size or state: drops the frames asked for so far and
    // asks again.
    void Renew();
    // Takes the frame painted for the moment, if there is one.
    std::optional<QImage> Take(int moment);
    void Show(int k, QImage image);

    Priority m_priority;
    Design m_design;
    QSize m_size;
    CFramePace m_pace;
    QTimer m_timer;
    bool m_playing = false;
    int m_first = 0;     // the frame shown when the pace started
    int m_moment = 0;    // the last moment shown or skipped
    int m_asked = 0;     // the last moment whose frame was asked for
    int m_still = 0;     // paused: the frame asked for, until it is shown
    int m_generation = 0;
    int m_frame = 0;
    QImage m_image;
    int m_shown = 0;
    int m_skipped = 0;

    // Shared with the painters.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    std::vector<Painted> m_painted;
    CFramePace::Clock::duration m_cost{}; // what a frame takes a painter to paint, of late
    bool m_stop = false;
    std::vector<std::thread> m_painters;
};
