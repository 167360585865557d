// Shape entry, driven without a window: snapping, the vertices a sequence of
// clicks gives, the colours and kind of the result, the rubber band in every
// copy, and a seeded storm of random input that must keep every shape sound.
#include "editor/ShapeEntry.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <limits>

class tst_Entry : public QObject, private CShapeEntry::Host
{
    Q_OBJECT

private slots:
    void snapping_data();
    void snapping();
    void vertices_data();
    void vertices();
    void bandInEveryCopy();
    void randomInput();

private:
    void OverlayChanged(const QRect &area) override { m_changed |= area; }
    std::pair<std::int32_t, std::int32_t> ShapeColours() const override { return m_colours; }
    void ShapeFinished(std::unique_ptr<CObjectStorage> shape) override { m_finished.push_back(std::move(shape)); }

    CShapeEntry::Setup Setup(double scale = 1.0) const
    {
        CShapeEntry::Setup setup;
        setup.view = CanvasView{QSize(400, 300), scale}; // centre (200, 175)
        return setup;
    }

    CShapeEntry m_entry{*this};
    QRect m_changed;
    std::pair<std::int32_t, std::int32_t> m_colours{0x0000FF, 0xFF0000}; // red fill, blue outline
    ShapeList m_finished;
};

void tst_Entry::snapping_data()
{
    QTest::addColumn<int>("v");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("round");
    QTest::newRow("47") << 47 << 40 << 50;
    QTest::newRow("45 rounds down") << 45 << 40 << 40;
    QTest::newRow("46") << 46 << 40 << 50;
    QTest::newRow("-47 toward zero") << -47 << -40 << -40;
    QTest::newRow("largest int") << std::numeric_limits<int>::max() << 2147483640 << 2147483640;
}

void tst_Entry::snapping()
{
    QFETCH(int, v);
    QFETCH(int, press);
    QFETCH(int, round);
    QCOMPARE(PressSnap(v), press);
    QCOMPARE(RoundSnap(v), round);
}

void tst_Entry::vertices_data()
{
    // Events after the press at (47, 103): L/R/M release, l/r press, d right double
    // click, D left double click, e end, m move; a count repeats the next letter.
    QTest::addColumn<QString>("events");
    QTest::addColumn<double>("scale");
    QTest::addColumn<bool>("polarSnap");
    QTest::addColumn<QList<PolarPoint>>("expected");
    QTest::addColumn<bool>("running");
    const QList<PolarPoint> first{{-1.1071487177940904, 167.70509831244}}; // (50, 100)
    QTest::newRow("first vertex from the release") << "Lr" << 1.0 << false << first << false;
    QTest::newRow("right before any release") << "r" << 1.0 << false << QList<PolarPoint>() << false;
    QTest::newRow("right release, double click, end") << "LR" << 1.0 << false << first << false;
    QTest::newRow("right double click") << "Ld" << 1.0 << false << first << false;
    QTest::newRow("end keeps the points") << "Le" << 1.0 << false << first << false;
    QTest::newRow("others do nothing") << "LMlDm" << 1.0 << false << first << true;
    QTest::newRow("scale 2 halves the radius") << "Le" << 2.0 << false << QList<PolarPoint>{{-1.1071487177940904, 83.85254915622}} << false;
    QTest::newRow("49 vertices") << "50L" << 1.0 << false << QList<PolarPoint>(49, first[0]) << false;
    QTest::newRow("unusable clicks do not count") << "60L" << 1e-320 << false << QList<PolarPoint>() << true;
    // 7.5 degrees a step: (47, 103) is at -64.8 degrees, 169.1 pixels out.
    QTest::newRow("polar snap") << "Le" << 2.0 << true << QList<PolarPoint>{{-9 * 2 * Pi / 48, 85}} << false;
}

void tst_Entry::vertices()
{
    QFETCH(QString, events);
    QFETCH(double, scale);
    QFETCH(bool, polarSnap);
    QFETCH(QList<PolarPoint>, expected);
    QFETCH(bool, running);
    m_finished.clear();
    CShapeEntry::Setup setup = Setup(scale);
    setup.polarSnap = polarSnap;
    m_entry.Start({47, 103}, setup);
    int repeat = 0;
    for (const QChar event : events) {
        if (event.isDigit()) {
            repeat = repeat * 10 + event.digitValue();
            continue;
        }
        for (int i = 0; i < std::max(repeat, 1); ++i) {
            const QPoint at(47, 103);
            switch (event.unicode()) {
            case 'L': m_entry.Release(Qt::LeftButton, at); break;
            case 'R': m_entry.Release(Qt::RightButton, at); break;
            case 'M': m_entry.Release(Qt::MiddleButton, at); break;
            case 'l': m_entry.Press(Qt::LeftButton); break;
            case 'r': m_entry.Press(Qt::RightButton); break;
            case 'd': m_entry.DoubleClick(Qt::RightButton); break;
            case 'D': m_entry.DoubleClick(Qt::LeftButton); break;
            case 'e': m_entry.End(); break;
            case 'm': m_entry.Move({90, 90}); break;
            }
        }
        repeat = 0;
    }
    QCOMPARE(m_entry.IsRunning(), running);
    m_entry.End();
    QCOMPARE(m_finished.size(), std::size_t(1));
    const CObjectStorage &shape = *m_finished[0];
    QCOMPARE(shape.Type(), 1);
    QCOMPARE(QList<int>({shape.FillColour().red, shape.FillColour().blue, shape.PenColour().red, shape.PenColour().blue}),
             QList<int>({255, 0, 0, 255}));
    QCOMPARE(shape.PointCount(), expected.size());
    for (int i = 0; i < shape.PointCount(); ++i) {
        QCOMPARE(shape.Points()[std::size_t(i)].angle, expected[i].angle);
        QCOMPARE(shape.Points()[std::size_t(i)].radius, expected[i].radius);
    }
}

void tst_Entry::bandInEveryCopy()
{
    CShapeEntry::Setup setup = Setup();
    setup.type = CLineStorage::TypeValue;
    setup.copies = 4;
    setup.mirror = true;
    m_finished.clear();
    m_changed = QRect();
    m_entry.Start({203, 124}, setup);      // anchor (200, 120), 55 above the centre
    m_entry.Release(Qt::LeftButton, {200, 120});
    m_entry.Move({233, 74});               // band to (230, 70)
    const auto inverted = [&](int x, int y) {
        int count = 0;
        for (int d = 0; d < 15; ++d)
            count += m_entry.Overlay().IsInverted({x + d % 5 - 2, y + d / 5 - 1});
        return count > 0;
    };
    // The band's middle, turned a quarter at a time, and mirrored across the vertical axis.
    for (const QPoint p : {QPoint(215, 95), QPoint(280, 190), QPoint(185, 255), QPoint(120, 160), QPoint(185, 95)})
        QVERIFY2(inverted(p.x(), p.y()), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
    QVERIFY(!inverted(250, 125));
    m_colours = {-1, -1};
    m_entry.Release(Qt::RightButton, {0, 0});
    QVERIFY(m_entry.Overlay().IsEmpty());
    QVERIFY(m_changed.contains(QRect(120, 95, 160, 160)));
    QCOMPARE(m_finished[0]->Type(), 2);
    QCOMPARE(m_finished[0]->PenColour().green, 255); // no selection gives white
    m_colours = {0x0000FF, 0xFF0000};
}

void tst_Entry::randomInput()
{
    QRandomGenerator random(20261207);
    m_finished.clear();
    std::size_t ended = 0;
    for (int entry = 0; entry < 300; ++entry) {
        CShapeEntry::Setup setup = Setup(random.bounded(2) ? 1.0 : -0.5);
        setup.polarSnap = random.bounded(3) == 0;
        setup.copies = 1 + random.bounded(5);
        m_entry.Start({random.bounded(-50, 450), random.bounded(-50, 350)}, setup);
        while (m_entry.IsRunning()) {
            const QPoint at(random.bounded(-100, 500), random.bounded(-100, 400));
            const auto button = std::array{Qt::LeftButton, Qt::LeftButton, Qt::MiddleButton, Qt::RightButton}[random.bounded(4)];
            switch (random.bounded(40)) {
            case 0: m_entry.Press(button); break;
            case 1: m_entry.DoubleClick(button); break;
            case 2: m_entry.End(); break;
            default: random.bounded(2) ? m_entry.Move(at) : m_entry.Release(button == Qt::RightButton ? Qt::LeftButton : button, at);
            }
        }
        ++ended;
        QCOMPARE(m_finished.size(), ended);
        QVERIFY(m_entry.Overlay().IsEmpty());
        QVERIFY(m_finished.back()->PointCount() <= 49);
        for (const PolarPoint &p : m_finished.back()->Points())
            QVERIFY(std::isfinite(p.angle) && std::isfinite(p.radius) && p.angle >= -Pi / 2 && p.angle < 3 * Pi / 2);
    }
}

QTEST_MAIN(tst_Entry)
#include "tst_entry.moc"
