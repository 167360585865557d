#include "palette/ColourComboBox.h"
#include "palette/ColourPickerDlg.h"
#include "support/TestSupport.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

class tst_ColourPicker : public QObject
{
    Q_OBJECT

private slots:
    void opensOnACopyOfTheDropDown_data();
    void opensOnACopyOfTheDropDown();
    void buttonsFitAndTabInOrder();
    void removeSelectsNeighbour_data();
    void removeSelectsNeighbour();
    void addAppendsChosenColour_data();
    void addAppendsChosenColour();
    void closing_data();
    void closing();
    void doubleClickOnlySelects();
    void withoutDropDownSaveOnlyCloses();
};

namespace {

const QList<int> Five{10, 11, 12, 13, 14};

void Fill(CColourComboBox &combo, const QList<int> &colours)
{
    for (const int colour : colours)
        combo.AddColour(colour);
}

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
        Fill(combo, colours);
        combo.SelectIndex(selected);
        dlg.m_pCombo = &combo;
        dlg.show();
    }
    CColourComboBox combo;
    CColourPickerDlg dlg;
};

} // namespace

void tst_ColourPicker::opensOnACopyOfTheDropDown_data()
{
    QTest::addColumn<QList<int>>("colours");
    QTest::addColumn<int>("comboSelection");
    QTest::addColumn<int>("listSelection");

    const QList<int> ten{0, 128, 32768, 32896, 8388608, 8388736, 8421376, 12632256, 12639424,
                         15780518};
    QTest::newRow("10 colours, none selected") << ten << -1 << 0;
    QTest::newRow("10 colours, item 6 selected") << ten << 6 << 0;
    QTest::newRow("empty drop-down") << QList<int>{} << -1 << -1;
}

void tst_ColourPicker::opensOnACopyOfTheDropDown()
{
    QFETCH(QList<int>, colours);
    QFETCH(int, comboSelection);
    QFETCH(int, listSelection);
    Opened picker(colours, comboSelection);

    QCOMPARE(Colours(picker.dlg.m_ColourList), colours);
    QCOMPARE(picker.dlg.m_ColourList.SelectedIndex(), listSelection);
    QCOMPARE(picker.combo.SelectedIndex(), comboSelection);
    QVERIFY(Button(picker.dlg, "Add").isEnabled());
    QVERIFY(Button(picker.dlg, "Remove").isEnabled());
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

    const QStringList order{"Save", "Cancel", "", "Add", "Remove"};
    QWidget *widget = &Button(dlg, "Save");
    for (const QString &text : order) {
        if (text.isEmpty()) {
            QCOMPARE(widget, &dlg.m_ColourList);
        } else {
            QPushButton &button = Button(dlg, text);
            QCOMPARE(widget, &button);
            // Room for the style's margins and frame around the caption.
            const QStyle &style = *button.style();
            QVERIFY2(button.fontMetrics().horizontalAdvance(text) +
                             2 * style.pixelMetric(QStyle::PM_ButtonMargin) <=
                         button.width(),
                     qPrintable(text));
            QVERIFY2(button.fontMetrics().height() +
                             2 * style.pixelMetric(QStyle::PM_DefaultFrameWidth) <=
                         button.height(),
                     qPrintable(text));
        }
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
    }
    QVERIFY(dlg.rect().contains(dlg.m_ColourList.geometry()));
}

void tst_ColourPicker::removeSelectsNeighbour_data()
{
    QTest::addColumn<QList<int>>("colours");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QList<int>>("remaining");
    QTest::addColumn<int>("selectedAfter");

    QTest::newRow("item 3 of 5") << Five << 3 << QList<int>{10, 11, 12, 14} << 2;
    QTest::newRow("item 0 of 5") << Five << 0 << QList<int>{11, 12, 13, 14} << 0;
    QTest::newRow("last item") << Five << 4 << QList<int>{10, 11, 12, 13} << 3;
    QTest::newRow("only item") << QList<int>{7} << 0 << QList<int>{} << -1;
    QTest::newRow("nothing selected") << Five << -1 << Five << -1;
}

void tst_ColourPicker::removeSelectsNeighbour()
{
    QFETCH(QList<int>, colours);
    QFETCH(int, selected);
    QFETCH(QList<int>, remaining);
    QFETCH(int, selectedAfter);
    Opened picker(colours);
    picker.dlg.m_ColourList.SelectIndex(selected);

    Button(picker.dlg, "Remove").click();
    QCOMPARE(Colours(picker.dlg.m_ColourList), remaining);
    QCOMPARE(picker.dlg.m_ColourList.SelectedIndex(), selectedAfter);
    QVERIFY(Button(picker.dlg, "Add").isEnabled());
    QCOMPARE(Colours(picker.combo), colours);
}

void tst_ColourPicker::addAppendsChosenColour_data()
{
    QTest::addColumn<QList<int>>("colours");
    QTest::addColumn<int>("selected");
    QTest::addColumn<std::optional<std::uint32_t>>("answer");
    QTest::addColumn<std::uint32_t>("initial");
    QTest::addColumn<QList<int>>("after");

    QTest::newRow("item 0 of 5 selected")
        << Five << 0 << std::optional<std::uint32_t>(0x123456) << std::uint32_t(10)
        << QList<int>{10, 11, 12, 13, 14, 0x123456};
    QTest::newRow("item 4 selected, colour already present")
        << Five << 4 << std::optional<std::uint32_t>(11) << std::uint32_t(14)
        << QList<int>{10, 11, 12, 13, 14, 11};
    QTest::newRow("no selection starts from black")
        << Five << -1 << std::optional<std::uint32_t>(0xFF) << std::uint32_t(0)
        << QList<int>{10, 11, 12, 13, 14, 0xFF};
    QTest::newRow("empty list")
        << QList<int>{} << -1 << std::optional<std::uint32_t>(0xFFFFFF) << std::uint32_t(0)
        << QList<int>{0xFFFFFF};
    QTest::newRow("chooser cancelled")
        << Five << 2 << std::optional<std::uint32_t>() << std::uint32_t(12) << Five;
}

void tst_ColourPicker::addAppendsChosenColour()
{
    QFETCH(QList<int>, colours);
    QFETCH(int, selected);
    QFETCH(std::optional<std::uint32_t>, answer);
    QFETCH(std::uint32_t, initial);
    QFETCH(QList<int>, after);
    ScriptedSeam seam;
    seam.colourAnswers.push_back(answer);
    Opened picker(colours);
    picker.dlg.m_ColourList.SelectIndex(selected);

    Button(picker.dlg, "Add").click();
    QCOMPARE(seam.colourInitials, QList<std::uint32_t>{initial});
    QCOMPARE(Colours(picker.dlg.m_ColourList), after);
    QCOMPARE(picker.dlg.m_ColourList.SelectedIndex(), selected);
    QCOMPARE(Colours(picker.combo), colours);
}

void tst_ColourPicker::closing_data()
{
    using Action = std::function<void(CColourPickerDlg &)>;
    QTest::addColumn<Action>("close");
    QTest::addColumn<bool>("saves");

    QTest::newRow("Save") << Action([](CColourPickerDlg &dlg) { Button(dlg, "Save").click(); })
                          << true;
    QTest::newRow("Enter in the list") << Action([](CColourPickerDlg &dlg) {
        QTest::keyClick(&dlg.m_ColourList, Qt::Key_Return);
    }) << true;
    QTest::newRow("Cancel") << Action([](CColourPickerDlg &dlg) { Button(dlg, "Cancel").click(); })
                            << false;
    QTest::newRow("Escape in the list") << Action([](CColourPickerDlg &dlg) {
        QTest::keyClick(&dlg.m_ColourList, Qt::Key_Escape);
    }) << false;
}

void tst_ColourPicker::closing()
{
    using Action = std::function<void(CColourPickerDlg &)>;
    QFETCH(Action, close);
    QFETCH(bool, saves);
    ScriptedSeam seam;
    seam.colourAnswers.push_back(0xABCDEF);
    CColourComboBox combo;
    Fill(combo, Five);
    combo.SelectIndex(3);
    CColourPickerDlg dlg;
    dlg.m_pCombo = &combo;

    // Runs as the editor does, modally; the changes are made once it is up.
    QList<int> listAtStart;
    QTimer::singleShot(0, &dlg, [&] {
        listAtStart = Colours(dlg.m_ColourList);
        Button(dlg, "Remove").click();
        Button(dlg, "Add").click();
        dlg.m_ColourList.setFocus();
        close(dlg);
    });
    const int result = dlg.exec();

    QCOMPARE(listAtStart, Five);
    QCOMPARE(result, saves ? QDialog::Accepted : QDialog::Rejected);
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

void tst_ColourPicker::withoutDropDownSaveOnlyCloses()
{
    ScriptedSeam seam;
    seam.colourAnswers.push_back(5);
    CColourPickerDlg dlg;
    dlg.show();
    QCOMPARE(dlg.m_ColourList.ColourCount(), 0);
    Button(dlg, "Add").click();
    Button(dlg, "Save").click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(!dlg.isVisible());
}

QTEST_MAIN(tst_ColourPicker)
#include "tst_colourpicker.moc"
