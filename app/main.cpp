#include "app/CommandLine.h"
#include "app/PatternApp.h"

#include <QApplication>

namespace {

QStringList Arguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    const CommandLine command = ParseCommandLine(Arguments(argc, argv));
    if (command.mode == CommandLine::Mode::Render) {
        // Drawing needs a GUI application, but never a display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication application(argc, argv);
        return RunHeadless(command);
    }
    if (command.mode != CommandLine::Mode::Edit) {
        QCoreApplication application(argc, argv);
        return RunHeadless(command);
    }
    QApplication application(argc, argv);
    CPatternApp app;
    app.InitInstance(command.file);
    return 0;
}
