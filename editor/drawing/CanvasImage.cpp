#include "drawing/CanvasImage.h"

#include <QPainter>

#include <QThread>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <utility>
#include <thread>

namespace {

// An area of more boxes than this is repainted as one box: a region of many
// small rectangles costs more to walk than the pixels it spares.
constexpr std::size_t MostBoxes = 16;

// The pixels of the boxes: each box, or when there are many their bounding box.
QRegion Area(const std::vector<QRect> &boxes)
{
    if (boxes.size() <= MostBoxes) {
        QRegion area;
        for (const QRect &box : boxes)
            area += box;
        return area;
    }
    QRect all;
    for (const QRect &box : boxes)
        all |= box;
    return all;
}

// Moves the canvas's pixels of a frame image by this much, in place.
void ScrollCanvas(QImage &frame, QPoint by)
{
    const int width = frame.width() - std::abs(by.x());
    const int rows = frame.height() - FrameTop - std::abs(by.y());
    if (width <= 0 || rows <= 0)
        return;
    const qsizetype line = frame.bytesPerLine();
    uchar *bits = frame.bits();
    const int depth = frame.depth() / 8;
    const auto at = [&](int row, int x) { return bits + (FrameTop + row) * line + x * depth; };
    const int fromX = std::max(0, -by.x()), toX = std::max(0, by.x());
    const int fromY = std::max(0, -by.y()), toY = std::max(0, by.y());
    // Rows moving down are moved from the bottom, so that none is overwritten first.
    for (int i = 0; i < rows; ++i) {
        const int row = by.y() > 0 ? rows - 1 - i : i;
        std::memmove(at(toY + row, toX), at(fromY + row, fromX), std::size_t(width) * depth);
    }
}

void CopyArea(QImage &to, const QImage &from, const QRect &box)
{
    CFramePainter painter(&to);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(box.topLeft(), from, FrameRect(box));
}

} // namespace

void CCanvasImage::SetView(const CanvasView &view, bool quick)
{
    if (view == m_view)
        return;
    const CViewport &from = m_view.viewport, &to = view.viewport;
    quick = quick && (m_current || m_rough || m_quick) && view.guideSpokes == m_view.guideSpokes &&
            to.canvas == from.canvas && to.gridOrigin == from.gridOrigin && to.rotation == from.rotation &&
            to.animating == from.animating && !from.animating;
    m_view = view;
    m_underlay = QImage();
    // The boxes stay, to be moved with the centre when the scale is the same.
    m_current = m_rough = false;
    m_boundsCurrent = false;
    m_quick = quick;
}

void CCanvasImage::Invalidate()
{
    m_current = false;
    m_rough = false;
    m_quick = false;
    m_boundsCurrent = false;
    m_boundsKept = false;
}

bool CCanvasImage::Refine()
{
    const bool rough = m_rough || m_quick;
    m_rough = m_quick = false;
    return rough;
}

void CCanvasImage::ShowQuickly(const ShapeList &shapes)
{
    const CViewport &to = m_view.viewport;
    const QRect canvas = to.CanvasRect();
    const QPoint by = to.centre - m_shown.centre;
    const auto underlay = [&](const CViewport &view) {
        QImage image = FrameImage(view.canvas, QImage::Format_RGB32);
        CFramePainter painter(&image);
        PaintUnderlay(painter, {view, m_view.guideSpokes});
        return image;
    };
    m_underlay = underlay(to);
    if (to.scale == m_shown.scale && canvas.intersects(canvas.translated(by))) {
        // The pixels kept move. The strips they uncover, with the old border
        // beside them, are painted as a repaint paints a box.
        ScrollCanvas(m_image, by);
        const QRect moved = canvas.translated(by);
        QRegion painted = QRegion(canvas) - moved;
        if (by.x() != 0)
            painted += QRect(by.x() > 0 ? moved.left() : moved.right(), 0, 1, canvas.height());
        if (by.y() != 0)
            painted += QRect(0, by.y() > 0 ? moved.top() : moved.bottom(), canvas.width(), 1);
        painted &= canvas;
        const std::vector<QRect> &bounds = Bounds(shapes);
        std::vector<std::size_t> meeting;
        for (const QRect &box : painted) {
            CFramePainter painter(&m_image); // each with the clip of its own box
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(box.topLeft(), m_underlay, FrameRect(box));
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            meeting.clear();
            for (std::size_t i = 0; i < shapes.size(); ++i)
                if (box.intersects(bounds[i]))
                    meeting.push_back(i);
            PaintShapesAt(painter, to, shapes, meeting, box);
            PaintDots(painter, to, box);
        }
        // The border on the far sides, and the axes along the pan (whose
        // dashes start at the canvas's edge): where no shape covered the
        // old ones they show the new ones, the dots over them.
        std::vector<QRect> lines;
        if (by.x() != 0)
            lines.push_back(QRect(by.x() < 0 ? 0 : canvas.right(), 0, 1, canvas.height()));
        if (by.y() != 0)
            lines.push_back(QRect(0, by.y() < 0 ? 0 : canvas.bottom(), canvas.width(), 1));
        if (by.x() != 0)
            lines.push_back(QRect(0, to.centre.y(), canvas.width(), 1) & canvas);
        if (by.y() != 0)
            lines.push_back(QRect(to.centre.x(), 0, 1, canvas.height()) & canvas);
        const QImage before = underlay(m_shown);
        for (const QRect &line : lines) {
            for (int y = line.top(); y <= line.bottom(); ++y) {
                auto *row = reinterpret_cast<QRgb *>(m_image.scanLine(y + FrameTop));
                const auto *now = reinterpret_cast<const QRgb *>(m_underlay.constScanLine(y + FrameTop));
                for (int x = line.left(); x <= line.right(); ++x)
                    if (const QPoint from = QPoint(x, y) - by; canvas.contains(from) && row[x] == before.pixel(from + QPoint(0, FrameTop)))
                        row[x] = now[x];
            }
            CFramePainter painter(&m_image);
            PaintDots(painter, to, line);
        }
    } else {
        // A scaled copy about the centres over the background and axes.
        QImage scaled = m_underlay.copy();
        CFramePainter painter(&scaled);
        const double k = to.scale / m_shown.scale;
        painter.setClipRect(canvas);
        painter.translate(to.centre);
        painter.scale(k, k);
        painter.translate(-m_shown.centre);
        painter.drawImage(QRectF(canvas), m_image, QRectF(FrameRect(canvas)));
        painter.end();
        m_image = std::move(scaled);
    }
    m_shown = to;
    m_rough = true;
}

QRect CCanvasImage::BoundsOf(const CObjectStorage &shape) const
{
    return DrawnBox(shape, m_view.viewport);
}

const std::vector<QRect> &CCanvasImage::Bounds(const ShapeList &shapes) const
{
    if (!m_boundsCurrent) {
        const CViewport &view = m_view.viewport, &was = m_boundsView;
        // A box drawn about a moved centre is the box moved (far points are
        // pulled in along their rays from the centre).
        if (m_boundsKept && m_bounds.size() == shapes.size() && view.scale == was.scale &&
            view.rotation == was.rotation) {
            const QPoint by = view.centre - was.centre;
            for (QRect &box : m_bounds)
                box.translate(by);
        } else {
            m_bounds.clear();
            m_bounds.reserve(shapes.size());
            for (const auto &shape : shapes)
                m_bounds.push_back(BoundsOf(*shape));
        }
        m_boundsView = view;
        m_boundsCurrent = m_boundsKept = true;
    }
    return m_bounds;
}

QRegion CCanvasImage::Appended(const ShapeList &shapes, std::size_t first)
{
    if (!m_current) {
        Invalidate();
        return m_view.viewport.CanvasRect(); // all of it is painted afresh anyway
    }
    for (std::size_t i = first; i < shapes.size(); ++i)
        m_bounds.push_back(BoundsOf(*shapes[i]));
    // New shapes go on top of everything: draw them over the image.
    CFramePainter painter(&m_image);
    return PaintAddedShapes(painter, m_view, shapes, first);
}

std::size_t CCanvasImage::LayerOf(std::size_t place) const
{
    std::size_t layer = 0;
    for (std::size_t start = 0; layer + 1 < m_layers.size() && place >= start + m_layers[layer].count; ++layer)
        start += m_layers[layer].count;
    return layer;
}

void CCanvasImage::TakeFromLayers(const Places &places, Dirty &dirty)
{
    // Every layer is found before any count changes: places number the shapes as before.
    const std::size_t first = dirty.size();
    for (const int place : places)
        if (static_cast<std::size_t>(place) < m_split)
            dirty.push_back(LayerOf(static_cast<std::size_t>(place)));
    for (std::size_t i = first; i < dirty.size(); ++i)
        --m_layers[dirty[i]].count;
    m_split -= dirty.size() - first;
}

void CCanvasImage::PutIntoLayers(const Places &places, Dirty &dirty)
{
    // An inserted shape lies below the top ones when the old shape it comes
    // before does, and joins that shape's layer.
    const std::size_t first = dirty.size();
    for (qsizetype i = 0; i < places.size(); ++i) {
        const auto before = static_cast<std::size_t>(places[i] - i);
        if (before < m_split)
            dirty.push_back(LayerOf(before));
    }
    for (std::size_t i = first; i < dirty.size(); ++i)
        ++m_layers[dirty[i]].count;
    m_split += dirty.size() - first;
}

QRegion CCanvasImage::Removed(const ShapeList &shapes, const Places &places)
{
    if (!m_current) {
        Invalidate();
        return m_view.viewport.CanvasRect();
    }
    Dirty dirty;
    TakeFromLayers(places, dirty);
    return Repaint(shapes, Area(TakeAt(m_bounds, places)), std::move(dirty));
}

QRegion CCanvasImage::Inserted(const ShapeList &shapes, const Places &places)
{
    if (!m_current) {
        Invalidate();
        return m_view.viewport.CanvasRect();
    }
    std::vector<QRect> added;
    for (const int place : places)
        added.push_back(BoundsOf(*shapes[static_cast<std::size_t>(place)]));
    const QRegion area = Area(added);
    PutAt(m_bounds, places, std::move(added));
    Dirty dirty;
    PutIntoLayers(places, dirty);
    return Repaint(shapes, area, std::move(dirty));
}

QRegion CCanvasImage::Changed(const ShapeList &shapes, const Places &places)
{
    if (!m_current) {
        Invalidate();
        return m_view.viewport.CanvasRect();
    }
    std::vector<QRect> boxes;
    Dirty dirty;
    for (const int place : places) {
        QRect &box = m_bounds[static_cast<std::size_t>(place)];
        boxes.push_back(box);
        box = BoundsOf(*shapes[static_cast<std::size_t>(place)]);
        boxes.push_back(box);
        if (static_cast<std::size_t>(place) < m_split)
            dirty.push_back(LayerOf(static_cast<std::size_t>(place)));
    }
    return Repaint(shapes, Area(boxes), std::move(dirty));
}

QRegion CCanvasImage::Moved(const ShapeList &shapes, const Places &from, const Places &to)
{
    if (!m_current) {
        Invalidate();
        return m_view.viewport.CanvasRect();
    }
    Dirty dirty;
    TakeFromLayers(from, dirty);
    std::vector<QRect> moved = TakeAt(m_bounds, from);
    const QRegion area = Area(moved);
    PutAt(m_bounds, to, std::move(moved));
    PutIntoLayers(to, dirty);
    return Repaint(shapes, area, std::move(dirty));
}

void CCanvasImage::Settle(const ShapeList &shapes)
{
    if (shapes.size() - m_split <= TopShapes + TopShapes / 2)
        return;
    const std::size_t split = shapes.size() - TopShapes;
    while (m_split < split) {
        // A run never grows past twice its size: a layer starts after it.
        if (m_layers.back().count >= 2 * m_layerShapes) {
            if (m_layers.size() == 1)
                m_below = m_layers[0].image.copy();
            Layer layer;
            layer.image = FrameImage(m_view.viewport.canvas, QImage::Format_ARGB32_Premultiplied);
            layer.image.fill(Qt::transparent);
            m_layers.push_back(std::move(layer));
        }
        // Shapes drawn over the last layer, and over the layers laid
        // together, in order give their pixels with them.
        const std::size_t end = std::min(split, m_split + 2 * m_layerShapes - m_layers.back().count);
        std::vector<std::size_t> which(end - m_split);
        std::iota(which.begin(), which.end(), m_split);
        for (QImage *image : {&m_layers.back().image, m_layers.size() > 1 ? &m_below : nullptr}) {
            if (image) {
                CFramePainter painter(image);
                PaintShapesAt(painter, m_view.viewport, shapes, which, m_view.viewport.CanvasRect());
            }
        }
        m_layers.back().count += end - m_split;
        m_split = end;
    }
}

QRegion CCanvasImage::Repaint(const ShapeList &shapes, QRegion area, Dirty dirty)
{
    area &= m_view.viewport.CanvasRect();
    // A clip of one rectangle is the painter's fast path, where a region
    // clips every span: an area that fills half its bounding box or more is
    // painted as that box, any other box by box.
    const QRect bounds = area.boundingRect();
    qint64 covered = 0;
    for (const QRect &box : area)
        covered += qint64(box.width()) * box.height();
    if (area.rectCount() > static_cast<int>(MostBoxes) || 2 * covered >= qint64(bounds.width()) * bounds.height())
        area = bounds;
    if (area.isEmpty())
        return area;
    std::sort(dirty.begin(), dirty.end());
    dirty.erase(std::unique(dirty.begin(), dirty.end()), dirty.end());
    if (m_underlay.isNull()) {
        m_underlay = FrameImage(m_view.viewport.canvas, QImage::Format_RGB32);
        CFramePainter painter(&m_underlay);
        PaintUnderlay(painter, m_view);
    }
    Settle(shapes);
    std::vector<std::size_t> starts{0};
    for (const Layer &layer : m_layers)
        starts.push_back(starts.back() + layer.count);
    // Each box is drawn again from what lies under it and the shapes that
    // meet it, clipped to it: the changed layers, the layers laid together
    // again, then the top shapes and the dots.
    std::vector<std::size_t> meeting;
    const auto redraw = [&](QImage &image, const QRect &box, std::size_t first, std::size_t end) {
        CFramePainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (&image == &m_layers[0].image)
            painter.drawImage(box.topLeft(), m_underlay, FrameRect(box));
        else if (&image == &m_image)
            painter.drawImage(box.topLeft(), Below(), FrameRect(box));
        else
            painter.fillRect(box, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        meeting.clear();
        for (std::size_t i = first; i < end; ++i)
            if (box.intersects(m_bounds[i]))
                meeting.push_back(i);
        PaintShapesAt(painter, m_view.viewport, shapes, meeting, box);
        if (&image == &m_image && !m_view.viewport.animating)
            PaintDots(painter, m_view.viewport, box);
    };
    for (const QRect &box : area) {
        for (const std::size_t layer : dirty)
            redraw(m_layers[layer].image, box, starts[layer], starts[layer + 1]);
        if (!dirty.empty() && m_layers.size() > 1) {
            CFramePainter painter(&m_below);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(box.topLeft(), m_layers[0].image, FrameRect(box));
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            for (std::size_t layer = 1; layer < m_layers.size(); ++layer)
                painter.drawImage(box.topLeft(), m_layers[layer].image, FrameRect(box));
        }
        redraw(m_image, box, m_split, shapes.size());
    }
    // A layer left with no shapes is transparent now: it goes.
    m_layers.erase(std::remove_if(m_layers.begin() + 1, m_layers.end(), [](const Layer &l) { return l.count == 0; }),
                   m_layers.end());
    if (m_layers.size() == 1)
        m_below = QImage();
    return area;
}

void CCanvasImage::PaintLayers(const ShapeList &shapes)
{
    m_split = shapes.size() > TopShapes ? shapes.size() - TopShapes : 0;
    const std::size_t run = std::max(m_layerShapes, (m_split + MostLayers - 1) / MostLayers);
    m_layers.resize(std::max<std::size_t>(1, (m_split + run - 1) / run));
    for (std::size_t j = 0; j < m_layers.size(); ++j) {
        m_layers[j].count = std::min(run, m_split - j * run);
        const QImage::Format format = j == 0 ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied;
        const QImage frame = FrameImage(m_view.viewport.canvas, QImage::Format_Invalid);
        if (m_layers[j].image.size() != frame.size() || m_layers[j].image.format() != format)
            m_layers[j].image = FrameImage(m_view.viewport.canvas, format);
    }
    if (m_layers.size() == 1) {
        m_below = QImage();
        PaintCanvasInParallel(m_layers[0].image, m_view, shapes, m_split, false);
        return;
    }
    // The layers are painted at once, as many as there are cores.
    const std::size_t threads = std::min<std::size_t>(m_layers.size(), std::max(1, QThread::idealThreadCount()));
    const auto paint = [&](std::size_t from) {
        for (std::size_t j = from; j < m_layers.size(); j += threads) {
            CFramePainter painter(&m_layers[j].image);
            if (j == 0) {
                PaintUnderlay(painter, m_view);
            } else {
                painter.setCompositionMode(QPainter::CompositionMode_Source);
                painter.fillRect(QRect(QPoint(0, -FrameTop), m_layers[j].image.size()), Qt::transparent);
                painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            }
            std::vector<std::size_t> which(m_layers[j].count);
            std::iota(which.begin(), which.end(), j * run);
            PaintShapesAt(painter, m_view.viewport, shapes, which, m_view.viewport.CanvasRect());
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t)
        helpers.emplace_back(paint, t);
    paint(0);
    for (std::thread &helper : helpers)
        helper.join();
    m_below = m_layers[0].image.copy();
    QPainter painter(&m_below);
    for (std::size_t j = 1; j < m_layers.size(); ++j)
        painter.drawImage(0, 0, m_layers[j].image);
}

void CCanvasImage::Paint(QPainter &painter, const QRect &area, const ShapeList &shapes)
{
    if (m_quick) {
        ShowQuickly(shapes);
        m_quick = false;
    }
    if (!m_current && !m_rough) {
        if (m_image.size() != m_view.viewport.canvas + QSize(0, FrameTop))
            m_image = FrameImage(m_view.viewport.canvas, QImage::Format_RGB32);
        if (m_view.viewport.animating) {
            // A preview frame is painted once and never edited.
            PaintCanvasInParallel(m_image, m_view, shapes);
        } else {
            PaintLayers(shapes);
            std::vector<std::size_t> top;
            for (std::size_t i = m_split; i < shapes.size(); ++i)
                top.push_back(i);
            CopyArea(m_image, Below(), m_view.viewport.CanvasRect());
            CFramePainter layer(&m_image);
            PaintShapesAt(layer, m_view.viewport, shapes, top, m_view.viewport.CanvasRect());
            PaintDots(layer, m_view.viewport, m_view.viewport.CanvasRect());
        }
        Bounds(shapes);
        m_current = true;
        m_shown = m_view.viewport;
    }
    const QRect shown = area & m_view.viewport.CanvasRect();
    if (!shown.isEmpty())
        painter.drawImage(shown.topLeft(), m_image, FrameRect(shown));
}
