#include "drawing/Viewport.h"

#include "model/DrawMapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

int PressSnap(int v)
{
    return v - v % GridPitch;
}

int RoundSnap(int v)
{
    const int r = v % GridPitch;
    if (r > GridPitch / 2) {
        // Rounding up past the largest int would overflow; stay on the grid below.
        if (v > std::numeric_limits<int>::max() - GridPitch)
            return v - r;
        return v + (GridPitch - r);
    }
    return v - r;
}

QPoint CanvasCentre(QSize canvas)
{
    return {canvas.width() / 2, canvas.height() / 2};
}

QPoint WholeSteps(double dx, double dy)
{
    const auto steps = [](double d) {
        if (!std::isfinite(d))
            return 0;
        return static_cast<int>(std::round(std::clamp(d, double(-MostPan), double(MostPan)) / GridPitch)) * GridPitch;
    };
    return {steps(dx), steps(dy)};
}

QPoint CViewport::OffsetKeeping(QPoint pixel, double newScale) const
{
    // The design point under pixel is (pixel - centre) / scale from the
    // centre; at the new scale the centre lies that times newScale away.
    const double k = newScale / scale;
    const QPoint middle = CanvasCentre(canvas);
    return WholeSteps(pixel.x() - (pixel.x() - centre.x()) * k - middle.x(),
                      pixel.y() - (pixel.y() - centre.y()) * k - middle.y());
}

CViewport CViewport::Centred(QSize canvas, double scale, double rotation, bool animating)
{
    return {canvas, CanvasCentre(canvas), QPoint(), scale, rotation, animating};
}

namespace {

// One conversion for clicks and for points brought in from elsewhere.
std::optional<PolarPoint> PolarOf(QPoint pixel, QPoint centre, double scale, double rotation)
{
    const double dx = static_cast<double>(pixel.x()) - centre.x();
    const double dy = -(static_cast<double>(pixel.y()) - centre.y()); // grows upward
    return PolarOfOffset(dx, dy, scale, rotation);
}

} // namespace

std::optional<PolarPoint> CViewport::ToPolar(QPoint pixel) const
{
    return PolarOf(pixel, centre, scale, rotation);
}

std::optional<PolarPoint> CViewport::ScreenPolar(QPoint pixel) const
{
    return PolarOf(pixel, centre, 1.0, 0.0);
}

QPoint CViewport::ToPixel(const PolarPoint &vertex) const
{
    return MapToScreen(vertex, scale, rotation, centre.x(), centre.y());
}

QPoint CViewport::ScreenPixel(const PolarPoint &onScreen) const
{
    return MapToScreen(onScreen, 1.0, 0.0, centre.x(), centre.y());
}

QPoint CViewport::PressSnap(QPoint pixel) const
{
    const QPoint p = pixel - gridOrigin;
    return QPoint(::PressSnap(p.x()), ::PressSnap(p.y())) + gridOrigin;
}

QPoint CViewport::RoundSnap(QPoint pixel) const
{
    const QPoint p = pixel - gridOrigin;
    return QPoint(::RoundSnap(p.x()), ::RoundSnap(p.y())) + gridOrigin;
}
