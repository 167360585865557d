#include "editor/Canvas.h"
#include "editor/PatternDlg.h"
#include "editor/Snap.h"
#include "palette/ColourComboBox.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <limits>

class tst_ShapeEntry : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void snapping_data();
    void snapping();

    void releasesBecomeSnappedPolarVertices();
    void rightButtonEndsEvenBeforeAnyVertex_data();
    void rightButtonEndsEvenBeforeAnyVertex();
    void fiftiethReleaseEndsWithFortyNineVertices();
    void radioButtonChoosesTheKind();
    void coloursComeFromTheSelectedEntries();
    void noSelectionGivesWhite();
    void losingTheGrabKeepsThePoints_data();
    void losingTheGrabKeepsThePoints();
    void pressesOnLabelsStartShapesButControlsDoNot();
    void nothingElseStartsDuringAnEntry();
    void committedSegmentStaysInvertedUntilTheEnd();
    void drawnDesignExportsItsVertices();

private:
    void Press(QPoint p, Qt::MouseButton button = Qt::LeftButton)
    {
        // Through the window, so the press goes where a real one would.
        QTest::mousePress(m_dlg->windowHandle(), button, Qt::NoModifier, p);
    }
    void Release(QPoint p, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(m_dlg->windowHandle(), button, Qt::NoModifier, p);
    }
    void Click(QPoint p, Qt::MouseButton button = Qt::LeftButton)
    {
        Press(p, button);
        Release(p, button);
    }
    // Enters a shape: press and release at the first point, click the rest, right-click.
    void Enter(const QList<QPoint> &points)
    {
        Press(points.first());
        Release(points.first());
        for (qsizetype i = 1; i < points.size(); ++i)
            Click(points[i]);
        Click(points.last(), Qt::RightButton);
    }
    PolarPoint Expected(QPoint release) const
    {
        const CanvasView view = m_dlg->View();
        return ToPolar(RoundSnap(release), view.client, view.scale, view.rotation).value();
    }

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<ScriptedSeam> m_seam;
    std::unique_ptr<CPatternDlg> m_dlg;
};

void tst_ShapeEntry::init()
{
    m_settings = std::make_unique<TempSettings>();
    m_seam = std::make_unique<ScriptedSeam>();
    m_dlg = std::make_unique<CPatternDlg>();
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    QCOMPARE(m_dlg->size(), QSize(480, 361));
}

void tst_ShapeEntry::cleanup()
{
    m_dlg.reset();
    m_seam.reset();
    m_settings.reset();
}

void tst_ShapeEntry::snapping_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("rounded");
    QTest::newRow("47 up") << 47 << 40 << 50;
    QTest::newRow("103 down") << 103 << 100 << 100;
    QTest::newRow("exactly 5 rounds down") << 45 << 40 << 40;
    QTest::newRow("6 rounds up") << 46 << 40 << 50;
    QTest::newRow("on the grid") << 120 << 120 << 120;
    QTest::newRow("zero") << 0 << 0 << 0;
    // Remainders take the sign of the value: negatives snap toward zero.
    QTest::newRow("-47") << -47 << -40 << -40;
    QTest::newRow("-3") << -3 << 0 << 0;
    QTest::newRow("-15") << -15 << -10 << -10;
    QTest::newRow("large") << 1000007 << 1000000 << 1000010;
    QTest::newRow("largest int stays below it")
        << std::numeric_limits<int>::max() << 2147483640 << 2147483640;
    QTest::newRow("smallest int") << std::numeric_limits<int>::min() << -2147483640 << -2147483640;
}

void tst_ShapeEntry::snapping()
{
    QFETCH(int, value);
    QFETCH(int, press);
    QFETCH(int, rounded);
    QCOMPARE(PressSnap(value), press);
    QCOMPARE(RoundSnap(value), rounded);
    QCOMPARE(RoundSnap(QPoint(value, 103)), QPoint(rounded, 100));
}

void tst_ShapeEntry::releasesBecomeSnappedPolarVertices()
{
    const QList<QPoint> clicks = {{47, 103}, {300, 96}, {284, 311}};
    Enter(clicks);

    QCOMPARE(m_dlg->Shapes().size(), std::size_t(1));
    const CObjectStorage &shape = *m_dlg->Shapes().front();
    QCOMPARE(shape.Type(), CPolyStorage::TypeValue);
    QCOMPARE(shape.PointCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const PolarPoint expected = Expected(clicks[i]);
        QCOMPARE(shape.Points()[i].angle, expected.angle);
        QCOMPARE(shape.Points()[i].radius, expected.radius);
    }
    // The first vertex is the release of the starting click, rounded: (50, 100).
    const PolarPoint first = ToPolar({50, 100}, m_dlg->size(), 1.0, 0.0).value();
    QCOMPARE(shape.Points()[0].radius, first.radius);
    QVERIFY(!m_dlg->IsBusy());
}

void tst_ShapeEntry::rightButtonEndsEvenBeforeAnyVertex_data()
{
    QTest::addColumn<int>("ending"); // 0 press, 1 release, 2 double click
    QTest::newRow("right press") << 0;
    QTest::newRow("right release") << 1;
    QTest::newRow("right double click") << 2;
}

void tst_ShapeEntry::rightButtonEndsEvenBeforeAnyVertex()
{
    QFETCH(int, ending);
    Press({200, 200});
    QVERIFY(m_dlg->IsBusy());
    if (ending == 0)
        Press({200, 200}, Qt::RightButton);
    else if (ending == 1)
        Release({200, 200}, Qt::RightButton);
    else {
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(200, 200),
                                m_dlg->mapToGlobal(QPointF(200, 200)), Qt::RightButton,
                                Qt::RightButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_dlg.get(), &doubleClick);
    }
    QVERIFY(!m_dlg->IsBusy());
    QCOMPARE(m_dlg->Shapes().size(), std::size_t(1));
    QCOMPARE(m_dlg->Shapes().front()->PointCount(), 0);
}

void tst_ShapeEntry::fiftiethReleaseEndsWithFortyNineVertices()
{
    Press({100, 100});
    Release({100, 100});
    for (int i = 1; i < 49; ++i) {
        // Left presses during the entry, and middle-button clicks, change nothing.
        Click({100 + (i % 20) * 10, 100 + (i / 20) * 40});
        Click({50, 50}, Qt::MiddleButton);
    }
    QVERIFY(m_dlg->IsBusy());
    QVERIFY(m_dlg->Shapes().empty());
    Click({400, 300});
    QVERIFY(!m_dlg->IsBusy());
    QCOMPARE(m_dlg->Shapes().size(), std::size_t(1));
    QCOMPARE(m_dlg->Shapes().front()->PointCount(), 49);
}

void tst_ShapeEntry::radioButtonChoosesTheKind()
{
    auto *polyline = m_dlg->findChild<QRadioButton *>();
    QVERIFY(polyline);
    QCOMPARE(polyline->text(), QStringLiteral("Polyline"));
    polyline->setChecked(true);
    Enter({{100, 100}, {200, 120}});
    polyline->setChecked(false);
    m_dlg->findChildren<QRadioButton *>().at(1)->setChecked(true);
    Enter({{100, 100}, {200, 120}});
    QCOMPARE(m_dlg->Shapes().at(0)->Type(), CLineStorage::TypeValue);
    QVERIFY(dynamic_cast<const CLineStorage *>(m_dlg->Shapes().at(0).get()));
    QCOMPARE(m_dlg->Shapes().at(1)->Type(), CPolyStorage::TypeValue);
}

void tst_ShapeEntry::coloursComeFromTheSelectedEntries()
{
    m_dlg->Background().AddColour(0x0000FF); // pure red
    m_dlg->Background().SelectIndex(m_dlg->Background().ColourCount() - 1);
    m_dlg->Foreground().AddColour(0xFF0000); // pure blue
    m_dlg->Foreground().SelectIndex(m_dlg->Foreground().ColourCount() - 1);
    Enter({{100, 100}, {200, 100}, {150, 200}});

    const CObjectStorage &shape = *m_dlg->Shapes().front();
    QCOMPARE(shape.FillColour().red, 255);
    QCOMPARE(shape.FillColour().green, 0);
    QCOMPARE(shape.FillColour().blue, 0);
    QCOMPARE(shape.PenColour().red, 0);
    QCOMPARE(shape.PenColour().green, 0);
    QCOMPARE(shape.PenColour().blue, 255);

    // And it is painted so.
    const QImage shown = m_dlg->grab().toImage();
    QCOMPARE(shown.pixel(152, 131), qRgb(255, 0, 0));
}

void tst_ShapeEntry::noSelectionGivesWhite()
{
    m_dlg->Foreground().SelectIndex(-1);
    Enter({{100, 100}, {200, 100}});
    const CObjectStorage &shape = *m_dlg->Shapes().front();
    QCOMPARE(shape.PenColour().red, 255);
    QCOMPARE(shape.PenColour().green, 255);
    QCOMPARE(shape.PenColour().blue, 255);
    QCOMPARE(shape.FillColour().red, 0); // the Background list's first entry, black
}

void tst_ShapeEntry::losingTheGrabKeepsThePoints_data()
{
    QTest::addColumn<int>("eventType");
    QTest::newRow("deactivated") << int(QEvent::WindowDeactivate);
    QTest::newRow("hidden") << int(QEvent::Hide);
}

void tst_ShapeEntry::losingTheGrabKeepsThePoints()
{
    QFETCH(int, eventType);
    Press({100, 100});
    Release({100, 100});
    Click({200, 100});
    QVERIFY(m_dlg->IsBusy());
    QEvent lost(static_cast<QEvent::Type>(eventType));
    QCoreApplication::sendEvent(m_dlg.get(), &lost);
    QVERIFY(!m_dlg->IsBusy());
    QCOMPARE(QWidget::mouseGrabber(), nullptr);
    QCOMPARE(m_dlg->Shapes().size(), std::size_t(1));
    QCOMPARE(m_dlg->Shapes().front()->PointCount(), 2);
}

void tst_ShapeEntry::pressesOnLabelsStartShapesButControlsDoNot()
{
    // "Background:" label, in the strip: starts a shape, stored as clicked.
    Press({100, 12});
    QVERIFY(m_dlg->IsBusy());
    Release({100, 12});
    Click({100, 12}, Qt::RightButton);
    QCOMPARE(m_dlg->Shapes().size(), std::size_t(1));
    QCOMPARE(m_dlg->Shapes().front()->PointCount(), 1);
    QCOMPARE(m_dlg->Shapes().front()->Points()[0].radius, Expected({100, 12}).radius);

    // The "Clear" button takes its own click.
    Press({370, 10});
    QVERIFY(!m_dlg->IsBusy());
    Release({370, 10});
}

void tst_ShapeEntry::nothingElseStartsDuringAnEntry()
{
    Press({100, 100});
    Release({100, 100});
    m_dlg->OnGenerate();
    m_dlg->OnClear();
    m_dlg->OnTest();
    m_dlg->OnApplyScale();
    QVERIFY(m_seam->fileSuffixes.isEmpty());
    QVERIFY(m_seam->messages.isEmpty());
    QVERIFY(!m_dlg->IsAnimating());
    QVERIFY(m_dlg->IsBusy());
    // Keys go nowhere while the entry holds the keyboard.
    QTest::keyClicks(m_dlg.get(), "7");
    QCOMPARE(m_dlg->ScaleField().text(), QStringLiteral("1"));
    Click({100, 100}, Qt::RightButton);
    QCOMPARE(m_dlg->Shapes().size(), std::size_t(1));
}

void tst_ShapeEntry::committedSegmentStaysInvertedUntilTheEnd()
{
    // Horizontal segment (100, 200) - (200, 200); the band covers rows 199 and 200.
    Press({100, 200});
    Release({100, 200});
    QTest::mouseMove(m_dlg->windowHandle(), {200, 200});
    Release({200, 200}); // erases the band the move drew...
    QTest::mouseMove(m_dlg->windowHandle(), {200, 260}); // ...and this move draws it again
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);

    QImage shown = m_dlg->grab().toImage();
    QCOMPARE(shown.pixel(153, 199), black); // checker pixel: inverted
    QCOMPARE(shown.pixel(152, 199), white); // the other half of the checkerboard
    QCOMPARE(shown.pixel(199, 231), black); // the live band down to (200, 260)

    Click({200, 260}, Qt::RightButton);
    shown = m_dlg->grab().toImage();
    QCOMPARE(shown.pixel(153, 199), white); // overlay gone; the polygon edge is on row 200
    QCOMPARE(shown.pixel(153, 200), black);
}

void tst_ShapeEntry::drawnDesignExportsItsVertices()
{
    QTemporaryDir dir;
    const QList<QPoint> polygon = {{60, 80}, {400, 90}, {250, 330}};
    const QList<QPoint> polyline = {{30, 300}, {450, 290}};
    Enter(polygon);
    m_dlg->findChild<QRadioButton *>()->setChecked(true);
    Enter(polyline);

    const QString path = dir.filePath("drawn.jvf");
    m_seam->fileAnswers.push_back(path);
    m_dlg->OnGenerate();
    const QByteArray bytes = ReadFileBytes(path);
    QCOMPARE(bytes.size(), 10 + 8 + 3 * 16 + 8 + 2 * 16);
    QCOMPARE(bytes.left(10).toHex(), QByteArray("ffe0ad0f0200ffffff00"));

    qsizetype at = 10;
    for (const auto &[type, clicks] : {std::pair{1, polygon}, std::pair{2, polyline}}) {
        QCOMPARE(int(bytes.at(at)), type);
        QCOMPARE(int(bytes.at(at + 1)), int(clicks.size()));
        at += 8;
        for (const QPoint &click : clicks) {
            double angle = 0, radius = 0;
            std::memcpy(&angle, bytes.constData() + at, 8);
            std::memcpy(&radius, bytes.constData() + at + 8, 8);
            QCOMPARE(angle, Expected(click).angle);
            QCOMPARE(radius, Expected(click).radius);
            at += 16;
        }
    }
}

QTEST_MAIN(tst_ShapeEntry)
#include "tst_shapeentry.moc"
