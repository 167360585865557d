#pragma once

#include "model/PolarPoint.h"

#include <QString>

#include <variant>

// A vertex typed as "R<A": radius R in design units (pixels at scale 1) and
// angle A in degrees clockwise from straight up, each an arithmetic
// expression of numbers with + - * / and parentheses ("100<360/7",
// "2*60<-45"). The vertex holds R exactly as typed and A x 3.141592654 / 180
// brought into -pi/2 .. 3pi/2 as copies are. Anything else is refused with a
// sentence saying why, also parentheses nested more than 100 deep. Any text
// is read in one pass, on a stack of bounded depth.
std::variant<PolarPoint, QString> ParsePolar(const QString &text);

// The value of one such expression, or why it has none.
std::variant<double, QString> Evaluate(const QString &expression);
