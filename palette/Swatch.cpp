#include "palette/Swatch.h"

#include "platform/Colour.h"

#include <QPainter>
#include <QPalette>
#include <QRect>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <utility>

namespace {

// A one-pixel frame with every other pixel set, checkered from the top-left
// corner like the classic focus rectangle.
void PaintDottedFrame(QPainter &painter, const QRect &frame, const QColor &colour)
{
    if (frame.isEmpty())
        return;
    const auto dot = [&](int x, int y) {
        if ((x - frame.left() + y - frame.top()) % 2 == 0)
            painter.fillRect(x, y, 1, 1, colour);
    };
    for (int x = frame.left(); x <= frame.right(); ++x) {
        dot(x, frame.top());
        if (frame.bottom() != frame.top())
            dot(x, frame.bottom());
    }
    for (int y = frame.top() + 1; y < frame.bottom(); ++y) {
        dot(frame.left(), y);
        if (frame.right() != frame.left())
            dot(frame.right(), y);
    }
}

} // namespace

void PaintSwatchItem(QPainter &painter, const QRect &itemRect, const QColor *colour,
                     bool drawFocus, const QColor &ringColour)
{
    if (drawFocus)
        PaintDottedFrame(painter, itemRect.adjusted(2, 2, -2, -2), ringColour);
    const QRect swatch = itemRect.adjusted(3, 3, -3, -3);
    if (colour && !swatch.isEmpty())
        painter.fillRect(swatch, *colour);
}

void PaintSwatchItemAt(QPainter &painter, const QRect &itemRect, int index, int count,
                       std::int32_t value, bool drawFocus, const QPalette &palette)
{
    const bool hasItem = index >= 0 && index < count;
    const QColor colour = ColourFromValue(value);
    PaintSwatchItem(painter, itemRect, hasItem ? &colour : nullptr, drawFocus,
                    palette.color(QPalette::Text));
}

CSwatchDelegate::CSwatchDelegate(DrawFunction draw, int rowHeight, QObject *parent)
    : QAbstractItemDelegate(parent), m_draw(std::move(draw)), m_rowHeight(rowHeight)
{
}

void CSwatchDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    m_draw(*painter, option.rect, index.row(), option.state.testFlag(QStyle::State_HasFocus));
}

QSize CSwatchDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    // Views without wrapping stretch rows to their width; only the height matters.
    return QSize(1, m_rowHeight);
}
