#pragma once

#include <QPoint>

// Grid snapping of mouse positions. Remainders truncate toward zero, so
// negative coordinates snap toward zero as well.

// The press that starts a shape snaps down.
int PressSnap(int v);
// Every later position rounds; a remainder of exactly 5 rounds down.
int RoundSnap(int v);

inline QPoint PressSnap(QPoint p)
{
    return {PressSnap(p.x()), PressSnap(p.y())};
}

inline QPoint RoundSnap(QPoint p)
{
    return {RoundSnap(p.x()), RoundSnap(p.y())};
}
