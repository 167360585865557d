#pragma once

#include "drawing/Canvas.h"

#include <QImage>
#include <QString>

#include <functional>

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
// (border, no axes, no dots). Smooth: the shapes antialiased (the axes,
// dots and frame stay crisp). Without the frame no black line goes round
// it; transparent leaves the white out (PNG, WebP, SVG).
struct PictureView
{
    QSize size{480, 311};
    double scale = 1.0;
    double rotation = 0.0;
    bool grid = false;
    bool smooth = false;
    bool frame = true;
    bool transparent = false;

    CanvasView Canvas() const;
};

// Told the percentage of a picture written so far (0 to 100); answering
// false stops it, and nothing is written.
using PictureProgress = std::function<bool(int)>;

// The picture as an image of its size; a null image when there is no memory for it.
QImage PaintPicture(const PictureView &view, const ShapeList &shapes);

// The picture that holds shapes whole at scale, the polar centre in its
// middle (both sides even, so that the middle is exactly the centre of an
// SVG's page): what --render draws of them at a size that fits them, with
// their coordinates unchanged from a canvas centred there. Each side at
// most largest; shapes beyond that are cut.
PictureView FittingView(const ShapeList &shapes, double scale, int largest);

// The bytes of the picture as a file of format holds them (PNG for any
// but SVG and PDF); title names the design inside SVG and PDF. Throws
// std::bad_alloc, and CFileException when no PNG could be made.
QByteArray PictureBytes(PictureFormat format, const PictureView &view, const ShapeList &shapes,
                        const QString &title, const PictureProgress &progress = {});

// Writes the picture to path, as PNG, SVG or PDF by its extension, through a
// temporary file that replaces path only when complete. title names the
// design inside SVG and PDF files. An SVG gives its size in pixels, a PDF
// page has a point per pixel; both keep the vertices unrounded, each shape
// one element, and draw the dots as squares of a pixel. Returns whether the
// file was written (progress can stop it). Throws CFileException, with the
// platform's reason, and std::bad_alloc.
bool WritePicture(const QString &path, const PictureView &view, const ShapeList &shapes,
                  const QString &title, const PictureProgress &progress = {});

// A printed page: the design centred in area and scaled to fill it, with the
// axes through its centre and the dots every 10 pixels of the design when
// grid is asked for; smooth, the shapes antialiased at their unrounded
// vertices. A design without shapes leaves the page blank.
void PaintFitted(QPainter &painter, const QRect &area, const ShapeList &shapes, bool grid,
                 bool smooth = false);
