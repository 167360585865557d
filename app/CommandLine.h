#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

// What the program was asked to do on its command line.
struct CommandLine
{
    enum class Mode
    {
        Edit,    // open the editor, on file when given
        Render,  // draw file into output, without a display
        Animate, // write file's Test preview into output, without a display
        Info,    // describe file, without a display
        Play,    // play file's preview full screen, on the display
        Import,  // the shapes of the SVG drawing file into the design file output
        Help,
        Version,
        Wrong,   // error says what is wrong with the arguments
    };

    Mode mode = Mode::Edit;
    QString file;
    QString output;
    QSize size{480, 311}; // the canvas of the editor's first window
    double scale = 1.0;
    double rotation = 0.0;
    bool grid = false;
    bool smooth = false;      // shapes antialiased
    bool frame = true;        // the black line round the picture
    bool transparent = false; // the white left out
    QString error;

    // These paint, so they need a GUI application (never a display).
    bool Paints() const { return mode == Mode::Render || mode == Mode::Animate || mode == Mode::Import; }
};

// Reads the arguments, the program's name first. Qt's own options (-style
// fusion, -platform offscreen, -reverse ...) are left to the application
// object: the editor applies them, the other modes ignore them.
CommandLine ParseCommandLine(const QStringList &arguments);

// Plays the design of the command's file full screen until the user ends it,
// the application object made of argc and argv once the design is read;
// 0, or 1 for a file that cannot be read.
int RunPlayer(const CommandLine &command, int &argc, char **argv);

// Runs every mode but Edit and Play and returns the exit status: 0 done, 1 a file that
// could not be read or written (standard output too), 2 wrong arguments.
int RunHeadless(const CommandLine &command);
