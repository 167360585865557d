#include "model/ObjectStorage.h"
#include "model/DrawMapping.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <cmath>
#include <limits>

class tst_ObjectStorage : public QObject
{
    Q_OBJECT

private slots:
    void newShapesAreEmptyWhiteFilledBlackOutlined();
    void drawingMapping_data();
    void drawingMapping();
    void hugeOrInvalidOffsetsStayDefined_data();
    void hugeOrInvalidOffsetsStayDefined();
    void polygonIsFilledAndOutlined();
    void polylineHasNoFill();
    void onlyFirstFiftyPointsAreDrawn();
    void drawingRestoresPainterTools();
    void shapeWithoutPointsDrawsNothing();
};

void tst_ObjectStorage::newShapesAreEmptyWhiteFilledBlackOutlined()
{
    const CPolyStorage poly;
    const CLineStorage line;
    QCOMPARE(poly.Type(), 1);
    QCOMPARE(line.Type(), 2);
    for (const CObjectStorage *shape : {static_cast<const CObjectStorage *>(&poly),
                                        static_cast<const CObjectStorage *>(&line)}) {
        QCOMPARE(shape->PointCount(), 0);
        QCOMPARE(shape->FillColour().red, 255);
        QCOMPARE(shape->FillColour().green, 255);
        QCOMPARE(shape->FillColour().blue, 255);
        QCOMPARE(shape->PenColour().red, 0);
        QCOMPARE(shape->PenColour().green, 0);
        QCOMPARE(shape->PenColour().blue, 0);
    }
}

void tst_ObjectStorage::drawingMapping_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("radius");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("rotation");
    QTest::addColumn<QPoint>("expected");

    // Centre (100, 200) throughout.
    QTest::newRow("up") << 0.0 << 10.0 << 1.0 << 0.0 << QPoint(100, 190);
    QTest::newRow("right") << Pi / 2 << 10.0 << 1.0 << 0.0 << QPoint(110, 200);
    QTest::newRow("down") << Pi << 10.0 << 1.0 << 0.0 << QPoint(100, 210);
    QTest::newRow("left") << -Pi / 2 << 10.0 << 1.0 << 0.0 << QPoint(90, 200);
    QTest::newRow("scale 2 doubles") << 0.0 << 10.0 << 2.0 << 0.0 << QPoint(100, 180);
    QTest::newRow("scale 0.5 halves") << Pi / 2 << 10.0 << 0.5 << 0.0 << QPoint(105, 200);
    QTest::newRow("negative scale reflects") << 0.0 << 10.0 << -1.0 << 0.0 << QPoint(100, 210);
    QTest::newRow("rotation pi turns upside down") << 0.0 << 10.0 << 1.0 << Pi << QPoint(100, 210);
    QTest::newRow("rotation is clockwise") << 0.0 << 10.0 << 1.0 << Pi / 2 << QPoint(110, 200);
    // sin(pi/4) * 10 = 7.07: truncated toward zero on both axes.
    QTest::newRow("truncates toward zero, up right") << Pi / 4 << 10.0 << 1.0 << 0.0 << QPoint(107, 193);
    QTest::newRow("truncates toward zero, down left") << -3 * Pi / 4 << 10.0 << 1.0 << 0.0 << QPoint(93, 207);
}

void tst_ObjectStorage::drawingMapping()
{
    QFETCH(double, angle);
    QFETCH(double, radius);
    QFETCH(double, scale);
    QFETCH(double, rotation);
    QFETCH(QPoint, expected);
    QCOMPARE(MapToScreen({angle, radius}, scale, rotation, 100, 200), expected);
}

void tst_ObjectStorage::hugeOrInvalidOffsetsStayDefined_data()
{
    QTest::addColumn<double>("radius");
    QTest::addColumn<double>("scale");

    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("huge radius") << 1e300 << 1.0;
    QTest::newRow("huge scale") << 100.0 << 1e308;
    QTest::newRow("infinite radius") << inf << 1.0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 1.0;
    QTest::newRow("negative huge") << -1e200 << 1e100;
}

void tst_ObjectStorage::hugeOrInvalidOffsetsStayDefined()
{
    QFETCH(double, radius);
    QFETCH(double, scale);
    // Down and to the right at 30 degrees from the horizontal.
    const QPoint p = MapToScreen({2.0943951, radius}, scale, 0.0, 1000, 1000);
    QVERIFY(std::abs(p.x()) < (1 << 26));
    QVERIFY(std::abs(p.y()) < (1 << 26));
    if (std::isfinite(radius * scale)) {
        // A far point keeps its direction from the centre.
        const double dx = p.x() - 1000, dy = p.y() - 1000;
        const double sign = radius * scale > 0 ? 1 : -1;
        QVERIFY(sign * dx > 1e6);
        QVERIFY(std::abs(dy / dx - std::tan(Pi / 6)) < 1e-3);
    }

    // Drawn, such a shape still shows its near vertices.
    CPolyStorage poly;
    poly.AddPoint(0, 10);
    poly.AddPoint(2.0943951, radius);
    poly.AddPoint(Pi, 10);
    QImage image(50, 50, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    poly.Draw(painter, scale, 0.0, 25, 25);
    painter.end();
    if (scale == 1.0)
        QCOMPARE(image.pixel(25, 15), qRgb(0, 0, 0));
}

namespace {

QImage WhiteImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

} // namespace

void tst_ObjectStorage::polygonIsFilledAndOutlined()
{
    CPolyStorage square;
    square.SetFillColour(255, 0, 0);
    square.SetPenColour(0, 0, 255 + 256); // only the low byte counts
    // A square around the centre (50, 50) with corners 20 pixels out on the diagonals.
    for (double a : {-Pi / 4, Pi / 4, 3 * Pi / 4, 5 * Pi / 4})
        square.AddPoint(a, 20 * std::sqrt(2.0));

    QImage image = WhiteImage(100, 100);
    QPainter painter(&image);
    square.Draw(painter, 1.0, 0.0, 50, 50);
    painter.end();

    QCOMPARE(image.pixel(50, 50), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(35, 50), qRgb(255, 0, 0));
    // Left edge at x = 50 - 19 or 50 - 20 depending on truncation: blue outline there.
    bool outlined = false;
    for (int x = 28; x <= 32; ++x)
        outlined |= image.pixel(x, 50) == qRgb(0, 0, 255);
    QVERIFY(outlined);
    QCOMPARE(image.pixel(10, 50), qRgb(255, 255, 255));
}

void tst_ObjectStorage::polylineHasNoFill()
{
    CLineStorage line;
    line.SetFillColour(255, 0, 0);
    line.SetPenColour(0, 128, 0);
    for (double a : {-Pi / 4, Pi / 4, 3 * Pi / 4, 5 * Pi / 4})
        line.AddPoint(a, 20 * std::sqrt(2.0));

    QImage image = WhiteImage(100, 100);
    QPainter painter(&image);
    line.Draw(painter, 1.0, 0.0, 50, 50);
    painter.end();

    QCOMPARE(image.pixel(50, 50), qRgb(255, 255, 255));
    // Corners land 19 or 20 pixels out, depending on truncation.
    QVERIFY(image.pixel(50, 30) == qRgb(0, 128, 0) || image.pixel(50, 31) == qRgb(0, 128, 0));
    // Open: the left edge (last corner back to the first) is not drawn.
    QCOMPARE(image.pixel(30, 50), qRgb(255, 255, 255));
}

void tst_ObjectStorage::onlyFirstFiftyPointsAreDrawn()
{
    CLineStorage line;
    // 50 points on one horizontal line 10 pixels above the centre, then ten far below.
    for (int i = 0; i < 50; ++i)
        line.AddPoint(std::atan2(i - 25.0, 10.0), std::hypot(i - 25.0, 10.0));
    for (int i = 0; i < 10; ++i)
        line.AddPoint(Pi, 40);
    QCOMPARE(line.PointCount(), 60);

    QImage image = WhiteImage(100, 100);
    QPainter painter(&image);
    line.Draw(painter, 1.0, 0.0, 50, 50);
    painter.end();

    for (int y = 60; y < 100; ++y)
        QCOMPARE(image.pixel(50, y), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(50, 40), qRgb(0, 0, 0));
}

void tst_ObjectStorage::drawingRestoresPainterTools()
{
    CPolyStorage poly;
    poly.SetPenColour(1, 2, 3);
    poly.SetFillColour(4, 5, 6);
    poly.AddPoint(0, 10);
    poly.AddPoint(2, 10);
    poly.AddPoint(4, 10);

    QImage image = WhiteImage(40, 40);
    QPainter painter(&image);
    const QPen pen(Qt::green, 3, Qt::DotLine);
    const QBrush brush(Qt::yellow, Qt::Dense3Pattern);
    painter.setPen(pen);
    painter.setBrush(brush);
    painter.setRenderHint(QPainter::Antialiasing, true);
    poly.Draw(painter, 1.0, 0.0, 20, 20);
    QCOMPARE(painter.pen(), pen);
    QCOMPARE(painter.brush(), brush);
    QVERIFY(painter.testRenderHint(QPainter::Antialiasing));
}

void tst_ObjectStorage::shapeWithoutPointsDrawsNothing()
{
    const QImage before = WhiteImage(20, 20);
    QImage image = before;
    QPainter painter(&image);
    CPolyStorage().Draw(painter, 1.0, 0.0, 10, 10);
    CLineStorage().Draw(painter, 1.0, 0.0, 10, 10);
    painter.end();
    QCOMPARE(image, before);
}

QTEST_MAIN(tst_ObjectStorage)
#include "tst_objectstorage.moc"
