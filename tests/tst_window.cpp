// The editor window and its colour lists: settings, the scale, commands and
// undo, the preview, opening, generating and closing, crash recovery, and a
// disk that says no.
#include "app/AboutDlg.h"
#include "editor/PatternDlg.h"
#include "export/DesignFile.h"
#include "export/Recovery.h"
#include "palette/ColourComboBox.h"
#include "palette/ColourPickerDlg.h"
#include "platform/SettingsStore.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class tst_Window : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void settings();
    void scale();
    void commands();
    void preview();
    void openAndDrop();
    void closing();
    void recovery();
    void colourLists();
    void picker();
    void fullDisk();

private:
    std::unique_ptr<CPatternDlg> Open(CRecoveryFile *recovery = nullptr)
    {
        auto window = std::make_unique<CPatternDlg>(recovery);
        window->show();
        return QTest::qWaitForWindowActive(window.get()) ? std::move(window) : nullptr;
    }
    // A shape entered with the mouse: a click at each point, then a right click.
    static void Draw(CPatternDlg &window, const QList<QPoint> &points)
    {
        for (const QPoint &p : points)
            QTest::mouseClick(&window, Qt::LeftButton, {}, p);
        QTest::mouseClick(&window, Qt::RightButton, {}, points.last());
    }
    QString Write(const QByteArray &bytes, const QString &name = "in.jvf")
    {
        WriteFileBytes(m_settings->Path() + '/' + name, bytes);
        return m_settings->Path() + '/' + name;
    }

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<ScriptedSeam> m_seam;
};

void tst_Window::init()
{
    cleanup(); // the old ones must go before the new ones take their place
    m_settings = std::make_unique<TempSettings>();
    m_seam = std::make_unique<ScriptedSeam>();
}

void tst_Window::cleanup()
{
    m_seam.reset();
    m_settings.reset();
}

void tst_Window::settings()
{
    // What a stored text gives: the scale field, copies, mirror, guides, polar snapping.
    const std::pair<QByteArray, QString> rows[] = {
        {"", "1 1 0 0 0"}, {"Scale=2.500000\nCopies=24\nMirror=1\nGuides=1\nPolarSnap=1", "2.5 24 1 1 1"},
        {"Scale=-0.75abc\nCopies=0\nMirror=yes", "-0.75 1 0 0 0"}, {"Scale=abc\nCopies=x", "1 1 0 0 0"},
        {"Scale=4e-7\nCopies=25", "1 1 0 0 0"}};
    for (const auto &[stored, state] : rows) {
        m_settings->WriteIni("[Settings]\n" + stored + '\n');
        const auto window = Open();
        QCOMPARE(QStringList({window->ScaleField().text(), QString::number(window->Copies()), QString::number(window->Mirror()),
                              QString::number(window->Guides()), QString::number(window->PolarSnapping())}).join(' '), state);
        QVERIFY(window->PolygonChecked() && window->Background().SelectedIndex() == 0);
    }
    auto window = Open();
    window->ScaleField().setText(" 2.5 ");
    QTest::keyClick(&window->ScaleField(), Qt::Key_Return); // Enter applies
    window->SetCopies(6);
    window->SetMirror(true);
    window->SetPolarSnapping(true);
    QTest::keyClick(window.get(), Qt::Key_Escape); // and Escape does not close
    QVERIFY(window->close());
    QVERIFY(ReadFileBytes(m_settings->IniFile()).endsWith("[Settings]\nCopies=6\nGuides=0\nMirror=1\nPolarSnap=1\nScale=2.500000\n\n"));
    QCOMPARE(Open()->Scale(), 2.5);
}

void tst_Window::scale()
{
    const QString tooSmall = "The scale is too close to zero: it must be at least 0.000001 or at most -0.000001.";
    const std::pair<QString, QString> rows[] = {
        {"-3", ""}, {"2x", "Please enter a number."}, {"0", "The scale must be a non-zero number."},
        {"1e999", "The scale must be a non-zero number."}, {"1e-310", tooSmall}, {"4e-7", tooSmall}};
    const auto window = Open();
    for (const auto &[typed, message] : rows) {
        m_seam->texts.clear();
        window->ScaleField().setText(typed);
        window->OnApplyScale();
        QCOMPARE(m_seam->texts.value(0), message);
    }
    QCOMPARE(window->Scale(), -3.0);
}

void tst_Window::commands()
{
    const auto window = Open();
    QSignalSpy about(window.get(), &CPatternDlg::AboutRequested);
    window->OnClear(); // nothing to clear: no question
    window->SetCopies(3);
    window->SetMirror(true);
    Draw(*window, {{260, 150}, {280, 150}, {260, 120}}); // at atan(20 / 55) from the centre (240, 205)
    QCOMPARE(window->Shapes().size(), std::size_t(6)); // the shape, two turned copies, three mirrored
    QCOMPARE(window->Shapes()[5]->Points()[0].angle, 1.74562409908276); // -(0.3488 + 4pi/3) + 2pi
    QCOMPARE(window->Shapes()[0]->FillColour().red, 0); // the lists' first entries, black

    QTest::mousePress(window.get(), Qt::LeftButton, {}, {100, 100}); // while an entry runs, no command acts
    window->OnUndo();
    window->OnClear();
    window->SetCopies(5);
    QTest::keyClick(window.get(), Qt::Key_F1);
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, {100, 100});
    QTest::mouseClick(window.get(), Qt::RightButton, {}, {100, 100});
    QCOMPARE(window->Shapes().size(), std::size_t(12));

    m_seam->answers = {QMessageBox::Cancel, QMessageBox::Ok};
    window->OnClear();
    QCOMPARE(window->Shapes().size(), std::size_t(12));
    window->OnClear();
    QCOMPARE(m_seam->texts, QStringList(2, "Clear all drawn items, Are you sure?"));
    QStringList items;
    const std::unique_ptr<QMenu> menu = window->CreateMenu();
    for (QAction *action : menu->actions())
        items << action->text() + (action->isEnabled() ? "" : " -") + (action->isChecked() ? " +" : "");
    QCOMPARE(items.join(';'), "&About Vortigram...;;Undo Clear;Redo -;;&Open Design...;;&Copies Around the Centre: 3;"
                              "&More Copies;&Fewer Copies;M&irror Copies +;;Polar &Guides;Polar &Snapping");
    window->OnUndo();
    window->OnUndo();
    QCOMPARE(window->Shapes().size(), std::size_t(6));
    QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(window->Shapes().size(), std::size_t(12));
    QTest::keyClick(window.get(), Qt::Key_F1);
    QCOMPARE(about.size(), 1);
    const CAboutDlg box;
    const QList<QLabel *> labels = box.findChildren<QLabel *>();
    QVERIFY(labels[1]->text() == "Vortigram Version 1.0" && !labels[0]->pixmap().isNull());
}

void tst_Window::preview()
{
    const auto window = Open();
    window->ScaleField().setText("0.7");
    window->OnApplyScale();
    window->SetFrameDelay(std::chrono::milliseconds(1));
    bool animating = false;
    QTimer::singleShot(30, window.get(), [&] {
        animating = window->View().animating;
        // Input now is dropped, not held for afterwards; a close request waits.
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, {100, 100});
        QTest::keyClick(window.get(), Qt::Key_F1);
        window->close();
    });
    QSignalSpy about(window.get(), &CPatternDlg::AboutRequested);
    window->OnTest();
    QVERIFY(animating && window->isVisible() && about.isEmpty());
    QCOMPARE(QList<double>({window->Scale(), window->Rotation()}), QList<double>({0.7, 0}));
    QTRY_VERIFY(!window->isVisible());
    QVERIFY(window->Shapes().empty());
}

void tst_Window::openAndDrop()
{
    const auto window = Open();
    const QByteArray design = QByteArray::fromHex("FFE0AD0F0100FFFFFF00 0101FFFFFF000000") + Le(0.5) + Le(70);
    window->OpenDesign(Write(design.left(30)));
    QCOMPARE(m_seam->texts.value(0), "Cannot open " + m_settings->Path() + "/in.jvf.\n"
                                      "Record 1 at byte 10: the file ends after 0 of the record's 1 vertex.");
    Draw(*window, {{240, 150}, {280, 150}});
    m_seam->answers = {QMessageBox::Cancel, QMessageBox::Discard};
    QVERIFY(!window->OpenDesign(Write(design)));
    QVERIFY(window->OpenDesign(Write(design)));
    QCOMPARE(window->Shapes()[0]->Points()[0].radius, 70.0);
    QVERIFY(!window->Document().IsModified());
    QCOMPARE(window->Document().UndoStack().undoText(), "Open design");

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
    auto window = Open();
    Draw(*window, {{240, 150}, {280, 150}});
    m_seam->answers = {QMessageBox::Cancel, QMessageBox::Save, QMessageBox::Save};
    m_seam->files = {"", m_settings->Path() + "/out.jvf"};
    QVERIFY(!window->close()); // Cancel
    QVERIFY(!window->close()); // Generate..., then Save As cancelled
    QVERIFY(!QFile::exists(m_settings->IniFile()));
    QVERIFY(window->close()); // Generate..., saved
    QCOMPARE(ReadFileBytes(m_settings->Path() + "/out.jvf").size(), 10 + 8 + 2 * 16);
    QVERIFY(QFile::exists(m_settings->IniFile()));
    QCOMPARE(m_seam->texts.size(), 3);

    window = Open(); // a resize ends an entry, the vertices so far about one centre
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, {240, 150});
    window->resize(600, 500);
    QTRY_VERIFY(!window->IsBusy());
    QCOMPARE(window->Shapes()[0]->Points()[0].radius, 55.0);
}

void tst_Window::recovery()
{
    auto first = std::make_unique<CRecoveryFile>();
    auto window = Open(first.get());
    Draw(*window, {{240, 150}, {280, 150}});
    first->Flush();
    ExportDesign(m_settings->Path() + "/d.jvf", window->Shapes());
    QCOMPARE(ReadFileBytes(first->FileName()), ReadFileBytes(m_settings->Path() + "/d.jvf"));
    CRecoveryFile second; // a second program running at once
    QVERIFY(second.Orphans().isEmpty() && second.FileName() != first->FileName());

    window.reset(); // the first program dies: its copy stays, its lock goes
    first.reset();
    m_seam->answers = {QMessageBox::Yes, QMessageBox::Discard};
    window = Open(&second);
    window->OfferRecovery();
    QVERIFY(window->Shapes().size() == 1 && window->Document().IsModified());
    const QDir state(m_settings->StateFolder());
    QCOMPARE(state.entryList({"*.jvf"}), QStringList({"design-2.jvf"}));
    QVERIFY(window->close());
    QCOMPARE(state.entryList({"*.jvf"}), QStringList());
}

void tst_Window::colourLists()
{
    const QString d = "0 128 32768 32896 8388608 8388736 8421376 12632256 12639424 15780518"; // the defaults
    const std::pair<QByteArray, QString> rows[] = {
        {"", d}, {"0=255\n1=16777215\n3=7", "255 16777215"}, {"0=\n1=5", d}, {"0=0", "0"},
        {"0=abc\n1=12abc\n2=-7x\n3=+42\n4=\" \\t 9 1\"\n5=0x1F\n6=--5\n7=000255\n8=2147483648\n9=-2147483649\n10=\n11=6",
         "0 12 -7 42 9 0 0 255 2147483647 -2147483648"}};
    // Files the user did not write must not leak in.
    WriteFileBytes(m_settings->Path() + "/Marbrel.conf", "[Background]\n0=1\n1=2\n");
    QDir().mkpath(m_settings->Path() + "/system/Marbrel");
    WriteFileBytes(m_settings->Path() + "/system/Marbrel/vortigram.conf", "[Background]\n0=1\n1=2\n");
    for (const auto &[stored, colours] : rows) {
        m_settings->WriteIni("[Background]\n" + stored + "\n[Foreground]\n0=9\n[Junk]\nx=1\n");
        CColourComboBox combo;
        combo.AddColour(7);
        CSettingsStore store;
        combo.LoadColours(store, "Background");
        QStringList read;
        for (const int colour : Colours(combo))
            read << QString::number(colour);
        QCOMPARE(read.join(' '), "7 " + colours); // appended, nothing selected
        QCOMPARE(combo.SelectedIndex(), -1);
        combo.SaveColours(store, "Background");
        store.Save({"Background", "Foreground"}); // exactly the list, and nothing foreign
        QVERIFY(ReadFileBytes(m_settings->IniFile()).startsWith("[Background]\n0=7\n1=" + colours.section(' ', 0, 0).toUtf8()));
        QVERIFY(ReadFileBytes(m_settings->IniFile()).endsWith(QString("=%1\n\n[Foreground]\n0=9\n\n").arg(colours.section(' ', -1)).toUtf8()));
    }
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CColourComboBox combo;
    combo.AddColour(0x0000FF);
    combo.DrawItem(painter, QRect(0, 0, 40, 20), 0, true);
    combo.DrawItem(painter, QRect(0, 0, 40, 20), -1, false); // no item: nothing
    QCOMPARE(QList<QRgb>({image.pixel(3, 3), image.pixel(36, 16), image.pixel(37, 10), image.pixel(2, 2)}),
             QList<QRgb>({0xFFFF0000, 0xFFFF0000, 0xFFFFFFFF, combo.palette().color(QPalette::Text).rgb()}));
}

void tst_Window::picker()
{
    // Actions: a add (the chooser answers 0x123456), c add cancelled, r remove, s select
    // the next digit; then S Save or C Cancel. The drop-down starts 10 11 12 13 14, item 3
    // selected; afterwards its colours, its selection and the chooser's starting colours.
    const std::pair<const char *, const char *> rows[] = {
        {"S", "10 11 12 13 14 / -1 /"}, {"ars3rC", "10 11 12 13 14 / 3 / 10"},
        {"aaS", "10 11 12 13 14 1193046 1193046 / -1 / 10 10"}, {"s3rrS", "10 11 14 / -1 /"},
        {"rrcS", "12 13 14 / -1 / 12"}, {"rrrrrraS", "1193046 / -1 / 0"}};
    for (const auto &[actions, expected] : rows) {
        CColourComboBox dropDown;
        for (const int colour : {10, 11, 12, 13, 14})
            dropDown.AddColour(colour);
        dropDown.SelectIndex(3);
        m_seam->colourInitials.clear();
        CColourPickerDlg picker;
        picker.m_pCombo = &dropDown;
        QTimer::singleShot(0, &picker, [&, actions = actions] {
            QVERIFY(Colours(picker.m_ColourList) == Colours(dropDown) && picker.m_ColourList.SelectedIndex() == 0);
            for (const char *a = actions; *a; ++a) {
                switch (*a) {
                case 'a': m_seam->colours.push_back(0x123456); picker.OnAdd(); break;
                case 'c': picker.OnAdd(); break;
                case 'r': picker.OnRemove(); break;
                case 's': picker.m_ColourList.SelectIndex(*++a - '0'); break;
                case 'S': picker.OnOK(); break;
                default: picker.reject();
                }
            }
        });
        picker.exec();
        QStringList got;
        for (const int colour : Colours(dropDown))
            got << QString::number(colour);
        got << "/" << QString::number(dropDown.SelectedIndex()) << "/";
        for (const std::uint32_t colour : m_seam->colourInitials)
            got << QString::number(colour);
        QCOMPARE(got.join(' '), QString(expected));
    }
}

void tst_Window::fullDisk()
{
    // Generate onto a full disk (designs below and beyond the write buffer, a disk
    // filling part-way), into a read-only folder and onto a folder; then settings
    // that a full disk or a read-only folder refuse. Nothing there may change.
    const struct { QString fault; int shapes, room; QString reason; } rows[] = {
        {"", 40, 0, ""}, {"disk", 2, 0, "No space left on device"}, {"disk", 40, 0, "No space left on device"},
        {"disk", 40, 4096, "No space left on device"}, {"read-only", 2, 0, "Permission denied"},
        {"folder", 2, 0, "is a folder."}, {"disk settings", 0, 0, "No space left on device"},
        {"read-only settings", 0, 0, "Permission denied"}};
    const QByteArray old("an earlier design\0\xff", 19);
    for (const auto &r : rows) {
        init();
        const bool settings = r.fault.endsWith("settings");
        const QString folder = m_settings->Path() + (settings ? "/Marbrel" : "/designs");
        CSmallDisk disk(folder);
        if (r.fault.contains("disk") && !disk.Why().isEmpty())
            QSKIP(qPrintable(disk.Why()));
        const QString target = folder + (settings ? "/vortigram.conf" : "/d.jvf");
        WriteFileBytes(target, old);
        QDir().mkpath(folder + "/inner");
        auto window = Open();
        ShapeList design;
        for (int s = 0; s < r.shapes; ++s)
            design.push_back(MakeShape(1, std::vector<PolarPoint>(49, PolarPoint{0.5, 10})));
        window->Document().AddShapes(std::move(design));
        window->Document().MarkUnmodified();
        m_seam->files = {folder + (r.fault == "folder" ? "/inner" : "/d.jvf")};
        m_seam->answers = {QMessageBox::Retry, QMessageBox::Discard}; // try again, then close anyway
        if (r.fault.contains("disk"))
            disk.Fill(r.room);
        if (r.fault.startsWith("read-only"))
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        {
            std::optional<CUnprivileged> user;
            if (r.fault.startsWith("read-only"))
                user.emplace();
            QCOMPARE(settings ? window->close() : window->OnGenerate(), r.fault.isEmpty() || settings);
        }
        QFile::remove(folder + "/filler");
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({settings ? "inner" : "d.jvf", settings ? "vortigram.conf" : "inner"}));
        QCOMPARE(ReadFileBytes(target).size(), r.fault.isEmpty() ? 10 + r.shapes * 792 : old.size());
        QCOMPARE(m_seam->texts.size(), r.fault.isEmpty() ? 0 : settings ? 2 : 1);
        const QString said = m_seam->texts.value(settings ? 1 : 0);
        QVERIFY2(r.fault.isEmpty() || (said.startsWith(settings ? "The settings could not be saved to " + target + ":\n"
                                                                 : "Problem opening file!\n") && said.endsWith(r.reason)), qPrintable(said));
        window.reset();
    }
}

QTEST_MAIN(tst_Window)
#include "tst_window.moc"
