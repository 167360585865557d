#pragma once

#include "drawing/Canvas.h"

#include <QImage>
#include <QString>

// Larger pictures would not fit in memory, and no screen is this large.
inline constexpr int LargestPictureSide = 16384;

// The kinds of file a picture of the design is written as, by the name's
// extension in any case.
enum class PictureFormat
{
    Unknown,
    Png,
    Svg,
    Pdf,
    Gif,
    WebP,
};
PictureFormat PictureFormatOf(const QString &path);

// A picture of the design: a canvas of this size, centred, painted at this
// scale and rotation; without the grid the plain canvas the preview shows
// (border, no axes, no dots).
struct PictureView
{
    QSize size{480, 311};
    double scale = 1.0;
    double rotation = 0.0;
    bool grid = false;

    CanvasView Canvas() const;
};

// The picture as an image of its size; a null image when there is no memory for it.
QImage PaintPicture(const PictureView &view, const ShapeList &shapes);

// Writes the picture to path, as PNG, SVG or PDF by its extension, through a
// temporary file that replaces path only when complete. title names the
// design inside SVG and PDF files. An SVG gives its size in pixels, a PDF
// page has a point per pixel. Throws CFileException, with the platform's
// reason, and std::bad_alloc.
void WritePicture(const QString &path, const PictureView &view, const ShapeList &shapes,
                  const QString &title);

// A printed page: the design centred in area and scaled to fill it, with the
// axes through its centre and the dots every 10 pixels of the design when
// grid is asked for. A design without shapes leaves the page blank.
void PaintFitted(QPainter &painter, const QRect &area, const ShapeList &shapes, bool grid);
