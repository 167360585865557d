#include "tools/Snap.h"

#include <cmath>

std::optional<PlacedVertex> PolarSnap(QPoint pos, const CViewport &view, int spokes)
{
    const auto onScreen = view.ScreenPolar(pos);
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

    PlacedVertex placed;
    placed.polar = {k * step - view.rotation, distance / view.scale};
    placed.pixel = view.ScreenPixel({k * step, distance});
    return placed;
}

std::optional<PlacedVertex> PlaceVertex(QPoint pos, const CViewport &view, bool polarSnap, int spokes)
{
    if (polarSnap)
        return PolarSnap(pos, view, spokes);
    const QPoint pixel = view.RoundSnap(pos);
    const auto polar = view.ToPolar(pixel);
    if (!polar)
        return std::nullopt;
    return PlacedVertex{*polar, pixel};
}
