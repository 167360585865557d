// Thousands of seeded random mouse and key sequences against the editor
// window, as a restless user would send them: clicks anywhere, moves far
// outside the window, double clicks, other buttons, keys, lost grabs, Clear,
// scale changes, resizes. After every entry the design must have grown by
// exactly one well-formed shape and export to exactly its bytes.
#include "editor/PatternDlg.h"
#include "palette/ColourComboBox.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>

#include <bit>
#include <cmath>
#include <random>

class tst_RandomEvents : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void randomEntriesKeepTheDesignSound_data();
    void randomEntriesKeepTheDesignSound();
};

namespace {

// The design file, encoded here from the shapes alone.
QByteArray Encode(const ShapeList &shapes)
{
    QByteArray bytes;
    auto put = [&bytes](std::uint64_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    put(0x0FADE0FF, 4);
    put(shapes.size(), 2);
    put(0x00FFFFFF, 4);
    for (const auto &shape : shapes) {
        put(static_cast<std::uint64_t>(shape->Type()), 1);
        put(static_cast<std::uint64_t>(shape->PointCount()), 1);
        for (const ShapeColour &c : {shape->FillColour(), shape->PenColour()}) {
            put(static_cast<std::uint64_t>(c.red), 1);
            put(static_cast<std::uint64_t>(c.green), 1);
            put(static_cast<std::uint64_t>(c.blue), 1);
        }
        for (const PolarPoint &p : shape->Points()) {
            put(std::bit_cast<std::uint64_t>(p.angle), 8);
            put(std::bit_cast<std::uint64_t>(p.radius), 8);
        }
    }
    return bytes;
}

ShapeColour Split(std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
            static_cast<int>((v >> 16) & 0xFF)};
}

bool SameColour(const ShapeColour &a, const ShapeColour &b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// Mouse input through the window system's path into the window, the way
// the platform delivers it: grabs, implicit grabs and double-click
// detection all take part.
class CMouse
{
public:
    explicit CMouse(QWindow *window)
        : m_window(window)
    {
    }

    void Press(Qt::MouseButton button, QPoint pos, bool secondOfDoubleClick = false)
    {
        // Presses further apart than the double-click interval stay single.
        if (!secondOfDoubleClick)
            m_time += QGuiApplication::styleHints()->mouseDoubleClickInterval() + 1;
        m_buttons |= button;
        Send(QEvent::MouseButtonPress, button, pos);
    }
    void Release(Qt::MouseButton button, QPoint pos)
    {
        m_buttons &= ~button;
        Send(QEvent::MouseButtonRelease, button, pos);
    }
    void Move(QPoint pos) { Send(QEvent::MouseMove, Qt::NoButton, pos); }
    void Click(Qt::MouseButton button, QPoint pos)
    {
        Press(button, pos);
        Release(button, pos);
    }
    void DoubleClick(Qt::MouseButton button, QPoint pos)
    {
        Click(button, pos);
        Press(button, pos, true);
        Release(button, pos);
    }
    // Lets go of whatever is still held.
    void ReleaseAll(QPoint pos)
    {
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
            if (m_buttons & b)
                Release(b, pos);
    }

private:
    void Send(QEvent::Type type, Qt::MouseButton button, QPoint pos)
    {
        ++m_time;
        qt_handleMouseEvent(m_window, pos, m_window->mapToGlobal(QPointF(pos)), m_buttons, button,
                            type, Qt::NoModifier, m_time);
    }

    QWindow *m_window;
    Qt::MouseButtons m_buttons;
    int m_time = 1000;
};

// The offscreen platform cannot grab at the window-system level and says so
// at every grab; Qt's own grab, which the window relies on, still works.
QtMessageHandler g_previousHandler = nullptr;

void QuietAboutGrabs(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QStringLiteral("does not support grabbing")))
        return;
    g_previousHandler(type, context, message);
}

} // namespace

void tst_RandomEvents::initTestCase()
{
    g_previousHandler = qInstallMessageHandler(QuietAboutGrabs);
}

void tst_RandomEvents::cleanupTestCase()
{
    qInstallMessageHandler(g_previousHandler);
}

void tst_RandomEvents::randomEntriesKeepTheDesignSound_data()
{
    QTest::addColumn<std::uint32_t>("seed");
    QTest::addColumn<int>("entries");
    QTest::newRow("seed 1") << std::uint32_t{1} << 1500;
    QTest::newRow("seed 20261206") << std::uint32_t{20261206} << 1500;
}

void tst_RandomEvents::randomEntriesKeepTheDesignSound()
{
    QFETCH(std::uint32_t, seed);
    QFETCH(int, entries);

    const TempSettings settings;
    ScriptedSeam seam;
    QTemporaryDir dir;
    const QString exported = dir.filePath(QStringLiteral("design.JVF"));

    CPatternDlg window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget other; // takes the activation away: a lost grab
    // Shown and active again, as after the user comes back to the window.
    // The offscreen platform keeps a hidden window as its focus window, so
    // the activation passes through the other window to be seen as a change.
    auto comeBack = [&window, &other] {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return false;
        if (!window.isActiveWindow()) {
            other.show();
            other.activateWindow();
            if (!QTest::qWaitFor([&other] { return other.isActiveWindow(); }))
                return false;
            other.hide();
        }
        window.activateWindow();
        return QTest::qWaitFor([&window] { return window.isActiveWindow(); });
    };
    QVERIFY(comeBack());
    QList<QRadioButton *> radios = window.findChildren<QRadioButton *>();
    QCOMPARE(radios.size(), 2);
    if (radios[0]->text() != QStringLiteral("Polyline"))
        std::swap(radios[0], radios[1]);
    QRadioButton *polyline = radios[0];
    QRadioButton *polygon = radios[1];

    std::mt19937 random(seed);
    auto chance = [&random](double p) { return std::bernoulli_distribution(p)(random); };
    auto between = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    // Anywhere: on the canvas, on the strip, or far outside the window.
    auto anywhere = [&]() {
        if (chance(0.15))
            return QPoint(between(-20000, 20000), between(-20000, 20000));
        return QPoint(between(-50, window.width() + 50), between(-50, window.height() + 50));
    };
    // Where a right press opens no menu: the canvas or outside the window.
    auto belowStrip = [&]() {
        if (chance(0.2))
            return QPoint(between(-20000, 20000), between(window.height(), 20000));
        return QPoint(between(0, window.width() - 1), between(StripHeight, window.height() - 1));
    };
    const QStringList scaleTexts = {"2",     "0.5",   "-1",  "1e-3", " 7.25 ", "1e300", "-1e-300",
                                    "abc",   "0",     "inf", "nan",  "-0",     "",      "1e999",
                                    "3x",    "1",     "-3",  "0.1"};

    CMouse mouse(window.windowHandle());
    // How entries ended, to see that the run reached every way of ending.
    int endedAtLimit = 0;
    int endedByLostGrab = 0;
    int emptyShapes = 0;
    double scale = window.Scale();
    std::size_t expectedCount = 0;

    for (int entry = 0; entry < entries; ++entry) {
        const QByteArray where = QByteArray("seed ") + QByteArray::number(seed) + ", entry " +
                                 QByteArray::number(entry);

        // Between entries: what else a user does.
        if (chance(0.05)) {
            const bool ok = chance(0.5);
            seam.messageAnswers.push_back(ok ? QMessageBox::Ok : QMessageBox::Cancel);
            window.OnClear();
            QCOMPARE(seam.messages.size(), expectedCount > 0 ? 1 : 0);
            if (expectedCount > 0 && ok)
                expectedCount = 0;
            seam.messageAnswers.clear();
            seam.messages.clear();
        }
        if (chance(0.06)) {
            const QString text = scaleTexts[between(0, static_cast<int>(scaleTexts.size()) - 1)];
            window.ScaleField().setText(text);
            window.OnApplyScale();
            bool number = false;
            const double typed = text.trimmed().toDouble(&number);
            if (number && typed != 0.0 && std::isfinite(typed))
                scale = typed;
            QVERIFY2(window.Scale() == scale, where + " scale " + text.toUtf8());
            seam.messages.clear();
        }
        if (chance(0.05))
            (chance(0.5) ? polyline : polygon)->setChecked(true);
        if (chance(0.04)) {
            window.Background().SelectIndex(between(-1, window.Background().ColourCount() - 1));
            window.Foreground().SelectIndex(between(-1, window.Foreground().ColourCount() - 1));
        }
        if (chance(0.03)) {
            // Now and then far too small to hold a canvas at all.
            window.resize(between(1, 60), between(1, 60));
            QCoreApplication::processEvents();
            window.resize(between(200, 800), between(200, 600));
        }
        QCoreApplication::processEvents();

        const bool polygonEntry = window.PolygonChecked();
        const std::size_t before = window.Shapes().size();
        QCOMPARE(before, expectedCount);

        // The entry: a left press on the canvas starts it.
        const QPoint start(between(0, window.width() - 1),
                           between(StripHeight, window.height() - 1));
        mouse.Press(Qt::LeftButton, start);
        QVERIFY2(window.IsBusy(), where + " did not start");

        int vertices = 0;
        bool running = true;
        bool leftHeld = true; // the starting press; its release is the first vertex
        // Mostly short entries, some long enough to reach the vertex limit.
        const int steps = chance(0.15) ? between(50, 160) : between(0, 60);
        auto leftRelease = [&](QPoint pos) {
            mouse.Release(Qt::LeftButton, pos);
            if (!running)
                return;
            if (vertices + 1 >= 50) { // the 50th release ends the shape
                running = false;
                ++endedAtLimit;
            } else {
                ++vertices;
            }
        };
        for (int step = 0; step < steps && running; ++step) {
            const int action = between(0, 999);
            if (leftHeld && action < 450) {
                leftHeld = false;
                leftRelease(anywhere());
            } else if (action < 450) {
                mouse.Press(Qt::LeftButton, anywhere());
                leftRelease(anywhere());
            } else if (action < 750) {
                mouse.Move(anywhere());
            } else if (action < 820 && !leftHeld) {
                // A left double click: two releases, the second press arrives
                // as a double-click event.
                const QPoint at = anywhere();
                mouse.Press(Qt::LeftButton, at);
                leftRelease(at);
                if (running) {
                    mouse.Press(Qt::LeftButton, at, true);
                    leftRelease(at);
                }
            } else if (action < 880) {
                mouse.Click(Qt::MiddleButton, anywhere());
            } else if (action < 960) {
                static const int keys[] = {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter,
                                           Qt::Key_Space,  Qt::Key_Tab,    Qt::Key_A,
                                           Qt::Key_Delete, Qt::Key_Up};
                QTest::keyClick(window.windowHandle(), static_cast<Qt::Key>(keys[between(0, 7)]));
            } else if (action < 965 && !leftHeld) {
                // Another window takes the activation, and with it the grab.
                QVERIFY2(window.isActiveWindow(), where + " was not active");
                other.show();
                other.activateWindow();
                QTRY_VERIFY2(!window.IsBusy(), where + " kept the grab after deactivation");
                running = false;
                ++endedByLostGrab;
                QVERIFY(comeBack());
            } else if (action < 970) {
                window.hide();
                QVERIFY2(!window.IsBusy(), where + " kept the grab while hidden");
                running = false;
                ++endedByLostGrab;
                QVERIFY(comeBack());
            } else if (action < 990) {
                mouse.Click(Qt::RightButton, belowStrip());
                running = false;
            } else {
                mouse.DoubleClick(Qt::RightButton, belowStrip());
                running = false;
            }
        }
        if (running) {
            if (chance(0.5))
                mouse.Press(Qt::RightButton, belowStrip());
            else
                mouse.DoubleClick(Qt::RightButton, belowStrip());
        }
        mouse.ReleaseAll(belowStrip());
        QCoreApplication::processEvents();

        QVERIFY2(!window.IsBusy(), where + " did not end");
        ++expectedCount;
        QVERIFY2(window.Shapes().size() == expectedCount, where + " did not add exactly one shape");

        const CObjectStorage &shape = *window.Shapes().back();
        QVERIFY2(shape.Type() == (polygonEntry ? CPolyStorage::TypeValue : CLineStorage::TypeValue),
                 where);
        QVERIFY2(shape.PointCount() == vertices,
                 where + " has " + QByteArray::number(shape.PointCount()) + " vertices, not " +
                     QByteArray::number(vertices));
        QVERIFY2(SameColour(shape.FillColour(), Split(window.Background().SelectedColour())), where);
        QVERIFY2(SameColour(shape.PenColour(), Split(window.Foreground().SelectedColour())), where);
        for (const auto &s : window.Shapes()) {
            QVERIFY2(s->PointCount() <= 49, where);
            for (const PolarPoint &p : s->Points())
                QVERIFY2(std::isfinite(p.angle) && std::isfinite(p.radius), where);
        }

        if (shape.PointCount() == 0)
            ++emptyShapes;

        seam.fileAnswers.push_back(exported);
        window.OnGenerate();
        QVERIFY2(seam.messages.isEmpty(), where + " " + seam.messages.value(0).text.toUtf8());
        QVERIFY2(ReadFileBytes(exported) == Encode(window.Shapes()), where + " export differs");
    }
    QVERIFY2(endedAtLimit > 0 && endedByLostGrab > 0 && emptyShapes > 0,
             qPrintable(QStringLiteral("ended at the limit %1, by a lost grab %2, empty %3")
                            .arg(endedAtLimit)
                            .arg(endedByLostGrab)
                            .arg(emptyShapes)));
}

QTEST_MAIN(tst_RandomEvents)
#include "tst_randomevents.moc"
