#include "drawing/FramePlayer.h"

#include <QThread>

#include <algorithm>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

// How often a paused player looks for the frame it waits for.
constexpr int StillPollMs = 5;
// The niceness of painters at low priority: a small share of a core
// against the window's threads when the processor is busy, all of what is
// spare when it is not.
constexpr int LowNiceness = 19;

} // namespace

CFramePlayer::CFramePlayer(Priority priority, QObject *parent) : QObject(parent), m_priority(priority)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CFramePlayer::Tick);
    const int painters = std::max(1, QThread::idealThreadCount());
    for (int i = 0; i < painters; ++i)
        m_painters.emplace_back([this] { Paint(); });
}

CFramePlayer::~CFramePlayer()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    for (std::thread &painter : m_painters)
        painter.join();
}

void CFramePlayer::Paint()
{
#ifdef __linux__
    if (m_priority == Priority::Low) // on Linux a thread has a niceness of its own
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), LowNiceness);
#endif
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
        if (m_stop)
            return;
        // A frame that this painter cannot paint by its moment is left for
        // none; the last one asked for is always painted, so that what a
        // frame costs stays known.
        const auto now = CFramePace::Clock::now();
        while (m_jobs.size() > 1 && m_jobs.front().moment > 0 && now + m_cost > m_jobs.front().deadline)
            m_jobs.pop_front();
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        QImage image;
        try {
            image = PaintPreviewFrame(job.size, job.k, *job.design);
        } catch (const std::bad_alloc &) {
            // The frame is skipped, as one painted too late.
        }
        const auto took = CFramePace::Clock::now() - now;
        job.design.reset();
        lock.lock();
        m_cost = m_cost == CFramePace::Clock::duration::zero() ? took : (3 * m_cost + took) / 4;
        m_painted.push_back({job.moment, job.generation, std::move(image)});
    }
}

void CFramePlayer::SetDesign(Design design)
{
    m_design = std::move(design);
    Renew();
}

void CFramePlayer::SetSize(QSize size)
{
    if (size == m_size)
        return;
    m_size = size;
    Renew();
}

void CFramePlayer::Play()
{
    if (m_playing)
        return;
    m_playing = true;
    m_first = m_frame;
    m_moment = 0;
    m_shown = 0;
    m_skipped = 0;
    m_pace.Start();
    Renew();
    m_timer.start(static_cast<int>(std::max<qint64>(0, m_pace.Until(1))));
}

void CFramePlayer::Pause()
{
    if (!m_playing)
        return;
    m_playing = false;
    m_timer.stop();
    Drop();
}

void CFramePlayer::Seek(int k)
{
    m_playing = false;
    m_still = std::clamp(k, 1, PreviewFrameCount);
    Renew();
}

void CFramePlayer::Drop()
{
    ++m_generation;
    m_asked = m_moment;
    const std::lock_guard lock(m_mutex);
    m_jobs.clear();
    m_painted.clear();
}

void CFramePlayer::Renew()
{
    Drop();
    if (m_playing) {
        PaintAhead();
        return;
    }
    // Paused, the frame shown is painted again for the new design or size.
    if (!m_still)
        m_still = m_frame;
    if (!m_still || !m_design || m_size.isEmpty())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back({0, m_still, m_generation, m_size, m_design, {}});
    }
    m_wake.notify_one();
    m_timer.start(StillPollMs);
}

void CFramePlayer::PaintAhead()
{
    if (!m_design || m_size.isEmpty())
        return;
    {
        const std::lock_guard lock(m_mutex);
        // As many frames ahead as the painters can have in hand, and as many
        // again as moments pass while one is painted.
        const auto painting = static_cast<int>(m_cost / m_pace.Delay());
        const int ahead = static_cast<int>(m_painters.size()) + std::min(painting, 16);
        for (int n = std::max(m_asked, m_moment) + 1; n <= m_moment + ahead; ++n) {
            m_jobs.push_back({n, LoopFrame(m_first, n), m_generation, m_size, m_design, m_pace.Moment(n)});
            m_asked = n;
        }
    }
    m_wake.notify_all();
}

std::optional<QImage> CFramePlayer::Take(int moment)
{
    std::optional<QImage> found;
    const std::lock_guard lock(m_mutex);
    // Frames of moments gone by will never be shown.
    for (auto it = m_painted.begin(); it != m_painted.end();) {
        if (it->generation == m_generation && it->moment == moment && !it->image.isNull())
            found = std::move(it->image);
        if (it->generation != m_generation || it->moment <= moment)
            it = m_painted.erase(it);
        else
            ++it;
    }
    // The frame that stays while paused is wanted until it is painted.
    while (moment > 0 && !m_jobs.empty() && m_jobs.front().moment <= moment)
        m_jobs.pop_front();
    return found;
}

void CFramePlayer::Tick()
{
    if (!m_playing) {
        if (!m_still)
            return;
        if (std::optional<QImage> image = Take(0)) {
            Show(std::exchange(m_still, 0), std::move(*image));
            return;
        }
        m_timer.start(StillPollMs);
        return;
    }
    const int now = m_pace.Current();
    if (now > m_moment) {
        m_skipped += now - m_moment - 1; // moments that passed while the window was busy
        m_moment = now;
        if (std::optional<QImage> image = Take(now)) {
            ++m_shown;
            Show(LoopFrame(m_first, now), std::move(*image));
        } else {
            ++m_skipped;
        }
        PaintAhead();
    }
    m_timer.start(static_cast<int>(std::max<qint64>(0, m_pace.Until(m_moment + 1))));
}

void CFramePlayer::Show(int k, QImage image)
{
    m_frame = k;
    m_image = std::move(image);
    emit FrameShown(k);
}
