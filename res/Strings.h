#pragma once

#include <QString>

// The program's string table.
namespace Strings {

inline QString AboutMenu() { return QStringLiteral("A&bout Vortigram..."); } // 101
inline QString ClearQuestion() { return QStringLiteral("Clear all drawn items, Are you sure?"); } // 102

inline QString VersionLine() { return QStringLiteral("Vortigram Version 1.0"); }

} // namespace Strings
