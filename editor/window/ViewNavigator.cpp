#include "window/ViewNavigator.h"

#include "commands/ScaleText.h"
#include "window/CanvasWidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int Notch = 120; // eighths of a degree

} // namespace

std::optional<double> FitScale(const ShapeList &shapes, QSize canvas, int margin, double sign)
{
    double across = 0.0, down = 0.0; // the farthest a vertex lies from the centre at scale 1
    for (const auto &shape : shapes) {
        for (const PolarPoint &point : shape->Points()) {
            const double x = std::abs(std::sin(point.angle) * point.radius);
            const double y = std::abs(std::cos(point.angle) * point.radius);
            if (std::isfinite(x) && std::isfinite(y)) {
                across = std::max(across, x);
                down = std::max(down, y);
            }
        }
    }
    const double roomX = canvas.width() / 2 - margin, roomY = canvas.height() / 2 - margin;
    if (roomX <= 0 || roomY <= 0 || (across == 0.0 && down == 0.0))
        return std::nullopt;
    const double scale = std::min(across > 0 ? roomX / across : INFINITY, down > 0 ? roomY / down : INFINITY);
    if (!std::isfinite(scale) || !IsUsableScale(scale))
        return std::nullopt;
    return sign < 0 ? -scale : scale;
}

CViewNavigator::CViewNavigator(CCanvasWidget &canvas, const ShapeList &shapes)
    : QObject(&canvas), m_canvas(canvas), m_shapes(shapes)
{
}

bool CViewNavigator::CanZoomBy(double factor) const
{
    const double scale = m_canvas.Viewport().scale * factor;
    return IsUsableScale(scale) && std::abs(scale) <= MostZoom;
}

bool CViewNavigator::CanFit() const
{
    // Asked after every step: the first vertex off the centre answers, where
    // the scale itself reads every vertex.
    return std::any_of(m_shapes.begin(), m_shapes.end(), [](const auto &shape) {
        return std::any_of(shape->Points().begin(), shape->Points().end(),
                           [](const PolarPoint &p) { return p.radius != 0 && std::isfinite(p.radius); });
    });
}

void CViewNavigator::ZoomBy(double factor, std::optional<QPoint> about)
{
    if (m_canvas.IsBusy() || !CanZoomBy(factor))
        return;
    const CViewport &view = m_canvas.Viewport();
    const double scale = view.scale * factor;
    Show(scale, about ? view.OffsetKeeping(*about, scale) : view.Offset());
}

void CViewNavigator::ActualSize()
{
    if (!m_canvas.IsBusy())
        Show(1.0, {});
}

void CViewNavigator::FitDesign()
{
    const double sign = m_canvas.Viewport().scale < 0 ? -1.0 : 1.0;
    if (const auto scale = FitScale(m_shapes, m_canvas.size(), FitMargin, sign); scale && !m_canvas.IsBusy())
        Show(*scale, {});
}

void CViewNavigator::Show(double scale, QPoint offset)
{
    m_canvas.ShowView(scale, offset);
    emit ScaleChosen(scale);
}

bool CViewNavigator::Mouse(const QMouseEvent &event)
{
    const QPoint pos = event.position().toPoint();
    switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (m_grab)
            return true;
        if (m_canvas.IsBusy() || !(event.button() == Qt::MiddleButton || (event.button() == Qt::LeftButton && m_space)))
            return false;
        m_grab = pos;
        m_grabOffset = m_canvas.Viewport().Offset();
        m_grabButton = event.button();
        m_canvas.setCursor(Qt::ClosedHandCursor);
        return true;
    case QEvent::MouseMove:
        if (!m_grab)
            return false;
        if (const QPoint offset = m_grabOffset + WholeSteps(pos.x() - m_grab->x(), pos.y() - m_grab->y());
            offset != m_canvas.Viewport().Offset())
            Show(m_canvas.Viewport().scale, offset);
        return true;
    case QEvent::MouseButtonRelease:
        if (!m_grab || event.button() != m_grabButton)
            return m_grab.has_value();
        m_grab.reset();
        m_canvas.setCursor(m_canvas.Tools().Active().Cursor());
        m_canvas.Refine();
        return true;
    default:
        return false;
    }
}

bool CViewNavigator::Wheel(const QWheelEvent &event)
{
    if (m_canvas.IsBusy() || m_grab)
        return true;
    m_wheel += event.angleDelta();
    const QPoint notches(m_wheel.x() / Notch, m_wheel.y() / Notch);
    m_wheel -= notches * Notch;
    const int turned = notches.y() != 0 ? notches.y() : notches.x();
    if (turned == 0)
        return true;
    const CViewport &view = m_canvas.Viewport();
    if (event.modifiers() & Qt::ControlModifier) {
        ZoomBy(std::pow(ZoomStep, turned), event.position().toPoint());
    } else if (event.modifiers() & Qt::ShiftModifier) {
        Show(view.scale, view.Offset() + QPoint(turned * WheelPan, 0));
    } else {
        Show(view.scale, view.Offset() + QPoint(notches.x(), notches.y()) * WheelPan);
    }
    return true;
}

void CViewNavigator::Forget()
{
    m_space = false;
    if (std::exchange(m_grab, std::nullopt)) {
        m_canvas.setCursor(m_canvas.Tools().Active().Cursor());
        m_canvas.Refine();
    }
}

bool CViewNavigator::Key(const QKeyEvent &event, bool pressed)
{
    if (event.key() != Qt::Key_Space || event.isAutoRepeat())
        return event.key() == Qt::Key_Space && m_space;
    m_space = pressed;
    return true;
}
