#include "drawing/Picture.h"

#include "platform/Colour.h"
#include "platform/OutputFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QXmlStreamWriter>

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
    CanvasView view{CViewport::Centred(size, scale, rotation, !grid), 0, frame, transparent};
    view.viewport.smooth = smooth;
    return view;
}

QImage PaintPicture(const PictureView &view, const ShapeList &shapes)
{
    return PaintCanvasImage(view.Canvas(), shapes);
}

namespace {

// The shapes drawn in runs of about a hundredth of them, progress told the
// percentage after each (99 at most: the file is still to be written).
// Returns false once progress asks to stop.
bool InSteps(const ShapeList &shapes, const PictureProgress &progress,
             const std::function<void(std::size_t, std::size_t)> &draw)
{
    constexpr std::size_t Runs = 99;
    const std::size_t count = shapes.size();
    for (std::size_t run = 0; run < Runs; ++run) {
        const std::size_t first = count * run / Runs;
        const std::size_t end = count * (run + 1) / Runs;
        if (end > first)
            draw(first, end);
        if (progress && (end > first || run == 0) && !progress(static_cast<int>(run + 1)))
            return false;
    }
    return true;
}

// Three decimals of a pixel: finer than any viewer draws, and exact for the
// design's own coordinates at every scale worth drawing.
QString Coordinate(double value)
{
    return QString::number(value, 'f', 3);
}

QString Colour(const ShapeColour &colour)
{
    return ToQColor(colour).name();
}

QByteArray Png(const PictureView &view, const ShapeList &shapes, const PictureProgress &progress)
{
    const CanvasView canvas = view.Canvas();
    QImage frame = FrameImage(view.size, view.transparent ? QImage::Format_ARGB32_Premultiplied
                                                          : QImage::Format_RGB32);
    if (frame.isNull())
        throw std::bad_alloc();
    {
        // PaintCanvas's layers, the shapes in runs.
        CFramePainter painter(&frame);
        PaintUnderlay(painter, canvas);
        if (!InSteps(shapes, progress, [&](std::size_t first, std::size_t end) {
                PaintShapes(painter, canvas.viewport, shapes, first, end);
            }))
            return {};
        if (!canvas.viewport.animating)
            PaintDots(painter, canvas.viewport, canvas.viewport.CanvasRect());
    }
    const QImage picture = CanvasOf(frame);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(picture))
        throw CFileException(writer.errorString());
    return bytes;
}

// The SVG written directly: the generator rounds every coordinate to a pixel.
QByteArray Svg(const PictureView &view, const ShapeList &shapes, const QString &title,
               const PictureProgress &progress)
{
    const CViewport viewport = view.Canvas().viewport;
    const QString width = QString::number(view.size.width());
    const QString height = QString::number(view.size.height());
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(0);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("svg"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2000/svg"));
    // In pixels: viewers show the picture at the PNG's size.
    xml.writeAttribute(QStringLiteral("width"), width);
    xml.writeAttribute(QStringLiteral("height"), height);
    xml.writeAttribute(QStringLiteral("viewBox"), QStringLiteral("0 0 %1 %2").arg(width, height));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeTextElement(QStringLiteral("title"), title);
    xml.writeTextElement(QStringLiteral("desc"), QStringLiteral("Drawn by Vortigram"));
    const auto element = [&](const QString &name, const QList<std::pair<QString, QString>> &attributes) {
        xml.writeEmptyElement(name);
        for (const auto &[key, value] : attributes)
            xml.writeAttribute(key, value);
    };
    const QString grey = GridColour.name();
    if (!view.transparent)
        element(QStringLiteral("rect"), {{"width", width}, {"height", height}, {"fill", "#ffffff"}});
    // The frame covers the outermost pixels, as on the canvas.
    if (view.frame)
        element(QStringLiteral("rect"), {{"x", "0.5"}, {"y", "0.5"}, {"width", QString::number(view.size.width() - 1)},
                                         {"height", QString::number(view.size.height() - 1)}, {"fill", "none"},
                                         {"stroke", "#000000"}, {"stroke-width", "1"}});
    const QPointF centre(viewport.centre);
    if (view.grid)
        element(QStringLiteral("path"),
                {{"d", QStringLiteral("M%1 0V%2M0 %3H%4").arg(viewport.centre.x()).arg(height).arg(viewport.centre.y()).arg(width)},
                 {"fill", "none"}, {"stroke", grey}, {"stroke-width", "1"}, {"stroke-dasharray", "4,2,1,2"}});
    // Every shape one element, with the canvas's pen: a pixel wide however the picture is zoomed.
    xml.writeStartElement(QStringLiteral("g"));
    xml.writeAttribute(QStringLiteral("stroke-width"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("stroke-linecap"), QStringLiteral("square"));
    xml.writeAttribute(QStringLiteral("stroke-linejoin"), QStringLiteral("bevel"));
    const bool going = InSteps(shapes, progress, [&](std::size_t first, std::size_t end) {
        QPointF points[CObjectStorage::MaxDrawnPoints];
        for (std::size_t i = first; i < end; ++i) {
            const CObjectStorage &shape = *shapes[i];
            const int count = shape.ExactDrawn(points, viewport.scale, viewport.rotation, centre);
            if (count == 0)
                continue;
            QString list;
            for (int k = 0; k < count; ++k)
                list += (k ? QStringLiteral(" ") : QString()) + Coordinate(points[k].x()) + u',' + Coordinate(points[k].y());
            const bool closed = shape.Type() == CPolyStorage::TypeValue;
            QList<std::pair<QString, QString>> attributes{
                {"points", list}, {"fill", closed ? Colour(shape.FillColour()) : QStringLiteral("none")}};
            if (closed)
                attributes.append(std::pair<QString, QString>("fill-rule", "evenodd"));
            attributes.append(std::pair<QString, QString>("stroke", Colour(shape.PenColour())));
            attributes.append(std::pair<QString, QString>("vector-effect", "non-scaling-stroke"));
            element(closed ? QStringLiteral("polygon") : QStringLiteral("polyline"), attributes);
        }
    });
    if (!going)
        return {};
    xml.writeEndElement();
    // The dots as squares of a pixel about their places, in one path.
    if (view.grid) {
        QString d;
        for (const QPoint dot : GridDots(viewport, viewport.CanvasRect()))
            d += QStringLiteral("M%1 %2h1v1h-1z").arg(dot.x() - 0.5).arg(dot.y() - 0.5);
        element(QStringLiteral("path"), {{"d", d}, {"fill", grey}});
    }
    xml.writeEndDocument();
    return bytes;
}

QByteArray Pdf(const PictureView &view, const ShapeList &shapes, const QString &title,
               const PictureProgress &progress)
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
        QPainter painter(&pdf);
        const CanvasView canvas = view.Canvas();
        const CViewport &viewport = canvas.viewport;
        PaintUnderlay(painter, canvas);
        const bool going = InSteps(shapes, progress, [&](std::size_t first, std::size_t end) {
            for (std::size_t i = first; i < end; ++i)
                shapes[i]->DrawSmooth(painter, viewport.scale, viewport.rotation, QPointF(viewport.centre));
        });
        if (!going)
            return {};
        // Points of a hairline would vanish on the page: squares of a pixel.
        if (view.grid)
            for (const QPoint dot : GridDots(viewport, viewport.CanvasRect()))
                painter.fillRect(QRectF(dot.x() - 0.5, dot.y() - 0.5, 1, 1), GridColour);
    }
    return bytes;
}

} // namespace

PictureView FittingView(const ShapeList &shapes, double scale, int largest)
{
    QRect box;
    for (const auto &shape : shapes)
        box |= shape->DrawnBounds(scale, 0, 0, 0);
    // A pixel between the shapes and the picture's border.
    const int reach = std::max({std::abs(box.left()), std::abs(box.right()), std::abs(box.top()),
                                std::abs(box.bottom())}) + 2;
    const int side = std::min(2 * reach, largest - largest % 2);
    return {QSize(side, side), scale, 0.0, false};
}

QByteArray PictureBytes(PictureFormat format, const PictureView &view, const ShapeList &shapes,
                        const QString &title, const PictureProgress &progress)
{
    switch (format) {
    case PictureFormat::Svg:
        return Svg(view, shapes, title, progress);
    case PictureFormat::Pdf:
        return Pdf(view, shapes, title, progress);
    default:
        return Png(view, shapes, progress);
    }
}

bool WritePicture(const QString &path, const PictureView &view, const ShapeList &shapes,
                  const QString &title, const PictureProgress &progress)
{
    const QByteArray bytes = PictureBytes(PictureFormatOf(path), view, shapes, title, progress);
    // Every picture has bytes: none is a picture stopped.
    if (bytes.isEmpty() || (progress && !progress(100)))
        return false;
    COutputFile file(path);
    file.Write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    file.Commit();
    return true;
}

void PaintFitted(QPainter &painter, const QRect &area, const ShapeList &shapes, bool grid, bool smooth)
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
    for (const auto &shape : shapes) {
        if (smooth)
            shape->DrawSmooth(painter, scale, 0, QPointF(centre));
        else
            shape->Draw(painter, scale, 0, centre.x(), centre.y());
    }
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
