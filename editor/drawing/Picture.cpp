#include "drawing/Picture.h"

#include "platform/OutputFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <new>

PictureFormat PictureFormatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return PictureFormat::Png;
    if (suffix == QLatin1String("svg"))
        return PictureFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return PictureFormat::Pdf;
    if (suffix == QLatin1String("gif"))
        return PictureFormat::Gif;
    if (suffix == QLatin1String("webp"))
        return PictureFormat::WebP;
    return PictureFormat::Unknown;
}

CanvasView PictureView::Canvas() const
{
    return {CViewport::Centred(size, scale, rotation, !grid), 0};
}

QImage PaintPicture(const PictureView &view, const ShapeList &shapes)
{
    return PaintCanvasImage(view.Canvas(), shapes);
}

namespace {

// Vector pictures draw the same painting.
void PaintVector(QPaintDevice &device, const PictureView &view, const ShapeList &shapes)
{
    QPainter painter(&device);
    PaintCanvas(painter, view.Canvas(), shapes);
}

QByteArray Png(const PictureView &view, const ShapeList &shapes)
{
    const QImage picture = PaintPicture(view, shapes);
    if (picture.isNull())
        throw std::bad_alloc();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(picture))
        throw CFileException(writer.errorString());
    return bytes;
}

QByteArray Svg(const PictureView &view, const ShapeList &shapes, const QString &title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(view.size);
    svg.setViewBox(QRect(QPoint(0, 0), view.size));
    // The generator puts its texts in as they are.
    svg.setTitle(title.toHtmlEscaped());
    svg.setDescription(QStringLiteral("Drawn by Vortigram"));
    PaintVector(svg, view, shapes);
    // It gives the size in millimetres at its own resolution; viewers take
    // pixels at theirs, and show the picture at the PNG's size.
    static const QRegularExpression size(QStringLiteral("^<svg width=\"[^\"]*\" height=\"[^\"]*\""),
                                          QRegularExpression::MultilineOption);
    QString text = QString::fromUtf8(bytes);
    text.replace(size, QStringLiteral("<svg width=\"%1\" height=\"%2\"")
                           .arg(view.size.width())
                           .arg(view.size.height()));
    return text.toUtf8();
}

QByteArray Pdf(const PictureView &view, const ShapeList &shapes, const QString &title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        // A point per pixel: the page is exactly the picture.
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(view.size, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF());
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Vortigram"));
        PaintVector(pdf, view, shapes);
    }
    return bytes;
}

} // namespace

void WritePicture(const QString &path, const PictureView &view, const ShapeList &shapes,
                  const QString &title)
{
    QByteArray bytes;
    switch (PictureFormatOf(path)) {
    case PictureFormat::Svg:
        bytes = Svg(view, shapes, title);
        break;
    case PictureFormat::Pdf:
        bytes = Pdf(view, shapes, title);
        break;
    default:
        bytes = Png(view, shapes);
    }
    COutputFile file(path);
    file.Write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    file.Commit();
}

void PaintFitted(QPainter &painter, const QRect &area, const ShapeList &shapes, bool grid)
{
    // The design's extent around its centre, found again at a scale that
    // makes the rounding to whole pixels cost nothing of the fit.
    QRect box;
    for (const auto &shape : shapes)
        box |= shape->DrawnBounds(1, 0, 0, 0);
    const int reach = std::max({1, std::abs(box.left()), std::abs(box.right()), std::abs(box.top()), std::abs(box.bottom())});
    const double fine = std::clamp(double(1 << 22) / reach, 1.0, 1024.0);
    box = QRect();
    for (const auto &shape : shapes)
        box |= shape->DrawnBounds(fine, 0, 0, 0);
    if (box.isEmpty() || area.isEmpty())
        return;
    const double scale = std::min(area.width() / double(box.width()), area.height() / double(box.height())) * fine;
    const QPointF middle = QRectF(box).center() * (scale / fine);
    const QPoint centre = (QPointF(area.center()) - middle).toPoint();

    painter.save();
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // On paper a pixel of the design is scale device pixels: so are the
    // grid's lines and dots, as on the screen (but never a hundredth of the page).
    const double pixel = std::clamp(scale, 1.0, std::max(1.0, area.width() / 100.0));
    if (grid) {
        painter.setPen(QPen(GridColour, pixel, Qt::DashDotLine));
        painter.drawLine(centre.x(), area.top(), centre.x(), area.bottom());
        painter.drawLine(area.left(), centre.y(), area.right(), centre.y());
    }
    for (const auto &shape : shapes)
        shape->Draw(painter, scale, 0, centre.x(), centre.y());
    // Dots closer than four device pixels would print as a grey wash.
    const double pitch = GridPitch * scale;
    if (grid && pitch >= 4) {
        const auto first = [&](int from, int origin) { return origin - std::floor((origin - from) / pitch) * pitch; };
        for (double y = first(area.top(), centre.y()); y <= area.bottom(); y += pitch)
            for (double x = first(area.left(), centre.x()); x <= area.right(); x += pitch)
                painter.fillRect(QRectF(x - pixel / 2, y - pixel / 2, pixel, pixel), GridColour);
    }
    painter.restore();
}
