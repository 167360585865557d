#include "drawing/Animation.h"

#include "drawing/Picture.h"
#include "export/FrameEncoder.h"
#include "platform/OutputFile.h"

#include <QThread>

#include <algorithm>

CPreviewFrames::CPreviewFrames(QSize size, const ShapeList &shapes, const PictureView &look)
    : m_size(size), m_shapes(shapes), m_look(look)
{
    const int threads = std::max(1, QThread::idealThreadCount());
    m_ahead = threads + 1; // a frame in hand for each painter, and one to spare
    for (int i = 0; i < threads; ++i)
        m_painters.emplace_back([this] { Paint(); });
}

CPreviewFrames::~CPreviewFrames()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    for (std::thread &painter : m_painters)
        painter.join();
}

QImage CPreviewFrames::Take(int k)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_error || m_ready.count(k); });
    if (m_error)
        std::rethrow_exception(m_error);
    QImage frame = std::move(m_ready[k]);
    m_ready.erase(k);
    m_taken = k;
    m_changed.notify_all();
    return frame;
}

void CPreviewFrames::Paint()
{
    for (;;) {
        int k = 0;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || m_error || m_next - m_taken <= m_ahead; });
            if (m_stop || m_error || m_next > PreviewFrameCount)
                return;
            k = m_next++;
        }
        QImage frame;
        std::exception_ptr error;
        try {
            frame = PaintPreviewFrame(m_size, k, m_shapes, false, {m_look.smooth, m_look.frame, m_look.transparent});
            // The encoders take alpha unpremultiplied.
            if (m_look.transparent && !frame.isNull())
                frame = frame.convertToFormat(QImage::Format_ARGB32);
            if (frame.isNull())
                throw std::bad_alloc();
        } catch (...) {
            error = std::current_exception();
        }
        {
            const std::lock_guard lock(m_mutex);
            if (error)
                m_error = error;
            else
                m_ready.emplace(k, std::move(frame));
        }
        m_changed.notify_all();
    }
}

bool WriteAnimation(const QString &path, QSize size, const ShapeList &shapes,
                    const std::function<bool(int)> &progress, const PictureView &look)
{
    const CFrameEncoder::Kind kind = PictureFormatOf(path) == PictureFormat::Gif
                                         ? CFrameEncoder::Kind::Gif
                                         : CFrameEncoder::Kind::WebP;
    // Opened first, so that a file that cannot be written says so at once.
    COutputFile file(path);
    const auto encoder = CFrameEncoder::Create(kind, file, path, size, PreviewFrameDelay);
    CPreviewFrames frames(size, shapes, look);
    for (int k = 1; k <= PreviewFrameCount; ++k) {
        encoder->Add(CanvasOf(frames.Take(k)));
        if (progress && !progress(k))
            return false;
    }
    encoder->Finish();
    file.Commit();
    return true;
}
