#include "editor/RubberBand.h"

#include <QPainter>
#include <QPolygon>

#include <cstdlib>
#include <cstring>

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

bool CheckerSet(int x, int y)
{
    return ((x + y) & 1) == 0;
}

} // namespace

void CRubberBandOverlay::Reset(QSize client)
{
    if (m_mask.size() != client)
        m_mask = QImage(client, QImage::Format_RGB32);
    m_mask.fill(Qt::black);
}

QRect CRubberBandOverlay::Toggle(QPoint from, QPoint to)
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
    // with a quick search instead of a test of every pixel of the box.
    const auto width = static_cast<std::size_t>(box.width());
    for (int y = 0; y < box.height(); ++y) {
        const uchar *covered = coverage.constScanLine(y);
        const auto *first = static_cast<const uchar *>(std::memchr(covered, 0xFF, width));
        if (!first)
            continue;
        const auto *last = static_cast<const uchar *>(memrchr(covered, 0xFF, width));
        const int my = box.top() + y;
        auto *mask = reinterpret_cast<QRgb *>(m_mask.scanLine(my));
        for (auto x = static_cast<int>(first - covered); x <= static_cast<int>(last - covered); ++x) {
            const int mx = box.left() + x;
            if (covered[x] != 0 && CheckerSet(mx, my))
                mask[mx] ^= 0x00FFFFFF;
        }
    }
    return box;
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
