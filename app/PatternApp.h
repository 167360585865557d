#pragma once

#include <QString>

// The application: fixes where the settings live, runs the editor window
// and ends the program when it closes.
class CPatternApp
{
public:
    // Opens the editor, on the design in file when one is given, and returns
    // when it is closed: its run is the whole program.
    void InitInstance(const QString &file = QString());
};
