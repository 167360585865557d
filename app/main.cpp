#include "app/CommandLine.h"
#include "app/PatternApp.h"

#include <QApplication>

#include <cstdio>

namespace {

QStringList Arguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// The commands without a window print their own output and errors, and
// nothing of Qt's (such as its note on a missing XDG_RUNTIME_DIR).
void Quiet(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg)
        std::fputs(qPrintable(message + u'\n'), stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    const CommandLine command = ParseCommandLine(Arguments(argc, argv));
    if (command.mode == CommandLine::Mode::Edit) {
        // The application object takes and applies Qt's own options.
        QApplication application(argc, argv);
        CPatternApp app;
        app.InitInstance(command.file);
        return 0;
    }
    if (command.mode == CommandLine::Mode::Play)
        return RunPlayer(command, argc, argv);
    // The other commands were read in full; the application object gets only
    // the program's name, so that no option of Qt's can ask for a display.
    qInstallMessageHandler(Quiet);
    int nameOnly = 1;
    if (command.Paints()) {
        // Drawing needs a GUI application, but never a display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication application(nameOnly, argv);
        return RunHeadless(command);
    }
    QCoreApplication application(nameOnly, argv);
    return RunHeadless(command);
}
