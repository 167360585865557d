// The canvas: its centre and polar conversion, what a paint draws, and the
// layered and banded paints giving exactly the pixels of a whole paint.
#include "app/CommandLine.h"
#include "editor/CanvasImage.h"
#include "export/DesignFile.h"
#include "support/TestSupport.h"

#include <QColorSpace>
#include <QPainter>
#include <QTest>

#include <cmath>

class tst_Canvas : public QObject
{
    Q_OBJECT

private slots:
    void toPolar_data();
    void toPolar();
    void paint();
    void layersEqualAWholePaint();
    void render();
};

namespace {

const QRgb Grey = qRgb(100, 100, 100);
const QRgb Untouched = qRgb(1, 2, 3);

QImage Paint(const CanvasView &view, const ShapeList &shapes)
{
    QImage image(view.client, QImage::Format_RGB32);
    image.fill(Untouched);
    QPainter painter(&image);
    PaintCanvas(painter, view, shapes);
    return image;
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

void tst_Canvas::toPolar_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("rotation");
    QTest::addColumn<double>("angle"); // NaN: no point
    QTest::addColumn<double>("radius");
    const QSize c(400, 300); // centre (200, 175)
    QTest::newRow("above right") << c << QPoint(230, 135) << 1.0 << 0.0 << 0.6435011087932844 << 50.0;
    QTest::newRow("scale 2") << c << QPoint(230, 135) << 2.0 << 0.0 << 0.6435011087932844 << 25.0;
    QTest::newRow("below") << c << QPoint(200, 195) << 1.0 << 0.0 << 3.141592654 << 20.0;
    QTest::newRow("below left") << c << QPoint(170, 215) << 1.0 << 0.0 << 3.785093762793284 << 50.0;
    QTest::newRow("right") << c << QPoint(210, 175) << 1.0 << 0.0 << 1.570796327 << 10.0;
    QTest::newRow("left") << c << QPoint(190, 175) << 1.0 << 0.0 << -1.570796327 << 10.0;
    QTest::newRow("rotated") << c << QPoint(200, 165) << 1.0 << 0.5 << -0.5 << 10.0;
    QTest::newRow("odd height") << QSize(401, 51) << QPoint(200, 40) << 1.0 << 0.0 << 0.0 << 10.0;
    QTest::newRow("odd sizes") << QSize(481, 361) << QPoint(240, 215) << 1.0 << 0.0 << 3.141592654 << 10.0;
    QTest::newRow("zero scale") << c << QPoint(230, 135) << 0.0 << 0.0 << qQNaN() << 0.0;
    QTest::newRow("scale too small") << c << QPoint(230, 135) << 1e-320 << 0.0 << qQNaN() << 0.0;
}

void tst_Canvas::toPolar()
{
    QFETCH(QSize, client);
    QFETCH(QPoint, pixel);
    QFETCH(double, scale);
    QFETCH(double, rotation);
    QFETCH(double, angle);
    QFETCH(double, radius);
    const auto polar = ToPolar(pixel, client, scale, rotation);
    QCOMPARE(polar.has_value(), !std::isnan(angle));
    if (polar) {
        QCOMPARE(polar->angle, angle);
        QCOMPARE(polar->radius, radius);
    }
}

void tst_Canvas::paint()
{
    const QImage empty = Paint({QSize(400, 300)}, {});
    const QList<QPoint> at{{10, 50}, {390, 290}, {130, 170}, {135, 170}, {131, 171}, {0, 55}, {399, 55}, {5, 50}, {5, 299}};
    const QList<QRgb> expected{Grey, Grey, Grey, qRgb(255, 255, 255), qRgb(255, 255, 255), 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000};
    for (qsizetype i = 0; i < at.size(); ++i)
        QVERIFY2(empty.pixel(at[i]) == expected[i], qPrintable(QStringLiteral("pixel %1").arg(i)));
    int axes = 0, stray = 0;
    for (int x = 1; x < 399; ++x) {
        axes += empty.pixel(x, 175) == Grey;
        stray += x != 200 && empty.pixel(x, 176) == Grey;
    }
    for (int y = 51; y < 299; ++y)
        axes += empty.pixel(200, y) == Grey;
    QVERIFY2(axes > 320 && axes < 646 && stray == 0, qPrintable(QString::number(axes))); // dash-dot

    const ShapeList shapes = Design();
    const QImage image = Paint({QSize(400, 300)}, shapes);
    QCOMPARE(image.pixel(205, 178), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(210, 180), Grey); // the dots stay over the shapes
    QCOMPARE(image.pixel(200, 105), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(190, 55), qRgb(255, 0, 0));
    int strip = 0;
    for (int i = 0; i < 50 * 400; ++i)
        strip += image.pixel(i % 400, i / 400) != Untouched;
    QCOMPARE(strip, 0);

    // Guides lie over the axes and under the shapes; the preview shows neither them nor the grid.
    const QImage guided = Paint({QSize(400, 300), 1.0, 0.0, false, 4}, shapes);
    QCOMPARE(guided.pixelColor(200, 275), GuideColour); // a ring, 100 pixels below the centre
    QCOMPARE(guided.pixelColor(100, 175), GuideColour); // a spoke to the left
    QCOMPARE(guided.pixel(150, 175), qRgb(0, 0, 255));  // a ring and a spoke under the blue square
    const QImage preview = Paint({QSize(400, 300), 1.0, 0.0, true, 4}, shapes);
    QCOMPARE(preview.pixel(205, 178), qRgb(0, 0, 255));
    QCOMPARE(preview.pixel(140, 60), qRgb(255, 255, 255)); // a dot elsewhere
    QCOMPARE(preview.pixel(200, 275), qRgb(255, 255, 255));
}

void tst_Canvas::layersEqualAWholePaint()
{
    ShapeList shapes = Design();
    CCanvasImage layers;
    const auto shown = [&](const CanvasView &view) {
        layers.SetView(view);
        QImage image(view.client, QImage::Format_RGB32);
        image.fill(Untouched);
        QPainter painter(&image);
        layers.Paint(painter, image.rect(), shapes);
        return image;
    };
    CanvasView view{QSize(640, 480), 1.5, 0.0, false, 5};
    QCOMPARE(shown(view), Paint(view, shapes));
    for (int k = 0; k < 6; ++k) {
        shapes.push_back(MakeShape(1 + k % 2, {{k * 0.7, 40.0 + 30 * k}, {k * 0.7 + 2, 200}, {k - 1.0, 90}}, {k * 40, 200, 10}));
        QVERIFY(!layers.Append(shapes, shapes.size() - 1).isEmpty());
    }
    QCOMPARE(shown(view), Paint(view, shapes));
    view.client = QSize(333, 517);
    QCOMPARE(shown(view), Paint(view, shapes));

    for (int k = 0; k < 200; ++k) // enough for every core to take a share
        shapes.push_back(MakeShape(1 + k % 2, {{k * 0.1, 10.0 + k}, {k * 0.37, 300}, {k * 1.1, 2.0 * k}}, {k, 255 - k, 7 * k}));
    QImage shared(QSize(1000, 701), QImage::Format_RGB32);
    shared.fill(Untouched);
    PaintCanvasInParallel(shared, {shared.size(), 2.0, 0.3, false, 7}, shapes);
    QCOMPARE(shared, Paint({shared.size(), 2.0, 0.3, false, 7}, shapes));
}

void tst_Canvas::render()
{
    QTemporaryDir dir;
    const ShapeList shapes = Design();
    ExportDesign(dir.filePath("d.jvf"), shapes);
    const auto render = [&](const QString &out, QStringList options) {
        return RunHeadless(ParseCommandLine(QStringList{"vortigram", "--render", dir.filePath("d.jvf"), "-o", dir.filePath(out)} + options));
    };
    const auto pixels = [&](const QString &png) { // without the colour space the file names
        QImage image(dir.filePath(png));
        image.setColorSpace(QColorSpace());
        return image.convertToFormat(QImage::Format_RGB32);
    };
    QCOMPARE(render("a.png", {"--size", "300x201", "--scale", "1.5", "--grid"}), 0);
    QCOMPARE(pixels("a.png"), Paint({QSize(300, 251), 1.5}, shapes).copy(0, 50, 300, 201));
    QCOMPARE(render("b.png", {}), 0);
    QCOMPARE(pixels("b.png"), Paint({QSize(480, 361), 1.0, 0.0, true}, shapes).copy(0, 50, 480, 311));
    QCOMPARE(render("c.svg", {}), 0);
    QVERIFY(ReadFileBytes(dir.filePath("c.svg")).contains("<svg"));
}

QTEST_MAIN(tst_Canvas)
#include "tst_canvas.moc"
