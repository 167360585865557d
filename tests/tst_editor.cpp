// The canvas and shape entry, without a window: polar conversion, what a
// paint draws, the layered, parallel and rendered paints against a whole one,
// the vertices clicks give, the band in every copy, and random input.
#include "app/CommandLine.h"
#include "commands/CopiesDlg.h"
#include "drawing/CanvasImage.h"
#include "tools/Picking.h"
#include "tools/PolarInput.h"
#include "tools/ShapeEntry.h"
#include "export/DesignFile.h"
#include "model/Copies.h"
#include "model/ShapeEdits.h"
#include "support/TestSupport.h"

#include <QColorSpace>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>
#include <QtWidgets>

#include <numeric>

class tst_Editor : public QObject, private CShapeEntry::Host
{
    Q_OBJECT

private slots:
    void toPolar();
    void paint();
    void layers();
    void edits();
    void picking();
    void polarInput();
    void entry();
    void bandInEveryCopy();
    void copiesDialog();
    void randomInput();
    void quickViews();

private:
    void OverlayChanged(const QRegion &area) override { m_changed |= area.boundingRect(); }
    std::pair<std::int32_t, std::int32_t> ShapeColours() const override { return m_colours; }
    void ShapeFinished(std::unique_ptr<CObjectStorage> shape) override { if (shape) m_done.push_back(std::move(shape)); }
    CShapeEntry::Setup Setup(double scale = 1) const; // centre (200, 175)

    CShapeEntry m_entry{*this};
    QRect m_changed;
    std::pair<std::int32_t, std::int32_t> m_colours{0x0000FF, 0xFF0000}; // red fill, blue outline
    ShapeList m_done;
};

namespace {

// Pixels below are the window's client area: the canvas lies below the strip.
const QPoint Strip(0, 50);

// The view of a window whose client area has this size.
CViewport Window(QSize client, double scale = 1, double rotation = 0, bool animating = false, QPoint pan = {})
{
    CViewport view = CViewport::Centred(client - QSize(0, 50), scale, rotation, animating);
    view.gridOrigin = -Strip;
    view.centre += pan;
    return view;
}

// The client area as the window paints it: the strip's rows left alone.
QImage Paint(const CanvasView &view, const ShapeList &shapes)
{
    QImage image(view.viewport.canvas + QSize(0, 50), QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3)); // what painting leaves alone
    CFramePainter painter(&image);
    PaintCanvas(painter, view, shapes);
    return image;
}

QImage Shown(CCanvasImage &canvas, const ShapeList &shapes)
{
    QImage image(canvas.View().viewport.canvas + QSize(0, 50), QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    QPainter painter(&image);
    painter.translate(Strip);
    canvas.Paint(painter, canvas.View().viewport.CanvasRect(), shapes);
    return image;
}

// The pixels at "x,y x,y ..." as letters: w white, k black, g grid, r red, b blue, u guide, o other.
QString Pixels(const QImage &image, const QString &points)
{
    const QHash<QRgb, QChar> names{{0xFFFFFFFF, 'w'}, {0xFF000000, 'k'}, {0xFF646464, 'g'}, {0xFFFF0000, 'r'},
                                   {0xFF0000FF, 'b'}, {GuideColour.rgb(), 'u'}};
    QString letters;
    for (const QString &point : points.split(' '))
        letters += names.value(image.pixel(point.section(',', 0, 0).toInt(), point.section(',', 1).toInt()), 'o');
    return letters;
}

ShapeList Design()
{
    ShapeList shapes;
    shapes.push_back(MakeShape(1, {{-0.5, 300}, {0.5, 300}, {2.5, 300}}, {255, 0, 0}));
    shapes.push_back(MakeShape(1, {{-Pi / 4, 100}, {Pi / 4, 100}, {3 * Pi / 4, 100}, {5 * Pi / 4, 100}}, {0, 0, 255}));
    shapes.push_back(MakeShape(2, {{0, 0}, {0, 170}})); // from the centre up through the strip
    return shapes;
}

} // namespace

CShapeEntry::Setup tst_Editor::Setup(double scale) const
{
    return {1, Window({400, 300}, scale)};
}

void tst_Editor::toPolar()
{
    // The viewport's mapping, centred, zoomed, turned and with the centre moved.
    const struct { QSize client; QPoint at; double scale, rotation; const char *polar; QPoint pan = {}; } rows[] = {
        {{400, 300}, {230, 135}, 1, 0, "0.643501108793 50"}, {{400, 300}, {230, 135}, 2, 0, "0.643501108793 25"},
        {{400, 300}, {200, 195}, 1, 0, "3.141592654 20"}, {{400, 300}, {170, 215}, 1, 0, "3.78509376279 50"},
        {{400, 300}, {210, 175}, 1, 0, "1.570796327 10"}, {{400, 300}, {190, 175}, 1, 0, "-1.570796327 10"},
        {{400, 300}, {200, 165}, 1, 0.5, "-0.5 10"}, {{401, 51}, {200, 40}, 1, 0, "0 10"},
        {{481, 361}, {240, 215}, 1, 0, "3.141592654 10"}, {{400, 300}, {230, 135}, 0, 0, "none"},
        {{400, 300}, {230, 135}, 1e-320, 0, "none"}, {{400, 300}, {260, 135}, 1, 0, "0.643501108793 50", {30, 0}},
        {{400, 300}, {230, 95}, 2, 0, "0.643501108793 25", {0, -40}}, {{400, 300}, {200, 175}, 1, 0, "3.9269908174 28.2842712475", {20, -20}}};
    for (const auto &r : rows) {
        const CViewport view = Window(r.client, r.scale, r.rotation, false, r.pan);
        const auto p = view.ToPolar(r.at - Strip);
        QCOMPARE(p ? Str(p->angle, p->radius) : "none", r.polar);
    }
}

void tst_Editor::paint()
{
    // Dots from (0, 50) every 10 pixels, a border, dash-dot axes through (200, 175).
    const QImage empty = Paint({Window({400, 300})}, {});
    QCOMPARE(Pixels(empty, "10,50 390,290 130,170 135,170 131,171 0,55 399,55 5,50 5,299"), "gggwwkkkk");
    int axes = 0, stray = 0;
    for (int i = 1; i < 399; ++i)
        axes += (empty.pixel(i, 175) == 0xFF646464) + (i < 299 && empty.pixel(200, i) == 0xFF646464);
    for (int i = 1; i < 399; ++i)
        stray += i != 200 && empty.pixel(i, 176) == 0xFF646464;
    QVERIFY2(axes > 320 && axes < 646 && stray == 0, qPrintable(QString::number(axes)));

    // Shapes in order with the dots over them, clipped to the canvas; guides
    // over the axes and under the shapes; the preview shows neither, nor dots.
    const ShapeList shapes = Design();
    const QImage image = Paint({Window({400, 300})}, shapes);
    QCOMPARE(Pixels(image, "205,178 210,180 200,105 190,55"), "bgkr");
    QCOMPARE(image.copy(0, 0, 400, 50), Paint({Window({400, 300})}, {}).copy(0, 0, 400, 50));
    QCOMPARE(Pixels(Paint({Window({400, 300}), 4}, shapes), "200,275 100,175 150,175"), "uub");
    QCOMPARE(Pixels(Paint({Window({400, 300}, 1, 0, true), 4}, shapes), "205,178 140,60 200,275 0,55"), "bwwk");

    // A pentagram, even-odd: its arms are filled, its middle is not; a
    // polyline's last vertex is drawn, and nothing beyond it.
    ShapeList star;
    star.push_back(MakeShape(1, {}, {255, 0, 0}, {0, 0, 255}));
    for (const QPoint p : {QPoint(200, 115), QPoint(235, 223), QPoint(143, 157), QPoint(257, 157), QPoint(165, 223)})
        star[0]->Points().push_back(*Window({400, 300}).ToPolar(p - Strip));
    star.push_back(MakeShape(2, {{Pi / 2, 100}, {Pi / 2, 150}}));
    const QImage stars = Paint({Window({400, 300})}, star);
    QCOMPARE(Pixels(stars, "200,125 205,170 200,115 350,175"), "rwbk");
    QVERIFY(Pixels(stars, "351,175") != "k");
}

void tst_Editor::layers()
{
    ShapeList shapes = Design();
    CCanvasImage layers;
    const auto shown = [&](const CanvasView &view) {
        layers.SetView(view);
        return Shown(layers, shapes);
    };
    CanvasView view{Window({640, 480}, 1.5), 5};
    QCOMPARE(shown(view), Paint(view, shapes));
    for (int k = 0; k < 206; ++k) {
        shapes.push_back(MakeShape(1 + k % 2, {{k * 0.7, 20.0 + k}, {k * 0.7 + 0.1, 30.0 + k}, {k * 0.7, 40.0 + k}}, {k, 200, 10}));
        if (k < 6)
            QVERIFY(!layers.Appended(shapes, shapes.size() - 1).isEmpty());
        if (k == 5) // drawn one by one over what was there
            QCOMPARE(shown(view), Paint(view, shapes));
    }
    // Painted afresh at a new size, the shapes shared among the cores.
    layers.Invalidate();
    view.viewport = Window({333, 517}, 1.5);
    QCOMPARE(shown(view), Paint(view, shapes));

    // --render draws the canvas of a window whose strip stands above the picture.
    QTemporaryDir dir;
    ExportDesign(dir.filePath("d.jvf"), shapes);
    for (const QString size : {"300x201", ""}) {
        const QStringList args{"vortigram", "--render", dir.filePath("d.jvf"), "-o", dir.filePath("a.png"), "--scale", "1.5"};
        QCOMPARE(RunHeadless(ParseCommandLine(args + (size.isEmpty() ? QStringList() : QStringList{"--size", size, "--grid"}))), 0);
        QImage png(dir.filePath("a.png"));
        png.setColorSpace(QColorSpace()); // as the file names none
        const QSize canvas = size.isEmpty() ? QSize(480, 311) : QSize(300, 201);
        QCOMPARE(png.convertToFormat(QImage::Format_RGB32),
                 Paint({Window(canvas + QSize(0, 50), 1.5, 0, size.isEmpty())}, shapes).copy(0, 50, canvas.width(), canvas.height()));
    }
}

void tst_Editor::edits()
{
    // Random edits, each repainted only where it changed: the image stays a
    // whole paint's, and the pixels told as changed cover every pixel that did.
    CDesignDocument document;
    CCanvasImage canvas(16); // runs of 16 shapes: the edits reach layers of their own
    const CanvasView view{Window({400, 300}, 1.2), 3};
    canvas.SetView(view);
    QRandomGenerator random(11);
    // Enough shapes that some lie below the image of the top ones, and more
    // added after the first paint than that image keeps on top.
    const auto click = [&](int k) {
        document.AddShapes(MakeCopies(MakeShape(1 + k % 2, {{k * 0.3, 20.0 + k % 90}, {k * 0.3 + 0.4, 60.0}, {k * 0.5, 90.0 - k % 70}}, {k % 250, 90, 200}), 1 + k % 3, k % 4 == 0));
    };
    for (int k = 0; k < 80; ++k)
        click(k);
    QRegion told;
    const ShapeList &shapes = document.Shapes();
    connect(&document, &CDesignDocument::ShapesRemoved, [&](const Places &p) { told += canvas.Removed(shapes, p); });
    connect(&document, &CDesignDocument::ShapesInserted, [&](const Places &p) { told += canvas.Inserted(shapes, p); });
    connect(&document, &CDesignDocument::ShapesChanged, [&](const Places &p) { told += canvas.Changed(shapes, p); });
    connect(&document, &CDesignDocument::ShapesMoved, [&](const Places &f, const Places &t) { told += canvas.Moved(shapes, f, t); });
    connect(&document, &CDesignDocument::ShapesAppended, [&](int first) { told += canvas.Appended(shapes, std::size_t(first)); });
    const auto shown = [&] { return Shown(canvas, shapes); };
    QImage before = shown();
    for (int k = 80; k < 240; ++k)
        click(k);
    Places run(15); // the second run's shapes but its last: that one stays drawn
    std::iota(run.begin(), run.end(), 16);
    document.RemoveShapes(run, "Delete");
    QCOMPARE(shown(), Paint(view, shapes));
    document.UndoStack().undo();
    before = shown();
    QCOMPARE(before, Paint(view, shapes));
    told = QRegion();
    for (int step = 0; step < 150; ++step) {
        Places chosen;
        for (int n = 1 + random.bounded(4); n > 0; --n)
            chosen.append(random.bounded(int(shapes.size())));
        std::sort(chosen.begin(), chosen.end());
        chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
        const SelectedShapes selected = Select(shapes, chosen);
        ShapeChanges changes = random.bounded(2) ? EditVertices(selected, TurnAndScale(0.2, 1.1)) : Recoloured(selected, ShapeColour{step, 0, 0}, {});
        switch (random.bounded(6)) {
        case 0: case 5: document.RemoveShapes(chosen, "Delete"); break;
        case 1: document.MoveShapes(chosen, Raised(chosen, int(shapes.size()), random.bounded(2) ? 1 : -1), "Raise"); break;
        case 2: document.UndoStack().undo(); break;
        case 3: document.AddShapes(Duplicates(selected)); break;
        default: document.ChangeShapes(changes.places, std::move(changes.shapes), "Turn");
        }
        const QImage after = shown();
        QCOMPARE(after, Paint(view, shapes));
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x)
                if (before.pixel(x, y) != after.pixel(x, y) && !told.contains(QPoint(x, y) - Strip))
                    QFAIL(qPrintable(Str("untold", x, y, step)));
        before = after;
        told = QRegion();
    }
}

void tst_Editor::picking()
{
    // A pentagram (even-odd: its middle is empty), a polyline, and a square
    // over the polyline; centre (200, 175). What a click at each point picks.
    const CViewport view = Window({400, 300});
    ShapeList shapes;
    const auto add = [&](int type, const QList<QPoint> &pixels) {
        shapes.push_back(MakeShape(type, {}));
        for (const QPoint &p : pixels)
            shapes.back()->Points().push_back(*view.ToPolar(p - Strip));
    };
    add(1, {{200, 115}, {235, 223}, {143, 157}, {257, 157}, {165, 223}});
    add(2, {{300, 175}, {350, 175}});
    add(1, {{330, 165}, {345, 165}, {345, 190}, {330, 190}});
    CCanvasImage canvas;
    canvas.SetView({view, 0});
    const std::vector<QRect> &bounds = canvas.Bounds(shapes);
    const std::pair<QPoint, int> rows[] = {{{200, 175}, -1}, {{200, 125}, 0}, {{320, 178}, 1}, {{320, 180}, -1},
                                           {{352, 175}, 1}, {{355, 175}, -1}, {{337, 175}, 2}, {{100, 100}, -1},
                                           {{328, 180}, 2}}; // by the square's closing edge
    for (const auto &[at, expected] : rows)
        QCOMPARE(PickShape(shapes, bounds, view, at - Strip).value_or(-1), expected);
    const auto handle = [&](QPoint at) { const auto h = PickHandle(shapes, {1, 2}, view, at - Strip); return h ? Str(h->first, h->second) : "none"; };
    QCOMPARE(Str(ShapesInside(shapes, bounds, view, {290, 110, 70, 35}).size(), ShapesInside(shapes, bounds, view, {140, 60, 121, 116}).value(0),
                 handle({331, 166}), handle({301, 174}), handle({320, 175})), "2 0 2 0 1 0 none");
}

void tst_Editor::polarInput()
{
    // Typed "R<A": the stored angle and radius, or the reason it is refused.
    const std::pair<QString, QString> rows[] = {
        {"100<45", "0.7853981635 100"}, {"100<360/7", "0.897597901143 100"}, {"2*60<-45", "-0.7853981635 120"},
        {" (1+2)*3 < 10-4*2 ", "0.0349065850444 9"}, {"1e2<-(90)", "-1.570796327 100"}, {"5<400", "0.698131700889 5"}, {"-7<270", "-1.570796327 -7"},
        {"100", "Type the radius, <, then the angle in degrees, for example 100<45."}, {"1<2<3", "Type the radius, <, then the angle in degrees, for example 100<45."},
        {"<45", "Radius: it is missing."}, {"1/0<3", "Radius: Division by zero."}, {"(1<2", "Radius: A ( is not closed."},
        {"1)<2", "Radius: A ) has no ( before it."}, {"2*<3", "Radius: A number is missing at the end."}, {"3<4x", "Angle: \"x\" is not part of a number or of + - * / ( )."},
        {"1.2.3<4", "Radius: \"1.2.3\" is not a number."}, {"1<*2", "Angle: A number is missing before \"*\"."}, {"1<1e307*1e10", "Angle: The value is too large."}, {"-1+2<-90", "-1.570796327 1"},
        {QString(32000, u'-') + "1<1", "0.0174532925222 1"}, {QString(32000, u'(') + "1<1", "Radius: Parentheses are nested too deeply: at most 100 levels."},
        {"1.2.3.4.5.6.7<1", "Radius: \"1.2.3.4.5.6.\u2026\" is not a number."},
        {"1<3e19", "1.22899217677 1"}, {"1<1e70", "1.85052885994 1"}, {"2*60+10<0", "0 130"}, {"10-4-3<8/4/2", "0.0174532925222 3"}};
    for (const auto &[text, expected] : rows) {
        const auto parsed = ParsePolar(text);
        const auto *point = std::get_if<PolarPoint>(&parsed);
        QCOMPARE(point ? Str(point->angle, point->radius) : std::get<QString>(parsed), expected);
    }
}

void tst_Editor::entry()
{
    // Events after a press at (47, 103): L/R/M release, l/r press, d right and
    // D left double click, e end, m move, b take back, x abandon; a count
    // repeats the next one.
    const struct { const char *events; double scale; bool polar; const char *vertices; bool running = false; } rows[] = {
        // The first vertex is the release's point (50, 100), not the press's; a
        // right press, release or double click ends the shape, as End() does.
        {"Lr", 1, false, "-1.10714871779 167.705098312"}, {"LR", 1, false, "-1.10714871779 167.705098312"},
        {"Ld", 1, false, "-1.10714871779 167.705098312"}, {"Le", 1, false, "-1.10714871779 167.705098312"},
        {"r", 1, false, ""}, // ended before any release: an empty shape is still added
        // The middle button, a left press and a left double click neither add nor end.
        {"LMlDm", 1, false, "-1.10714871779 167.705098312", true},
        {"Le", 2, false, "-1.10714871779 83.8525491562"}, // radii in design units: pixels over the scale
        {"50L", 1, false, "49"},         // the 50th release ends the shape with 49 vertices
        {"60L", 1e-320, false, "", true}, // clicks that give no vertex do not count toward 49
        {"Le", 2, true, "-1.17809724525 85"}, // polar: -9 x 7.5 degrees, 170 pixels / 2
        // Backspace takes back the last vertex (also below 49 again), Escape adds nothing.
        {"3Lbe", 1, false, "-1.10714871779 167.705098312 -1.10714871779 167.705098312"}, {"49LbLL", 1, false, "49"},
        {"Lbbe", 1, false, ""}, {"LLx", 1, false, "none"}};
    for (const auto &r : rows) {
        m_done.clear();
        CShapeEntry::Setup setup = Setup(r.scale);
        setup.polarSnap = r.polar;
        m_entry.Start(QPoint(47, 103) - Strip, setup);
        int repeat = 0;
        for (const char *e = r.events; *e; ++e) {
            if (*e >= '0' && *e <= '9')
                repeat = repeat * 10 + *e - '0';
            for (int i = 0; *e > '9' && i < std::max(repeat, 1); ++i) {
                switch (*e) {
                case 'L': m_entry.Release(Qt::LeftButton, QPoint(47, 103) - Strip); break;
                case 'R': m_entry.Release(Qt::RightButton, QPoint(47, 103) - Strip); break;
                case 'M': m_entry.Release(Qt::MiddleButton, QPoint(47, 103) - Strip); break;
                case 'l': m_entry.Press(Qt::LeftButton); break;
                case 'r': m_entry.Press(Qt::RightButton); break;
                case 'd': m_entry.DoubleClick(Qt::RightButton); break;
                case 'D': m_entry.DoubleClick(Qt::LeftButton); break;
                case 'e': m_entry.End(); break;
                case 'm': m_entry.Move(QPoint(90, 90) - Strip); break;
                case 'b': m_entry.TakeBack(); break;
                case 'x': m_entry.Abandon();
                }
            }
            repeat = *e > '9' ? 0 : repeat;
        }
        QCOMPARE(m_entry.IsRunning(), r.running);
        m_entry.End();
        if (m_done.empty()) { // abandoned: nothing added, the band gone
            QVERIFY(!strcmp(r.vertices, "none") && m_entry.Overlay().IsEmpty());
            continue;
        }
        const CObjectStorage &shape = *m_done.at(0);
        QStringList vertices;
        for (const PolarPoint &p : shape.Points())
            vertices << Str(p.angle, p.radius);
        QCOMPARE(shape.PointCount() == 49 ? "49" : vertices.join(' '), r.vertices);
        const ShapeColour fill = shape.FillColour(), pen = shape.PenColour();
        QCOMPARE(Str(shape.Type(), fill.red, fill.blue, pen.red, pen.blue), "1 255 0 0 255");
    }
}

void tst_Editor::bandInEveryCopy()
{
    CShapeEntry::Setup setup = Setup();
    setup.type = CLineStorage::TypeValue;
    setup.pattern = CopyPattern({4, 360, false, 1, true});
    m_done.clear();
    m_entry.Start(QPoint(203, 124) - Strip, setup); // anchor (200, 120), 55 above the centre
    m_entry.Release(Qt::LeftButton, QPoint(200, 120) - Strip);
    m_entry.Move(QPoint(233, 74) - Strip); // the band to (230, 70)
    const auto inverted = [&](QPoint p) {
        int count = 0;
        for (int d = 0; d < 15; ++d)
            count += m_entry.Overlay().IsInverted(p - Strip + QPoint(d % 5 - 2, d / 5 - 1));
        return count > 0;
    };
    // The band's middle, turned a quarter at a time and mirrored; not between.
    QCOMPARE(Str(inverted({215, 95}), inverted({280, 190}), inverted({185, 255}), inverted({120, 160}), inverted({185, 95}),
                 inverted({250, 125})), "1 1 1 1 1 0");
    m_colours = {-1, -1};
    m_changed = QRect(); // only what the end repaints counts below
    m_entry.Release(Qt::RightButton, {});
    QVERIFY(m_entry.Overlay().IsEmpty() && m_changed.contains(QRect(120, 45, 160, 160)));
    QCOMPARE(Str(m_done.at(0)->Type(), m_done.at(0)->PenColour().green), "2 255"); // no selection gives white
    m_colours = {0x0000FF, 0xFF0000};
    // Two copies over 90 degrees, the second twice as large: its band turned 45 degrees and doubled.
    setup.pattern = CopyPattern({2, 90, false, 2, false});
    m_entry.Start(QPoint{203, 124} - Strip, setup);
    m_entry.Move(QPoint{233, 74} - Strip);
    QCOMPARE(Str(inverted({334, 83}), inverted({267, 129})), "1 0");
    m_entry.Abandon();
}

void tst_Editor::copiesDialog()
{
    // Typed "count|span|angle per copy (chosen when given)|scale|o(pen) m(irror)", then OK:
    // what it takes, as the status bar says it, or why not (and it stays open).
    const std::pair<const char *, const char *> rows[] = {
        {"1|1||2|m", "1 copy, mirror"}, {"12|360||0.9|m", "12 copies over 360\u00B0, x 0.9 each, mirror"},
        {"12|90||1|", "12 copies over 90\u00B0, 7.5\u00B0 apart"}, {"12|90||1|o", "12 copies over 90\u00B0, open arc, 8.18182\u00B0 apart"},
        {"24||360/16|2*0.5|", "24 copies over 540\u00B0, 22.5\u00B0 apart"}, {"12|1/||1|", "Spread over: A number is missing at the end."},
        {"5||-400|1|", "The copies would lie -400\u00B0 apart: the angle between copies is at most 360\u00B0 either way."},
        {"2|360||1|o", "Every copy would lie on the drawn shape: spread the copies over an angle, or give them a scale per copy."},
        {"12|360||0|", "The scale per copy is from 0.01 to 100."}};
    for (const auto &[typed, result] : rows) {
        CCopiesDlg dialog(nullptr, {10, 90, true, 0.5, true});
        const QStringList f = QString(typed).split('|');
        // The span, the angle per copy and the scale.
        const QList<QLineEdit *> fields = dialog.findChildren<QLineEdit *>(QRegularExpression("^[A-Z]"));
        QCOMPARE(Str(fields[0]->text(), fields[1]->text(), fields[2]->text()), "90 10 0.5");
        dialog.findChild<QSpinBox *>()->setValue(f[0].toInt());
        dialog.findChildren<QRadioButton *>()[!f[2].isEmpty()]->setChecked(true);
        for (int i = 0; i < 3; ++i)
            fields[i]->setText(f[i + 1]);
        dialog.findChild<QComboBox *>()->setCurrentIndex(f[4].contains('o'));
        dialog.findChild<QCheckBox *>()->setChecked(f[4].contains('m'));
        dialog.accept();
        QCOMPARE(dialog.result() ? CopiesSummary(dialog.Chosen()) : dialog.Reason(), result);
    }
    // What a screen reader names the fields by.
    QStringList names;
    for (const QWidget *input : CCopiesDlg(nullptr, {}).findChildren<QWidget *>(QRegularExpression("^[A-Z]")))
        names << input->accessibleName();
    QCOMPARE(names.join('|'), "Number of copies|Span in degrees|Arc|Angle per copy in degrees|Scale per copy");
    // Through the dialog seam: Cancel leaves the settings, OK gives them.
    ScriptedSeam seam;
    seam.runs = {[](QDialog &d) { d.findChild<QSpinBox *>()->setValue(5); d.accept(); return d.result(); }};
    QVERIFY(AskCopies(nullptr, {}) == CopySettings{5} && !AskCopies(nullptr, {}));
}

void tst_Editor::randomInput()
{
    QCOMPARE(Str(PressSnap(47), RoundSnap(47), RoundSnap(45), RoundSnap(46), PressSnap(-47), RoundSnap(-47), RoundSnap(INT_MAX)),
             "40 50 40 50 -40 -40 2147483640");
    QRandomGenerator random(20261207);
    m_done.clear();
    for (std::size_t entry = 1; entry <= 300; ++entry) {
        CShapeEntry::Setup setup = Setup(random.bounded(2) ? 1.0 : -0.5);
        setup.polarSnap = random.bounded(3) == 0;
        setup.pattern = CopyPattern({1 + random.bounded(5), 360, false, 1, false});
        m_entry.Start(QPoint(random.bounded(-50, 450), random.bounded(-50, 350)) - Strip, setup);
        while (m_entry.IsRunning()) {
            const QPoint at = QPoint(random.bounded(-100, 500), random.bounded(-100, 400)) - Strip;
            const Qt::MouseButton button = random.bounded(4) ? Qt::LeftButton : Qt::MiddleButton;
            switch (random.bounded(60)) {
            case 0: m_entry.Press(Qt::RightButton); break;
            case 1: m_entry.DoubleClick(button); break;
            case 2: m_entry.End(); break;
            default: random.bounded(2) ? m_entry.Move(at) : m_entry.Release(button, at);
            }
        }
        QCOMPARE(m_done.size(), entry);
        QVERIFY(m_entry.Overlay().IsEmpty() && m_done.back()->PointCount() <= 49);
        for (const PolarPoint &p : m_done.back()->Points())
            QVERIFY(std::isfinite(p.radius) && p.angle >= -Pi / 2 && p.angle < 3 * Pi / 2);
    }
}

void tst_Editor::quickViews()
{
    // The pan that keeps the design point under the pointer as the scale
    // changes, in whole grid steps, at most a million pixels either way.
    const struct { double scale, to; QPoint pan, pointer; const char *kept; } rows[] = {
        {1, 1.25, {}, {200, 125}, "0 0"}, {1, 2, {}, {300, 125}, "-100 0"}, {2, 1, {-100, 0}, {300, 125}, "0 0"},
        {1, 1.25, {30, -20}, {100, 50}, "60 -10"}, {1, 1e6, {}, {0, 0}, "1000000 1000000"}};
    for (const auto &r : rows) {
        const QPoint kept = Window({400, 300}, r.scale, 0, false, r.pan).OffsetKeeping(r.pointer, r.to);
        QCOMPARE(Str(kept.x(), kept.y()), r.kept);
    }
    // A pan step moves the pixels shown and paints the strips it uncovers as
    // a whole paint does; a zoom step shows a scaled copy; both are exact
    // once refined, and an edit meanwhile paints afresh.
    ShapeList shapes = Design();
    CCanvasImage image;
    CanvasView view{Window({400, 300}), 4};
    const auto off = [&](const QImage &quick) {
        const QImage exact = Paint(view, shapes);
        int pixels = 0;
        for (int p = 0; p < 400 * 300; ++p)
            pixels += quick.pixel(p % 400, p / 400) != exact.pixel(p % 400, p / 400);
        return Str(pixels, quick.copy(370, 50, 30, 250) == exact.copy(370, 50, 30, 250) &&
                               quick.copy(0, 50, 400, 20) == exact.copy(0, 50, 400, 20));
    };
    image.SetView(view);
    Shown(image, shapes);
    view.viewport.centre += QPoint(-30, 20);
    image.SetView(view, true);
    QStringList seen{off(Shown(image, shapes))};
    const QPoint c = view.viewport.centre; // the boxes moved with it, as drawn there
    QVERIFY(image.Bounds(shapes)[1] == shapes[1]->DrawnBounds(1, 0, c.x(), c.y()));
    const bool refined = image.Refine();
    seen << Str(refined, image.Refine()) << off(Shown(image, shapes));
    // A scaled copy: about one pixel in thirty is not a whole paint's.
    view.viewport.scale = 2;
    image.SetView(view, true);
    seen << off(Shown(image, shapes)).section(' ', 0, 0).left(2);
    image.Refine();
    seen << off(Shown(image, shapes));
    view.viewport.centre += QPoint(10, 0);
    image.SetView(view, true);
    Shown(image, shapes);
    shapes.push_back(MakeShape(2, {{1, 10}, {2, 90}}));
    QVERIFY(!image.Appended(shapes, 3).isEmpty());
    seen << off(Shown(image, shapes));
    // Strips and their border are a whole paint's; the moved pixels all but
    // four where guides leave the canvas.
    QCOMPARE(seen.join(", "), "4 1, 1 0, 0 1, 43, 0 1, 0 1");
}

QTEST_MAIN(tst_Editor)
#include "tst_editor.moc"
