#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <chrono>
#include <memory>

class COutputFile;

// Writes an animation into a file frame by frame, so that only the frame at
// hand is held in full; every frame has the animation's size and is shown
// for the same time, and the animation repeats without end.
class CFrameEncoder
{
public:
    enum class Kind
    {
        Gif,  // a palette of at most 256 colours per frame, exact when the frame has no more
        WebP, // lossless
    };

    // Writes into file, which must outlive the encoder; path is its name.
    // A WebP file keeps its frames in a scratch file beside it until the end.
    // Throws CFileException, std::bad_alloc.
    static std::unique_ptr<CFrameEncoder> Create(Kind kind, COutputFile &file, const QString &path,
                                                 QSize size, std::chrono::milliseconds delay);
    virtual ~CFrameEncoder() = default;

    // Appends a frame: 32 bits per pixel (QImage::Format_RGB32 or ARGB32,
    // whose alpha only WebP keeps), of the animation's size. Throws as Create does.
    virtual void Add(const QImage &frame) = 0;
    // Writes the rest of the file; it is then complete, though not committed.
    virtual void Finish() = 0;
};
