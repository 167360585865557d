#pragma once

#include <QRect>

// Dialog layouts are given in dialog units of an 8-point dialog font whose
// average character is 6 x 13 pixels: x units are quarters of the width,
// y units eighths of the height, rounded to the nearest pixel.
constexpr int DluToPixelsX(int units)
{
    return (units * 6 + 2) / 4;
}

constexpr int DluToPixelsY(int units)
{
    return (units * 13 + 4) / 8;
}

constexpr QRect DluRect(int x, int y, int w, int h)
{
    return QRect(DluToPixelsX(x), DluToPixelsY(y), DluToPixelsX(w), DluToPixelsY(h));
}
