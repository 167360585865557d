#include "app/CommandLine.h"

#include "editor/Canvas.h"
#include "editor/ScaleText.h"
#include "export/DesignReader.h"
#include "res/Strings.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <optional>

namespace {

// Larger images would not fit in memory, and no screen is this large.
constexpr int LargestSide = 16384;

const char Usage[] = "Usage: vortigram [FILE]\n"
                     "       vortigram --render FILE -o OUT.png|OUT.svg [--size WxH] [--scale S] "
                     "[--grid]\n"
                     "       vortigram --info FILE\n"
                     "       vortigram --help | --version\n";

const char Options[] =
    "\nVortigram edits patterns drawn around a centre point and their design files (.jvf).\n\n"
    "  FILE                  open this design file in the editor\n"
    "  --render FILE         draw the design as the canvas shows it, without a display\n"
    "  -o, --output OUT      the picture to write: OUT.png or OUT.svg\n"
    "  --size WxH            the canvas size in pixels (default 480x311)\n"
    "  --scale S             the drawing scale (default 1)\n"
    "  --grid                draw the dot grid and the axes too\n"
    "  --info FILE           print the shapes, vertices and largest radius of a design\n"
    "  -h, --help            print this help\n"
    "  -v, --version         print the version\n";

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

std::optional<QSize> ParseSize(const QString &text)
{
    const QStringList parts = text.split(u'x');
    if (parts.size() != 2)
        return std::nullopt;
    bool okWidth = false;
    bool okHeight = false;
    const QSize size(parts[0].toInt(&okWidth), parts[1].toInt(&okHeight));
    if (!okWidth || !okHeight || size.width() < 1 || size.height() < 1 ||
        size.width() > LargestSide || size.height() > LargestSide)
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

int Render(const CommandLine &command)
{
    bool ok = false;
    const ShapeList shapes = ReadOrReport(command.file, ok);
    if (!ok)
        return 1;
    // The canvas of a window whose client area is the picture and the strip above it.
    const CanvasView view{command.size + QSize(0, StripHeight), command.scale, 0.0,
                          !command.grid, 0};
    bool written = false;
    if (QFileInfo(command.output).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0) {
        QSvgGenerator svg;
        svg.setFileName(command.output);
        svg.setSize(command.size);
        svg.setViewBox(QRect(QPoint(0, 0), command.size));
        svg.setTitle(QFileInfo(command.file).fileName());
        QPainter painter(&svg);
        painter.translate(0, -StripHeight);
        PaintCanvas(painter, view, shapes);
        written = painter.end();
    } else {
        // Painted as in the window, strip and all, so that lines leave the
        // canvas's top edge exactly as they do on screen.
        QImage image(view.client, QImage::Format_RGB32);
        if (!image.isNull()) {
            QPainter painter(&image);
            PaintCanvas(painter, view, shapes);
            painter.end();
            written = image.copy(CanvasRect(view.client)).save(command.output, "PNG");
        }
    }
    if (!written) {
        Print(stderr, QStringLiteral("%1 could not be written.\n").arg(command.output));
        return 1;
    }
    return 0;
}

} // namespace

CommandLine ParseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption render(QStringLiteral("render"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("OUT"));
    const QCommandLineOption size(QStringLiteral("size"), QString(), QStringLiteral("WxH"));
    const QCommandLineOption scale(QStringLiteral("scale"), QString(), QStringLiteral("S"));
    const QCommandLineOption grid(QStringLiteral("grid"));
    const QCommandLineOption info(QStringLiteral("info"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({render, output, size, scale, grid, info, help, version});
    if (!parser.parse(arguments))
        return Wrong(parser.errorText());

    CommandLine command;
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(help) || parser.isSet(version)) {
        command.mode = parser.isSet(help) ? CommandLine::Mode::Help : CommandLine::Mode::Version;
        return parser.optionNames().size() == 1 && files.isEmpty()
                   ? command
                   : Wrong(QStringLiteral("--help and --version take nothing else."));
    }
    if (parser.isSet(render) && parser.isSet(info))
        return Wrong(QStringLiteral("--render and --info cannot be used together."));
    if (parser.isSet(info)) {
        if (parser.optionNames().size() != 1 || !files.isEmpty())
            return Wrong(QStringLiteral("--info takes one design file and nothing else."));
        command.mode = CommandLine::Mode::Info;
        command.file = parser.value(info);
        return command;
    }
    if (parser.isSet(render)) {
        if (!files.isEmpty())
            return Wrong(QStringLiteral("Unexpected argument: %1").arg(files.constFirst()));
        command.mode = CommandLine::Mode::Render;
        command.file = parser.value(render);
        command.output = parser.value(output);
        command.grid = parser.isSet(grid);
        const QString suffix = QFileInfo(command.output).suffix().toLower();
        if (suffix != QStringLiteral("png") && suffix != QStringLiteral("svg"))
            return Wrong(QStringLiteral("--render needs -o OUT.png or -o OUT.svg."));
        if (parser.isSet(size)) {
            const auto parsed = ParseSize(parser.value(size));
            if (!parsed)
                return Wrong(QStringLiteral("--size must be WxH, each from 1 to %1: %2")
                                 .arg(LargestSide)
                                 .arg(parser.value(size)));
            command.size = *parsed;
        }
        if (parser.isSet(scale)) {
            const auto parsed = WholeNumber(parser.value(scale));
            if (!parsed || !IsUsableScale(*parsed))
                return Wrong(QStringLiteral("--scale must be a number not nearer to zero than "
                                            "0.000001: %1")
                                 .arg(parser.value(scale)));
            command.scale = *parsed;
        }
        return command;
    }
    if (!parser.optionNames().isEmpty())
    {
        const QString name = parser.optionNames().constFirst();
        return Wrong(QStringLiteral("%1%2 needs --render.")
                         .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name));
    }
    if (files.size() > 1)
        return Wrong(QStringLiteral("Only one design file can be opened."));
    command.file = files.value(0);
    return command;
}

int RunHeadless(const CommandLine &command)
{
    switch (command.mode) {
    case CommandLine::Mode::Help:
        Print(stdout, QString::fromLatin1(Usage) + QString::fromLatin1(Options));
        return 0;
    case CommandLine::Mode::Version:
        Print(stdout, Strings::VersionLine() + u'\n');
        return 0;
    case CommandLine::Mode::Info:
        return Info(command);
    case CommandLine::Mode::Render:
        return Render(command);
    case CommandLine::Mode::Wrong:
    case CommandLine::Mode::Edit:
        break;
    }
    Print(stderr, QStringLiteral("vortigram: %1\n").arg(command.error) + QString::fromLatin1(Usage));
    return 2;
}
