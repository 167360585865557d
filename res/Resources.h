#pragma once

#include <QString>

// Images drawn for the program, compiled into it.
namespace Resources {

inline QString AppIcon() { return QStringLiteral(":/res/vortigram.xpm"); }      // 128
inline QString GoBitmap() { return QStringLiteral(":/res/go.xpm"); }            // 130
inline QString SwatchesBitmap() { return QStringLiteral(":/res/swatches.xpm"); } // 131

} // namespace Resources
