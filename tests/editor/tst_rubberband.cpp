#include "editor/RubberBand.h"

#include <QImage>
#include <QPainter>
#include <QTest>


class tst_RubberBand : public QObject
{
    Q_OBJECT

private slots:
    void bandInvertsCheckerPixelsInsideItsQuadrilateral_data();
    void bandInvertsCheckerPixelsInsideItsQuadrilateral();
    void sameBandTwiceRestoresThePixels();
    void bandsOutsideTheWindowAreClipped();
};

namespace {

QImage Painted(const CRubberBandOverlay &overlay, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(qRgb(200, 100, 50));
    QPainter painter(&image);
    overlay.Apply(painter, image.rect());
    return image;
}

} // namespace

void tst_RubberBand::bandInvertsCheckerPixelsInsideItsQuadrilateral_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("covered"); // the pixels the thin quadrilateral covers

    // Wider than tall: the band is two rows thick, one either side of the line.
    QTest::newRow("horizontal") << QPoint(10, 20) << QPoint(40, 20) << QRect(10, 19, 30, 2);
    QTest::newRow("horizontal backwards") << QPoint(40, 20) << QPoint(10, 20) << QRect(10, 19, 30, 2);
    // Taller than wide: two columns.
    QTest::newRow("vertical") << QPoint(30, 5) << QPoint(30, 45) << QRect(29, 5, 2, 40);
}

void tst_RubberBand::bandInvertsCheckerPixelsInsideItsQuadrilateral()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, covered);

    CRubberBandOverlay overlay;
    overlay.Reset(QSize(60, 60));
    const QRect changed = overlay.Toggle(from, to);
    QVERIFY(changed.contains(covered));

    const QImage image = Painted(overlay, QSize(60, 60));
    const QRgb original = qRgb(200, 100, 50);
    const QRgb inverted = qRgb(255 - 200, 255 - 100, 255 - 50);
    int invertedCount = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            const bool checker = (x + y) % 2 == 0;
            const QRgb expected = covered.contains(x, y) && checker ? inverted : original;
            QCOMPARE(image.pixel(x, y), expected);
            invertedCount += expected == inverted;
        }
    }
    QCOMPARE(invertedCount, covered.width() * covered.height() / 2);
}

void tst_RubberBand::sameBandTwiceRestoresThePixels()
{
    CRubberBandOverlay overlay;
    overlay.Reset(QSize(80, 80));
    overlay.Toggle({5, 7}, {71, 33});
    overlay.Toggle({40, 40}, {41, 75}); // overlapping a second band
    overlay.Toggle({5, 7}, {71, 33});
    overlay.Toggle({40, 40}, {41, 75});
    QVERIFY(overlay.IsEmpty());

    QImage image(80, 80, QImage::Format_RGB32);
    image.fill(qRgb(12, 34, 56));
    const QImage before = image;
    QPainter painter(&image);
    overlay.Apply(painter, image.rect());
    painter.end();
    QCOMPARE(image, before);
}

void tst_RubberBand::bandsOutsideTheWindowAreClipped()
{
    CRubberBandOverlay overlay;
    overlay.Reset(QSize(50, 50));
    QVERIFY(overlay.Toggle({-500, -500}, {-100, -300}).isEmpty());
    const QRect part = overlay.Toggle({-100, 20}, {30, 20});
    QCOMPARE(part.left(), 0);
    QVERIFY(overlay.IsInverted({0, 20}) || overlay.IsInverted({1, 20}));
    overlay.Toggle({-100, 20}, {30, 20});
    QVERIFY(overlay.IsEmpty());
}

QTEST_MAIN(tst_RubberBand)
#include "tst_rubberband.moc"
