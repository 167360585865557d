#include "palette/ColourComboBox.h"
#include "palette/ColourPickerDlg.h"
#include "support/TestSupport.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class tst_ColourPicker : public QObject
{
    Q_OBJECT

private slots:
    void opensOnACopyOfTheDropDown();
    void buttonsFitAndTabInOrder();
    void addAndRemove_data();
    void addAndRemove();
    void closing_data();
    void closing();
    void doubleClickOnlySelects();
};

namespace {

const QList<int> Five{10, 11, 12, 13, 14};
using Answer = std::optional<std::uint32_t>;

QPushButton &Button(CColourPickerDlg &dlg, const QString &text)
{
    for (QPushButton *button : dlg.findChildren<QPushButton *>())
        if (button->text() == text)
            return *button;
    qFatal("no button %s", qPrintable(text));
}

// A picker shown on a drop-down, as the editor opens it.
struct Opened
{
    explicit Opened(const QList<int> &colours, int selected = -1)
    {
        AddColours(combo, colours);
        combo.SelectIndex(selected);
        dlg.m_pCombo = &combo;
        dlg.show();
    }
    CColourComboBox combo;
    CColourPickerDlg dlg;
};

} // namespace

void tst_ColourPicker::opensOnACopyOfTheDropDown()
{
    const QList<int> ten{0,       128,     32768,    32896,    8388608,
                         8388736, 8421376, 12632256, 12639424, 15780518};
    Opened picker(ten, 6);
    QCOMPARE(Colours(picker.dlg.m_ColourList), ten);
    QCOMPARE(picker.dlg.m_ColourList.SelectedIndex(), 0);
    QCOMPARE(picker.combo.SelectedIndex(), 6);
    QVERIFY(Button(picker.dlg, "Save").isDefault());
    QCOMPARE(picker.dlg.focusWidget(), &Button(picker.dlg, "Save"));
}

void tst_ColourPicker::buttonsFitAndTabInOrder()
{
    // A large application font must not clip the fixed-size buttons.
    const QFont original = QApplication::font();
    QFont big = original;
    big.setPointSizeF(18);
    QApplication::setFont(big);
    CColourPickerDlg dlg;
    QApplication::setFont(original);

    QWidget *widget = &Button(dlg, "Save");
    for (const QString text : {"Save", "Cancel", "", "Add", "Remove"}) {
        if (text.isEmpty()) {
            QCOMPARE(widget, &dlg.m_ColourList);
        } else {
            // Room for the style's margins and frame around the caption.
            QCOMPARE(widget, &Button(dlg, text));
            const QStyle &style = *widget->style();
            const QFontMetrics metrics = widget->fontMetrics();
            QVERIFY2(metrics.horizontalAdvance(text) +
                             2 * style.pixelMetric(QStyle::PM_ButtonMargin) <= widget->width(),
                     qPrintable(text));
            QVERIFY2(metrics.height() + 2 * style.pixelMetric(QStyle::PM_DefaultFrameWidth) <=
                         widget->height(),
                     qPrintable(text));
        }
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
    }
    QVERIFY(dlg.rect().contains(dlg.m_ColourList.geometry()));
}

// A click on Add or Remove, with the chooser answering Add.
void tst_ColourPicker::addAndRemove_data()
{
    QTest::addColumn<QList<int>>("colours");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("button");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QList<std::uint32_t>>("initials"); // where the chooser starts
    QTest::addColumn<QList<int>>("after");
    QTest::addColumn<int>("selectedAfter");

    const QList<std::uint32_t> none;
    QTest::newRow("remove item 3 of 5")
        << Five << 3 << "Remove" << Answer() << none << QList<int>{10, 11, 12, 14} << 2;
    QTest::newRow("remove item 0 of 5")
        << Five << 0 << "Remove" << Answer() << none << QList<int>{11, 12, 13, 14} << 0;
    QTest::newRow("remove the only item")
        << QList<int>{7} << 0 << "Remove" << Answer() << none << QList<int>{} << -1;
    QTest::newRow("remove, nothing selected") << Five << -1 << "Remove" << Answer() << none << Five
                                              << -1;
    QTest::newRow("add, item 1 selected, colour already present")
        << Five << 1 << "Add" << Answer(13) << QList<std::uint32_t>{11}
        << QList<int>{10, 11, 12, 13, 14, 13} << 1;
    QTest::newRow("add, no selection starts from black")
        << Five << -1 << "Add" << Answer(0x123456) << QList<std::uint32_t>{0}
        << QList<int>{10, 11, 12, 13, 14, 0x123456} << -1;
    QTest::newRow("add to an empty list") << QList<int>{} << -1 << "Add" << Answer(0xFFFFFF)
                                          << QList<std::uint32_t>{0} << QList<int>{0xFFFFFF} << -1;
    QTest::newRow("add, chooser cancelled")
        << Five << 2 << "Add" << Answer() << QList<std::uint32_t>{12} << Five << 2;
}

void tst_ColourPicker::addAndRemove()
{
    QFETCH(QList<int>, colours);
    QFETCH(int, selected);
    QFETCH(QString, button);
    QFETCH(Answer, answer);
    QFETCH(QList<std::uint32_t>, initials);
    QFETCH(QList<int>, after);
    QFETCH(int, selectedAfter);
    ScriptedSeam seam;
    seam.colourAnswers.push_back(answer);
    Opened picker(colours);
    picker.dlg.m_ColourList.SelectIndex(selected);

    Button(picker.dlg, button).click();
    QCOMPARE(seam.colourInitials, initials);
    QCOMPARE(Colours(picker.dlg.m_ColourList), after);
    QCOMPARE(picker.dlg.m_ColourList.SelectedIndex(), selectedAfter);
    QVERIFY(Button(picker.dlg, "Add").isEnabled()); // even on an emptied list
    QCOMPARE(Colours(picker.combo), colours); // untouched until Save
}

void tst_ColourPicker::closing_data()
{
    QTest::addColumn<QString>("button"); // clicked when there is no key
    QTest::addColumn<int>("key");        // pressed in the list
    QTest::addColumn<bool>("saves");

    QTest::newRow("Save") << "Save" << 0 << true;
    QTest::newRow("Enter in the list") << "" << int(Qt::Key_Return) << true;
    QTest::newRow("Cancel") << "Cancel" << 0 << false;
    QTest::newRow("Escape in the list") << "" << int(Qt::Key_Escape) << false;
}

void tst_ColourPicker::closing()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(bool, saves);
    ScriptedSeam seam;
    seam.colourAnswers.push_back(0xABCDEF);
    CColourComboBox combo;
    AddColours(combo, Five);
    combo.SelectIndex(3);
    CColourPickerDlg dlg;
    dlg.m_pCombo = &combo;

    // Runs as the editor does, modally; the changes are made once it is up.
    QTimer::singleShot(0, &dlg, [&] {
        Button(dlg, "Remove").click();
        Button(dlg, "Add").click();
        dlg.m_ColourList.setFocus();
        if (key)
            QTest::keyClick(&dlg.m_ColourList, Qt::Key(key));
        else
            Button(dlg, button).click();
    });
    QCOMPARE(dlg.exec(), int(saves ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(Colours(combo), saves ? (QList<int>{11, 12, 13, 14, 0xABCDEF}) : Five);
    QCOMPARE(combo.SelectedIndex(), saves ? -1 : 3);
}

void tst_ColourPicker::doubleClickOnlySelects()
{
    ScriptedSeam seam;
    Opened picker(Five);
    QVERIFY(QTest::qWaitForWindowExposed(&picker.dlg));
    CColourListBox &list = picker.dlg.m_ColourList;
    const QSignalSpy doubleClicks(&list, &QListWidget::itemDoubleClicked);

    // As the window system delivers one: press, release, double click, release.
    const QPoint item3 = list.visualItemRect(list.item(3)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, item3);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, item3);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, item3);
    QCOMPARE(doubleClicks.count(), 1);
    QCOMPARE(list.SelectedIndex(), 3);
    QVERIFY(seam.colourInitials.isEmpty());
    QVERIFY(picker.dlg.isVisible());
    QCOMPARE(Colours(list), Five);
}

QTEST_MAIN(tst_ColourPicker)
#include "tst_colourpicker.moc"
