#pragma once

#include "drawing/FrameSource.h"
#include "drawing/Picture.h"
#include "model/ObjectStorage.h"

#include <QSize>
#include <QString>

#include <QImage>

#include <condition_variable>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// The preview's frames of a design (PaintPreviewFrame) on a canvas of the
// given size. They are painted in order on threads of
// their own, one per core, never more than a few ahead of the frame last
// taken, so that only a few are ever held at once.
class CPreviewFrames
{
public:
    // shapes must outlive this. look: the smooth, frame and transparent
    // choices of every frame (a transparent frame has alpha, unpremultiplied).
    CPreviewFrames(QSize size, const ShapeList &shapes, const PictureView &look = PictureView());
    ~CPreviewFrames();
    CPreviewFrames(const CPreviewFrames &) = delete;
    CPreviewFrames &operator=(const CPreviewFrames &) = delete;

    // Frame k, 1 to PreviewFrameCount, taken in order; waits until it is
    // painted. Throws what painting it threw (std::bad_alloc).
    QImage Take(int k);

private:
    void Paint();

    const QSize m_size;
    const ShapeList &m_shapes;
    const PictureView m_look;
    int m_ahead = 0;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_next = 1;  // the next frame to paint
    int m_taken = 0; // the frame taken last
    bool m_stop = false;
    std::exception_ptr m_error;
    std::map<int, QImage> m_ready;
    std::vector<std::thread> m_painters;
};

// Writes the Test preview's frames of the design, each the picture the
// preview paints on a canvas of this size, to path as an animated GIF or
// WebP by its extension, through a temporary file that replaces path only
// when complete. The frames are painted ahead on every core, but never more
// than a few at once.
// progress(frames written so far) follows each frame; when it answers false
// the export stops and nothing is written. Returns whether the file was
// written. look gives the frames' smooth, frame and transparent choices
// (its size, scale, rotation and grid play no part). Throws CFileException,
// with the platform's reason, and std::bad_alloc.
bool WriteAnimation(const QString &path, QSize size, const ShapeList &shapes,
                    const std::function<bool(int)> &progress = {}, const PictureView &look = PictureView());
