#include "editor/PatternDlg.h"
#include "palette/ColourComboBox.h"
#include "platform/SettingsStore.h"
#include "platform/SystemPalette.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class tst_PatternDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStartWithoutSettings();
    void stripLayoutAndTexts();
    void appliedScaleSurvivesARestart();
    void enterAppliesAndEscapeDoesNotClose();
    void refusedScales_data();
    void refusedScales();
    void storedScaleAtStart_data();
    void storedScaleAtStart();
    void clearAsksOnlyWhenThereIsSomethingToClear();
    void testAnimationFramesAndRestore();
    void closeDuringAnimationWaitsForTheEnd();
    void generateWritesTheDesign();
    void generateCancelledWritesNothing();

private:
    std::unique_ptr<CPatternDlg> Open()
    {
        auto dlg = std::make_unique<CPatternDlg>();
        dlg->show();
        if (!QTest::qWaitForWindowExposed(dlg.get()))
            return nullptr;
        return dlg;
    }
    static std::unique_ptr<CObjectStorage> Polygon(double radius)
    {
        auto poly = std::make_unique<CPolyStorage>();
        poly->SetFillColour(0, 0, 255);
        for (double a : {-0.785398, 0.785398, 2.356194, 3.926991})
            poly->AddPoint(a, radius);
        return poly;
    }

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<ScriptedSeam> m_seam;
};

void tst_PatternDlg::init()
{
    m_settings = std::make_unique<TempSettings>();
    m_seam = std::make_unique<ScriptedSeam>();
}

void tst_PatternDlg::cleanup()
{
    m_seam.reset();
    m_settings.reset();
}

void tst_PatternDlg::firstStartWithoutSettings()
{
    const auto dlg = Open();
    QVERIFY(dlg);
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Vortigram"));
    QCOMPARE(dlg->size(), QSize(480, 361));
    QCOMPARE(dlg->Scale(), 1.0);
    QCOMPARE(dlg->Rotation(), 0.0);
    QCOMPARE(dlg->ScaleField().text(), QStringLiteral("1"));
    QVERIFY(dlg->PolygonChecked());
    QVERIFY(!dlg->windowIcon().isNull());
    const auto defaults = DefaultPaletteColours();
    for (CColourComboBox *combo : {&dlg->Background(), &dlg->Foreground()}) {
        QCOMPARE(combo->ColourCount(), 10);
        QCOMPARE(combo->SelectedIndex(), 0);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(static_cast<std::uint32_t>(combo->ColourAt(i)), defaults[std::size_t(i)]);
    }
    QVERIFY(dlg->Shapes().empty());
}

void tst_PatternDlg::stripLayoutAndTexts()
{
    const auto dlg = Open();
    QVERIFY(dlg);
    QStringList texts;
    for (QWidget *child : dlg->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        // Every control sits in the 50-pixel strip.
        QVERIFY2(child->geometry().bottom() < 50, qPrintable(child->metaObject()->className()));
        QString text;
        int room = child->width();
        if (auto *label = qobject_cast<QLabel *>(child)) {
            text = label->text();
            QVERIFY(label->testAttribute(Qt::WA_TransparentForMouseEvents));
        } else if (auto *button = qobject_cast<QAbstractButton *>(child)) {
            text = button->text();
            if (qobject_cast<QRadioButton *>(child))
                room -= child->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, child);
            if (auto *push = qobject_cast<QPushButton *>(child))
                QVERIFY2(!push->isDefault() && !push->autoDefault(), qPrintable(text));
        }
        if (text.isEmpty())
            continue;
        texts << text;
        const QFontMetrics metrics = child->fontMetrics();
        QVERIFY2(metrics.horizontalAdvance(text) <= room, qPrintable(text));
        QVERIFY2(metrics.height() <= child->height(), qPrintable(text));
    }
    texts.sort();
    QCOMPARE(texts, QStringList({"Background:", "Clear", "Foreground:", "Generate", "Polygon",
                                 "Polyline", "Resample", "Scale:", "Test"}));
    // The Clear button sits where its dialog units put it.
    for (QPushButton *button : dlg->findChildren<QPushButton *>())
        if (button->text() == "Clear")
            QCOMPARE(button->geometry(), QRect(347, 3, 63, 20));
}

void tst_PatternDlg::appliedScaleSurvivesARestart()
{
    {
        const auto dlg = Open();
        QVERIFY(dlg);
        dlg->ScaleField().setText("2.5");
        dlg->OnApplyScale();
        QCOMPARE(dlg->Scale(), 2.5);
        QVERIFY(dlg->close());
        QVERIFY(!dlg->isVisible());
    }
    QCOMPARE(CSettingsStore().Read("Settings", "Scale"), QStringLiteral("2.500000"));
    QCOMPARE(QSettings(m_settings->IniFile(), QSettings::IniFormat).value("Background/9").toString(),
             QStringLiteral("15780518")); // (166, 202, 240)

    const auto dlg = Open();
    QVERIFY(dlg);
    QCOMPARE(dlg->Scale(), 2.5);
    QCOMPARE(dlg->ScaleField().text(), QStringLiteral("2.5"));
    // A square reaching 14 pixels out at scale 1 reaches 35 at 2.5.
    dlg->AddShape(Polygon(20));
    const QImage shown = dlg->grab().toImage();
    const QPoint centre = CanvasCentre(dlg->size());
    QCOMPARE(shown.pixel(centre.x() + 31, centre.y() - 33), qRgb(0, 0, 255));
    QCOMPARE(shown.pixel(centre.x() + 37, centre.y() - 33), qRgb(255, 255, 255));
}

void tst_PatternDlg::enterAppliesAndEscapeDoesNotClose()
{
    const auto dlg = Open();
    QVERIFY(dlg);
    dlg->ScaleField().setFocus();
    dlg->ScaleField().setText("3");
    QTest::keyClick(&dlg->ScaleField(), Qt::Key_Return);
    QCOMPARE(dlg->Scale(), 3.0);
    QVERIFY(dlg->isVisible());
    QTest::keyClick(&dlg->ScaleField(), Qt::Key_Escape);
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    QVERIFY(dlg->isVisible());
    QVERIFY(m_seam->messages.isEmpty());
    // Typing alone changes nothing until applied.
    dlg->ScaleField().setText("4");
    QCOMPARE(dlg->Scale(), 3.0);
}

void tst_PatternDlg::refusedScales_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("zero") << "0" << "The scale must be a non-zero number.";
    QTest::newRow("minus zero") << "-0.0" << "The scale must be a non-zero number.";
    QTest::newRow("infinite") << "inf" << "The scale must be a non-zero number.";
    QTest::newRow("overflowing") << "1e999" << "The scale must be a non-zero number.";
    QTest::newRow("not a number") << "nan" << "The scale must be a non-zero number.";
    QTest::newRow("letters") << "abc" << "Please enter a number.";
    QTest::newRow("empty") << "" << "Please enter a number.";
    QTest::newRow("number then letters") << "2x" << "Please enter a number.";
    QTest::newRow("decimal comma") << "2,5" << "Please enter a number.";
}

void tst_PatternDlg::refusedScales()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    const auto dlg = Open();
    QVERIFY(dlg);
    dlg->ScaleField().setText("-1.5");
    dlg->OnApplyScale();
    QCOMPARE(dlg->Scale(), -1.5); // negative scales are fine
    dlg->ScaleField().setText(text);
    dlg->OnApplyScale();
    QCOMPARE(dlg->Scale(), -1.5);
    QCOMPARE(m_seam->messages.size(), 1);
    QCOMPARE(m_seam->messages.front().text, message);
}

void tst_PatternDlg::storedScaleAtStart_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QString>("shown");
    QTest::newRow("zero") << "0" << 1.0 << "1";
    QTest::newRow("letters") << "abc" << 1.0 << "1";
    QTest::newRow("infinite") << "1e999" << 1.0 << "1";
    QTest::newRow("leading number") << " 0.5 and more" << 0.5 << "0.5";
    QTest::newRow("negative") << "-2.000000" << -2.0 << "-2";
    QTest::newRow("15 significant digits") << "0.1234567890123456789" << 0.1234567890123456789
                                           << "0.123456789012346";
}

void tst_PatternDlg::storedScaleAtStart()
{
    QFETCH(QString, stored);
    QFETCH(double, scale);
    QFETCH(QString, shown);
    CSettingsStore().Write("Settings", "Scale", stored);
    const auto dlg = Open();
    QVERIFY(dlg);
    QCOMPARE(dlg->Scale(), scale);
    QCOMPARE(dlg->ScaleField().text(), shown);
}

void tst_PatternDlg::clearAsksOnlyWhenThereIsSomethingToClear()
{
    const auto dlg = Open();
    QVERIFY(dlg);
    dlg->OnClear();
    QVERIFY(m_seam->messages.isEmpty());

    dlg->AddShape(Polygon(30));
    m_seam->messageAnswers.push_back(QMessageBox::Cancel);
    dlg->OnClear();
    QCOMPARE(dlg->Shapes().size(), std::size_t(1));
    QCOMPARE(m_seam->messages.size(), 1);
    QCOMPARE(m_seam->messages[0].caption, QStringLiteral("Are you sure"));
    QCOMPARE(m_seam->messages[0].text, QStringLiteral("Clear all drawn items, Are you sure?"));
    QCOMPARE(m_seam->messages[0].icon, QMessageBox::Question);
    QCOMPARE(m_seam->messages[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);

    m_seam->messageAnswers.push_back(QMessageBox::Ok);
    dlg->OnClear();
    QVERIFY(dlg->Shapes().empty());
}

namespace {

// Records what the window would paint each time it paints.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(CPatternDlg &dlg) : m_dlg(dlg) { dlg.installEventFilter(this); }
    QList<CanvasView> views;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            views.append(m_dlg.View());
        return false;
    }

private:
    CPatternDlg &m_dlg;
};

} // namespace

void tst_PatternDlg::testAnimationFramesAndRestore()
{
    const auto dlg = Open();
    QVERIFY(dlg);
    dlg->ScaleField().setText("0.7");
    dlg->OnApplyScale();
    dlg->AddShape(Polygon(40));
    dlg->SetFrameDelay(std::chrono::milliseconds(0));
    QCoreApplication::processEvents();

    PaintRecorder recorder(*dlg);
    dlg->OnTest();

    QCOMPARE(dlg->Scale(), 0.7);
    QCOMPARE(dlg->Rotation(), 0.0);
    QVERIFY(!dlg->IsAnimating());

    QList<CanvasView> frames;
    for (const CanvasView &v : recorder.views)
        if (v.animating)
            frames.append(v);
    QCOMPARE(frames.size(), 360);
    QVERIFY(qAbs(frames.first().scale - 0.104) < 1e-12);
    QVERIFY(qAbs(frames.first().rotation - 0.03) < 1e-12);
    QVERIFY(qAbs(frames.last().scale - 1.54) < 1e-9);
    QVERIFY(qAbs(frames.last().rotation - 10.8) < 1e-9);
    QVERIFY(!recorder.views.last().animating); // the final, normal frame
    QCOMPARE(recorder.views.last().scale, 0.7);
}

void tst_PatternDlg::closeDuringAnimationWaitsForTheEnd()
{
    const auto dlg = Open();
    QVERIFY(dlg);
    dlg->AddShape(Polygon(40));
    dlg->SetFrameDelay(std::chrono::milliseconds(1));
    bool animatingWhenClosed = false;
    QTimer::singleShot(20, dlg.get(), [&] {
        animatingWhenClosed = dlg->IsAnimating();
        dlg->close();
    });
    dlg->OnTest();
    QVERIFY(animatingWhenClosed);
    QVERIFY(dlg->isVisible()); // nothing torn down under the running loop
    QTRY_VERIFY(!dlg->isVisible());
    QCOMPARE(CSettingsStore().Read("Settings", "Scale"), QStringLiteral("1.000000"));
}

void tst_PatternDlg::generateWritesTheDesign()
{
    QTemporaryDir dir;
    const auto dlg = Open();
    QVERIFY(dlg);
    auto poly = std::make_unique<CPolyStorage>();
    poly->AddPoint(0.0, 10.0);
    poly->SetPenColour(1, 2, 3);
    dlg->AddShape(std::move(poly));
    auto line = std::make_unique<CLineStorage>();
    line->AddPoint(1.5, 2.0);
    line->SetFillColour(9, 8, 7);
    dlg->AddShape(std::move(line));

    const QString path = dir.filePath("out.JVF");
    m_seam->fileAnswers.push_back(path);
    dlg->OnGenerate();
    QCOMPARE(m_seam->fileSuffixes, QStringList{"JVF"});
    QCOMPARE(ReadFileBytes(path).toHex(),
             QByteArray("ffe0ad0f0200ffffff00"
                        "0101ffffff010203" "0000000000000000" "0000000000002440"
                        "0201090807000000" "000000000000f83f" "0000000000000040"));
    QVERIFY(m_seam->messages.isEmpty());
}

void tst_PatternDlg::generateCancelledWritesNothing()
{
    QTemporaryDir dir;
    const auto dlg = Open();
    QVERIFY(dlg);
    dlg->AddShape(Polygon(10));
    dlg->OnGenerate(); // the seam answers Cancel
    QCOMPARE(m_seam->fileSuffixes.size(), 1);
    QVERIFY(QDir(dir.path()).isEmpty());
    QVERIFY(m_seam->messages.isEmpty());
}

QTEST_MAIN(tst_PatternDlg)
#include "tst_patterndlg.moc"
