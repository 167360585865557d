// The colour lists: loading and saving them, their swatches, and the Colour
// Picker that edits a copy of one.
#include "palette/ColourComboBox.h"
#include "palette/ColourPickerDlg.h"
#include "platform/SettingsStore.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTimer>

class tst_Palette : public QObject
{
    Q_OBJECT

private slots:
    void load_data();
    void load();
    void save();
    void swatches();
    void picker_data();
    void picker();

private:
    TempSettings m_settings;
    ScriptedSeam m_seam;
};

namespace {

const QList<int> Defaults{0, 128, 32768, 32896, 8388608, 8388736, 8421376, 12632256, 12639424, 15780518};

} // namespace

void tst_Palette::load_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("nothing stored") << QByteArray() << Defaults;
    QTest::newRow("ends at the first missing entry") << QByteArray("[Background]\n0=255\n1=16777215\n3=7\n") << QList<int>{255, 16777215};
    QTest::newRow("empty first entry") << QByteArray("[Background]\n0=\n1=5\n") << Defaults;
    QTest::newRow("one black") << QByteArray("[Background]\n0=0\n") << QList<int>{0};
    QTest::newRow("read as atoi reads")
        << QByteArray("[Background]\n0=abc\n1=12abc\n2=-7x\n3=+42\n4=\" \\t 9 1\"\n5=0x1F\n6=--5\n7=000255\n8=2147483648\n9=-2147483649\n10=\n11=6\n")
        << QList<int>{0, 12, -7, 42, 9, 0, 0, 255, INT32_MAX, INT32_MIN};
    QTest::newRow("only the user's own file") << QByteArray("[Background]\n0=255\n") << QList<int>{255};
}

void tst_Palette::load()
{
    QFETCH(QByteArray, ini);
    QFETCH(QList<int>, expected);
    m_settings.WriteIni(ini);
    // Files the user did not write must not leak in.
    WriteFileBytes(m_settings.Path() + "/Marbrel.conf", "[Background]\n0=1\n1=2\n2=3\n3=4\n");
    QDir().mkpath(m_settings.Path() + "/system/Marbrel");
    WriteFileBytes(m_settings.Path() + "/system/Marbrel/vortigram.conf", "[Background]\n0=1\n1=2\n2=3\n3=4\n");
    CColourComboBox combo;
    combo.AddColour(7);
    combo.LoadColours(CSettingsStore(), "Background");
    QCOMPARE(Colours(combo), QList<int>{7} + expected); // appended, nothing selected
    QCOMPARE(combo.SelectedIndex(), -1);
}

void tst_Palette::save()
{
    m_settings.WriteIni("[Background]\n0=1\n1=2\n2=3\n3=4\n4=5\n[Foreground]\n0=9\n[Junk]\nx=1\n");
    CSettingsStore store;
    CColourComboBox combo;
    for (const int colour : {255, -1, 16777215})
        combo.AddColour(colour);
    combo.SaveColours(store, "Background");
    store.Save({"Background", "Foreground"});
    QCOMPARE(ReadFileBytes(m_settings.IniFile()), "[Background]\n0=255\n1=-1\n2=16777215\n\n[Foreground]\n0=9\n\n");
}

void tst_Palette::swatches()
{
    CColourComboBox combo;
    combo.AddColour(0x0000FF);
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    combo.DrawItem(painter, QRect(0, 0, 40, 20), 0, true);
    combo.DrawItem(painter, QRect(0, 0, 40, 20), -1, false); // no item: nothing
    painter.end();
    QCOMPARE(combo.MeasureItem(), 20);
    QCOMPARE(image.pixel(3, 3), qRgb(255, 0, 0));    // the swatch, 3 pixels in
    QCOMPARE(image.pixel(36, 16), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(37, 10), qRgb(255, 255, 255)); // the margin stays
    QCOMPARE(image.pixel(2, 2), combo.palette().color(QPalette::Text).rgb()); // the focus ring
}

void tst_Palette::picker_data()
{
    // Actions: a add (the chooser answers 0x123456), c add cancelled, r remove,
    // s select the item of the next digit; then Save (S) or Cancel (C).
    QTest::addColumn<QList<int>>("combo");
    QTest::addColumn<QString>("actions");
    QTest::addColumn<QList<int>>("expected"); // the drop-down's colours afterwards
    QTest::addColumn<int>("selected");        // in the drop-down afterwards
    QTest::addColumn<QList<int>>("initials"); // the chooser's starting colours
    const QList<int> five{10, 11, 12, 13, 14};
    QTest::newRow("save unchanged") << five << "S" << five << -1 << QList<int>{};
    QTest::newRow("cancel") << five << "ars3rC" << five << 3 << QList<int>{10};
    QTest::newRow("add keeps item 0 selected") << five << "aaS" << five + QList<int>{0x123456, 0x123456} << -1 << QList<int>{10, 10};
    QTest::newRow("remove 3 selects 2") << five << "s3rrS" << QList<int>{10, 11, 14} << -1 << QList<int>{};
    QTest::newRow("remove 0 selects the new 0") << five << "rrcS" << QList<int>{12, 13, 14} << -1 << QList<int>{12};
    QTest::newRow("empty list adds black") << QList<int>{5} << "rraS" << QList<int>{0x123456} << -1 << QList<int>{0};
    QTest::newRow("empty drop-down") << QList<int>{} << "rS" << QList<int>{} << -1 << QList<int>{};
}

void tst_Palette::picker()
{
    QFETCH(QList<int>, combo);
    QFETCH(QString, actions);
    QFETCH(QList<int>, expected);
    QFETCH(int, selected);
    QFETCH(QList<int>, initials);
    CColourComboBox dropDown;
    for (const int colour : combo)
        dropDown.AddColour(colour);
    dropDown.SelectIndex(3);
    m_seam.colourInitials.clear();
    CColourPickerDlg picker;
    picker.m_pCombo = &dropDown;
    QTimer::singleShot(0, &picker, [&] {
        QCOMPARE(Colours(picker.m_ColourList), combo); // a copy, item 0 selected
        QCOMPARE(picker.m_ColourList.SelectedIndex(), combo.isEmpty() ? -1 : 0);
        for (qsizetype i = 0; i < actions.size(); ++i) {
            switch (actions[i].unicode()) {
            case 'a': m_seam.colours.push_back(0x123456); picker.OnAdd(); break;
            case 'c': picker.OnAdd(); break;
            case 'r': picker.OnRemove(); break;
            case 's': picker.m_ColourList.SelectIndex(actions[++i].digitValue()); break;
            case 'S': picker.OnOK(); break;
            case 'C': picker.reject(); break;
            }
        }
    });
    picker.exec();
    QCOMPARE(Colours(dropDown), expected);
    QCOMPARE(dropDown.SelectedIndex(), selected);
    QCOMPARE(m_seam.colourInitials, QList<std::uint32_t>(initials.begin(), initials.end()));
}

QTEST_MAIN(tst_Palette)
#include "tst_palette.moc"
