#pragma once

#include <QString>

// The application: fixes where the settings live, runs the editor window
// modally and ends the program when it ends.
class CPatternApp
{
public:
    // Opens the editor, on the design in file when one is given. Returns
    // whether a message loop should follow: never, the editor's run was the
    // whole program.
    bool InitInstance(const QString &file = QString());
};
