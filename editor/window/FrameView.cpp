#include "window/FrameView.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

CFrameView::CFrameView(CFramePlayer &player, Area area, QWidget *parent)
    : QWidget(parent), m_player(player), m_area(area)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&m_player, &CFramePlayer::FrameShown, this, [this] { update(FrameArea()); });
}

QRect CFrameView::FrameArea() const
{
    if (m_area == Area::Whole)
        return rect();
    const int side = std::min(width(), height());
    return QRect((width() - side) / 2, (height() - side) / 2, side, side);
}

void CFrameView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = FrameArea();
    painter.setClipRegion(event->region());
    if (area != rect())
        painter.fillRect(rect(), Qt::black);
    // A frame of an earlier size shows until the first of this size is
    // painted; what it leaves uncovered is the canvas's white.
    const QImage canvas = m_player.Image().isNull() ? QImage() : CanvasOf(m_player.Image());
    if (canvas.size() != area.size())
        painter.fillRect(area, Qt::white);
    painter.drawImage(area.topLeft(), canvas, QRect(QPoint(0, 0), area.size()));
}

void CFrameView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_player.SetSize(FrameArea().size());
}
