#include "tools/Readout.h"

#include "tools/Snap.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace {

constexpr int Margin = 3;

} // namespace

QString PolarText(double radius, double angle)
{
    double degrees = std::fmod(angle * 180 / Pi, 360.0);
    if (degrees < 0)
        degrees += 360.0;
    if (QString::number(degrees, 'f', 1) == QStringLiteral("360.0"))
        degrees = 0.0;
    return QStringLiteral("r %1  a %2\u00B0").arg(radius, 0, 'f', 1).arg(degrees, 0, 'f', 1);
}

QRect CPointerReadout::Track(std::optional<QPoint> pos, const CViewport &view, bool polarSnap, int spokes)
{
    const QRect canvas = view.CanvasRect();
    QString text;
    if (pos && canvas.contains(*pos)) {
        if (const auto polar = view.ToPolar(*pos))
            text = PolarText(polar->radius, polar->angle);
        if (polarSnap)
            if (const auto snapped = PolarSnap(*pos, view, spokes))
                text += QStringLiteral("  \u2192 ") + PolarText(snapped->polar.radius, snapped->polar.angle);
    }
    QRect box;
    if (!text.isEmpty()) {
        const QFontMetrics metrics{QFont()};
        const QSize size(metrics.horizontalAdvance(text) + 2 * Margin, metrics.height() + Margin);
        box = QRect(QPoint(canvas.left() + Margin, canvas.bottom() - Margin - size.height() + 1), size);
    }
    if (text == m_text && box == m_box)
        return {};
    const QRect old = m_box;
    m_text = text;
    m_box = box;
    return old | m_box;
}

void CPointerReadout::Paint(QPainter &painter, const QRect &area) const
{
    if (m_text.isEmpty() || !area.intersects(m_box))
        return;
    painter.save();
    painter.setClipRect(area);
    painter.setFont(QFont());
    painter.fillRect(m_box, QColor(255, 255, 255, 220));
    painter.setPen(QColor(60, 60, 60));
    painter.drawText(m_box, Qt::AlignCenter, m_text);
    painter.restore();
}
