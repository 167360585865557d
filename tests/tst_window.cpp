// The editor window and its colour lists: settings, the scale, commands and
// undo, the preview, opening, generating and closing, crash recovery, and a
// disk that says no.
#include "app/AboutDlg.h"
#include "window/PatternDlg.h"
#include "tools/PolarField.h"
#include "files/RecoveryPrompt.h"
#include "window/Preview.h"
#include "window/FrameView.h"
#include "window/PlayerWindow.h"
#include "drawing/Picture.h"
#include "model/Copies.h"
#include "export/DesignFile.h"
#include "export/Journal.h"
#include "export/Recovery.h"
#include "export/ShapeClipboard.h"
#include "palette/ColourComboBox.h"
#include "palette/ColourPickerDlg.h"
#include "platform/OutputFile.h"
#include "platform/SettingsStore.h"
#include "res/Strings.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QBuffer>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <csignal>
#include <set>
#include <numeric>
#include <random>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

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
    void menusAndStatus();
    void selecting();
    void typing();
    void preview();
    void openAndClose();
    void recovery();
    void journal();
    void colourLists();
    void picker();
    void fullDisk_data();
    void fullDisk();
    void fileTies();
    void restoreKilled();
    void clipboard();
    void livePreview();
    void fullScreen();
    void zoomAndPan();
};

namespace {

Window Open(CRecoveryFile *recovery = nullptr)
{
    Window window = std::make_unique<CPatternDlg>(recovery);
    window->show();
    return QTest::qWaitForWindowActive(window.get()) ? std::move(window) : nullptr;
}

// Points are in the client area: the canvas lies below the strip.
const QPoint Strip(0, 50);

// Where a point of the client area lies in the window, menu bar and all.
QPoint InWindow(CPatternDlg &window, QPoint client)
{
    return window.ClientArea().mapTo(&window, client);
}

// A shape entered with the mouse: a click at each point, then a right click.
void Draw(CPatternDlg &window, const QList<QPoint> &points)
{
    for (const QPoint &p : points)
        QTest::mouseClick(&window.Canvas(), Qt::LeftButton, {}, p - Strip);
    QTest::mouseClick(&window.Canvas(), Qt::RightButton, {}, points.last() - Strip);
}

} // namespace

void tst_Window::settings()
{
    // A stored text gives the scale field, copies, mirror, guides, polar snapping, cycling,
    // the span, the arc and the scale per copy.
    const std::pair<QByteArray, QString> rows[] = {
        {"", "1 1 0 0 0 0 360 0 1"}, {"Scale=2.5\nCopies=360\nMirror=1\nGuides=1\nPolarSnap=1\nCycleColours=1\nCopySpan=90\nCopyArc=1\nCopyScale=0.9", "2.5 360 1 1 1 1 90 1 0.9"},
        {"Scale=-0.75abc\nCopies=0\nMirror=yes\nCopySpan=9x\nCopyArc=2\nCopyScale=101", "-0.75 1 0 0 0 0 360 0 1"}, {"Scale=4e-7\nCopies=361", "1 1 0 0 0 0 360 0 1"},
        {"Copies=2\nCopyArc=1", "1 2 0 0 0 0 360 0 1"}, {"Copies=12\nCopySpan=0\nCopyScale=0.5", "1 12 0 0 0 0 0 0 0.5"}};
    const auto state = [](CPatternDlg &w) {
        const CEditorSettings &s = w.Settings();
        return Str(w.ScaleField().text(), s.copies, s.mirror, s.guides, s.polarSnap, s.cycleColours, s.span, s.openArc, s.factor);
    };
    for (const auto &[stored, expected] : rows) {
        m_settings->WriteIni("[Settings]\n" + stored + '\n');
        const Window w = Open();
        QCOMPARE(state(*w), expected);
        QVERIFY(w->PolygonChecked() && w->Background().SelectedIndex() == 0 && !w->Tools().IsSelecting());
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
    // Written as soon as it changes; every setting and each colour list on
    // its own come back at the next start.
    w->Options().SetMirror(true);
    QVERIFY(ReadFileBytes(m_settings->IniFile()).contains("Mirror=1\nPolarSnap=0\nScale=2.500000\n"));
    w->Options().SetCopying({6, 22.5, true, 0.9, true});
    w->Options().SetGuides(true);
    w->Options().SetPolarSnapping(true);
    w->Options().SetCycleColours(true);
    QVERIFY(!w->Canvas().Viewport().smooth); // off at a fresh start
    w->Options().SetSmooth(true);
    w->Background().AddColour(0x123456);
    w->Foreground().RemoveAllColours();
    w->Foreground().AddColour(7);
    QTest::keyClick(&w->Canvas(), Qt::Key_Escape); // does not close
    QVERIFY(w->isVisible() && w->close());
    QVERIFY(ReadFileBytes(m_settings->IniFile()).contains("[Settings]\nCopies=6\nCopyArc=1\nCopyScale=0.9\nCopySpan=22.5\nCycleColours=1\nGuides=1\nMirror=1\nPolarSnap=1\nScale=2.500000\nSmoothEdges=1\n\n"));
    w = Open();
    QCOMPARE(Str(state(*w), Colours(w->Background()).size(), Colours(w->Background()).last(), Colours(w->Foreground()), w->Canvas().Viewport().smooth), "2.5 6 1 1 1 1 22.5 1 0.9 11 1193046 7 1");
    // A quick count: a whole turn, unscaled, Mirror kept.
    w->Options().SetCopies(3);
    QCOMPARE(state(*w), "2.5 3 1 1 1 1 360 0 1");
}

void tst_Window::commands()
{
    // The keys pressed for real, and the menu a right click opens.
    const Window w = Open();
    QSignalSpy about(w.get(), &CPatternDlg::AboutRequested);
    w->Edits().OnClear(); // nothing to clear: no question
    const auto key = [&](int k, Qt::KeyboardModifiers mods = Qt::ControlModifier) { QTest::keyClick(&w->Canvas(), Qt::Key(k), mods); };
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    key(Qt::Key_M);
    w->Foreground().SelectIndex(-1); // as the picker's Save leaves it
    Draw(*w, {{260, 150}, {280, 150}, {260, 120}}); // at atan(20 / 55) from the centre (240, 205)
    // The shape, two turned copies, three mirrored; filled in the lists' first entry, black,
    // and outlined white for the list without a selection.
    const CObjectStorage &shape = *w->Shapes()[0];
    QCOMPARE(Str(w->Shapes().size(), w->Shapes()[5]->Points()[0].angle, shape.FillColour().red, shape.PenColour().green),
             "6 1.74562409908 0 255");

    // No command acts during an entry, and the right click that ends it opens no menu.
    QTest::mousePress(&w->Canvas(), Qt::LeftButton, {}, QPoint{100, 100} - Strip);
    for (const int k : {Qt::Key_Z, Qt::Key_Up, Qt::Key_G, Qt::Key_P, Qt::Key_O})
        key(k);
    key(Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    key(Qt::Key_F1, {});
    QTest::mouseRelease(&w->Canvas(), Qt::LeftButton, {}, QPoint{100, 100} - Strip);
    bool popup = false;
    QTimer watch; // a menu that opened would be closed, and told
    watch.callOnTimeout([&] { if (QWidget *menu = QApplication::activePopupWidget()) { popup = true; menu->close(); } });
    watch.start(20);
    QTest::mouseClick(w->windowHandle(), Qt::RightButton, {}, InWindow(*w, {100, 100}));
    QTest::qWait(300);
    watch.stop();
    QCOMPARE(Str(w->Shapes().size(), w->Settings().copies, w->Settings().guides, w->Settings().polarSnap, about.size(), popup, m_seam->texts.size()), "12 3 0 0 0 0 0");

    m_seam->answers = {B::Cancel, B::Ok};
    key(Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier); // Clear, Cancel
    QCOMPARE(w->Shapes().size(), std::size_t(12));
    key(Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier); // Clear, OK
    key(Qt::Key_Z);
    key(Qt::Key_Z);
    QCOMPARE(Str(w->Shapes().size(), m_seam->texts.size()), "6 2");
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    key(Qt::Key_Down);
    key(Qt::Key_G);
    key(Qt::Key_Percent, Qt::ShiftModifier); // Polar Snapping, as typed; no typed-vertex field
    key(Qt::Key_F1, {});
    QCOMPARE(Str(w->Shapes().size(), w->Settings().copies, w->Settings().guides, w->Settings().polarSnap, about.size(), !w->findChild<CPolarField *>()), "12 2 1 1 1 1");
    m_seam->files = {File("none.jvf")};
    key(Qt::Key_O);
    QVERIFY(m_seam->texts.last().startsWith("Cannot open " + File("none.jvf")));

    // The menu, used for real: the copies submenu sets the count; More and
    // Fewer Copies are disabled at 360 and at 1.
    QStringList seen;
    const auto useMenu = [&](const QString &item) {
        QTimer poll; // until the menu is up, however long that takes
        poll.callOnTimeout([&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            poll.stop();
            for (QAction *action : menu->actions()) {
                seen << action->text().remove('&') + (action->isEnabled() ? "" : " -");
                if (action->menu() && action->text().startsWith("Copies"))
                    for (QAction *count : action->menu()->actions())
                        if (count->text() == item)
                            count->trigger();
            }
            menu->close();
        });
        poll.start(20);
        QTest::mouseClick(w->windowHandle(), Qt::RightButton, {}, InWindow(*w, {5, 5})); // on the strip
        QTRY_VERIFY(!poll.isActive() && !QApplication::activePopupWidget());
    };
    useMenu("24");
    QCOMPARE(seen.join('|'), "About Vortigram...||Undo Add shape|Redo Clear||Open Design...|Open Recent|Save|"
                             "Generate...||Export Image...|Export Animation...|Print...||Clear...|Test||"
                             "Select Shapes|Select All|Selection -|Work with the Clipboard||Copies Around the Centre: 2|More Copies|"
                             "Fewer Copies|Mirror Copies|Cycle Colours||Polar Guides|Polar Snapping");
    seen.clear();
    w->Options().SetCopies(360);
    useMenu("1");
    useMenu("");
    QCOMPARE(Str(w->Settings().copies, seen.filter("More Copies").join(','), seen.filter("Fewer Copies").join(',')),
             "1 More Copies,More Copies Fewer Copies -,Fewer Copies -");
    // Copies scaled down to the centre: the click is refused with the reason.
    w->Options().SetCopying({360, 360, false, 0.5});
    Draw(*w, {{260, 150}, {280, 150}, {260, 120}});
    QVERIFY(w->Shapes().size() == 12 && m_seam->texts.last().contains("half a pixel"));
    const CAboutDlg box;
    const QList<QLabel *> labels = box.findChildren<QLabel *>();
    QVERIFY(labels[1]->text() == Strings::VersionLine() && !labels[0]->pixmap().isNull());
}

namespace {

// A menu's items as "text key" (the access key marked by &), "-" for a separator.
QString Items(QMenu &menu)
{
    emit menu.aboutToShow(); // menus made afresh as they open
    QStringList items;
    for (QAction *action : menu.actions())
        items << (action->isSeparator() ? "-" : (action->text() + ' ' + action->shortcut().toString()).trimmed());
    return items.join(", ");
}

// The letters after & in every menu and submenu below menu: none twice in one menu.
bool AccessKeysUnique(QMenu &menu)
{
    emit menu.aboutToShow();
    QSet<QChar> keys;
    for (QAction *action : menu.actions()) {
        const QString text = action->text();
        const int amp = text.indexOf('&');
        if (action->isSeparator() || text.isEmpty() || QRegularExpression("^\\d+$").match(text).hasMatch())
            continue; // the copy counts 1 to 24
        if (amp < 0 || keys.contains(text[amp + 1].toLower()))
            return false;
        keys << text[amp + 1].toLower();
        if (action->menu() && !AccessKeysUnique(*action->menu()))
            return false;
    }
    return true;
}

} // namespace

void tst_Window::menusAndStatus()
{
    m_settings->WriteIni("[Settings]\nCopies=3\nMirror=1\n");
    const Window w = Open();
    QStringList menus;
    for (QAction *title : w->menuBar()->actions())
        menus << title->text() + ": " + Items(*title->menu());
    const std::unique_ptr<QMenu> context = w->CreateMenu();
    for (QAction *item : context->actions())
        item->text().contains("Clipboard") ? void(menus << item->text() + ": " + Items(*item->menu())) : void();
    QCOMPARE(menus.join('\n'), "&File: &New Ctrl+N, &Open Design... Ctrl+O, Op&en Recent, &Import SVG..., Sa&ve Ctrl+S, &Generate... Ctrl+Shift+S, -, "
                               "E&xport Image... Ctrl+Shift+E, Export &Animation..., &Print... Ctrl+P, -, &Quit Ctrl+Q\n"
                               "&Edit: &Undo Ctrl+Z, &Redo Ctrl+Shift+Z, -, Cu&t Ctrl+X, C&opy Ctrl+C, P&aste Ctrl+V, -, &Select All Ctrl+A, Select &None Esc, &Delete Del, Du&plicate Ctrl+D, -, "
                               "&Clear... Ctrl+Shift+Del, -, Select S&hapes S\n"
                               "&View: Zoom &In Ctrl++, Zoom &Out Ctrl+-, &Actual Size Ctrl+0, &Fit Design, -, Polar Gui&des Ctrl+G, &Smooth Edges, -, &Test F5, Live &Preview F6, Play F&ull Screen F11\n"
                               "&Shape: R&aise PgUp, &Lower PgDown, Raise to &Top Home, Lower to &Bottom End, -, Turn &Clockwise Ctrl+Right, "
                               "T&urn Anticlockwise Ctrl+Left, -, &Enlarge Ctrl+Shift+Up, &Reduce Ctrl+Shift+Down\n"
                               "&Copies: Copies Around the Centre: &3, &Copies..., &More Copies Ctrl+Up, &Fewer Copies Ctrl+Down, M&irror Copies Ctrl+M, "
                               "C&ycle Colours, -, Polar S&napping %\n&Help: A&bout Vortigram... F1\n&Work with the Clipboard: Cu&t Ctrl+X, C&opy Ctrl+C, P&aste Ctrl+V");
    bool unique = AccessKeysUnique(*context);
    for (QAction *title : w->menuBar()->actions())
        unique = unique && AccessKeysUnique(*title->menu());
    QVERIFY(unique);
    // Greyed items say why.
    QCOMPARE(Str(w->Commands().Action("undo")->statusTip(), w->Commands().Action("delete")->statusTip(), w->Commands().Action("cut")->statusTip()),
             "There is nothing to undo. Nothing is selected: select shapes first. Nothing is selected: select shapes first.");
    // Every control of the strip and the canvas has a name, and the focus
    // moves through the strip as it reads.
    QStringList names, order;
    for (QWidget *control : w->Strip().findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (control->focusPolicy() != Qt::NoFocus)
            names << control->accessibleName();
    for (QWidget *at = w->Strip().polyline; order.size() < 13; at = at->nextInFocusChain())
        if (at->focusPolicy() & Qt::TabFocus)
            order << (at->accessibleName().isEmpty() ? at->objectName() : at->accessibleName());
    QCOMPARE(Str(names.contains(""), w->Canvas().accessibleName(), order.join(',')),
             "0 Canvas Polyline,Polygon,Background,Foreground,Background colours...,Foreground colours...,Scale,"
             "Apply the scale,Clear,Resample,Test,Generate,Canvas");

    // The status bar as things happen; a click stored about a centre moved on the canvas.
    const auto status = [&] { return w->Status().Texts().join('|') + '|' + w->Status().currentMessage(); };
    QStringList seen{status()};
    w->Canvas().SetCentre({300, 100}); // (300, 150) in the client area
    Draw(*w, {{300, 100}, {350, 150}});
    seen << status() + ' ' + Str(w->Shapes()[0]->Points()[0].angle, w->Shapes()[0]->Points()[0].radius, w->Shapes()[0]->Points()[1].angle);
    QTest::mouseMove(&w->Canvas(), QPoint(300, 50) - Strip);
    w->Commands().Action("selectAll")->trigger();
    seen << status();
    w->Commands().Action("delete")->trigger();
    w->Options().SetScale(2.5);
    seen << status();
    w->Commands().Action("undo")->trigger();
    m_seam->files = {File("s.jvf")};
    w->Files().OnSave();
    seen << status();
    // Copies... from the menu: 36 copies over 90 degrees, each 0.9 of the one before.
    m_seam->runs = {[](QDialog &d) {
        d.findChild<QSpinBox *>()->setValue(36);
        for (QLineEdit *field : d.findChildren<QLineEdit *>())
            field->setText(field->accessibleName() == "Span in degrees" ? "90" : field->accessibleName() == "Scale per copy" ? "0.9" : field->text());
        d.accept();
        return d.result();
    }};
    w->Commands().Action("copies")->trigger();
    seen << w->Status().Texts().value(3) + ' ' + Str(w->Settings().copies, w->Settings().span, w->Settings().factor);
    QCOMPARE(seen.join('\n'), "|Drawing|0 shapes|3 copies over 360\u00B0, mirror|Zoom 100%|\n"
                               "|Drawing|6 shapes|3 copies over 360\u00B0, mirror|Zoom 100%|Added 6 shapes 0 50 1.570796327\n"
                               "r 100.0  a 0.0\u00B0|Selecting|6 shapes, 6 selected|3 copies over 360\u00B0, mirror|Zoom 100%|Added 6 shapes\n"
                               "r 40.0  a 0.0\u00B0|Selecting|0 shapes|3 copies over 360\u00B0, mirror|Zoom 250%|Deleted 6 shapes\n"
                               "r 40.0  a 0.0\u00B0|Selecting|6 shapes, 6 selected|3 copies over 360\u00B0, mirror|Zoom 250%|Saved s.jvf\n"
                               "36 copies over 90\u00B0, 2.5\u00B0 apart, x 0.9 each, mirror 36 90 0.9");
}

void tst_Window::selecting()
{
    // A group of three (a triangle above the centre (240, 205) and its turns)
    // and a triangle alone; then select mode and each command on the selection.
    const Window w = Open();
    w->Options().SetCopies(3);
    Draw(*w, {{240, 120}, {260, 150}, {220, 150}});
    w->Options().SetCopies(1);
    Draw(*w, {{90, 290}, {110, 290}, {100, 310}});
    QTest::keyClick(&w->Canvas(), Qt::Key_S);
    QStringList log;
    const auto state = [&] {
        QStringList shapes;
        for (const auto &shape : w->Shapes())
            shapes << Str(shape->Type(), shape->FillColour().red, shape->Points()[0].angle, shape->Points()[0].radius, shape->Group().copy);
        log << Str(w->Selection().Shapes(), "|", w->Document().UndoStack().undoText(), "|", shapes.join(','));
    };
    const auto click = [&](QPoint at, Qt::KeyboardModifiers keys = {}) { QTest::mouseClick(&w->Canvas(), Qt::LeftButton, keys, QPoint(at) - Strip); state(); };
    const auto drag = [&](QPoint from, QPoint to, Qt::Key key = Qt::Key_unknown) {
        QTest::mousePress(&w->Canvas(), Qt::LeftButton, {}, QPoint(from) - Strip);
        QTest::mouseMove(&w->Canvas(), from + QPoint(2, 2) - Strip);
        QTest::mouseMove(&w->Canvas(), to - Strip);
        if (key != Qt::Key_unknown)
            QTest::keyClick(&w->Canvas(), key);
        QTest::mouseRelease(&w->Canvas(), Qt::LeftButton, {}, QPoint(to) - Strip);
        state();
    };
    const auto key = [&](int k, Qt::KeyboardModifiers keys = {}) { QTest::keyClick(&w->Canvas(), Qt::Key(k), keys); state(); };
    click({296, 237});                       // a member: its group
    click({296, 237}, Qt::ControlModifier);  // the member alone
    click({100, 297}, Qt::ShiftModifier);    // and the triangle
    click({400, 100});                       // nothing
    drag({60, 270}, {130, 330});             // the triangle, inside the rectangle
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Escape);
    click({240, 140});
    key(Qt::Key_Right, Qt::ControlModifier); // a polar step, 7.5 degrees
    key(Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    key(Qt::Key_Delete);
    key(Qt::Key_Z, Qt::ControlModifier);
    key(Qt::Key_PageUp);
    key(Qt::Key_End);
    key(Qt::Key_D, Qt::ControlModifier);
    emit w->Background().activated(1);       // the list's second colour, 128
    QTest::mouseClick(w->findChild<QRadioButton *>(), Qt::LeftButton); // "Polyline"
    state();
    w->Document().UndoStack().setIndex(2);   // back to the group as drawn
    click({240, 140});
    drag({240, 120}, {243, 98});             // a handle, to the grid point (240, 100)
    w->Options().SetPolarSnapping(true);
    drag({240, 130}, {272, 149});            // turned 30 degrees: 4 polar steps
    drag({276, 143}, {200, 200}, Qt::Key_Escape); // put back: no step
    const QStringList expected = {
        "0 1 2 | Add shape | 1 0 0 85 0,1 0 2.09439510267 85 1,1 0 4.18879020533 85 2,1 0 4.19683997334 172.409396496 0", "1 |", "1 3 |", " |", "3 |",
        "0 1 2 3 |", " |", "0 1 2 |", "0 1 2 | Turn | 1 0 0.130899693917 85 0,1 0 2.22529479658 85 1,1 0 4.31968989925 85 2,",
        "0 1 2 | Scale | 1 0 0.130899693917 106.25 0,", " | Delete | 1 0 4.19683997334 172.409396496 0", "0 1 2 | Scale |",
        "1 2 3 | Raise | 1 0 4.19683997334 172.409396496 0,1 0 0.130899693917 106.25 0,", "0 1 2 | Lower | 1 0 0.130899693917 106.25 0,",
        "4 5 6 | Duplicate |", "4 5 6 | Change kind | 1 0 0.130899693917 106.25 0,1 0 2.22529479658 106.25 1,1 0 4.31968989925 106.25 2,"
        "1 0 4.19683997334 172.409396496 0,2 128 0.130899693917 106.25 0,2 128 2.22529479658 106.25 1,2 128 4.31968989925 106.25 2",
        "0 1 2 | Add shape | 1 0 0 85 0,", "0 1 2 | Move vertex | 1 0 0 105 0,1 0 2.09439510267 105 1,1 0 4.18879020533 105 2,",
        "0 1 2 | Turn | 1 0 0.523598775667 105 0,1 0 2.61799387833 105 1,1 0 -1.570796327 105 2,", "0 1 2 | Turn | 1 0 0.523598775667 105 0,"};
    QCOMPARE(Str(log.size(), w->Document().UndoStack().count()), Str(expected.size(), 4)); // Add, Add, Move vertex, Turn
    for (int i = 0; i < expected.size(); ++i)
        QVERIFY2(log[i].startsWith(expected[i]), qPrintable(Str(i, log[i])));
    // On screen: the outline, and a handle on each vertex, white inside.
    const QImage shown = w->ClientArea().grab().toImage();
    QCOMPARE(Str(shown.pixel(292, 115), shown.pixel(290, 113)), Str(0xFFFFFFFF, 0xFF0078D7));
    // Turn Anticlockwise: a polar step of five copies, 18 degrees, the other way.
    w->Options().SetCopies(5);
    key(Qt::Key_Left, Qt::ControlModifier);
    QVERIFY2(log.last().startsWith("0 1 2 | Turn | 1 0 0.209439510267 105 0,1 0 2.30383461293 105 1,1 0 4.3982297156 105 2,"), qPrintable(log.last()));
    // A design replaced, by Open or Clear, and a Clear undone: nothing is selected.
    ExportDesign(File("two.jvf"), MakeCopies(MakeShape(1, {{0, 50}}), 2, false));
    m_seam->answers = {B::Discard, B::Ok};
    QString selected;
    for (int step = 0; step < 3; ++step) {
        w->Commands().Action("selectAll")->trigger();
        step == 0 ? void(w->Files().Open(File("two.jvf"))) : step == 1 ? w->Edits().OnClear() : w->Document().UndoStack().undo();
        selected += Str(w->Shapes().size(), w->Selection().Shapes().size()) + ',';
    }
    QCOMPARE(selected, "2 0,0 0,2 0,");
}

void tst_Window::typing()
{
    // Vertices typed in polar form, with three copies and Mirror cycling
    // through lists of ten and of two colours, from entries 8 and 0.
    m_settings->WriteIni("[Foreground]\n0=1\n1=2\n[Settings]\nCopies=3\nMirror=1\nCycleColours=1\n");
    const Window w = Open();
    w->Background().SelectIndex(8);
    QTest::mouseMove(&w->Canvas(), QPoint{300, 300} - Strip);
    QTest::keyClick(&w->Canvas(), Qt::Key_1, {}, 50); // a digit on the canvas opens the field
    auto *field = w->findChild<CPolarField *>();
    auto *edit = field->findChild<QLineEdit *>();
    for (const QString text : {"00<360/7", "1<", "2*60<-45", ""}) {
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        if (text == "1<") { // refused in the field, with the reason, and kept
            QVERIFY(field->Reason() == "Angle: it is missing." && edit->text() == "1<");
            edit->clear();
        }
    }
    QStringList made;
    for (const auto &shape : w->Shapes())
        made << Str(shape->FillColour().red, shape->PenColour().red, shape->Points().size());
    QCOMPARE(Str(made.join(','), w->Shapes()[0]->Points()[0].angle, w->Shapes()[0]->Points()[1].angle, w->Shapes()[0]->Points()[1].radius, field->isVisible()),
             "192 1 2,166 2 2,0 1 2,192 1 2,166 2 2,0 1 2 0.897597901143 -0.7853981635 120 0");
    // Escape closes the field and empties it: the next digit starts afresh.
    QTest::keyClick(&w->Canvas(), Qt::Key_5);
    QTest::keyClicks(edit, "0<");
    QTest::keyClick(edit, Qt::Key_Escape);
    const QString closed = Str(field->isVisible(), edit->text());
    QTest::keyClick(&w->Canvas(), Qt::Key_7);
    QCOMPARE(Str(closed, edit->text()), "0  7");
    QTest::keyClick(edit, Qt::Key_Escape);
    // The read-out: the pointer in design units, and where polar snapping puts it.
    const auto readout = [&](QPoint at) { QTest::mouseMove(&w->Canvas(), at - Strip); return w->Readout().Text(); };
    QCOMPARE(readout({340, 205}), "r 100.0  a 90.0\u00B0");
    w->ScaleField().setText("2");
    w->OnApplyScale();
    w->Options().SetPolarSnapping(true);
    QCOMPARE(readout({233, 100}), "r 52.6  a 356.2\u00B0  \u2192 r 55.0  a 0.0\u00B0");
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&w->Canvas(), &leave);
    QCOMPARE(w->Readout().Text(), "");
    // The window's keys during an entry: Escape abandons it, Backspace takes back a vertex.
    const std::size_t before = w->Shapes().size();
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Backspace}) {
        QTest::mouseClick(&w->Canvas(), Qt::LeftButton, {}, QPoint{100, 100} - Strip);
        QTest::mouseClick(&w->Canvas(), Qt::LeftButton, {}, QPoint{150, 100} - Strip);
        QTest::keyClick(&w->Canvas(), key);
    }
    QTest::mouseClick(&w->Canvas(), Qt::RightButton, {}, QPoint{150, 100} - Strip);
    QCOMPARE(Str(w->Shapes().size() - before, w->Shapes().back()->Points().size()), "6 1");
    // At the default size and the smallest: reasons of two lines, a pasted text nested too deeply and the
    // 50th vertex, each reason whole in the field and the field inside the canvas, the refused text kept.
    auto *label = field->findChild<QLabel *>();
    for (const QSize size : {w->size(), w->minimumSize()}) {
        w->resize(size);
        QTest::keyClick(&w->Canvas(), Qt::Key_1);
        int whole = 0;
        for (const QString &text : QStringList{"100", "100<45<3", QString(32000, u'(') + "1<1"} + QStringList(50, "1<1")) {
            edit->setText(text);
            QTest::keyClick(edit, Qt::Key_Return);
            whole += label->isVisible() && edit->text() == text && w->Canvas().rect().contains(field->geometry()) &&
                     field->rect().contains(label->geometry()) && label->heightForWidth(label->width()) <= label->height();
        }
        QCOMPARE(whole, 4); // the next size ends the shape
    }
}

void tst_Window::preview()
{
    const Window w = Open();
    w->ScaleField().setText("0.7");
    w->OnApplyScale();
    Draw(*w, {{240, 150}, {300, 150}, {300, 100}}); // its repaint comes before the first frame's
    QTest::failOnWarning(QRegularExpression("QPainter"));
    m_seam->answers = {B::Discard}; // at the close
    w->SetFrameDelay(std::chrono::milliseconds(1));
    bool animating = false;
    QTimer::singleShot(30, w.get(), [&] {
        animating = w->IsAnimating();
        // Input now is dropped, not held for afterwards; a close request waits.
        QTest::mouseClick(&w->Canvas(), Qt::LeftButton, {}, QPoint{100, 100} - Strip);
        QTest::mouseClick(w->findChild<QRadioButton *>(), Qt::LeftButton); // "Polyline"
        QTest::keyClick(&w->Canvas(), Qt::Key_F1);
        w->resize(520, 430); // afterwards the canvas is the plain view of this size
        w->close();
    });
    QSignalSpy about(w.get(), &CPatternDlg::AboutRequested);
    w->OnTest();
    // What the window shows, without painting it first; before the close that waited.
    const QRect client(InWindow(*w, {}), w->ClientArea().size());
    const QImage shown = w->screen()->grabWindow(w->winId(), client.x(), client.y(), client.width(), client.height()).toImage();
    QCOMPARE(Str(animating, w->isVisible(), about.size(), w->Scale(), w->PolygonChecked(), w->Shapes().size()), "1 1 0 0.7 1 1");
    QTRY_VERIFY(!w->isVisible());
    const Window plain = Open();
    plain->resize(520, 430);
    plain->Options().SetScale(0.7);
    ShapeList same;
    same.push_back(w->Shapes()[0]->Clone());
    plain->Document().AddShapes(std::move(same), "Add shape");
    QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), plain->ClientArea().grab().toImage().convertToFormat(QImage::Format_RGB32));

    // Every frame shown is a step of 0.004 in scale and 0.03 radians in turn
    // from the last, the first and the last always; none out of order, and,
    // frames taking five moments to show, none after its moment passed
    // (a few moments' leeway for a busy machine; shown late, they fall behind).
    QStringList frames;
    QElapsedTimer clock;
    clock.start();
    CPreview::Run(std::chrono::milliseconds(4), 1.0, [&](int k, const PreviewFrame &f) {
        const double scale = f.scale, turn = f.rotation;
        frames << Str(k, std::lround((turn - 1) / 0.03), std::abs((scale - 0.1) / 0.004 - (turn - 1) / 0.03) < 1e-6,
                      k == 1 || k == 360 || clock.elapsed() < (k + 4) * 4);
        QTest::qSleep(20);
    });
    QCOMPARE(frames.first() + frames.last(), "1 1 1 1360 360 1 1");
    QVERIFY(std::is_sorted(frames.begin(), frames.end(), [](const QString &a, const QString &b) { return a.split(' ')[0].toInt() < b.split(' ')[0].toInt(); }));
    QVERIFY2(frames.size() > 10 && frames.filter(QRegularExpression(" 0( |$)")).isEmpty(), qPrintable(frames.join(',')));
}

void tst_Window::openAndClose()
{
    Window w = Open();
    const QByteArray design = QByteArray::fromHex("FFE0AD0F0100FFFFFF00 0101FFFFFF000000") + Le(0.5) + Le(70);
    const auto records = [&] { QTemporaryDir dir; ExportDesign(dir.filePath("x"), w->Shapes()); return ReadFileBytes(dir.filePath("x")); };
    const auto caption = [&] { return Str(w->windowTitle(), w->isWindowModified()); };
    // A refused Open leaves a design with unexported shapes exactly as it was.
    Draw(*w, {{240, 150}, {280, 150}});
    const QByteArray drawn = records();
    WriteFileBytes(File("a.jvf"), design.left(30));
    QVERIFY(!w->Files().Open(File("a.jvf")) && records() == drawn);
    QCOMPARE(m_seam->texts.value(0), "Cannot open " + File("a.jvf") + ".\nRecord 1 at byte 10: the file ends after 0 of the record's 1 vertex.");
    WriteFileBytes(File("a.jvf"), design);
    m_seam->answers = {B::Cancel, B::Discard};
    QVERIFY(!w->Files().Open(File("a.jvf")) && w->Files().Open(File("a.jvf")));
    QCOMPARE(Str(w->Shapes()[0]->Points()[0].radius, w->Document().IsModified(), w->Document().UndoStack().undoText(), caption()), "70 0 Open design a.jvf[*] - Vortigram 0");

    // Drops: a design; a file that is none, with Open's message; two files, the first opened.
    const auto dropped = [&](const QStringList &names) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &name : names)
            urls << QUrl::fromLocalFile(File(name));
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
        QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(w.get(), &enter); // a drop follows an accepted entry
        QCoreApplication::sendEvent(w.get(), &drop);
        QTest::qWait(20);
        return Str(w->Shapes().size(), m_seam->texts.last());
    };
    WriteFileBytes(File("b.JVF"), QByteArray::fromHex("FFE0AD0F0200FFFFFF00") + design.mid(10) + design.mid(10));
    WriteFileBytes(File("c.png"), "\x89PNG");
    QCOMPARE(dropped({"c.png"}), Str(1, "Cannot open " + File("c.png") + ".\nThe file is 4 bytes long; a design file begins with a 10-byte header."));
    QCOMPARE(dropped({"b.JVF", "c.png"}), "2 2 files were dropped; only the first, b.JVF, was opened.");
    QCOMPARE(caption(), "b.JVF[*] - Vortigram 0");

    // Closing with unexported shapes: Cancel, Generate... then no name, Generate... and a name.
    Draw(*w, {{240, 150}, {280, 150}});
    m_seam->texts.clear();
    m_seam->answers = {B::Cancel, B::SaveAll, B::SaveAll}; // Save All: Generate... beside Save
    m_seam->files = {"", File("out.jvf")};
    QVERIFY(!w->close() && !w->close() && w->isVisible());
    QVERIFY(w->close());
    QCOMPARE(Str(ReadFileBytes(File("out.jvf")).size(), m_seam->texts.size(), m_seam->folders.last() == m_settings->Path()), "98 3 1");

    // At the next start: the recent designs, newest first; dialogs start in
    // the folder last used; a restored design has no file, so Save asks for one.
    w = Open();
    QCOMPARE(Text(w->Files().RecentFiles()), Text(QStringList{File("out.jvf"), File("b.JVF"), File("a.jvf")}));
    m_seam->files = {File("none.jvf")};
    w->Files().OnOpen();
    w->Files().Restored();
    m_seam->files = {""};
    w->Files().OnSave();
    QCOMPARE(Str(m_seam->folders.size(), m_seam->folders.last() == m_settings->Path(), w->windowTitle()), "4 1 Vortigram");
    // Never narrower than the control strip lays out.
    w->resize(300, 40);
    QCOMPARE(w->ClientArea().size(), QSize(480, 100));

    w = Open(); // a resize ends an entry, the vertices so far about one centre
    QTest::mouseClick(&w->Canvas(), Qt::LeftButton, {}, QPoint{240, 150} - Strip);
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

QByteArray Replayed(const QByteArray &journal)
{
    QBuffer buffer;
    buffer.setData(journal);
    buffer.open(QIODevice::ReadOnly);
    return Records(ReplayJournal(buffer));
}

// One step of a seeded editing session: additions, undo, redo, and removal,
// change, move and clearing at random places.
void Edit(CDesignDocument &document, std::mt19937 &random)
{
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    const auto make = [&](qsizetype n) {
        ShapeList shapes;
        while (n-- > 0)
            shapes.push_back(MakeShape(1 + pick(2), std::vector<PolarPoint>(pick(20), {pick(7) * 0.5, 1.0 * pick(300)}), {pick(256), 0, 0}));
        return shapes;
    };
    const int size = int(document.Shapes().size());
    Places places;
    for (int place = 0; place < size; ++place)
        if (pick(6) == 0)
            places << place;
    // Moved together, anywhere.
    const Places to = PlaceRange(pick(size - int(places.size()) + 1), int(places.size()));
    switch (pick(10)) {
    case 4: return document.UndoStack().undo();
    case 5: return document.UndoStack().redo();
    case 6: return document.RemoveShapes(places, "Remove");
    case 7: return document.ChangeShapes(places, make(places.size()), "Change");
    case 8: return document.MoveShapes(places, to, "Move");
    case 9: return pick(3) ? document.UndoStack().undo() : document.Clear();
    default: return document.AddShapes(make(1 + pick(3)));
    }
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
    w->Commands().Action("undo")->trigger();
    const QByteArray seen = Records(w->Shapes());
    // A second program running at once is offered nothing of the first.
    auto second = std::make_unique<CRecoveryFile>();
    QVERIFY(second->Orphans().empty());
    // The first program dies: its copy stays.
    w.reset();
    run = std::move(second);
    // Each run: its answer, what it does before it dies (c clear, d draw), what it was asked, the folder.
    const bool small = disk.Why().isEmpty();
    const struct { B::StandardButton answer; char then; QString said, folder; } runs[] = {
        // Restored onto a full disk (when there is one): the copy moves into this run's slot, needing no room.
        {B::Yes, 'c', asked, "design-2.journal design-2.lock"},
        // The run before cleared its design: nothing to offer, and the copy goes.
        {B::No, 'd', "", "design-1.lock"},
        // No: the copy goes for good.
        {B::No, ' ', asked, "design-2.lock"}};
    for (const auto &r : runs) {
        m_seam->texts.clear();
        // Ok answers the message and the Clear question.
        m_seam->answers = {r.answer, B::Ok, r.answer, B::Ok};
        w = Open(run.get());
        if (small && r.then == 'c') {
            disk.Fill(0);
            w->OfferRecovery();
            disk.Fill(500000);
        }
        w->OfferRecovery();
        QCOMPARE(Str(m_seam->texts.join('|'), listing()), Str(r.said, r.folder));
        if (r.answer == B::Yes)
            QVERIFY(Records(w->Shapes()) == seen && w->Document().IsModified() && w->Document().UndoStack().undoText() == "Restore design");
        if (r.then == 'c')
            w->Edits().OnClear();
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

void tst_Window::journal()
{
    // Replay is as strict as the design reader: what each journal replays to, or why it is refused.
    // Shapes of 0 to 6 vertices.
    std::vector<QByteArray> r(7);
    for (int n = 0; n < 7; ++n)
        MakeShape(1 + n % 2, std::vector<PolarPoint>(n, {0.5, 70}))->AppendRecord(r[n]);
    const auto of = [](const std::vector<CJournalEdit> &edits, QByteArray bytes = QByteArray("VJNL\1\0\0\0", 8)) {
        for (const CJournalEdit &edit : edits)
            bytes += EncodeJournalEntry(edit);
        try {
            return Replayed(bytes);
        } catch (const CJournalError &e) {
            return QByteArray(e.what());
        }
    };
    using K = JournalKind;
    // Shapes 1 and 2, in bytes 8 to 90.
    const CJournalEdit two{K::Design, {}, {}, 0, {r[1], r[2]}};
    // Every kind: 1 2; 3 added; 1 to the end; 4 for 3; 5 and 6 in at 0 and 2; then 2 and 4 out, and the last.
    const std::vector<CJournalEdit> all = {two, {K::Append, {}, {}, 0, {r[3]}}, {K::Move, {0}, {2}}, {K::Change, {1}, {}, 0, {r[4]}},
                                           {K::Insert, {0, 2}, {}, 0, {r[5], r[6]}}};
    const auto after = [&](std::vector<CJournalEdit> more) { return more.insert(more.begin(), all.begin(), all.end()), more; };
    QCOMPARE(of(all), r[5] + r[2] + r[6] + r[4] + r[1]);
    QCOMPARE(of(after({{K::Remove, {1, 3}}, {K::RemoveLast, {}, {}, 1}})), r[5] + r[6]);
    QCOMPARE(of({two}, QByteArray("VJNL\2\0\0\0", 8)), "Byte 4: the journal is of format 2; this version reads format 1.");
    QCOMPARE(of({{K::Append}}), "Entry 1 at byte 8: the journal does not begin with the design it started from.");
    QCOMPARE(of({}), "Entry 1 at byte 8: the journal's first entry, the design it started from, is incomplete or damaged.");
    QCOMPARE(of({{K::Design, {}, {}, 0, std::vector(65535, r[0])}, {K::Append, {}, {}, 0, {r[0]}}}),
             "Entry 2 at byte 524307: it takes the design to 65536 shapes; a design file holds at most 65535.");
    const std::pair<CJournalEdit, const char *> broken[] = {
        {{K(9)}, "kind 9 is not one of 1 to 7."}, {{K::Remove, {2}}, "place 2 is out of range (0 to 1)."},
        {{K::Remove, {70000}}, "place 70000 is out of range."}, {{K::RemoveLast, {}, {}, 3}, "it removes the last 3 shapes of 2."},
        {{K::Change, {1, 1}, {}, 0, {r[0], r[0]}}, "places 1 and 1 are not in ascending order."},
        {{K::Insert, {0, 1}, {}, 0, {r[0]}}, "it holds 1 shape for 2 places."}, {{K::Move, {0, 1}, {1}}, "it ends early."},
        {{K::Remove, {0}, {1}}, "it goes on for 4 bytes after its end."},
        {{K::Append, {}, {}, 0, {QByteArray::fromHex("0700FFFFFF000000")}},
         "its shapes, from byte 96, are not a design file's: Record 1 at byte 10: type 7 is neither 1 (polygon) nor 2 (polyline)."}};
    for (const auto &[edit, why] : broken)
        QCOMPARE(of({two, edit}), "Entry 2 at byte 91: " + QByteArray(why));

    // A session, each change on disk: where each entry ends, and the design after it.
    CDesignDocument document;
    std::vector<std::pair<qint64, QByteArray>> states;
    QByteArray journal;
    {
        CRecoveryFile recovery(File("cut"));
        recovery.Follow(document);
        for (std::mt19937 random(1); states.size() < 25;) {
            Edit(document, random);
            recovery.Flush();
            if (const qint64 size = QFileInfo(recovery.FileName()).size(); size > 0)
                states.emplace_back(size, Records(document.Shapes()));
        }
        journal = ReadFileBytes(recovery.FileName());
    }
    // Cut at any byte, or with any byte damaged, a journal replays to the design before the entry there.
    for (auto [cut, state] = std::pair(states[0].first, states.begin()); cut <= journal.size(); ++cut) {
        state += state + 1 != states.end() && state[1].first <= cut;
        QByteArray damaged = journal;
        damaged[cut % journal.size()] ^= 0x10;
        QVERIFY(Replayed(journal.left(cut)) == state->second && (cut == journal.size() || Replayed(damaged) == state->second));
    }

    // The program killed at any instant, appending or writing a fresh journal: every replay is the design after some
    // number of the session's changes. Slots, locks and temporary files are taken again: nothing piles up.
    constexpr int Steps = 1000;
    std::set<QByteArray> prefixes = {{}};
    CDesignDocument oracle;
    CRecoveryFile bounded(File("bounded"));
    bounded.Follow(oracle);
    std::mt19937 session(7);
    for (int step = 1; step <= Steps; ++step) {
        Edit(oracle, session);
        prefixes.insert(Records(oracle.Shapes()));
        // Written afresh whenever it passes four times the design, and 64 KiB.
        if (step % 100 == 0) {
            bounded.Flush();
            QVERIFY(QFileInfo(bounded.FileName()).size() <= std::max<qint64>(4 * (Records(oracle.Shapes()).size() + 10), 65536));
        }
    }
    // A temporary file of a slot a killed run held goes when the slot is claimed again.
    QDir().mkpath(File("crash"));
    WriteFileBytes(File("crash/design-2.journal.x"), "");
    int restored = 0;
    std::mt19937 moments(11);
    for (int run = 0; run < 30; ++run) {
        int started[2];
        QVERIFY(pipe(started) == 0);
        const pid_t child = fork();
        if (child == 0) {
            CDesignDocument edited;
            CRecoveryFile recovery(File("crash"));
            recovery.Follow(edited);
            std::mt19937 random(7);
            for (int step = 0; step < Steps; ++step) {
                Edit(edited, random);
                // The kill's moment counts from the first edits on disk, however slow the start.
                if (step == 20) {
                    recovery.Flush();
                    (void)!write(started[1], "", 1);
                }
                // About a click a millisecond, so that the kills spread over the session.
                if (step % 10 == 0)
                    usleep(500);
            }
            recovery.Flush();
            pause();
        }
        char ready;
        (void)!read(started[0], &ready, 1);
        close(started[0]);
        close(started[1]);
        usleep(moments() % 70000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        CRecoveryFile next(File("crash"));
        for (CCrashCopy &copy : next.Orphans()) {
            const QByteArray design = Records(copy.Replay());
            QVERIFY(prefixes.count(design));
            restored += !design.isEmpty();
            copy.Discard();
        }
    }
    QVERIFY(restored > 15);
    QCOMPARE(QDir(File("crash")).entryList(QDir::Files), QStringList());

    // Two programs: a copy one of them is asking about is not offered by the other.
    CRecoveryFile(File("crash")).Follow(document);
    const auto offeredElsewhere = [&] {
        const pid_t child = fork();
        if (child == 0)
            _exit(int(CRecoveryFile(File("crash")).Orphans().size()));
        int status = 0;
        waitpid(child, &status, 0);
        return WEXITSTATUS(status);
    };
    std::vector<CCrashCopy> asked = CRecoveryFile(File("crash")).Orphans();
    const int meanwhile = offeredElsewhere();
    asked.clear();
    QCOMPARE(Str(meanwhile, offeredElsewhere()), "0 1");

    // No slot: the reason the copy cannot be written.
    WriteFileBytes(File("file"), "");
    for (int slot = 1; slot <= 999; ++slot)
        WriteFileBytes(File("crash/design-%1.journal").arg(slot), "");
    for (const QString &folder : {File("file/v"), File("crash")}) {
        try {
            CRecoveryFile(folder).Flush();
        } catch (const CFileException &e) {
            m_seam->texts << e.Description();
        }
    }
    QCOMPARE(m_seam->texts.join('|'), "Cannot make the folder " + File("file/v") + " (Not a directory)|All 999 slots of " + File("crash") + " are taken");
    // Syncs that fail, of a fresh journal (f), of its folder (d), of an append (a): Flush says so for each edit not yet durable.
    for (const char *kind : {"f", "d", "a"}) {
        CDesignDocument edited;
        CRecoveryFile synced(File("sync") + kind);
        synced.Follow(edited);
        std::tie(FailingSyncs::folder, FailingSyncs::kinds) = std::pair(File("sync").toLocal8Bit(), QByteArray(kind));
        for (int edit = 0; edit < 2; ++edit) {
            edited.AddShapes(MakeCopies(MakeShape(1, {{0.5, 70}}), 1, false));
            try {
                synced.Flush();
                m_seam->texts << "durable";
            } catch (const CFileException &e) {
                m_seam->texts << e.Description();
            }
        }
        FailingSyncs::kinds.clear();
    }
    QCOMPARE(m_seam->texts.mid(2).join('|'), "Input/output error|Input/output error|Input/output error|Input/output error|durable|Input/output error");
    // A batch past the limit midway and back within it at its end, through the writer: replayed as written.
    CJournalWriter writer(File("limit"));
    const std::vector many(40000, r[0]);
    writer.Write({two}, true);
    writer.Write({{K::Append, {}, {}, 0, many}, {K::Append, {}, {}, 0, many}, {K::RemoveLast, {}, {}, 40000}}, true);
    QCOMPARE(of({}, ReadFileBytes(File("limit"))), r[1] + r[2] + r[0].repeated(40000));
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
    // s select the next digit, k change from the context menu (0x123456), e
    // change by F2 cancelled, d double-click item 3; then S Save, C Cancel or
    // E Enter on the list. The drop-down starts
    // 10 11 12 13 14 with item 3 selected; afterwards its colours, its
    // selection and the chooser's starting colours.
    const std::pair<const char *, const char *> rows[] = {
        {"S", "10 11 12 13 14 -1"}, {"ars3raC", "10 11 12 13 14 3 10 13"}, {"aaS", "10 11 12 13 14 1193046 1193046 -1 10 10"},
        {"s3rrS", "10 11 14 -1"}, {"rrcS", "12 13 14 -1 12"}, {"rrrrrraS", "1193046 -1 0"},
        {"s2keS", "10 11 1193046 13 14 -1 12 1193046"}, {"drE", "10 11 12 14 -1"}};
    for (const auto &[actions, expected] : rows) {
        CColourComboBox list;
        for (const int colour : {10, 11, 12, 13, 14})
            list.AddColour(colour);
        list.SelectIndex(3);
        m_seam->initials.clear();
        CColourPickerDlg picker;
        picker.m_pCombo = &list;
        CColourListBox &entries = picker.m_ColourList;
        // A failed check inside the dialog closes it and fails after exec().
        bool copied = false;
        QTimer::singleShot(0, &picker, [&, actions = actions] {
            copied = Colours(picker.m_ColourList) == Colours(list) && picker.m_ColourList.SelectedIndex() == 0 &&
                     QTest::qWaitForWindowActive(&picker); // for its keys
            for (const char *a = actions; *a; ++a) {
                switch (*a) {
                case 'a': m_seam->colours.push_back(0x123456); [[fallthrough]];
                case 'c': picker.OnAdd(); break;
                case 'r': picker.OnRemove(); break;
                case 's': picker.m_ColourList.SelectIndex(*++a - '0'); break;
                case 'k': m_seam->colours.push_back(0x123456); for (QAction *x : entries.actions()) x->text() == "&Change Colour..." ? x->trigger() : void(); break;
                case 'e': QTest::keyClick(&entries, Qt::Key_F2); break;
                case 'd': QTest::mouseDClick(entries.viewport(), Qt::LeftButton, {}, entries.visualItemRect(entries.item(3)).center()); break;
                case 'E': QTest::keyClick(&entries, Qt::Key_Return); break;
                default: // the buttons themselves
                    for (QPushButton *button : picker.findChildren<QPushButton *>())
                        if (button->text() == (*a == 'S' ? "Save" : "Cancel"))
                            button->click();
                }
            }
            if (picker.isVisible())
                picker.done(-1);
        });
        QVERIFY(picker.exec() != -1 && copied);
        QCOMPARE(Str(Colours(list), list.SelectedIndex(), m_seam->initials).trimmed(), expected);
    }
}

namespace {

// Generate onto a full disk (designs below and beyond the write buffer, a disk
// filling part-way), into a read-only folder, onto a folder; then settings that
// a full disk or a read-only folder refuse. Nothing there may change.
const struct { const char *fault; int shapes, room; const char *reason; } FullDiskRows[] = {
    {"", 40, 0, ""}, {"disk", 2, 0, "No space left on device"}, {"disk", 40, 0, "No space left on device"},
    {"disk", 40, 4096, "No space left on device"}, {"read-only", 2, 0, "Permission denied"},
    {"folder", 2, 0, "is a folder."}, {"sync", 2, 0, "Input/output error"}, {"disk settings", 0, 0, "No space left on device"},
    {"read-only settings", 0, 0, "Permission denied"}, {"sync settings", 0, 0, "Input/output error"}};

} // namespace

void tst_Window::fullDisk_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(FullDiskRows)); ++i)
        QTest::newRow(qPrintable(Str(FullDiskRows[i].fault, FullDiskRows[i].shapes, FullDiskRows[i].room))) << i;
}

void tst_Window::fullDisk()
{
    QFETCH(int, row);
    const auto &r = FullDiskRows[row];
    const QString fault = r.fault;
    const bool settings = fault.endsWith("settings");
    const QString folder = File(settings ? "Marbrel" : "designs"), target = folder + (settings ? "/vortigram.conf" : "/d.jvf");
    CSmallDisk disk(folder);
    if (fault.contains("disk") && !disk.Why().isEmpty())
        QSKIP(qPrintable(disk.Why())); // this row alone
    WriteFileBytes(target, "an earlier design");
    QDir().mkpath(folder + "/inner");
    const Window w = Open();
    ShapeList design(r.shapes);
    for (auto &shape : design)
        shape = MakeShape(1, std::vector<PolarPoint>(49));
    w->Document().AddShapes(std::move(design));
    w->Document().MarkUnmodified();
    m_seam->files = {folder + (fault == "folder" ? "/inner" : "/d.jvf")};
    m_seam->answers = {B::Retry, B::Discard}; // try again, then close anyway
    if (fault.contains("disk"))
        disk.Fill(r.room);
    FailingSyncs::folder = folder.toLocal8Bit();
    FailingSyncs::kinds = fault.startsWith("sync") ? "f" : "";
    if (fault.startsWith("read-only")) { // the file itself could be written in place
        QFile::setPermissions(File(""), QFile::permissions(File("")) | QFile::ExeOther);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadOther | QFile::WriteOther);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    }
    {
        std::optional<CUnprivileged> user;
        if (fault.startsWith("read-only"))
            user.emplace();
        if (settings) { // Escape cancels the close: the window stays
            const auto answers = std::exchange(m_seam->answers, {});
            QVERIFY(!w->close() && w->isVisible());
            m_seam->answers = answers;
        }
        QCOMPARE(settings ? w->close() : w->Files().OnGenerate(), fault.isEmpty() || settings);
    }
    QFile::remove(folder + "/filler");
    FailingSyncs::kinds.clear();
    const QString said = m_seam->texts.value(settings);
    QCOMPARE(Str(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), ReadFileBytes(target).size(), m_seam->texts.size()),
             Str(settings ? "inner vortigram.conf" : "d.jvf inner", fault.isEmpty() ? 31690 : 17, fault.isEmpty() ? 0 : 1 + 2 * settings));
    QVERIFY2(fault.isEmpty() || (said.endsWith(r.reason) && said.startsWith(settings ? "The settings could not be saved to " +
             target + ":\n" : "Problem opening file!\n")), qPrintable(said));
}

void tst_Window::fileTies()
{
    // Open Recent: a name two entries share shows its folder, from ~ in the home folder; the whole path in the tips; & is no key.
    const QString home = QDir::homePath();
    m_settings->WriteIni(QString("[Recent]\n0=%1/a/x\n1=%1/x\n2=%1x/x\n3=/x\n4=%1/&\n").arg(home).toUtf8());
    const Window w = Open();
    const std::unique_ptr<QMenu> menu(w->Files().RecentMenu(nullptr));
    QString said;
    for (const QAction *item : menu->actions())
        said += item->text() + item->statusTip() + (item->toolTip() == item->statusTip() ? "|" : "?");
    QCOMPARE(said.replace(home, "H"), "&1 x (~/a)H/a/x|&2 x (~)H/x|&3 x (Hx)Hx/x|&4 x (/)/x|&5 &&H/&||&Clear List?");
    // Each undo step keeps its file and whether the file holds it, through the window's keys (Y: Ctrl+Shift+Z, G: Ctrl+Shift+S),
    // with a shape drawn (D), a restore (R), closing (X, and whether C is as it was) and a folder in C's place (F) or not.
    const auto one = [](char name) { return QByteArray::fromHex("FFE0AD0F0100FFFFFF000101FFFFFF000000") + Le(0.5) + Le(name); };
    for (const char name : {'A', 'B', 'C'})
        WriteFileBytes(File(QString(name)), one(name));
    m_seam->files = {File("C"), "", File("A"), File("B"), File("G"), ""};
    m_seam->answers = {B::Discard, B::Cancel, B::Save, B::Ok, B::Save};
    said.clear();
    for (const char key : QByteArray("OZSYODOZSYZZGYZZRZYSXZDFXFX")) {
        switch (key) {
        case 'D': Draw(*w, {{240, 150}, {280, 150}}); break;
        case 'R': w->Document().ReplaceAll({}, "Restore design"), w->Files().Restored(); break;
        case 'X': said += Str(w->close(), ReadFileBytes(File("C")) == one('C')); break;
        case 'F': QFileInfo(File("C")).isDir() ? QDir().rmdir(File("C")) : QFile::remove(File("C")) && QDir().mkdir(File("C")); break;
        default: QTest::keyClick(w.get(), "OZZSS"[QByteArray("OZYSG").indexOf(key)], Qt::ControlModifier | (key == 'Y' || key == 'G' ? Qt::ShiftModifier : Qt::NoModifier));
        }
        said += w->windowTitle().left(1) + (w->isWindowModified() ? "* " : " ");
    }
    QCOMPARE(said, "C V V C A A* B A* A B A A* G A G C V C V V 0 1V C C* C* 0 0C* C* 1 0C ");
    QCOMPARE(Str(ReadFileBytes(File("C")) == DesignHeader(2) + Records(w->Shapes()), ReadFileBytes(File("A")).replace(Le('A'), Le('C')) == ReadFileBytes(File("C")),
                 ReadFileBytes(File("B")) == one('B'), ReadFileBytes(File("G")) == one('A'), m_seam->folders.size(), m_seam->offered.removeDuplicates()),
             "1 1 1 1 6 2");
    QCOMPARE(Str(m_seam->offered, m_seam->texts.mid(0, 3)), "&Save|&Generate...|&Discard|&Cancel &Generate...|&Discard|&Cancel The design has changes that "
             "were not saved to A.\nSave them before opening B? The design has shapes that were not generated into a design file.\nGenerate it before "
             "closing? The design has changes that were not saved to C.\nSave them before closing?");
    // New (Ctrl+N): after the question, an empty design with no file and nothing to lose, as one step.
    const Window n = Open();
    Draw(*n, {{240, 150}, {280, 150}});
    m_seam->answers = {B::Cancel, B::Discard};
    QString steps;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(n.get(), i < 2 ? Qt::Key_N : Qt::Key_Z, Qt::ControlModifier);
        steps += Str(n->Shapes().size(), n->windowTitle(), n->Document().IsModified(), n->Document().UndoStack().undoText()) + ',';
    }
    QCOMPARE(steps, "1 Vortigram 1 Add shape,0 Vortigram 0 New design,1 Vortigram 1 Add shape,");
}

void tst_Window::restoreKilled()
{
    // A restore, then a Clear, killed after each of its system calls (traced), the crash copy's last entry torn: each
    // next start finds one copy, of the restored design (1 shape) or, once the Clear is written, the empty one (0).
    QByteArray record, found;
    MakeShape(1, {{0.5, 70}})->AppendRecord(record);
    m_seam->answers = {B::Yes};
    QDir().mkpath(File("k"));
    for (int calls = 0, status = -1; !WIFEXITED(status); ++calls, found += ' ') {
        WriteFileBytes(File("k/design-1.journal"), QByteArray("VJNL\1\0\0\0", 8) + EncodeJournalEntry({JournalKind::Design, {}, {}, 0, {record}}) + ' ');
        const pid_t child = fork();
        if (child == 0) {
            CDesignDocument document;
            CRecoveryFile run(File("k"));
            run.Follow(document);
            ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
            raise(SIGSTOP);
            OfferRecovery(nullptr, run, document);
            document.Clear();
            run.Flush();
            _exit(0);
        }
        // Stopped by its SIGSTOP, then at the start and at the end of each system call.
        for (int stop = 0; stop <= 2 * calls && !WIFEXITED(status); ++stop)
            waitpid(child, &status, 0), stop < 2 * calls && ptrace(PTRACE_SYSCALL, child, nullptr, nullptr);
        kill(child, SIGKILL), waitpid(child, nullptr, 0);
        for (CCrashCopy &copy : CRecoveryFile(File("k")).Orphans())
            found += char('0' + copy.Replay().size()), copy.Discard();
    }
    QVERIFY2(QRegularExpression("^([01] )+(?<=0 )$").match(found).hasMatch(), found);
}

void tst_Window::clipboard()
{
    // A group of three and a triangle alone, all copied: the shapes exactly, as SVG and as a picture.
    const Window w = Open();
    w->Options().SetCopies(3);
    Draw(*w, {{240, 120}, {260, 150}, {220, 150}});
    w->Options().SetCopies(1);
    Draw(*w, {{90, 290}, {110, 290}, {100, 310}});
    QClipboard &clipboard = *QGuiApplication::clipboard();
    const auto put = [&](const QString &type, const QByteArray &bytes) { auto *data = new QMimeData; data->setData(type, bytes); clipboard.setMimeData(data); };
    QStringList log;
    const auto note = [&] {
        log << Str(w->Shapes().size(), w->Selection().Shapes(), w->Status().Texts().value(1), w->Document().UndoStack().undoText(),
                   w->Status().currentMessage(), m_seam->texts.isEmpty() ? "" : m_seam->texts.takeFirst());
    };
    const auto key = [&](Qt::Key k) { QTest::keyClick(&w->Canvas(), k, Qt::ControlModifier); note(); };
    clipboard.setText("hello");
    key(Qt::Key_V);
    key(Qt::Key_C); // greyed: nothing selected
    QCOMPARE(clipboard.text(), "hello");
    key(Qt::Key_A);
    key(Qt::Key_C);
    const QMimeData &copied = *clipboard.mimeData();
    const QString svg = copied.data("image/svg+xml");
    const QImage picture = copied.imageData().value<QImage>();
    QCOMPARE(Str(copied.formats(), svg.count("<poly"), svg.section(" points=\"", 1, 1).section('"', 0, 0), picture.size().width(), picture.size().height()),
             "application/x-vortigram-shapes image/svg+xml application/x-qt-image 4 153.000,68.000 173.000,98.000 133.000,98.000 306 306");
    QCOMPARE(Str(picture.pixel(13, 245), picture.pixel(13, 232), picture.pixel(0, 0)), Str(0xFF000000, 0xFFFFFFFF, 0xFF000000));
    key(Qt::Key_V); // on top, the group a group again
    const auto &group = w->Shapes()[4]->Group().group;
    QCOMPARE(Str(Records(Select(w->Shapes(), {4, 5, 6, 7}).shapes) == Records(Select(w->Shapes(), {0, 1, 2, 3}).shapes), group && group != w->Shapes()[0]->Group().group,
                 w->Shapes()[6]->Group() == GroupLink{group, 2}, !w->Shapes()[7]->Group().group), "1 1 1 1");
    w->Selection().Set({7});
    key(Qt::Key_X);
    key(Qt::Key_Z);
    key(Qt::Key_V);
    // Refused whole: data of the own type that is malformed, and shapes past the limit.
    put(ShapesMimeType, "VGSH\2");
    key(Qt::Key_V);
    put(ShapesMimeType, EncodeShapes(Select(w->Shapes(), {0, 1})));
    ShapeList many;
    while (many.size() < MaxDesignShapes - 10)
        many.push_back(MakeShape(2, {{0, 1}}));
    w->Document().AddShapes(std::move(many));
    key(Qt::Key_V);
    w->Document().UndoStack().undo();
    // SVG: pasted, imported from the menu, dropped (at scale 2); a file that is no SVG.
    const QByteArray drawing = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='-50 -50 100 100'><circle r='5' fill='red'/></svg>";
    WriteFileBytes(File("a.svg"), drawing);
    WriteFileBytes(File("b.svg"), "<html/>");
    put("image/svg+xml", drawing);
    key(Qt::Key_V);
    m_seam->files = {File("s.jvf"), File("a.svg"), File("b.svg")};
    w->Files().OnGenerate(); // Import SVG... starts in its folder
    for (int i = 0; i < 2; ++i)
        w->Commands().Action("importSvg")->trigger(), note();
    w->Options().SetScale(2); // finer curves
    w->Foreground().SelectIndex(1); // for the outline the drawing leaves out
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(File("a.svg")), QUrl::fromLocalFile(File("c.jvf"))});
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &files, Qt::LeftButton, {});
    QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &files, Qt::LeftButton, {});
    QCoreApplication::sendEvent(w.get(), &enter);
    QCoreApplication::sendEvent(w.get(), &drop);
    QTest::qWait(20);
    note();
    note();
    const CObjectStorage &last = *w->Shapes().back();
    log << Str(w->Shapes()[9]->PointCount(), last.PointCount(), last.Type(), last.FillColour().red, last.PenColour().red, last.Points()[1].angle, last.Points()[1].radius,
               m_seam->folders.last() == m_settings->Path());
    QCOMPARE(log.join('\n').replace(File(""), "/"),
             "4  Drawing Add shape Added 1 shape The clipboard holds text, which cannot be pasted: only shapes copied in Vortigram and SVG drawings can.\n"
             "4  Drawing Add shape Added 1 shape \n4 0 1 2 3 Selecting Add shape Added 1 shape \n4 0 1 2 3 Selecting Add shape Added 1 shape \n"
             "8 4 5 6 7 Selecting Paste Pasted 4 shapes \n7  Selecting Cut Cut 1 shape \n8 7 Selecting Paste Undid Cut \n9 8 Selecting Paste Pasted 1 shape \n"
             "9 8 Selecting Paste Pasted 1 shape Cannot import the clipboard's shapes.\nByte 0: the data does not begin with the 7-byte header of Vortigram's shapes.\n"
             "65534 8 Selecting Add shape Added 65525 shapes A design file holds at most 65,535 shapes: the design has 65534, and 2 more would not fit. Nothing was added.\n"
             "10 9 Selecting Import SVG Imported 1 shape 1 shape came in.\n11 10 Selecting Import SVG Imported 1 shape 1 shape came in.\n"
             "11 10 Selecting Import SVG Imported 1 shape Cannot import /b.svg.\nIt is no SVG drawing: it begins with <html>, not <svg>.\n"
             "12 11 Selecting Import SVG Imported 1 shape 1 shape came in.\n12 11 Selecting Import SVG Imported 1 shape 2 files were dropped; only the first, a.svg, was imported.\n"
             "12 16 1 255 128 1.97049899078 5.00129346187 1");
}

namespace {

// Frame k as --render draws it, which the animation tests find --animate writing.
QImage Rendered(const ShapeList &shapes, QSize size, int k)
{
    const PreviewFrame f = PreviewFrameAt(k);
    return PaintPicture({size, f.scale, f.rotation}, shapes);
}

QImage Shown(QWidget &widget, const QRect &area)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(area);
}

} // namespace

void tst_Window::livePreview()
{
    // Hidden at the first start; F6 opens it, and it stays open across a close.
    Window w = Open();
    QVERIFY(w->LivePreview().isHidden());
    QTest::keyClick(w.get(), Qt::Key_F6);
    QVERIFY(w->close() && ReadFileBytes(m_settings->IniFile()).contains("[LivePreview]\nOpen=1\n"));
    w = Open();
    CLivePreview &live = w->LivePreview();
    CFramePlayer &player = live.Player();
    QTRY_VERIFY(live.isVisible() && live.IsPlaying() && player.Frame() > 0);
    // Input works while it plays, and the first frame after an edit shows it.
    QImage first;
    int k = 0;
    connect(&player, &CFramePlayer::FrameShown, this, [&](int shown) { if (first.isNull()) first = CanvasOf(player.Image()).copy(), k = shown; });
    Draw(*w, {{240, 150}, {300, 150}, {300, 100}});
    QCOMPARE(Str(w->Shapes().size(), live.IsPlaying()), "1 1");
    first = QImage();
    QTRY_VERIFY(!first.isNull());
    QCOMPARE(first, Rendered(w->Shapes(), first.size(), k));
    // Test pauses it; paused, the slider picks the frame, drawn as Test and --animate draw it.
    w->SetFrameDelay(std::chrono::milliseconds(3));
    std::map<int, QImage> test;
    QTimer grab;
    grab.callOnTimeout([&] {
        const int shown = std::lround((w->FrameView().viewport.scale - 0.1) / 0.004);
        if (w->IsAnimating() && !live.IsPlaying() && !test.count(shown))
            test[shown] = Shown(w->Canvas(), w->Canvas().rect());
    });
    grab.start(1);
    w->OnTest();
    grab.stop();
    QVERIFY(test.size() >= 3 && live.IsPlaying());
    for (const auto &[shown, image] : test)
        QCOMPARE(image, Rendered(w->Shapes(), w->Canvas().size(), shown));
    live.PauseButton().click();
    for (const int pick : {1, 200, 360}) {
        live.Slider().setValue(pick);
        QTRY_COMPARE(player.Frame(), pick);
        QCOMPARE(Shown(live.View(), live.View().rect()), Rendered(w->Shapes(), live.View().size(), pick));
    }
    // Paused, an undo repaints the frame; closed with F6, it stays closed.
    QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE(Shown(live.View(), live.View().rect()), Rendered({}, live.View().size(), 360));
    QCOMPARE(Str(live.IsPlaying(), live.PauseButton().text()), "0 Play");
    QTest::keyClick(w.get(), Qt::Key_F6);
    QVERIFY(live.isHidden() && w->close() && ReadFileBytes(m_settings->IniFile()).contains("[LivePreview]\nOpen=0\n"));
    QVERIFY(Open()->LivePreview().isHidden());
}

void tst_Window::fullScreen()
{
    // The frames on a square in the middle, on black, as --animate draws them at the square's size.
    ShapeList shapes;
    shapes.push_back(MakeShape(1, {{0.5, 300}, {2, 300}, {4, 200}}, {255, 0, 0}));
    CPlayerWindow play(std::make_shared<const ShapeList>(CloneShapes(shapes)));
    play.resize(300, 200);
    play.show();
    QTRY_VERIFY(play.Player().IsPlaying() && play.Player().Frame() > 0);
    QTest::keyClick(&play, Qt::Key_Space);
    QVERIFY(!play.Player().IsPlaying());
    for (const int k : {1, 120, 360}) {
        play.Player().Seek(k);
        QTRY_COMPARE(play.Player().Frame(), k);
        QCOMPARE(play.View().FrameArea(), QRect(50, 0, 200, 200));
        QCOMPARE(Str(Shown(play.View(), {0, 0, 1, 1}).pixel(0, 0) == qRgb(0, 0, 0)), "1");
        QCOMPARE(Shown(play.View(), play.View().FrameArea()), Rendered(shapes, {200, 200}, k));
    }
    // From the editor (F11): Escape, q or a click ends it, and the live preview plays on.
    const Window w = Open();
    QTest::keyClick(w.get(), Qt::Key_F6);
    QString ended;
    for (const char how : {'E', 'q', 'c'}) {
        QTest::keyClick(w.get(), Qt::Key_F11);
        QPointer<CPlayerWindow> full = w->findChild<CPlayerWindow *>();
        QTRY_VERIFY(full && full->isVisible() && !w->LivePreview().IsPlaying());
        how == 'c' ? QTest::mouseClick(full.data(), Qt::LeftButton) : QTest::keyClick(full.data(), how == 'q' ? Qt::Key_Q : Qt::Key_Escape);
        QTRY_VERIFY(!full);
        ended += Str(w->LivePreview().IsPlaying());
    }
    QCOMPARE(ended, "111");
}

void tst_Window::zoomAndPan()
{
    const Window w = Open();
    CCanvasWidget &canvas = w->Canvas();
    const auto wheel = [&](QPoint at, int dx, int dy, Qt::KeyboardModifiers keys) {
        QWheelEvent e(at, canvas.mapToGlobal(at), {}, {dx, dy}, Qt::NoButton, keys, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&canvas, &e);
    };
    const auto drag = [&](Qt::MouseButton button, QPoint from, QPoint by) {
        QTest::mousePress(&canvas, button, {}, from);
        QTest::mouseMove(&canvas, from + by);
        QTest::mouseRelease(&canvas, button, {}, from + by);
    };
    QStringList seen;
    const auto note = [&] {
        seen << Str(w->ScaleField().text(), canvas.Viewport().Offset().x(), canvas.Viewport().Offset().y(), w->Settings().scale);
    };
    m_seam->files = {File("a.png"), File("b.png")};
    m_seam->sizes = {QSize(), QSize()};
    QSignalSpy written(&w->Pictures(), &CPictureCommands::ImageFinished);
    w->Commands().Action("image")->trigger();
    QTRY_COMPARE(written.size(), 1);
    // Keys zoom about the centre, Ctrl+wheel about the pointer; the wheel,
    // Shift+wheel, a middle drag and Space with a left drag pan, in grid steps.
    const QPoint at = canvas.Viewport().centre + QPoint(100, -60);
    QTest::keyClick(&canvas, Qt::Key_Equal, Qt::ControlModifier);
    note();
    QTest::keyClick(&canvas, Qt::Key_Minus, Qt::ControlModifier);
    wheel(at, 0, 240, Qt::ControlModifier);
    note();
    wheel(at, 0, -120, {});
    wheel(at, 0, 120, Qt::ShiftModifier);
    note();
    drag(Qt::MiddleButton, at, {37, -12});
    QTest::keyPress(&canvas, Qt::Key_Space);
    drag(Qt::LeftButton, at, {-4, 26});
    QTest::keyRelease(&canvas, Qt::Key_Space);
    note();
    // Pictures keep the centred view; a click is stored about the moved
    // centre (which lies 5 pixels below a row of the grid): 55 and 50 pixels off it.
    w->Commands().Action("image")->trigger();
    QTRY_COMPARE(written.size(), 2);
    const QPoint centre = canvas.Viewport().centre + Strip;
    Draw(*w, {centre + QPoint(0, -50), centre + QPoint(50, 0)});
    const std::vector<PolarPoint> &stored = w->Shapes().at(0)->Points();
    seen << Str(w->Shapes().size(), stored[0].angle, stored[0].radius, stored[1].angle, stored[1].radius);
    QTest::keyClick(&canvas, Qt::Key_0, Qt::ControlModifier);
    note();
    w->Commands().Action("fit")->trigger();
    note();
    QCOMPARE(seen.join(" | "), "1.25 0 0 1.25 | 1.5625 -60 30 1.5625 | 1.5625 -20 -10 1.5625 | 1.5625 20 10 1.5625 | "
                               "1 0 35.2 1.4711276743 32.1596019876 | 1 0 0 1 | 3.83522727272727 0 0 3.83522727273");
    QVERIFY(ReadFileBytes(File("a.png")) == ReadFileBytes(File("b.png")));
}

QTEST_MAIN(tst_Window)
#include "tst_window.moc"
