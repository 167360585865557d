#include "editor/Snap.h"

#include "editor/Canvas.h"

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
