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
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using Window = std::unique_ptr<CPatternDlg>;
using B = QMessageBox;

class tst_Window : public QObject
{
    Q_OBJECT
    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<ScriptedSeam> m_seam;

    QString File(const QString &name) const { return m_settings->Path() + '/' + name; }

private slots:
    void init()
    {
        cleanup(); // the old ones must go before the new ones take their place
        m_settings = std::make_unique<TempSettings>();
        m_seam = std::make_unique<ScriptedSeam>();
    }
    void cleanup()
    {
        m_seam.reset();
        m_settings.reset();
    }
    void settings();
    void commands();
    void preview();
    void openAndClose();
    void recovery();
    void colourLists();
    void picker();
    void fullDisk();
};

namespace {

Window Open(CRecoveryFile *recovery = nullptr)
{
    Window window = std::make_unique<CPatternDlg>(recovery);
    window->show();
    return QTest::qWaitForWindowActive(window.get()) ? std::move(window) : nullptr;
}

// A shape entered with the mouse: a click at each point, then a right click.
void Draw(CPatternDlg &window, const QList<QPoint> &points)
{
    for (const QPoint &p : points)
        QTest::mouseClick(&window, Qt::LeftButton, {}, p);
    QTest::mouseClick(&window, Qt::RightButton, {}, points.last());
}

} // namespace

void tst_Window::settings()
{
    // A stored text gives the scale field, copies, mirror, guides, polar snapping.
    const std::pair<QByteArray, QString> rows[] = {
        {"", "1 1 0 0 0"}, {"Scale=2.5\nCopies=24\nMirror=1\nGuides=1\nPolarSnap=1", "2.5 24 1 1 1"},
        {"Scale=-0.75abc\nCopies=0\nMirror=yes", "-0.75 1 0 0 0"}, {"Scale=4e-7\nCopies=25", "1 1 0 0 0"}};
    for (const auto &[stored, state] : rows) {
        m_settings->WriteIni("[Settings]\n" + stored + '\n');
        const Window w = Open();
        QCOMPARE(Str(w->ScaleField().text(), w->Copies(), w->Mirror(), w->Guides(), w->PolarSnapping()), state);
        QVERIFY(w->PolygonChecked() && w->Background().SelectedIndex() == 0);
    }
    // Typed scales; a refused one keeps the last good one.
    const QString small = "The scale is too close to zero: it must be at least 0.000001 or at most -0.000001.";
    const std::pair<QString, QString> typed[] = {
        {"2x", "Please enter a number."}, {"0", "The scale must be a non-zero number."}, {"1e-310", small},
        {"4e-7", small}, {" 2.5 ", ""}};
    Window w = Open();
    for (const auto &[text, message] : typed) {
        m_seam->texts.clear();
        w->ScaleField().setText(text);
        QTest::keyClick(&w->ScaleField(), Qt::Key_Return); // Enter applies
        QCOMPARE(Str(w->Scale(), m_seam->texts), Str(message.isEmpty() ? 2.5 : 1, message));
    }
    w->SetCopies(6);
    w->SetMirror(true);
    QTest::keyClick(w.get(), Qt::Key_Escape); // does not close
    QVERIFY(w->isVisible() && w->close());
    QVERIFY(ReadFileBytes(m_settings->IniFile()).endsWith("[Settings]\nCopies=6\nGuides=0\nMirror=1\nPolarSnap=0\nScale=2.500000\n\n"));
    QCOMPARE(Open()->Scale(), 2.5);
}

void tst_Window::commands()
{
    const Window w = Open();
    QSignalSpy about(w.get(), &CPatternDlg::AboutRequested);
    w->OnClear(); // nothing to clear: no question
    w->SetCopies(3);
    w->SetMirror(true);
    w->Foreground().SelectIndex(-1); // as the picker's Save leaves it
    Draw(*w, {{260, 150}, {280, 150}, {260, 120}}); // at atan(20 / 55) from the centre (240, 205)
    // The shape, two turned copies, three mirrored; filled in the lists' first entry, black,
    // and outlined white for the list without a selection.
    const CObjectStorage &shape = *w->Shapes()[0];
    QCOMPARE(Str(w->Shapes().size(), w->Shapes()[5]->Points()[0].angle, shape.FillColour().red, shape.PenColour().green),
             "6 1.74562409908 0 255");

    QTest::mousePress(w.get(), Qt::LeftButton, {}, {100, 100}); // no command acts during an entry
    w->OnUndo();
    w->OnClear();
    w->SetCopies(5);
    QTest::keyClick(w.get(), Qt::Key_F1);
    QTest::mouseRelease(w.get(), Qt::LeftButton, {}, {100, 100});
    QTest::mouseClick(w.get(), Qt::RightButton, {}, {100, 100});
    m_seam->answers = {B::Cancel, B::Ok};
    w->OnClear();
    QCOMPARE(w->Shapes().size(), std::size_t(12));
    w->OnClear();
    QCOMPARE(m_seam->texts, QStringList(2, "Clear all drawn items, Are you sure?"));
    QStringList items;
    const std::unique_ptr<QMenu> menu = w->CreateMenu();
    for (QAction *action : menu->actions())
        items << action->text() + (action->isEnabled() ? "" : " -") + (action->isChecked() ? " +" : "");
    QCOMPARE(items.join(';'), "&About Vortigram...;;Undo Clear;Redo -;;&Open Design...;;&Copies Around the Centre: 3;"
                              "&More Copies;&Fewer Copies;M&irror Copies +;;Polar &Guides;Polar &Snapping");
    w->OnUndo();
    w->OnUndo();
    QCOMPARE(w->Shapes().size(), std::size_t(6));
    QTest::keyClick(w.get(), Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(w.get(), Qt::Key_F1);
    QCOMPARE(Str(w->Shapes().size(), about.size()), "12 1");
    const CAboutDlg box;
    const QList<QLabel *> labels = box.findChildren<QLabel *>();
    QVERIFY(labels[1]->text() == "Vortigram Version 1.0" && !labels[0]->pixmap().isNull());
}

void tst_Window::preview()
{
    const Window w = Open();
    w->ScaleField().setText("0.7");
    w->OnApplyScale();
    w->SetFrameDelay(std::chrono::milliseconds(1));
    bool animating = false;
    QTimer::singleShot(30, w.get(), [&] {
        animating = w->View().animating;
        // Input now is dropped, not held for afterwards; a close request waits.
        QTest::mouseClick(w.get(), Qt::LeftButton, {}, {100, 100});
        QTest::mouseClick(w->findChild<QRadioButton *>(), Qt::LeftButton); // "Polyline"
        QTest::keyClick(w.get(), Qt::Key_F1);
        w->close();
    });
    QSignalSpy about(w.get(), &CPatternDlg::AboutRequested);
    w->OnTest();
    QCOMPARE(Str(animating, w->isVisible(), about.size(), w->Scale(), w->Rotation(), w->PolygonChecked()), "1 1 0 0.7 0 1");
    QTRY_VERIFY(!w->isVisible());
    QVERIFY(w->Shapes().empty());
}

void tst_Window::openAndClose()
{
    Window w = Open();
    const QByteArray design = QByteArray::fromHex("FFE0AD0F0100FFFFFF00 0101FFFFFF000000") + Le(0.5) + Le(70);
    WriteFileBytes(File("a.jvf"), design.left(30));
    w->OpenDesign(File("a.jvf"));
    QCOMPARE(m_seam->texts.value(0), "Cannot open " + File("a.jvf") + ".\nRecord 1 at byte 10: the file ends after 0 of the record's 1 vertex.");
    Draw(*w, {{240, 150}, {280, 150}});
    WriteFileBytes(File("a.jvf"), design);
    m_seam->answers = {B::Cancel, B::Discard};
    QVERIFY(!w->OpenDesign(File("a.jvf")) && w->OpenDesign(File("a.jvf")));
    QCOMPARE(Str(w->Shapes()[0]->Points()[0].radius, w->Document().IsModified(), w->Document().UndoStack().undoText()), "70 0 Open design");
    QMimeData data;
    WriteFileBytes(File("b.JVF"), QByteArray::fromHex("FFE0AD0F0200FFFFFF00") + design.mid(10) + design.mid(10));
    data.setUrls({QUrl::fromLocalFile(File("b.JVF"))});
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
    QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(w.get(), &enter); // a drop follows an accepted entry
    QCoreApplication::sendEvent(w.get(), &drop);
    QTRY_COMPARE(w->Shapes().size(), std::size_t(2));

    // Closing with unexported shapes: Cancel, Generate... then no file, Generate... and a file.
    Draw(*w, {{240, 150}, {280, 150}});
    m_seam->texts.clear();
    m_seam->answers = {B::Cancel, B::Save, B::Save};
    m_seam->files = {"", File("out.jvf")};
    QVERIFY(!w->close() && !w->close() && !QFile::exists(m_settings->IniFile()));
    QVERIFY(w->close() && QFile::exists(m_settings->IniFile()));
    QCOMPARE(Str(ReadFileBytes(File("out.jvf")).size(), m_seam->texts.size()), "98 3");

    w = Open(); // a resize ends an entry, the vertices so far about one centre
    QTest::mouseClick(w.get(), Qt::LeftButton, {}, {240, 150});
    w->resize(600, 500);
    QTRY_VERIFY(!w->IsBusy());
    QCOMPARE(w->Shapes()[0]->Points()[0].radius, 55.0);
}

namespace {

// The design's records, as a file holds them: what a replay must give back.
QByteArray Records(const ShapeList &shapes)
{
    QByteArray bytes;
    for (const auto &shape : shapes)
        shape->AppendRecord(bytes);
    return bytes;
}

} // namespace

void tst_Window::recovery()
{
    // A small disk, full for one of the restores below.
    CSmallDisk disk(File("state"));
    const QString state = File("state/Marbrel/vortigram/");
    const QString asked = "Vortigram did not end normally while a design of 1 shape was being edited. Restore that design?";
    const QRegularExpression stamp("\\d{8}-\\d{6}");
    const auto listing = [&] { return QDir(state).entryList(QDir::Files).join(' ').replace(stamp, "T"); };
    auto run = std::make_unique<CRecoveryFile>();
    Window w = Open(run.get());
    Draw(*w, {{240, 150}, {280, 150}});
    Draw(*w, {{240, 150}, {200, 150}});
    // A crash after an undo restores what the user saw.
    w->OnUndo();
    const QByteArray seen = Records(w->Shapes());
    // A second program running at once is offered nothing of the first.
    auto second = std::make_unique<CRecoveryFile>();
    QVERIFY(second->Orphans().empty());
    // The first program dies: its copy stays.
    w.reset();
    run = std::move(second);
    // Each run: its answer, what it does before it dies (c clear, d draw), what it was asked, the folder.
    const QString full = disk.Why().isEmpty() ? asked + "|The recovery copy could not be written: No space left on device.|" : "";
    const struct { B::StandardButton answer; char then; QString said, folder; } runs[] = {
        // Restored, first onto a full disk: the old copy goes only once this run's own holds the design.
        {B::Yes, 'c', full + asked, "design-2.journal design-2.lock"},
        // The run before cleared its design: nothing to offer, and the copy goes.
        {B::No, 'd', "", "design-1.lock"},
        // No: the copy goes for good.
        {B::No, ' ', asked, "design-2.lock"}};
    for (const auto &r : runs) {
        m_seam->texts.clear();
        // Ok answers the message and the Clear question.
        m_seam->answers = {r.answer, B::Ok, r.answer, B::Ok};
        w = Open(run.get());
        if (!full.isEmpty() && r.then == 'c') {
            disk.Fill(0);
            w->OfferRecovery();
            disk.Fill(500000);
        }
        w->OfferRecovery();
        QCOMPARE(Str(m_seam->texts.join('|'), listing()), Str(r.said, r.folder));
        if (r.answer == B::Yes)
            QVERIFY(Records(w->Shapes()) == seen && w->Document().IsModified() && w->Document().UndoStack().undoText() == "Restore design");
        if (r.then == 'c')
            w->OnClear();
        if (r.then == 'd')
            Draw(*w, {{240, 150}, {280, 150}});
        w.reset();
        run = std::make_unique<CRecoveryFile>();
    }
    // Copies that cannot be restored: no journal (set aside), unreadable (kept).
    WriteFileBytes(state + "design-5.journal", "not a journal");
    WriteFileBytes(state + "design-6.journal", "");
    QFile::setPermissions(state + "design-6.journal", {});
    // Nobody may claim the copies, and reach them.
    QFile::setPermissions(state, QFile::Permissions(0x7777));
    QFile::setPermissions(File(""), QFile::Permissions(0x7711));
    m_seam->texts.clear();
    {
        CUnprivileged user;
        w = Open(run.get());
        w->OfferRecovery();
        w.reset();
    }
    QCOMPARE(m_seam->texts.join('|').replace(stamp, "T").replace(state, "/"),
             "The recovery copy /design-5.journal cannot be restored.\nByte 0: the file does not begin with the recovery journal's mark 56 4A 4E 4C.\n"
             "It was renamed to /damaged-T-design-5.journal.|"
             "The recovery copy /design-6.journal cannot be read: Permission denied.\nIt stays, to be offered again at the next start.");
    QCOMPARE(listing(), "damaged-T-design-5.journal design-1.lock design-6.journal");
}

void tst_Window::colourLists()
{
    const QString d = "0 128 32768 32896 8388608 8388736 8421376 12632256 12639424 15780518"; // the defaults
    const std::pair<QByteArray, QString> rows[] = {
        {"", d}, {"0=255\n1=16777215\n3=7", "255 16777215"}, {"0=\n1=5", d}, {"0=0", "0"},
        {"0=abc\n1=12abc\n2=-7x\n3=+42\n4=\" \\t 9 1\"\n5=0x1F\n6=--5\n7=000255\n8=2147483648\n9=-2147483649\n10=\n11=6",
         "0 12 -7 42 9 0 0 255 2147483647 -2147483648"}};
    // Files the user did not write must not leak in.
    WriteFileBytes(File("Marbrel.conf"), "[Background]\n0=1\n");
    QDir().mkpath(File("system/Marbrel"));
    WriteFileBytes(File("system/Marbrel/vortigram.conf"), "[Background]\n0=1\n");
    for (const auto &[stored, colours] : rows) {
        m_settings->WriteIni("[Background]\n" + stored + "\n[Foreground]\n0=9\n[Junk]\nx=1\n");
        CColourComboBox combo, reloaded;
        combo.AddColour(7);
        CSettingsStore store;
        combo.LoadColours(store, "Background");
        QCOMPARE(Str(Colours(combo), combo.SelectedIndex()), "7 " + colours + " -1"); // appended, nothing selected
        combo.SaveColours(store, "Background");
        store.Save({"Background", "Foreground"}); // exactly the list, and nothing foreign
        reloaded.LoadColours(CSettingsStore(), "Background"); // stale entries would come back too
        const QByteArray saved = ReadFileBytes(m_settings->IniFile());
        QVERIFY(Colours(reloaded) == Colours(combo) && saved.endsWith("[Foreground]\n0=9\n\n") && !saved.contains("Junk"));
    }
}

void tst_Window::picker()
{
    // Actions: a add (the chooser answers 0x123456), c add cancelled, r remove,
    // s select the next digit; then S Save or C Cancel. The drop-down starts
    // 10 11 12 13 14 with item 3 selected; afterwards its colours, its
    // selection and the chooser's starting colours.
    const std::pair<const char *, const char *> rows[] = {
        {"S", "10 11 12 13 14 -1"}, {"ars3raC", "10 11 12 13 14 3 10 13"}, {"aaS", "10 11 12 13 14 1193046 1193046 -1 10 10"},
        {"s3rrS", "10 11 14 -1"}, {"rrcS", "12 13 14 -1 12"}, {"rrrrrraS", "1193046 -1 0"}};
    for (const auto &[actions, expected] : rows) {
        CColourComboBox list;
        for (const int colour : {10, 11, 12, 13, 14})
            list.AddColour(colour);
        list.SelectIndex(3);
        m_seam->initials.clear();
        CColourPickerDlg picker;
        picker.m_pCombo = &list;
        QTimer::singleShot(0, &picker, [&, actions = actions] {
            QVERIFY(Colours(picker.m_ColourList) == Colours(list) && picker.m_ColourList.SelectedIndex() == 0);
            for (const char *a = actions; *a; ++a) {
                switch (*a) {
                case 'a': m_seam->colours.push_back(0x123456); [[fallthrough]];
                case 'c': picker.OnAdd(); break;
                case 'r': picker.OnRemove(); break;
                case 's': picker.m_ColourList.SelectIndex(*++a - '0'); break;
                default: // the buttons themselves
                    for (QPushButton *button : picker.findChildren<QPushButton *>())
                        if (button->text() == (*a == 'S' ? "Save" : "Cancel"))
                            button->click();
                }
            }
        });
        picker.exec();
        QCOMPARE(Str(Colours(list), list.SelectedIndex(), m_seam->initials).trimmed(), expected);
    }
}

void tst_Window::fullDisk()
{
    // Generate onto a full disk (designs below and beyond the write buffer, a disk
    // filling part-way), into a read-only folder, onto a folder; then settings that
    // a full disk or a read-only folder refuse. Nothing there may change.
    const struct { QString fault; int shapes, room; QString reason; } rows[] = {
        {"", 40, 0, ""}, {"disk", 2, 0, "No space left on device"}, {"disk", 40, 0, "No space left on device"},
        {"disk", 40, 4096, "No space left on device"}, {"read-only", 2, 0, "Permission denied"},
        {"folder", 2, 0, "is a folder."}, {"disk settings", 0, 0, "No space left on device"},
        {"read-only settings", 0, 0, "Permission denied"}};
    for (const auto &r : rows) {
        init();
        const bool settings = r.fault.endsWith("settings");
        const QString folder = File(settings ? "Marbrel" : "designs"), target = folder + (settings ? "/vortigram.conf" : "/d.jvf");
        CSmallDisk disk(folder);
        if (r.fault.contains("disk") && !disk.Why().isEmpty())
            QSKIP(qPrintable(disk.Why()));
        WriteFileBytes(target, "an earlier design");
        QDir().mkpath(folder + "/inner");
        const Window w = Open();
        ShapeList design(r.shapes);
        for (auto &shape : design)
            shape = MakeShape(1, std::vector<PolarPoint>(49));
        w->Document().AddShapes(std::move(design));
        w->Document().MarkUnmodified();
        m_seam->files = {folder + (r.fault == "folder" ? "/inner" : "/d.jvf")};
        m_seam->answers = {B::Retry, B::Discard}; // try again, then close anyway
        if (r.fault.contains("disk"))
            disk.Fill(r.room);
        if (r.fault.startsWith("read-only")) { // the file itself could be written in place
            QFile::setPermissions(File(""), QFile::permissions(File("")) | QFile::ExeOther);
            QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadOther | QFile::WriteOther);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        }
        {
            std::optional<CUnprivileged> user;
            if (r.fault.startsWith("read-only"))
                user.emplace();
            QCOMPARE(settings ? w->close() : w->OnGenerate(), r.fault.isEmpty() || settings);
        }
        QFile::remove(folder + "/filler");
        const QString said = m_seam->texts.value(settings);
        QCOMPARE(Str(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), ReadFileBytes(target).size(), m_seam->texts.size()),
                 Str(settings ? "inner vortigram.conf" : "d.jvf inner", r.fault.isEmpty() ? 31690 : 17, r.fault.isEmpty() ? 0 : 1 + settings));
        QVERIFY2(r.fault.isEmpty() || (said.endsWith(r.reason) && said.startsWith(settings ? "The settings could not be saved to " +
                 target + ":\n" : "Problem opening file!\n")), qPrintable(said));
    }
}

QTEST_MAIN(tst_Window)
#include "tst_window.moc"
