// Runs every benchmark headless, then sets the figures against their goals.
#include "bench/GoalReport.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform cannot grab the mouse or the keyboard, as every
// entry asks it to, and says so each time: keep the tables readable.
void QuietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support grabbing")))
        return;
    defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    defaultHandler = qInstallMessageHandler(QuietHandler);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The benchmarks load and save settings: keep them away from the user's.
    QTemporaryDir settings;
    QStandardPaths::setTestModeEnabled(true);
    for (auto format : {QSettings::IniFormat, QSettings::NativeFormat}) {
        QSettings::setPath(format, QSettings::UserScope, settings.path());
        QSettings::setPath(format, QSettings::SystemScope, settings.path() + "/system");
    }
    // The start-up probe runs as its own process; point it there too.
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    // The recovery copies of the probe and of the window benchmarks.
    qputenv("XDG_STATE_HOME", (settings.path() + QStringLiteral("/state")).toLocal8Bit());

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Marbrel"));

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    CGoalReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintGoals();
    benchmark::Shutdown();
    return 0;
}
