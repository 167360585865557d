#pragma once

#include <QAbstractItemDelegate>
#include <QColor>

#include <cstdint>
#include <functional>

class QPainter;
class QPalette;
class QRect;

// Height of every swatch row, and of a drop-down's closed field.
inline constexpr int SwatchItemHeight = 20;

// Paints one swatch item into itemRect: the colour (if any) on the rect shrunk
// by 3 pixels, and a dotted ring 2 pixels inside the rect when focused.
// Nothing else is painted, so the margin stays as the control left it and a
// selected item looks like any other.
void PaintSwatchItem(QPainter &painter, const QRect &itemRect, const QColor *colour,
                     bool drawFocus, const QColor &ringColour);

// Paints item index of a control holding count items, value being its colour;
// an index without an item paints only the ring, if asked for.
void PaintSwatchItemAt(QPainter &painter, const QRect &itemRect, int index, int count,
                       std::int32_t value, bool drawFocus, const QPalette &palette);

// Hands every row of a view to its owner's item painter, at a fixed height.
class CSwatchDelegate : public QAbstractItemDelegate
{
    Q_OBJECT

public:
    using DrawFunction = std::function<void(QPainter &, const QRect &, int, bool)>;

    CSwatchDelegate(DrawFunction draw, int rowHeight, QObject *parent);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    DrawFunction m_draw;
    int m_rowHeight;
};
