// Pictures out: animations decoded frame by frame against --render, stills
// and animations onto a full disk, the window's export and print commands on
// a plain widget, and the layout of a printed page.
#include "app/CommandLine.h"
#include "drawing/Picture.h"
#include "commands/PictureCommands.h"
#include "drawing/Animation.h"
#include "drawing/CanvasImage.h"
#include "export/DesignFile.h"
#include "support/TestSupport.h"

#include <gif_lib.h>
#include <webp/demux.h>

#include <QAction>
#include <QColorSpace>
#include <QDir>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class tst_Pictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void animation();
    void commands();
    void printedPage();
    void fullDisk();
    void smoothEdges();
    void frameAndBackground();

private:
    QString File(const QString &name) const { return m_dir.filePath(name); }
    int Run(QStringList args) const { return RunHeadless(ParseCommandLine(QStringList{"vortigram"} + args)); }
    QImage Render(const QString &design, const QString &size, int k) const;

    QTemporaryDir m_dir;
    ShapeList m_shapes, m_rays;
    ScriptedSeam m_seam;
};

namespace {

using Frames = QList<std::pair<QImage, int>>; // each frame and how long it shows, in ms

Frames Decode(const QString &path)
{
    Frames frames;
    int error = 0;
    if (GifFileType *gif = path.endsWith(".gif") ? DGifOpenFileName(qPrintable(path), &error) : nullptr) {
        for (int i = 0, slurped = DGifSlurp(gif); slurped == GIF_OK && i < gif->ImageCount; ++i) {
            const SavedImage &image = gif->SavedImages[i];
            QImage frame(image.ImageDesc.Width, image.ImageDesc.Height, QImage::Format_RGB32);
            for (int p = 0; p < frame.width() * frame.height(); ++p) {
                const GifColorType c = image.ImageDesc.ColorMap->Colors[image.RasterBits[p]];
                frame.setPixel(p % frame.width(), p / frame.width(), qRgb(c.Red, c.Green, c.Blue));
            }
            GraphicsControlBlock control;
            DGifSavedExtensionToGCB(gif, i, &control);
            frames.append({frame, control.DelayTime * 10});
        }
        DGifCloseFile(gif, &error);
        return frames;
    }
    const QByteArray bytes = ReadFileBytes(path);
    const WebPData data{reinterpret_cast<const uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_BGRA; // QImage's ARGB32 in memory
    WebPAnimDecoder *decoder = WebPAnimDecoderNew(&data, &options);
    WebPAnimInfo info{};
    uint8_t *pixels = nullptr;
    for (int shown = 0, end = 0; decoder && WebPAnimDecoderGetInfo(decoder, &info) && WebPAnimDecoderGetNext(decoder, &pixels, &end); shown = end)
        frames.append({QImage(pixels, int(info.canvas_width), int(info.canvas_height), QImage::Format_ARGB32).copy(), end - shown});
    WebPAnimDecoderDelete(decoder);
    return frames;
}

// The largest difference of a channel between two pictures, alpha
// included, the colours weighed by it.
int Difference(QImage a, QImage b)
{
    a = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    b = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int largest = a.size() == b.size() ? 0 : 256;
    for (int y = 0; largest < 256 && y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            for (int shift : {0, 8, 16, 24})
                largest = std::max(largest, std::abs(int(a.pixel(x, y) >> shift & 0xFF) - int(b.pixel(x, y) >> shift & 0xFF)));
    return largest;
}

} // namespace

void tst_Pictures::initTestCase()
{
    m_shapes.push_back(MakeShape(1, {{-0.5, 300}, {0.5, 300}, {2.5, 300}}, {255, 0, 0}));
    m_shapes.push_back(MakeShape(1, {{-Pi / 4, 100}, {Pi / 4, 100}, {3 * Pi / 4, 100}, {5 * Pi / 4, 100}}, {0, 0, 255}));
    m_shapes.push_back(MakeShape(2, {{0, 0}, {0, 170}}));
    ExportDesign(File("d.jvf"), m_shapes);
    // 400 rays from the centre in 400 colours: more than a GIF frame holds.
    for (int k = 0; k < 400; ++k)
        m_rays.push_back(MakeShape(2, {{0, 0}, {k * Pi / 200, 1000}}, {}, {k % 256, k / 256 * 200, 50}));
    ExportDesign(File("rays.jvf"), m_rays);
}

QImage tst_Pictures::Render(const QString &design, const QString &size, int k) const
{
    const PreviewFrame f = PreviewFrameAt(k);
    Run({"--render", design, "-o", File("frame.png"), "--size", size, "--scale", QString::number(f.scale, 'g', 17),
         "--rotation", QString::number(f.rotation, 'g', 17)});
    QImage png(File("frame.png"));
    png.setColorSpace(QColorSpace());
    return png.convertToFormat(QImage::Format_RGB32);
}

void tst_Pictures::animation()
{
    // Every frame for 30 ms, in order, each the preview's picture for its scale
    // and turn: the largest difference of a channel (GIF exact up to 256
    // colours, near past them); the last frame exactly what --render draws.
    // Smooth, frameless and transparent frames too, each exactly the picture so drawn.
    const struct { const char *file, *design; QSize size; const char *expected; bool smooth = false; } rows[] = {
        {"a.gif", "d.jvf", {60, 41}, "360 30 0"}, {"a.webp", "d.jvf", {60, 41}, "360 30 0"},
        {"r.webp", "rays.jvf", {200, 150}, "360 30 0"}, {"r.gif", "rays.jvf", {200, 150}, "360 30 2"},
        {"s.webp", "d.jvf", {60, 41}, "360 30 0", true}};
    for (const auto &r : rows) {
        const QString size = Str(r.size.width()) + 'x' + Str(r.size.height());
        const QStringList look = r.smooth ? QStringList{"--smooth", "--no-frame", "--transparent"} : QStringList();
        QCOMPARE(Run(QStringList{"--animate", File(r.design), "-o", File(r.file), "--size", size} + look), 0);
        const Frames frames = Decode(File(r.file));
        QSet<int> times;
        int worst = 0;
        for (int k = 1; k <= frames.size(); ++k) {
            const PreviewFrame f = PreviewFrameAt(k);
            const QImage picture = PaintPicture({r.size, f.scale, f.rotation, false, r.smooth, !r.smooth, r.smooth},
                                                r.design[0] == 'd' ? m_shapes : m_rays);
            times << frames[k - 1].second;
            worst = std::max(worst, Difference(frames[k - 1].first, picture));
        }
        QCOMPARE(Str(frames.size(), times.values(), worst), r.expected);
        const QImage last = frames.value(PreviewFrameCount - 1).first;
        QSet<QRgb> colours; // that the rays need a palette cut down to 256
        for (int p = 0; p < last.width() * last.height(); ++p)
            colours << last.pixel(p % last.width(), p / last.width());
        QCOMPARE(colours.size() > 256, QString(r.file) == "r.webp");
    }
    QCOMPARE(Difference(Decode(File("a.webp")).value(PreviewFrameCount - 1).first, Render(File("d.jvf"), "60x41", PreviewFrameCount)), 0);
}

void tst_Pictures::commands()
{
    QWidget window;
    bool busy = true;
    CPictureCommands commands(window, [] { return CanvasView{CViewport::Centred({300, 201}, 1.5)}; },
                              [this]() -> const ShapeList & { return m_shapes; }, [&] { return busy; });
    QSignalSpy images(&commands, &CPictureCommands::ImageFinished);
    m_seam.files = {File("w.png")};
    m_seam.sizes = {QSize()};
    commands.ExportImageAction().trigger(); // busy: nothing is asked
    QCOMPARE(m_seam.files.size(), std::size_t(1));
    busy = false;
    // At first the canvas's size and scale, as --render draws them; then
    // the size chosen last, even for a picture not written.
    commands.ExportImageAction().trigger();
    QVERIFY(images.wait());
    Run({"--render", File("d.jvf"), "-o", File("r.png"), "--size", "300x201", "--scale", "1.5", "--grid"});
    QVERIFY(ReadFileBytes(File("w.png")) == ReadFileBytes(File("r.png")));
    m_seam.files = {"/nonexistent/w.svg", File("v.png")};
    m_seam.sizes = {QSize(120, 80), QSize()};
    commands.ExportImageAction().trigger();
    QVERIFY(images.wait());
    commands.ExportImageAction().trigger();
    QVERIFY(images.wait());
    Run({"--render", File("d.jvf"), "-o", File("r.png"), "--size", "120x80", "--scale", "1.5", "--grid"});
    QVERIFY(ReadFileBytes(File("v.png")) == ReadFileBytes(File("r.png")));
    QCOMPARE(m_seam.texts.value(0), "/nonexistent/w.svg could not be written: No such file or directory");

    // An animation written off the window thread; one cancelled leaves nothing.
    QSignalSpy finished(&commands, &CPictureCommands::AnimationFinished);
    m_seam.files = {File("c.webp"), File("x.gif")};
    m_seam.sizes = {QSize(40, 30), QSize(400, 300)};
    for (int run = 0; run < 2; ++run) {
        commands.ExportAnimationAction().trigger();
        QVERIFY(commands.IsExporting());
        for (QProgressDialog *progress : window.findChildren<QProgressDialog *>())
            if (run == 1 && progress->isVisible() && progress->width() >= TitleWidth(progress->windowTitle())) // its title whole
                progress->findChild<QPushButton *>()->click();
        QVERIFY(finished.wait(60000));
    }
    QCOMPARE(Str(finished.value(0).value(0).toBool(), finished.value(1).value(0).toBool(), Decode(File("c.webp")).size(),
                 Decode(File("c.webp")).value(0).first.size().width(), QDir(m_dir.path()).entryList({"x.*"}).size()), "1 0 360 40 0");

    // Printing: the grid offered on the preview's tool bar; a PDF comes out.
    m_seam.printTo = File("p.pdf");
    commands.PrintAction().trigger();
    QVERIFY(ReadFileBytes(File("p.pdf")).startsWith("%PDF") && ReadFileBytes(File("p.pdf")).endsWith("%%EOF\n"));
    QCOMPARE(m_seam.texts.size(), 1);
}

void tst_Pictures::printedPage()
{
    // A blue triangle right of and above the centre, fitted to 400 x 200 and
    // centred: the box of its pixels; the axes and dots (one over its right
    // corner) only with the grid.
    ShapeList triangle;
    triangle.push_back(MakeShape(1, {{0, 0}, {0, 100}, {Pi / 2, 100}}, {0, 0, 255}, {0, 0, 255}));
    QStringList found;
    for (const bool grid : {false, true}) {
        QImage page(400, 200, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        PaintFitted(painter, page.rect(), triangle, grid);
        painter.end();
        QRect blue;
        int dots = 0;
        for (int p = 0; p < 400 * 200; ++p) {
            blue |= page.pixel(p % 400, p / 400) == 0xFF0000FF ? QRect(p % 400, p / 400, 1, 1) : QRect();
            dots += page.pixel(p % 400, p / 400) == GridColour.rgb();
        }
        found << Str(blue.left(), blue.top(), blue.right(), blue.bottom(), dots > 0);
    }
    QCOMPARE(found.join(", "), "99 0 298 199 0, 99 0 297 199 1");
}

void tst_Pictures::fullDisk()
{
    // Nothing is left of a picture that did not fit: no file, no temporary one.
    CSmallDisk disk(File("full"));
    if (!disk.Why().isEmpty())
        QSKIP(qPrintable(disk.Why()));
    disk.Fill(0);
    for (const QString out : {"a.png", "a.svg", "a.pdf", "a.gif", "a.webp"})
        QCOMPARE(Run({out.endsWith("gif") || out.endsWith("webp") ? "--animate" : "--render", File("d.jvf"), "-o", File("full/" + out)}), 1);
    QCOMPARE(QDir(File("full")).entryList(QDir::Files).join(' '), QDir(File("full")).exists("filler") ? "filler" : "");
}

void tst_Pictures::smoothEdges()
{
    // Smooth: the same dots and the same interior (blue inside the square),
    // and edge pixels of colours the plain picture has not; a smooth canvas
    // image as its whole paint after an edit, but for rounding in the blend.
    const PictureView plain{{300, 201}, 1.5, 0.0, true};
    PictureView smooth = plain;
    smooth.smooth = true;
    const QImage a = PaintPicture(plain, m_shapes), b = PaintPicture(smooth, m_shapes);
    QSet<QRgb> colours;
    int dotsDiffer = 0, blended = 0;
    for (int p = 0; p < 300 * 201; ++p)
        colours << a.pixel(p % 300, p / 300);
    for (int p = 0; p < 300 * 201; ++p) {
        dotsDiffer += p % 300 % 10 == 0 && p / 300 % 10 == 0 && a.pixel(p % 300, p / 300) != b.pixel(p % 300, p / 300);
        blended += !colours.contains(b.pixel(p % 300, p / 300));
    }
    CCanvasImage image;
    image.SetView(smooth.Canvas());
    QImage shown(300, 201, QImage::Format_RGB32);
    QPainter painter(&shown);
    image.Paint(painter, shown.rect(), m_shapes);
    m_shapes[1]->Points()[0].radius = 120; // an edit repaints the square's box
    image.Changed(m_shapes, {1});
    image.Paint(painter, shown.rect(), m_shapes);
    painter.end();
    const int afterEdit = Difference(shown, PaintPicture(smooth, m_shapes));
    m_shapes[1]->Points()[0].radius = 100;
    QCOMPARE(Str(a.pixel(203, 123) == 0xFF0000FF, b.pixel(203, 123) == 0xFF0000FF, dotsDiffer, blended > 100, afterEdit <= 2),
             "1 1 0 1 1");

    // SVG: every vertex unrounded, the pinned one at radius 100 and 1 radian.
    ShapeList one;
    one.push_back(MakeShape(1, {{1, 100}, {2.5, 80}, {4, 120}}, {255, 0, 0}));
    QVERIFY(WritePicture(File("v.svg"), {}, one, "v"));
    QVERIFY(ReadFileBytes(File("v.svg")).contains(R"(<polygon points="324.147,100.970 287.878,219.091 149.184,233.437" fill="#ff0000" fill-rule="evenodd" stroke="#000000")"));
}

void tst_Pictures::frameAndBackground()
{
    // Corner, inside pixel and square's inside of a PNG, by the frame and
    // transparency choices; a picture stopped is no file.
    const struct { QStringList args; const char *expected; } rows[] = {
        {{}, "ff000000 ffffffff ff0000ff"},
        {{"--no-frame"}, "ffffffff ffffffff ff0000ff"},
        {{"--transparent"}, "ff000000 0 ff0000ff"},
        {{"--transparent", "--no-frame", "--smooth"}, "0 0 ff0000ff"},
    };
    for (const auto &r : rows) {
        QCOMPARE(Run(QStringList{"--render", File("d.jvf"), "-o", File("f.png")} + r.args), 0);
        const QImage png(File("f.png"));
        QCOMPARE(Str(QString::number(png.pixel(0, 0), 16), QString::number(png.pixel(5, 5), 16),
                     QString::number(png.pixel(280, 170), 16)), r.expected);
    }
    // 300 squares over all of a large picture: seconds of painting on any machine.
    ShapeList squares;
    for (int k = 0; k < 300; ++k)
        squares.push_back(MakeShape(1, {{-Pi / 4, 9000}, {Pi / 4, 9000}, {3 * Pi / 4, 9000}, {5 * Pi / 4, 9000}}, {k % 256, 0, 0}));
    QWidget window;
    CPictureCommands commands(window, [] { return CanvasView{CViewport::Centred({300, 201})}; },
                              [&]() -> const ShapeList & { return squares; }, [] { return false; });
    QSignalSpy images(&commands, &CPictureCommands::ImageFinished);
    m_seam.files = {File("big.png"), File("small.pdf")};
    m_seam.sizes = {QSize(4000, 4000), QSize(20, 20)};
    m_seam.choicesIn.clear();
    m_seam.sizeChoices = {{"Smooth edges", true}, {"Transparent background", true}, {"Draw the frame", false}};
    commands.ExportImageAction().trigger();
    QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QProgressDialog *>() && window.findChild<QProgressDialog *>()->isVisible(), 20000);
    window.findChild<QProgressDialog *>()->findChild<QPushButton *>()->click();
    QVERIFY(images.wait(60000));
    // The next dialog starts from the last answers; a PDF is offered no transparency.
    commands.ExportImageAction().trigger();
    QVERIFY(images.wait());
    QCOMPARE(Str(images.value(0).value(0).toBool(), images.value(1).value(0).toBool(), QDir(m_dir.path()).entryList({"big*"}).size(),
                 m_seam.choicesIn.join(' ')),
             "0 1 0 Draw the grid and axes=0 Smooth edges=0 Draw the frame=1 Transparent background=0 "
             "Draw the grid and axes=0 Smooth edges=1 Draw the frame=0");
    // Stopped while the file is made, after the last shape, it is none either.
    for (const QString name : {"end.png", "end.svg", "end.pdf"})
        QVERIFY(!WritePicture(File(name), {}, m_shapes, "e", [](int done) { return done < 100; }) && !QFile::exists(File(name)));
}

QTEST_MAIN(tst_Pictures)
#include "tst_pictures.moc"
