#include "editor/Canvas.h"
#include "model/DrawMapping.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <cmath>
#include <limits>

class tst_Canvas : public QObject
{
    Q_OBJECT

private slots:
    void geometry_data();
    void geometry();
    void toPolarExamples_data();
    void toPolarExamples();
    void roundTrip_data();
    void roundTrip();
    void toPolarRefusesScalesWithNoFinitePoint_data();
    void toPolarRefusesScalesWithNoFinitePoint();
    void paintsBackgroundAxesAndDots();
    void dotsStayVisibleOverFilledPolygon();
    void nothingIsDrawnInTheStrip();
    void animatingPaintsPlainCanvas();
    void paintRestoresPainterState();
};

void tst_Canvas::geometry_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QPoint>("centre");
    QTest::newRow("400 x 300") << QSize(400, 300) << QPoint(200, 175);
    QTest::newRow("odd height 51") << QSize(400, 51) << QPoint(200, 50);
    QTest::newRow("odd width and height") << QSize(481, 361) << QPoint(240, 205);
    QTest::newRow("initial window") << QSize(480, 361) << QPoint(240, 205);
}

void tst_Canvas::geometry()
{
    QFETCH(QSize, client);
    QFETCH(QPoint, centre);
    QCOMPARE(CanvasCentre(client), centre);
    QCOMPARE(CanvasRect(client), QRect(0, 50, client.width(), client.height() - 50));
}

void tst_Canvas::toPolarExamples_data()
{
    QTest::addColumn<QPoint>("offset"); // from the centre, y down
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("rotation");
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("radius");

    QTest::newRow("above right") << QPoint(30, -40) << 1.0 << 0.0 << std::atan(30.0 / 40.0) << 50.0;
    QTest::newRow("scale 2 halves radius") << QPoint(30, -40) << 2.0 << 0.0 << std::atan(30.0 / 40.0) << 25.0;
    QTest::newRow("below") << QPoint(0, 20) << 1.0 << 0.0 << 3.141592654 << 20.0;
    QTest::newRow("below left") << QPoint(-30, 40) << 1.0 << 0.0 << std::atan(0.75) + 3.141592654 << 50.0;
    QTest::newRow("right on axis") << QPoint(25, 0) << 1.0 << 0.0 << 3.141592654 / 2 << 25.0;
    QTest::newRow("left on axis") << QPoint(-25, 0) << 1.0 << 0.0 << -3.141592654 / 2 << 25.0;
    QTest::newRow("centre") << QPoint(0, 0) << 1.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("rotation subtracted") << QPoint(0, -10) << 1.0 << 0.5 << -0.5 << 10.0;
    QTest::newRow("negative scale") << QPoint(0, -10) << -1.0 << 0.0 << 0.0 << -10.0;
}

void tst_Canvas::toPolarExamples()
{
    QFETCH(QPoint, offset);
    QFETCH(double, scale);
    QFETCH(double, rotation);
    QFETCH(double, angle);
    QFETCH(double, radius);

    const QSize client(400, 300);
    const auto polar = ToPolar(CanvasCentre(client) + offset, client, scale, rotation);
    QVERIFY(polar.has_value());
    QCOMPARE(polar->angle, angle);
    QCOMPARE(polar->radius, radius);
}

void tst_Canvas::roundTrip_data()
{
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("rotation");

    const QPoint offsets[] = {{30, -40}, {-70, -20}, {-50, 60}, {80, 90}, {0, -100},
                              {0, 100},  {120, 0},   {-120, 0}, {0, 0},   {3, -1}};
    for (double scale : {1.0, 2.0, 0.5, -1.0})
        for (double rotation : {0.0, Pi})
            for (const QPoint &o : offsets)
                QTest::addRow("(%d,%d) scale %g rotation %g", o.x(), o.y(), scale, rotation)
                    << o << scale << rotation;
}

void tst_Canvas::roundTrip()
{
    QFETCH(QPoint, offset);
    QFETCH(double, scale);
    QFETCH(double, rotation);

    const QSize client(400, 300);
    const QPoint centre = CanvasCentre(client);
    const QPoint pixel = centre + offset;
    const auto polar = ToPolar(pixel, client, scale, rotation);
    QVERIFY(polar.has_value());
    const QPoint back = MapToScreen(*polar, scale, rotation, centre.x(), centre.y());
    // Back on the same pixel, up to the truncation of the drawing mapping.
    QVERIFY2(std::abs(back.x() - pixel.x()) <= 1 && std::abs(back.y() - pixel.y()) <= 1,
             qPrintable(QStringLiteral("(%1,%2) came back as (%3,%4)")
                            .arg(pixel.x()).arg(pixel.y()).arg(back.x()).arg(back.y())));
}

void tst_Canvas::toPolarRefusesScalesWithNoFinitePoint_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("rotation");
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("zero") << 0.0 << 0.0;
    QTest::newRow("minus zero") << -0.0 << 0.0;
    QTest::newRow("infinite") << inf << 0.0;
    QTest::newRow("nan") << nan << 0.0;
    QTest::newRow("nan rotation") << 1.0 << nan;
    QTest::newRow("tiny scale overflows radius") << 1e-320 << 0.0;
}

void tst_Canvas::toPolarRefusesScalesWithNoFinitePoint()
{
    QFETCH(double, scale);
    QFETCH(double, rotation);
    QVERIFY(!ToPolar(QPoint(1000, -1000), QSize(400, 300), scale, rotation).has_value());
}

namespace {

QImage Paint(const QSize &client, const ShapeList &shapes, bool animating = false)
{
    QImage image(client, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3)); // neither white nor black: shows what painting left alone
    QPainter painter(&image);
    CanvasView view{client, 1.0, 0.0, animating};
    PaintCanvas(painter, view, shapes);
    return image;
}

const QRgb Grey = qRgb(100, 100, 100);
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);

} // namespace

void tst_Canvas::paintsBackgroundAxesAndDots()
{
    const QImage image = Paint(QSize(400, 300), {});

    // Dots: first row at y = 50, last at y = 290, every 10 pixels across.
    QCOMPARE(image.pixel(10, 50), Grey);
    QCOMPARE(image.pixel(390, 290), Grey);
    QCOMPARE(image.pixel(130, 170), Grey);
    QCOMPARE(image.pixel(135, 170), White);
    QCOMPARE(image.pixel(131, 171), White);

    // Border, where no dot sits on it.
    QCOMPARE(image.pixel(0, 55), Black);
    QCOMPARE(image.pixel(399, 55), Black);
    QCOMPARE(image.pixel(5, 50), Black);
    QCOMPARE(image.pixel(5, 299), Black);

    // Horizontal axis at y = 175 and vertical at x = 200, dash-dot: mostly grey.
    int horizontal = 0, vertical = 0, elsewhere = 0;
    for (int x = 1; x < 399; ++x) {
        horizontal += image.pixel(x, 175) == Grey;
        elsewhere += x != 200 && image.pixel(x, 176) == Grey;
    }
    for (int y = 51; y < 299; ++y)
        vertical += image.pixel(200, y) == Grey;
    QVERIFY2(horizontal > 200 && horizontal < 398, qPrintable(QString::number(horizontal)));
    QVERIFY2(vertical > 120 && vertical < 248, qPrintable(QString::number(vertical)));
    QCOMPARE(elsewhere, 0);
}

void tst_Canvas::dotsStayVisibleOverFilledPolygon()
{
    auto poly = std::make_unique<CPolyStorage>();
    poly->SetFillColour(0, 0, 255);
    for (double a : {-Pi / 4, Pi / 4, 3 * Pi / 4, 5 * Pi / 4})
        poly->AddPoint(a, 100);
    ShapeList shapes;
    shapes.push_back(std::move(poly));

    const QImage image = Paint(QSize(400, 300), shapes);
    QCOMPARE(image.pixel(205, 178), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(210, 180), Grey);
}

void tst_Canvas::nothingIsDrawnInTheStrip()
{
    auto line = std::make_unique<CLineStorage>();
    line->AddPoint(0, 0);
    line->AddPoint(0, 170); // from the centre up through the strip
    auto poly = std::make_unique<CPolyStorage>();
    poly->SetFillColour(255, 0, 0);
    for (double a : {-0.5, 0.5, 2.5})
        poly->AddPoint(a, 300);
    ShapeList shapes;
    shapes.push_back(std::move(poly));
    shapes.push_back(std::move(line));

    const QImage image = Paint(QSize(400, 300), shapes);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 400; ++x)
            QCOMPARE(image.pixel(x, y), qRgb(1, 2, 3));
    QCOMPARE(image.pixel(200, 105), Black); // the line below the strip
    QCOMPARE(image.pixel(190, 55), qRgb(255, 0, 0)); // the polygon below it
}

void tst_Canvas::animatingPaintsPlainCanvas()
{
    auto poly = std::make_unique<CPolyStorage>();
    poly->SetFillColour(0, 255, 0);
    for (double a : {-Pi / 4, Pi / 4, 3 * Pi / 4, 5 * Pi / 4})
        poly->AddPoint(a, 50);
    ShapeList shapes;
    shapes.push_back(std::move(poly));

    const QImage image = Paint(QSize(400, 300), shapes, true);
    QCOMPARE(image.pixel(205, 178), qRgb(0, 255, 0)); // shapes still drawn
    QCOMPARE(image.pixel(0, 100), Black);
    int grey = 0;
    for (int y = 50; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            grey += image.pixel(x, y) == Grey;
    QCOMPARE(grey, 0);
}

void tst_Canvas::paintRestoresPainterState()
{
    QImage image(100, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    const QPen pen(Qt::red, 4);
    painter.setPen(pen);
    painter.setBrush(Qt::green);
    PaintCanvas(painter, CanvasView{image.size()}, {});
    QCOMPARE(painter.pen(), pen);
    QCOMPARE(painter.brush(), QBrush(Qt::green));
    QVERIFY(!painter.hasClipping());
}

QTEST_MAIN(tst_Canvas)
#include "tst_canvas.moc"
