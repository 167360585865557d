#include "app/CommandLine.h"

#include "drawing/Animation.h"
#include "drawing/Picture.h"
#include "commands/ScaleText.h"
#include "export/DesignFile.h"
#include "export/DesignReader.h"
#include "export/SvgImport.h"
#include "platform/OutputFile.h"
#include "res/Strings.h"
#include "window/PlayerWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <unistd.h>

namespace {

const char Usage[] =
    "Usage: vortigram [FILE]\n"
    "       vortigram --render FILE -o OUT.png|OUT.svg|OUT.pdf [--size WxH]\n"
    "                 [--scale S] [--rotation R] [--grid] [--smooth]\n"
    "                 [--frame | --no-frame] [--transparent]\n"
    "       vortigram --animate FILE -o OUT.gif|OUT.webp [--size WxH] [--smooth]\n"
    "                 [--frame | --no-frame] [--transparent]\n"
    "       vortigram --play FILE\n"
    "       vortigram --info FILE\n"
    "       vortigram --import FILE.svg -o OUT.jvf [--scale S]\n"
    "       vortigram -h | --help | -v | --version\n";

const char Options[] =
    "\nVortigram edits patterns around a centre point and their design files (.jvf).\n\n"
    "  FILE                  open this design file in the editor\n"
    "  --render FILE         draw the design as the canvas shows it (no display)\n"
    "  --animate FILE        write the Test preview: 360 frames of 30 ms (no display)\n"
    "  --play FILE           play the Test preview full screen, in a loop: the canvas\n"
    "                        a square as tall as the screen on black; Space pauses,\n"
    "                        Escape, q or a click ends it\n"
    "  -o, --output OUT      the file to write: OUT.png, OUT.svg or OUT.pdf for\n"
    "                        --render, OUT.gif or OUT.webp for --animate, the\n"
    "                        design file for --import\n"
    "  --size WxH            the canvas size in pixels (default 480x311)\n"
    "  --scale S             the drawing scale (default 1); for --import, curves\n"
    "                        are made lines within 0.25 pixels at it\n"
    "  --rotation R          the turn of the design in radians, clockwise (default 0)\n"
    "  --grid                draw the dot grid and the axes too\n"
    "  --smooth              draw the shapes with smooth (antialiased) edges; the\n"
    "                        axes, dots and frame stay crisp\n"
    "  --frame, --no-frame   draw the black frame round the picture or leave it\n"
    "                        out (default: drawn)\n"
    "  --transparent         leave the white background out (PNG, SVG, WebP)\n"
    "  --info FILE           print a design's shapes, vertices and largest radius\n"
    "  --import FILE.svg     write the shapes of an SVG drawing as a design file\n"
    "                        (-o OUT), its page centred, a unit a pixel at scale 1\n"
    "  -h, --help            print this help\n"
    "  -v, --version         print the version\n"
    "\nIn the editor the menu bar (and a right click) holds every command with its\n"
    "key, among them Ctrl+N new, Ctrl+S save, Ctrl+P print, Ctrl+Q quit, S to select\n"
    "shapes and % polar snapping. man vortigram describes them all.\n"
    "\nQt's own options (-style S, -platform P, -reverse ...) apply to the editor;\n"
    "the other commands ignore them.\n"
    "Exit status: 0 done, 1 a file that cannot be read or written, 2 wrong arguments.\n";

// Qt's own options, taken by the application object; with a value and without.
const QStringList QtOptionsWithValue = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
    "qwindowtitle", "title", "qwindowicon", "icon", "session", "display", "name", "visual",
    "style", "stylesheet"};
const QStringList QtFlags = {"reverse", "widgetcount", "nograb", "dograb", "testability"};

// The arguments without Qt's options, which the application object takes.
QStringList WithoutQtOptions(const QStringList &arguments)
{
    QStringList kept = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--")) {
            kept << arguments.mid(i);
            break;
        }
        // Qt reads its options with one dash or two.
        const QString name = argument.startsWith(QLatin1String("--")) ? argument.mid(2)
                             : argument.startsWith(u'-')              ? argument.mid(1)
                                                                      : QString();
        if (QtFlags.contains(name) || name.startsWith(QLatin1String("style=")) ||
            name.startsWith(QLatin1String("stylesheet=")) ||
            name.startsWith(QLatin1String("qmljsdebugger=")))
            continue;
        if (QtOptionsWithValue.contains(name) && i + 1 < arguments.size()) {
            ++i;
            continue;
        }
        kept << argument;
    }
    return kept;
}

// Set by Ctrl+C (or a hang-up or a termination) while an animation is written.
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void Interrupted(int signal)
{
    g_interrupted = signal;
}

void Print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

CommandLine Wrong(const QString &error)
{
    CommandLine command;
    command.mode = CommandLine::Mode::Wrong;
    command.error = error;
    return command;
}

// An option given without a command that takes it.
QString NeedsMode(const QString &name)
{
    const QString modes = name == QLatin1String("rotation") || name == QLatin1String("grid")
                              ? QStringLiteral("--render")
                          : name == QLatin1String("size") || name == QLatin1String("smooth") ||
                                    name == QLatin1String("frame") || name == QLatin1String("no-frame") ||
                                    name == QLatin1String("transparent")
                              ? QStringLiteral("--render or --animate")
                                                          : QStringLiteral("--render, --animate or --import");
    return QStringLiteral("%1%2 needs %3.")
        .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name, modes);
}

std::optional<QSize> ParseSize(const QString &text)
{
    const QStringList parts = text.split(u'x');
    if (parts.size() != 2)
        return std::nullopt;
    bool okWidth = false;
    bool okHeight = false;
    const QSize size(parts[0].toInt(&okWidth), parts[1].toInt(&okHeight));
    if (!okWidth || !okHeight || size.width() < 1 || size.height() < 1 ||
        size.width() > LargestPictureSide || size.height() > LargestPictureSide)
        return std::nullopt;
    return size;
}

ShapeList ReadOrReport(const QString &path, bool &ok)
{
    try {
        ok = true;
        return ReadDesign(path);
    } catch (const CDesignReadError &e) {
        Print(stderr, DesignReadMessage(path, e) + u'\n');
    } catch (const std::bad_alloc &) {
        Print(stderr, QStringLiteral("%1 is too large to open.\n").arg(path));
    }
    ok = false;
    return {};
}

int Info(const CommandLine &command)
{
    bool ok = false;
    const ShapeList shapes = ReadOrReport(command.file, ok);
    if (!ok)
        return 1;
    qsizetype polygons = 0;
    qsizetype vertices = 0;
    double largest = 0.0;
    QStringList counts;
    for (const auto &shape : shapes) {
        polygons += shape->Type() == CPolyStorage::TypeValue;
        vertices += shape->PointCount();
        counts << QString::number(shape->PointCount());
        for (const PolarPoint &p : shape->Points())
            largest = std::max(largest, std::abs(p.radius));
    }
    Print(stdout, QStringLiteral("shapes: %1\npolygons: %2\npolylines: %3\nvertices: %4\n"
                                 "vertices per shape: %5\nlargest radius: %6\n")
                      .arg(shapes.size())
                      .arg(polygons)
                      .arg(static_cast<qsizetype>(shapes.size()) - polygons)
                      .arg(vertices)
                      .arg(counts.join(u' '))
                      .arg(largest, 0, 'g', 15));
    return 0;
}

int NotWritten(const QString &path, const QString &why)
{
    Print(stderr, QStringLiteral("%1 could not be written: %2\n").arg(path, why));
    return 1;
}

// While it lives, Ctrl+C (or a hang-up or a termination) asks the picture
// being written to stop, leaving no file behind; then the program ends by
// the same signal.
class CInterruptible
{
public:
    CInterruptible()
    {
        for (const int number : Caught)
            std::signal(number, Interrupted);
    }
    ~CInterruptible()
    {
        for (const int number : Caught)
            std::signal(number, SIG_DFL);
        if (g_interrupted)
            std::raise(g_interrupted);
    }
    CInterruptible(const CInterruptible &) = delete;
    CInterruptible &operator=(const CInterruptible &) = delete;

private:
    static constexpr int Caught[] = {SIGINT, SIGTERM, SIGHUP};
};

// Writes a picture or an animation, telling a terminal how far it has got.
// write(progress) writes; progress(done) says so and answers whether to go on.
int WriteTold(const QString &output, const std::function<QString(int)> &told, bool atOnce,
              const std::function<void(const std::function<bool(int)> &)> &write)
{
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    bool shown = false;
    // Only what takes longer than half a second tells its progress.
    QElapsedTimer clock;
    clock.start();
    const auto progress = [&](int done) {
        if (terminal && (atOnce || clock.elapsed() >= 500)) {
            Print(stderr, QStringLiteral("\rWriting %1: %2").arg(output, told(done)));
            shown = true;
        }
        return g_interrupted == 0;
    };
    int status = 0;
    {
        const CInterruptible interruptible;
        try {
            write(progress);
        } catch (const CFileException &e) {
            status = NotWritten(output, e.Description());
        } catch (const std::bad_alloc &) {
            status = NotWritten(output, QStringLiteral("not enough memory."));
        }
        if (shown)
            Print(stderr, QStringLiteral("\n"));
    }
    return status;
}

PictureView LookOf(const CommandLine &command)
{
    PictureView view{command.size, command.scale, command.rotation, command.grid};
    view.smooth = command.smooth;
    view.frame = command.frame;
    view.transparent = command.transparent;
    return view;
}

int Render(const CommandLine &command)
{
    bool ok = false;
    const ShapeList shapes = ReadOrReport(command.file, ok);
    if (!ok)
        return 1;
    return WriteTold(
        command.output, [](int done) { return QStringLiteral("%1%").arg(done); }, false,
        [&](const std::function<bool(int)> &progress) {
            WritePicture(command.output, LookOf(command), shapes, QFileInfo(command.file).fileName(), progress);
        });
}

int Animate(const CommandLine &command)
{
    bool ok = false;
    const ShapeList shapes = ReadOrReport(command.file, ok);
    if (!ok)
        return 1;
    return WriteTold(
        command.output, [](int done) { return QStringLiteral("frame %1 of %2").arg(done).arg(PreviewFrameCount); },
        true, [&](const std::function<bool(int)> &progress) {
            WriteAnimation(command.output, command.size, shapes, progress, LookOf(command));
        });
}

int Import(const CommandLine &command)
{
    SvgImportOptions options; // a colour the drawing leaves out: white fill, black outline
    options.scale = command.scale;
    SvgImport import;
    try {
        import = ImportSvg(command.file, options);
    } catch (const CImportError &e) {
        Print(stderr, ImportErrorMessage(command.file, e) + u'\n');
        return 1;
    } catch (const std::bad_alloc &) {
        Print(stderr, QStringLiteral("%1 is too large to import.\n").arg(command.file));
        return 1;
    }
    try {
        ExportDesign(command.output, import.shapes);
    } catch (const CFileException &e) {
        return NotWritten(command.output, e.Description());
    } catch (const std::bad_alloc &) {
        return NotWritten(command.output, QStringLiteral("not enough memory."));
    }
    Print(stdout, ImportSummary(import) + u'\n');
    return 0;
}

} // namespace

CommandLine ParseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption render(QStringLiteral("render"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption animate(QStringLiteral("animate"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("OUT"));
    const QCommandLineOption size(QStringLiteral("size"), QString(), QStringLiteral("WxH"));
    const QCommandLineOption scale(QStringLiteral("scale"), QString(), QStringLiteral("S"));
    const QCommandLineOption rotation(QStringLiteral("rotation"), QString(), QStringLiteral("R"));
    const QCommandLineOption grid(QStringLiteral("grid"));
    const QCommandLineOption smooth(QStringLiteral("smooth"));
    const QCommandLineOption frame(QStringLiteral("frame"));
    const QCommandLineOption noFrame(QStringLiteral("no-frame"));
    const QCommandLineOption transparent(QStringLiteral("transparent"));
    const QCommandLineOption info(QStringLiteral("info"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption play(QStringLiteral("play"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption import(QStringLiteral("import"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({render, animate, output, size, scale, rotation, grid, smooth, frame, noFrame, transparent,
                       info, import, play, help, version});
    if (!parser.parse(WithoutQtOptions(arguments)))
        return Wrong(parser.errorText());

    CommandLine command;
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(help) || parser.isSet(version)) {
        command.mode = parser.isSet(help) ? CommandLine::Mode::Help : CommandLine::Mode::Version;
        return parser.optionNames().size() == 1 && files.isEmpty()
                   ? command
                   : Wrong(QStringLiteral("--help and --version take nothing else."));
    }
    if (parser.isSet(render) + parser.isSet(animate) + parser.isSet(info) + parser.isSet(import) > 1)
        return Wrong(QStringLiteral("--render, --animate, --info and --import cannot be used together."));
    // A scale given is one that can be drawn at.
    const auto readScale = [&](CommandLine &command) {
        if (!parser.isSet(scale))
            return true;
        const auto parsed = WholeNumber(parser.value(scale));
        if (!parsed || !IsUsableScale(*parsed))
            return false;
        command.scale = *parsed;
        return true;
    };
    const QString wrongScale =
        QStringLiteral("--scale must be a number not nearer to zero than 0.000001: %1").arg(parser.value(scale));
    for (const QCommandLineOption *alone : {&info, &play}) {
        if (!parser.isSet(*alone))
            continue;
        const QString name = alone->names().constFirst();
        if (parser.optionNames().size() != 1 || !files.isEmpty())
            return Wrong(QStringLiteral("--%1 takes one design file and nothing else.").arg(name));
        command.mode = alone == &info ? CommandLine::Mode::Info : CommandLine::Mode::Play;
        command.file = parser.value(*alone);
        return command;
    }
    if (parser.isSet(import)) {
        for (const QCommandLineOption *option : {&size, &rotation, &grid, &smooth, &frame, &noFrame, &transparent})
            if (parser.isSet(*option))
                return Wrong(NeedsMode(option->names().constFirst()));
        if (!files.isEmpty())
            return Wrong(QStringLiteral("Unexpected argument: %1").arg(files.constFirst()));
        if (parser.value(output).isEmpty())
            return Wrong(QStringLiteral("--import needs -o OUT, the design file to write."));
        command.mode = CommandLine::Mode::Import;
        command.file = parser.value(import);
        command.output = parser.value(output);
        if (!readScale(command))
            return Wrong(wrongScale);
        return command;
    }
    if (parser.isSet(render) || parser.isSet(animate)) {
        if (!files.isEmpty())
            return Wrong(QStringLiteral("Unexpected argument: %1").arg(files.constFirst()));
        const bool still = parser.isSet(render);
        command.mode = still ? CommandLine::Mode::Render : CommandLine::Mode::Animate;
        command.file = parser.value(still ? render : animate);
        command.output = parser.value(output);
        command.grid = parser.isSet(grid);
        const PictureFormat format = PictureFormatOf(command.output);
        if (still && format != PictureFormat::Png && format != PictureFormat::Svg &&
            format != PictureFormat::Pdf)
            return Wrong(QStringLiteral("--render needs -o OUT.png, -o OUT.svg or -o OUT.pdf."));
        if (!still && format != PictureFormat::Gif && format != PictureFormat::WebP)
            return Wrong(QStringLiteral("--animate needs -o OUT.gif or -o OUT.webp."));
        if (parser.isSet(frame) && parser.isSet(noFrame))
            return Wrong(QStringLiteral("--frame and --no-frame cannot be used together."));
        command.smooth = parser.isSet(smooth);
        command.frame = !parser.isSet(noFrame);
        command.transparent = parser.isSet(transparent);
        // GIF keeps no partly transparent pixels, PDF no page without its paper.
        if (command.transparent && format != PictureFormat::Png && format != PictureFormat::Svg &&
            format != PictureFormat::WebP)
            return Wrong(QStringLiteral("--transparent needs -o OUT.png, -o OUT.svg or -o OUT.webp."));
        if (parser.isSet(size)) {
            const auto parsed = ParseSize(parser.value(size));
            if (!parsed)
                return Wrong(QStringLiteral("--size must be WxH, each from 1 to %1: %2")
                                 .arg(LargestPictureSide)
                                 .arg(parser.value(size)));
            command.size = *parsed;
        }
        // The preview's frames have their own scale and turn, and no grid.
        for (const QCommandLineOption *option : {&scale, &rotation, &grid}) {
            if (!still && parser.isSet(*option))
                return Wrong(QStringLiteral("--%1 needs --render.").arg(option->names().constFirst()));
        }
        if (!readScale(command))
            return Wrong(wrongScale);
        if (parser.isSet(rotation)) {
            const auto parsed = WholeNumber(parser.value(rotation));
            if (!parsed || !std::isfinite(*parsed))
                return Wrong(QStringLiteral("--rotation must be a number: %1").arg(parser.value(rotation)));
            command.rotation = *parsed;
        }
        return command;
    }
    if (!parser.optionNames().isEmpty())
    {
        return Wrong(NeedsMode(parser.optionNames().constFirst()));
    }
    if (files.size() > 1)
        return Wrong(QStringLiteral("Only one design file can be opened."));
    command.file = files.value(0);
    return command;
}

int RunPlayer(const CommandLine &command, int &argc, char **argv)
{
    bool ok = false;
    ShapeList shapes = ReadOrReport(command.file, ok);
    if (!ok)
        return 1;
    QApplication application(argc, argv);
    CPlayerWindow player(std::make_shared<const ShapeList>(std::move(shapes)));
    player.showFullScreen();
    QApplication::exec();
    return 0;
}

int RunHeadless(const CommandLine &command)
{
    int status = 2;
    switch (command.mode) {
    case CommandLine::Mode::Help:
        Print(stdout, QString::fromLatin1(Usage) + QString::fromLatin1(Options));
        status = 0;
        break;
    case CommandLine::Mode::Version:
        Print(stdout, Strings::VersionLine() + u'\n');
        status = 0;
        break;
    case CommandLine::Mode::Info:
        status = Info(command);
        break;
    case CommandLine::Mode::Render:
        return Render(command);
    case CommandLine::Mode::Animate:
        return Animate(command);
    case CommandLine::Mode::Import:
        status = Import(command);
        break;
    case CommandLine::Mode::Wrong:
    case CommandLine::Mode::Edit:
    case CommandLine::Mode::Play:
        Print(stderr, QStringLiteral("vortigram: %1\n").arg(command.error) + QString::fromLatin1(Usage));
        return 2;
    }
    // What was printed counts only once it has left the buffer.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Print(stderr, QStringLiteral("vortigram: standard output could not be written: %1\n")
                          .arg(QString::fromLocal8Bit(std::strerror(errno))));
        std::clearerr(stdout);
        return 1;
    }
    return status;
}
