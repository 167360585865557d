#include "app/AboutDlg.h"
#include "app/PatternApp.h"
#include "editor/PatternDlg.h"
#include "platform/SettingsStore.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class tst_App : public QObject
{
    Q_OBJECT

private slots:
    void aboutBoxShowsIconAndVersion();
    void aboutBoxClosesWithOk();
    void f1AndAboutCommandOpenTheAboutBox();
    void stripMenuOffersTheAboutBox();
    void programEndsWhenTheEditorIsClosed();
};

namespace {

// Runs check on the next modal dialog of the given class to appear, then closes it.
template <typename Dialog, typename Check>
void WhenShown(Check check)
{
    QTimer::singleShot(0, [check] {
        QTRY_VERIFY(qobject_cast<Dialog *>(QApplication::activeModalWidget()));
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        check(*dialog);
        dialog->close();
    });
}

} // namespace

void tst_App::aboutBoxShowsIconAndVersion()
{
    CAboutDlg about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Vortigram"));
    QStringList texts;
    bool icon = false;
    for (QLabel *label : about.findChildren<QLabel *>()) {
        if (!label->pixmap().isNull())
            icon = label->pixmap().size() == QSize(32, 32);
        else
            texts << label->text();
    }
    QVERIFY(icon);
    QCOMPARE(texts, QStringList{"Vortigram Version 1.0"});
    const auto *version = about.findChildren<QLabel *>().last();
    QCOMPARE(version->textFormat(), Qt::PlainText);
    QVERIFY(version->geometry().right() < about.width());
}

void tst_App::aboutBoxClosesWithOk()
{
    CAboutDlg about;
    auto *ok = about.findChild<QPushButton *>();
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QVERIFY(ok->isDefault());
    QTimer::singleShot(0, ok, &QPushButton::click);
    QCOMPARE(about.exec(), int(QDialog::Accepted));
}

void tst_App::f1AndAboutCommandOpenTheAboutBox()
{
    TempSettings settings;
    CPatternDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    int shown = 0;
    WhenShown<CAboutDlg>([&](CAboutDlg &) { ++shown; });
    QTest::keyClick(&dlg, Qt::Key_F1);
    QCOMPARE(shown, 1);

    WhenShown<CAboutDlg>([&](CAboutDlg &) { ++shown; });
    dlg.OnSysCommand(CPatternDlg::AboutCommand | 0x3); // low bits are ignored
    QCOMPARE(shown, 2);

    dlg.OnSysCommand(0x20);
    QCOMPARE(shown, 2);
}

void tst_App::stripMenuOffersTheAboutBox()
{
    TempSettings settings;
    CPatternDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    QStringList offered;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY(QApplication::activePopupWidget());
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (QAction *action : menu->actions())
            offered << action->text();
        menu->close();
    });
    QContextMenuEvent onStrip(QContextMenuEvent::Mouse, QPoint(20, 40), dlg.mapToGlobal(QPoint(20, 40)));
    QCoreApplication::sendEvent(&dlg, &onStrip);
    QCOMPARE(offered, QStringList{"&About Vortigram..."});

    // On the canvas a right click belongs to shape entry: no menu.
    QContextMenuEvent onCanvas(QContextMenuEvent::Mouse, QPoint(20, 200), dlg.mapToGlobal(QPoint(20, 200)));
    QCoreApplication::sendEvent(&dlg, &onCanvas);
    QVERIFY(!QApplication::activePopupWidget());
}

void tst_App::programEndsWhenTheEditorIsClosed()
{
    TempSettings settings;
    QTimer::singleShot(0, [] {
        QTRY_VERIFY(qobject_cast<CPatternDlg *>(QApplication::activeModalWidget()));
        QApplication::activeModalWidget()->close();
    });
    CPatternApp app;
    QVERIFY(!app.InitInstance());
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Marbrel"));
    // Closed through its close box: the settings were saved.
    QCOMPARE(CSettingsStore().Read("Settings", "Scale"), QStringLiteral("1.000000"));
}

QTEST_MAIN(tst_App)
#include "tst_app.moc"
