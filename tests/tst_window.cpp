// The editor window: its settings, the scale, the commands and their undo,
// copies, the preview, opening and generating, closing, and crash recovery.
#include "app/AboutDlg.h"
#include "editor/PatternDlg.h"
#include "export/DesignFile.h"
#include "export/Recovery.h"
#include "palette/ColourComboBox.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class tst_Window : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void storedSettings_data();
    void storedSettings();
    void settingsSurviveARestart();
    void scaleText_data();
    void scaleText();
    void commandsAndUndo();
    void preview();
    void openAndDrop();
    void closing();
    void recovery();

private:
    std::unique_ptr<CPatternDlg> Open(CRecoveryFile *recovery = nullptr)
    {
        auto window = std::make_unique<CPatternDlg>(recovery);
        window->show();
        return QTest::qWaitForWindowExposed(window.get()) ? std::move(window) : nullptr;
    }
    // A shape entered with the mouse: a press and release at each point, then a right click.
    static void Draw(CPatternDlg &window, const QList<QPoint> &points)
    {
        for (const QPoint &p : points)
            QTest::mouseClick(&window, Qt::LeftButton, {}, p);
        QTest::mouseClick(&window, Qt::RightButton, {}, points.last());
    }
    QString Write(const QByteArray &bytes, const QString &name = QStringLiteral("in.jvf"))
    {
        const QString path = m_settings->Path() + u'/' + name;
        WriteFileBytes(path, bytes);
        return path;
    }

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<ScriptedSeam> m_seam;
};

void tst_Window::init()
{
    m_settings = std::make_unique<TempSettings>();
    m_seam = std::make_unique<ScriptedSeam>();
}

void tst_Window::cleanup()
{
    m_seam.reset();
    m_settings.reset();
}

void tst_Window::storedSettings_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QList<int>>("state"); // copies, mirror, guides, polar snap
    QTest::newRow("none") << QByteArray() << 1.0 << "1" << QList<int>{1, 0, 0, 0};
    QTest::newRow("all set") << QByteArray("[Settings]\nScale=2.500000\nCopies=24\nMirror=1\nGuides=1\nPolarSnap=1\n") << 2.5 << "2.5" << QList<int>{24, 1, 1, 1};
    QTest::newRow("leading number") << QByteArray("[Settings]\nScale=-0.75abc\nCopies=0\nMirror=yes\n") << -0.75 << "-0.75" << QList<int>{1, 0, 0, 0};
    QTest::newRow("not a number") << QByteArray("[Settings]\nScale=abc\nCopies=x\n") << 1.0 << "1" << QList<int>{1, 0, 0, 0};
    QTest::newRow("too small to use") << QByteArray("[Settings]\nScale=4e-7\nCopies=25\n") << 1.0 << "1" << QList<int>{1, 0, 0, 0};
}

void tst_Window::storedSettings()
{
    QFETCH(QByteArray, ini);
    QFETCH(double, scale);
    QFETCH(QString, field);
    QFETCH(QList<int>, state);
    m_settings->WriteIni(ini);
    const auto window = Open();
    QCOMPARE(window->Scale(), scale);
    QCOMPARE(window->ScaleField().text(), field);
    QCOMPARE(QList<int>({window->Copies(), window->Mirror(), window->Guides(), window->PolarSnapping()}), state);
    QVERIFY(window->PolygonChecked());
    QCOMPARE(window->Background().SelectedIndex(), 0);
    QCOMPARE(window->Foreground().ColourCount(), 10);
}

void tst_Window::settingsSurviveARestart()
{
    auto window = Open();
    window->ScaleField().setText(" 2.5 ");
    QTest::keyClick(&window->ScaleField(), Qt::Key_Return); // Enter applies
    window->SetCopies(6);
    window->SetMirror(true);
    window->SetPolarSnapping(true);
    QTest::keyClick(window.get(), Qt::Key_Escape); // does not close
    QVERIFY(window->isVisible());
    window->close();
    QVERIFY(!window->isVisible());
    QCOMPARE(ReadFileBytes(m_settings->IniFile()).split('\n').mid(24, 6),
             QByteArrayList({"[Settings]", "Copies=6", "Guides=0", "Mirror=1", "PolarSnap=1", "Scale=2.500000"}));
    window = Open();
    QCOMPARE(window->Scale(), 2.5);
    QCOMPARE(window->Copies(), 6);
}

void tst_Window::scaleText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QString>("message");
    QTest::newRow("negative") << "-3" << -3.0 << "";
    QTest::newRow("not a number") << "2x" << 1.0 << "Please enter a number.";
    QTest::newRow("zero") << "0" << 1.0 << "The scale must be a non-zero number.";
    QTest::newRow("infinite") << "1e999" << 1.0 << "The scale must be a non-zero number.";
    QTest::newRow("tiny") << "1e-310" << 1.0 << "The scale is too close to zero: it must be at least 0.000001 or at most -0.000001.";
    QTest::newRow("kept as 0.000000") << "4e-7" << 1.0 << "The scale is too close to zero: it must be at least 0.000001 or at most -0.000001.";
}

void tst_Window::scaleText()
{
    QFETCH(QString, typed);
    QFETCH(double, scale);
    QFETCH(QString, message);
    const auto window = Open();
    window->ScaleField().setText(typed);
    window->OnApplyScale();
    QCOMPARE(window->Scale(), scale);
    QCOMPARE(m_seam->texts.value(0), message);
}

void tst_Window::commandsAndUndo()
{
    const auto window = Open();
    QSignalSpy about(window.get(), &CPatternDlg::AboutRequested);
    window->OnClear(); // nothing to clear: no question
    QCOMPARE(m_seam->texts.size(), 0);
    window->SetCopies(3);
    window->SetMirror(true);
    Draw(*window, {{260, 150}, {280, 150}, {260, 120}}); // first vertex at atan(20 / 55)
    QCOMPARE(window->Shapes().size(), std::size_t(6)); // the shape, two turned copies, three mirrored
    QCOMPARE(window->Shapes()[5]->Points()[0].angle, 1.74562409908276); // -(0.3488 + 4pi/3) + 2pi

    // While an entry runs, no command acts.
    QTest::mousePress(window.get(), Qt::LeftButton, {}, {100, 100});
    QVERIFY(window->IsBusy());
    window->OnUndo();
    window->OnClear();
    window->SetCopies(5);
    QTest::keyClick(window.get(), Qt::Key_F1);
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, {100, 100});
    QTest::mouseClick(window.get(), Qt::RightButton, {}, {100, 100});
    QCOMPARE(window->Shapes().size(), std::size_t(12));
    QCOMPARE(window->Copies(), 3);
    QCOMPARE(about.size(), 0);

    m_seam->answers = {QMessageBox::Cancel, QMessageBox::Ok};
    window->OnClear();
    QCOMPARE(window->Shapes().size(), std::size_t(12));
    window->OnClear();
    QCOMPARE(m_seam->texts, QStringList(2, "Clear all drawn items, Are you sure?"));
    QVERIFY(window->Shapes().empty());
    const std::unique_ptr<QMenu> menu = window->CreateMenu();
    QStringList items;
    for (QAction *action : menu->actions())
        items << action->text() + (action->isEnabled() ? "" : " (off)") + (action->isChecked() ? " (on)" : "");
    QCOMPARE(items.mid(0, 10), QStringList({"&About Vortigram...", "", "Undo Clear", "Redo (off)", "", "&Open Design...", "",
                                            "&Copies Around the Centre: 3", "&More Copies", "&Fewer Copies"}));
    QCOMPARE(items.mid(10), QStringList({"M&irror Copies (on)", "", "Polar &Guides", "Polar &Snapping"}));
    window->OnUndo();
    window->OnUndo();
    QCOMPARE(window->Shapes().size(), std::size_t(6));
    QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(window->Shapes().size(), std::size_t(12));
    QTest::keyClick(window.get(), Qt::Key_F1);
    QCOMPARE(about.size(), 1);

    CAboutDlg box;
    QCOMPARE(box.findChildren<QLabel *>().last()->text(), QStringLiteral("Vortigram Version 1.0"));
    QVERIFY(!box.findChildren<QLabel *>().first()->pixmap().isNull());
}

void tst_Window::preview()
{
    const auto window = Open();
    window->ScaleField().setText("0.7");
    window->OnApplyScale();
    window->SetGuides(true);
    window->SetFrameDelay(std::chrono::milliseconds(1));
    CanvasView during;
    QTimer::singleShot(30, window.get(), [&] {
        during = window->View();
        // Input now is dropped, not held for afterwards; a close request waits.
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, {100, 100});
        QTest::keyClick(window.get(), Qt::Key_F1);
        window->close();
    });
    QSignalSpy about(window.get(), &CPatternDlg::AboutRequested);
    window->OnTest();
    QVERIFY(during.animating);
    QCOMPARE(during.guideSpokes, 12);
    QCOMPARE(window->Scale(), 0.7);
    QCOMPARE(window->Rotation(), 0.0);
    QVERIFY(!window->IsBusy());
    QCOMPARE(about.size(), 0);
    QVERIFY(window->isVisible());
    QTRY_VERIFY(!window->isVisible());
    QVERIFY(window->Shapes().empty());
}

void tst_Window::openAndDrop()
{
    const auto window = Open();
    const QByteArray design = QByteArray::fromHex("FFE0AD0F0100FFFFFF00" "0101FFFFFF000000") + Le(0.5) + Le(70);
    window->OpenDesign(Write(design.left(30)));
    QVERIFY(m_seam->texts.value(0).contains(m_settings->Path() + "/in.jvf"));
    QVERIFY(m_seam->texts.value(0).contains("Record 1 at byte 10"));
    QVERIFY(window->Shapes().empty());

    Draw(*window, {{240, 150}, {280, 150}});
    m_seam->answers = {QMessageBox::Cancel, QMessageBox::Discard};
    QVERIFY(!window->OpenDesign(Write(design)));
    QCOMPARE(window->Shapes().size(), std::size_t(1));
    QVERIFY(window->OpenDesign(Write(design)));
    QCOMPARE(window->Shapes()[0]->Points()[0].radius, 70.0);
    QVERIFY(!window->Document().IsModified());
    QCOMPARE(window->Document().UndoStack().undoText(), QStringLiteral("Open design"));

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Write(QByteArray::fromHex("FFE0AD0F0200FFFFFF00") + design.mid(10) + design.mid(10), "in.JVF"))});
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
    QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(window.get(), &enter); // a drop follows an accepted entry
    QCoreApplication::sendEvent(window.get(), &drop);
    QTRY_COMPARE(window->Shapes().size(), std::size_t(2));
}

void tst_Window::closing()
{
    QTemporaryDir dir;
    auto window = Open();
    Draw(*window, {{240, 150}, {280, 150}});
    m_seam->answers = {QMessageBox::Cancel, QMessageBox::Save, QMessageBox::Save};
    m_seam->files = {"", dir.filePath("out.jvf")};
    window->close(); // Cancel
    window->close(); // Generate..., then cancelled in Save As
    QVERIFY(window->isVisible());
    QVERIFY(!QFile::exists(m_settings->IniFile()));
    window->close(); // Generate... and saved
    QVERIFY(!window->isVisible());
    QCOMPARE(ReadFileBytes(dir.filePath("out.jvf")).size(), 10 + 8 + 2 * 16);
    QVERIFY(QFile::exists(m_settings->IniFile()));
    QCOMPARE(m_seam->texts.size(), 3);

    window = Open(); // a resize ends an entry with the vertices so far
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, {240, 150});
    window->resize(600, 500);
    QVERIFY(!window->IsBusy());
    QCOMPARE(window->Shapes()[0]->Points()[0].radius, 55.0);
    m_seam->answers = {QMessageBox::Discard};
    window->close();
    QVERIFY(!window->isVisible());
}

void tst_Window::recovery()
{
    auto first = std::make_unique<CRecoveryFile>();
    auto window = Open(first.get());
    Draw(*window, {{240, 150}, {280, 150}});
    first->Flush();
    QTemporaryDir dir;
    ExportDesign(dir.filePath("d.jvf"), window->Shapes());
    QCOMPARE(ReadFileBytes(first->FileName()), ReadFileBytes(dir.filePath("d.jvf")));
    CRecoveryFile second; // a second program running at once
    QVERIFY(second.Orphans().isEmpty());
    QVERIFY(second.FileName() != first->FileName());

    window.reset(); // the first program dies: its copy stays, its lock goes
    first.reset();
    m_seam->answers = {QMessageBox::Yes};
    window = Open(&second);
    window->OfferRecovery();
    QCOMPARE(window->Shapes().size(), std::size_t(1));
    QVERIFY(window->Document().IsModified());
    QCOMPARE(QDir(m_settings->StateFolder()).entryList({"*.jvf"}), QStringList({"design-2.jvf"}));
    m_seam->answers = {QMessageBox::Discard};
    window->close();
    QCOMPARE(QDir(m_settings->StateFolder()).entryList({"*.jvf"}), QStringList());
}

QTEST_MAIN(tst_Window)
#include "tst_window.moc"
