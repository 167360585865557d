#include "tools/Snap.h"

#include "model/DrawMapping.h"

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

std::optional<PlacedVertex> PolarSnap(QPoint pos, const CanvasView &view, int spokes)
{
    const auto onScreen = ToPolar(pos, view.client, 1.0, 0.0);
    if (!onScreen || spokes < 1 || view.scale == 0.0 || !std::isfinite(view.scale))
        return std::nullopt;
    const int steps = 4 * spokes; // a whole turn
    const double step = 2 * Pi / steps;
    auto k = static_cast<int>(std::lround(onScreen->angle / step));
    // Keep k x step in the range entry produces, -pi/2 up to 3pi/2.
    if (k >= 3 * spokes)
        k -= steps;
    else if (k < -spokes)
        k += steps;
    const double distance = GridPitch * std::round(onScreen->radius / GridPitch);

    const QPoint centre = CanvasCentre(view.client);
    PlacedVertex placed;
    placed.polar = {k * step - view.rotation, distance / view.scale};
    placed.pixel = MapToScreen({k * step, distance}, 1.0, 0.0, centre.x(), centre.y());
    return placed;
}

std::optional<PlacedVertex> PlaceVertex(QPoint pos, const CanvasView &view, bool polarSnap, int spokes)
{
    if (polarSnap)
        return PolarSnap(pos, view, spokes);
    const QPoint pixel = RoundSnap(pos);
    const auto polar = ToPolar(pixel, view.client, view.scale, view.rotation);
    if (!polar)
        return std::nullopt;
    return PlacedVertex{*polar, pixel};
}
