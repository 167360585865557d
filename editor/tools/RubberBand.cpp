#include "tools/RubberBand.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr QRgb Inverted = 0xFFFFFFFF;

// The band's outline: a quadrilateral one pixel either side of the segment,
// across its thinner direction.
QPolygon BandPolygon(QPoint a, QPoint c)
{
    const int w = std::abs(c.x() - a.x());
    const int h = std::abs(c.y() - a.y());
    const int ox = h > w ? 1 : 0;
    const int oy = h > w ? 0 : 1;
    QPolygon quad(4);
    quad.setPoint(0, a.x() + ox, a.y() - oy);
    quad.setPoint(1, a.x() - ox, a.y() + oy);
    quad.setPoint(2, c.x() - ox, c.y() + oy);
    quad.setPoint(3, c.x() + ox, c.y() - oy);
    return quad;
}

// Height of the strips a band's change is told in.
constexpr int StripRows = 8;

bool CheckerSet(int x, int y)
{
    return ((x + y) & 1) == 0;
}

} // namespace

void CRubberBandOverlay::Resize(QSize canvas)
{
    if (m_mask.size() == canvas)
        return;
    m_mask = QImage(canvas, QImage::Format_RGB32);
    m_mask.fill(Qt::black);
}

void CRubberBandOverlay::Clear(const QRect &area)
{
    // Only what the bands touched: clearing a large window each time would
    // cost a finished shape more than drawing it.
    for (int y = std::max(area.top(), 0); y <= std::min(area.bottom(), m_mask.height() - 1); ++y) {
        auto *line = reinterpret_cast<QRgb *>(m_mask.scanLine(y));
        for (int x = std::max(area.left(), 0); x <= std::min(area.right(), m_mask.width() - 1); ++x)
            line[x] = 0xFF000000;
    }
}

QRegion CRubberBandOverlay::Toggle(QPoint from, QPoint to)
{
    const QPolygon quad = BandPolygon(from, to);
    const QRect box = quad.boundingRect().adjusted(-1, -1, 1, 1) & m_mask.rect();
    if (box.isEmpty())
        return {};

    // Which pixels the quadrilateral covers, by the even-odd rule. The clip
    // keeps Qt on its fast path when the band reaches far outside the window.
    QImage coverage(box.size(), QImage::Format_Grayscale8);
    coverage.fill(0);
    {
        QPainter painter(&coverage);
        painter.setClipRect(coverage.rect());
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.translate(-box.topLeft());
        painter.drawPolygon(quad, Qt::OddEvenFill);
    }

    // The band is a parallelogram: each row covers one run of pixels, found
    // with a quick search instead of a test of every pixel of the box. What
    // changed is told as strips a few rows high around the runs: a long
    // diagonal band's box is nearly all untouched pixels.
    const auto width = static_cast<std::size_t>(box.width());
    std::vector<QRect> strips;
    for (int y = 0; y < box.height(); ++y) {
        const uchar *covered = coverage.constScanLine(y);
        const auto *first = static_cast<const uchar *>(std::memchr(covered, 0xFF, width));
        if (!first)
            continue;
        const auto *last = static_cast<const uchar *>(memrchr(covered, 0xFF, width));
        const int my = box.top() + y;
        auto *mask = reinterpret_cast<QRgb *>(m_mask.scanLine(my));
        const auto from = static_cast<int>(first - covered);
        const auto to = static_cast<int>(last - covered);
        for (int x = from; x <= to; ++x) {
            const int mx = box.left() + x;
            if (covered[x] != 0 && CheckerSet(mx, my))
                mask[mx] ^= 0x00FFFFFF;
        }
        const QRect run(box.left() + from, my, to - from + 1, 1);
        const int strip = y / StripRows;
        if (strips.empty() || strips.back().top() != box.top() + strip * StripRows)
            strips.emplace_back(run.left(), box.top() + strip * StripRows, run.width(), 0);
        QRect &current = strips.back();
        current.setLeft(std::min(current.left(), run.left()));
        current.setRight(std::max(current.right(), run.right()));
        current.setBottom(my);
    }
    // One rectangle a band of rows, top to bottom: the form QRegion takes as it is.
    QRegion changed;
    changed.setRects(strips.data(), static_cast<int>(strips.size()));
    return changed;
}

void CRubberBandOverlay::Apply(QPainter &painter, const QRect &area) const
{
    const QRect box = area & m_mask.rect();
    if (box.isEmpty())
        return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawImage(box.topLeft(), m_mask, box);
    painter.restore();
}

bool CRubberBandOverlay::IsEmpty() const
{
    for (int y = 0; y < m_mask.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(m_mask.constScanLine(y));
        for (int x = 0; x < m_mask.width(); ++x)
            if ((line[x] & 0x00FFFFFF) != 0)
                return false;
    }
    return true;
}

bool CRubberBandOverlay::IsInverted(QPoint pixel) const
{
    return m_mask.valid(pixel) && (m_mask.pixel(pixel) & 0x00FFFFFF) == (Inverted & 0x00FFFFFF);
}
