#include "palette/ColourComboBox.h"
#include "palette/ColourListBox.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QTest>

#include <limits>

class tst_ColourLists : public QObject
{
    Q_OBJECT

private slots:
    void loadColours_data();
    void loadColours();
    void loadAppendsToExistingItems();
    void saveColours_data();
    void saveColours();
    void itemOperations();
    void listCopiesToAndFromCombo();
    void deleteColourKeepsOtherSelection_data();
    void deleteColourKeepsOtherSelection();
    void drawItem_data();
    void drawItem();
    void listRowsAreSwatchesWithoutHighlight();
    void comboFieldShowsSelectedSwatch();
};

namespace {

constexpr int Min32 = std::numeric_limits<std::int32_t>::min();
constexpr int Max32 = std::numeric_limits<std::int32_t>::max();

constexpr int Rgb(int r, int g, int b)
{
    return r | (g << 8) | (b << 16);
}

const QList<int> Defaults = {Rgb(0, 0, 0),       Rgb(128, 0, 0),     Rgb(0, 128, 0),
                             Rgb(128, 128, 0),   Rgb(0, 0, 128),     Rgb(128, 0, 128),
                             Rgb(0, 128, 128),   Rgb(192, 192, 192), Rgb(192, 220, 192),
                             Rgb(166, 202, 240)};

void WriteIni(const TempSettings &settings, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(settings.IniFile()).path());
    WriteFileBytes(settings.IniFile(), content);
}

template <typename List>
void Fill(List &list, const QList<int> &colours)
{
    for (const int colour : colours)
        list.AddColour(colour);
}

// The lines of one section of the INI file, as written.
QStringList SectionLines(const QString &path, const QString &section)
{
    QStringList lines;
    bool inside = false;
    for (const QByteArray &line : ReadFileBytes(path).split('\n')) {
        if (line.startsWith('['))
            inside = line == "[" + section.toUtf8() + "]";
        else if (inside && !line.isEmpty())
            lines.append(QString::fromUtf8(line));
    }
    return lines;
}

} // namespace

void tst_ColourLists::loadColours_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("nothing stored") << QByteArray() << Defaults;
    QTest::newRow("other sections only")
        << QByteArray("[Foreground]\n0=5\n[Settings]\nScale=2\n") << Defaults;
    QTest::newRow("red, white; list ends at the first missing entry")
        << QByteArray("[Background]\n0=255\n1=16777215\n3=7\n") << QList<int>{255, 16777215};
    QTest::newRow("empty first entry gives the defaults")
        << QByteArray("[Background]\n0=\n1=5\n") << Defaults;
    QTest::newRow("empty entry ends the list")
        << QByteArray("[Background]\n0=1\n1=\"\"\n2=3\n") << QList<int>{1};
    QTest::newRow("single black entry") << QByteArray("[Background]\n0=0\n") << QList<int>{0};
    QTest::newRow("letters and numbers followed by letters")
        << QByteArray("[Background]\n0=abc\n1=12abc\n2=-7x\n3=+42\n4=\" \\t 9 1\"\n5=0x1F\n"
                      "6=-\n7=- 5\n8=--5\n9=000255\n10=5\n")
        << QList<int>{0, 12, -7, 42, 9, 0, 0, 0, 0, 255, 5};
    QTest::newRow("negative values")
        << QByteArray("[Background]\n0=-1\n1=-2147483648\n2=2147483647\n")
        << QList<int>{-1, Min32, Max32};
    QTest::newRow("huge numbers are clamped")
        << QByteArray("[Background]\n0=2147483648\n1=4294967295\n2=99999999999999999999999999\n"
                      "3=-2147483649\n4=-99999999999999999999999999\n")
        << QList<int>{Max32, Max32, Max32, Min32, Min32};
}

void tst_ColourLists::loadColours()
{
    QFETCH(QByteArray, ini);
    QFETCH(QList<int>, expected);
    const TempSettings settings;
    if (!ini.isEmpty())
        WriteIni(settings, ini);

    CColourComboBox combo;
    combo.LoadColours("Background");
    QCOMPARE(Colours(combo), expected);
    QCOMPARE(combo.SelectedIndex(), -1);
}

void tst_ColourLists::loadAppendsToExistingItems()
{
    const TempSettings settings;
    WriteIni(settings, "[Foreground]\n0=255\n1=65280\n");
    CColourComboBox combo;
    Fill(combo, {7, 8});
    combo.SelectIndex(1);
    combo.LoadColours("Foreground");
    QCOMPARE(Colours(combo), (QList<int>{7, 8, 255, 65280}));
    // The defaults stand in for a missing list even when items are already there.
    combo.LoadColours("Background");
    QCOMPARE(Colours(combo), (QList<int>{7, 8, 255, 65280} + Defaults));
    QCOMPARE(combo.SelectedIndex(), 1);
}

void tst_ColourLists::saveColours_data()
{
    QTest::addColumn<QList<int>>("colours");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("3 items after a stored list of 5")
        << QList<int>{255, -1, 16777215} << QStringList{"0=255", "1=-1", "2=16777215"};
    QTest::newRow("extremes and duplicates")
        << QList<int>{Min32, Max32, 0, 0}
        << QStringList{"0=-2147483648", "1=2147483647", "2=0", "3=0"};
    QTest::newRow("empty list") << QList<int>{} << QStringList{};
}

void tst_ColourLists::saveColours()
{
    QFETCH(QList<int>, colours);
    QFETCH(QStringList, lines);
    const TempSettings settings;
    WriteIni(settings, "[Background]\n0=1\n1=2\n2=3\n3=4\n4=5\n"
                       "[Foreground]\n0=9\n[Settings]\nScale=2.5\n");

    CColourComboBox combo;
    Fill(combo, colours);
    combo.SaveColours("Background");

    QCOMPARE(SectionLines(settings.IniFile(), "Background"), lines);
    QCOMPARE(SectionLines(settings.IniFile(), "Foreground"), QStringList{"0=9"});
    QCOMPARE(SectionLines(settings.IniFile(), "Settings"), QStringList{"Scale=2.5"});

    CColourComboBox reloaded;
    reloaded.LoadColours("Background");
    QCOMPARE(Colours(reloaded), colours.isEmpty() ? Defaults : colours);
}

namespace {

template <typename List>
void CheckItemOperations()
{
    List list;
    Fill(list, {5, 5, 9});
    // Adding never selects, not even the first item.
    QCOMPARE(list.SelectedIndex(), -1);
    QCOMPARE(Colours(list), (QList<int>{5, 5, 9}));
    for (const int missing : {-1, 3})
        QCOMPARE(list.ColourAt(missing), -1);

    list.SelectIndex(2);
    list.AddColour(1);
    QCOMPARE(list.SelectedIndex(), 2);
    for (const int clearing : {-1, 4}) {
        list.SelectIndex(1);
        list.SelectIndex(clearing);
        QCOMPARE(list.SelectedIndex(), -1);
    }

    list.SelectIndex(0);
    list.RemoveAllColours();
    QCOMPARE(list.ColourCount(), 0);
    QCOMPARE(list.SelectedIndex(), -1);
}

} // namespace

void tst_ColourLists::itemOperations()
{
    CheckItemOperations<CColourComboBox>();
    CheckItemOperations<CColourListBox>();
}

void tst_ColourLists::listCopiesToAndFromCombo()
{
    CColourComboBox combo;
    Fill(combo, {1, -1, 1, 0x00FF00});
    combo.SelectIndex(3);
    CColourListBox list;
    Fill(list, {42});
    list.SelectIndex(0);

    list.CopyFromCombo(combo);
    QCOMPARE(Colours(list), (QList<int>{1, -1, 1, 0x00FF00}));
    QCOMPARE(list.SelectedIndex(), -1);
    QCOMPARE(combo.SelectedIndex(), 3);

    list.DeleteColour(0);
    list.AddColour(7);
    list.SelectIndex(1);
    list.CopyToCombo(combo);
    QCOMPARE(Colours(combo), (QList<int>{-1, 1, 0x00FF00, 7}));
    QCOMPARE(combo.SelectedIndex(), -1);
    QCOMPARE(list.SelectedIndex(), 1);

    list.RemoveAllColours();
    list.CopyToCombo(combo);
    QCOMPARE(combo.ColourCount(), 0);
}

void tst_ColourLists::deleteColourKeepsOtherSelection_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<QList<int>>("remaining");
    QTest::addColumn<int>("selectedAfter");

    QTest::newRow("selected item") << 2 << 2 << QList<int>{10, 11, 13} << -1;
    QTest::newRow("before the selection") << 2 << 0 << QList<int>{11, 12, 13} << 1;
    QTest::newRow("after the selection") << 1 << 3 << QList<int>{10, 11, 12} << 1;
}

void tst_ColourLists::deleteColourKeepsOtherSelection()
{
    QFETCH(int, selected);
    QFETCH(int, deleted);
    QFETCH(QList<int>, remaining);
    QFETCH(int, selectedAfter);
    CColourListBox list;
    Fill(list, {10, 11, 12, 13});
    list.SelectIndex(selected);
    list.DeleteColour(deleted);
    QCOMPARE(Colours(list), remaining);
    QCOMPARE(list.SelectedIndex(), selectedAfter);
}

void tst_ColourLists::drawItem_data()
{
    QTest::addColumn<bool>("onList");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("focus");
    QTest::addColumn<QRect>("itemRect");
    QTest::addColumn<QColor>("swatch"); // invalid: no swatch

    // Items: 0 = red, 1 = blue with a top byte set.
    for (const bool onList : {false, true}) {
        const char *control = onList ? "list" : "combo";
        QTest::addRow("%s: item", control)
            << onList << 0 << false << QRect(5, 4, 40, 20) << QColor(255, 0, 0);
        QTest::addRow("%s: focused item", control)
            << onList << 0 << true << QRect(5, 4, 40, 20) << QColor(255, 0, 0);
        QTest::addRow("%s: top byte ignored", control)
            << onList << 1 << true << QRect(0, 0, 31, 17) << QColor(0, 0, 255);
        QTest::addRow("%s: no item, focus ring only", control)
            << onList << -1 << true << QRect(5, 4, 40, 20) << QColor();
        QTest::addRow("%s: index past the end", control)
            << onList << 2 << false << QRect(5, 4, 40, 20) << QColor();
    }
}

void tst_ColourLists::drawItem()
{
    QFETCH(bool, onList);
    QFETCH(int, index);
    QFETCH(bool, focus);
    QFETCH(QRect, itemRect);
    QFETCH(QColor, swatch);

    CColourComboBox combo;
    CColourListBox list;
    const QList<int> items{255, static_cast<int>(0x7FFF0000)};
    Fill(combo, items);
    Fill(list, items);
    list.SelectIndex(index); // a selected item looks like any other

    const QColor ground(1, 2, 3);
    QImage image(50, 30, QImage::Format_RGB32);
    image.fill(ground);
    {
        QPainter painter(&image);
        if (onList)
            list.DrawItem(painter, itemRect, index, focus);
        else
            combo.DrawItem(painter, itemRect, index, focus);
    }

    const QColor ring = list.palette().color(QPalette::Text);
    QVERIFY(ring != ground);
    // Distance inwards from the item's edge: 0 on its outer row of pixels.
    const auto depth = [&](int x, int y) {
        return std::min({x - itemRect.left(), itemRect.right() - x, y - itemRect.top(),
                         itemRect.bottom() - y});
    };
    int ringDots = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const QString where = QString("at %1,%2").arg(x).arg(y);
            if (depth(x, y) < 2) {
                QVERIFY2(pixel == ground, qPrintable("margin touched " + where));
            } else if (depth(x, y) == 2) {
                QVERIFY2(pixel == ground || (focus && pixel == ring),
                         qPrintable("ring wrong " + where));
                if (pixel != ring)
                    continue;
                ++ringDots;
                // Dotted: no two neighbouring dots along the ring.
                for (const QPoint next : {QPoint(x + 1, y), QPoint(x, y + 1)})
                    QVERIFY2(depth(next.x(), next.y()) != 2 || image.pixelColor(next) != ring,
                             qPrintable("ring not dotted " + where));
            } else {
                QVERIFY2(pixel == (swatch.isValid() ? swatch : ground),
                         qPrintable("swatch wrong " + where));
            }
        }
    }
    const QRect frame = itemRect.adjusted(2, 2, -2, -2);
    const int framePixels = 2 * (frame.width() + frame.height()) - 4;
    QCOMPARE(ringDots, focus ? (framePixels + 1) / 2 : 0);
}

void tst_ColourLists::listRowsAreSwatchesWithoutHighlight()
{
    CColourListBox list;
    Fill(list, {255, 0x00FF00, 0xFF0000});
    list.resize(120, 100);
    list.SelectIndex(1);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));

    const QImage image = list.viewport()->grab().toImage();
    const QColor base = list.palette().color(QPalette::Base);
    const QColor expected[] = {Qt::red, Qt::green, Qt::blue};
    for (int row = 0; row < 3; ++row) {
        const QRect rect = list.visualItemRect(list.item(row));
        QCOMPARE(rect.height(), list.MeasureItem());
        QCOMPARE(rect.width(), list.viewport()->width());
        QCOMPARE(image.pixelColor(rect.center()), expected[row]);
        QCOMPARE(image.pixelColor(rect.topLeft() + QPoint(1, 1)), base);
        QCOMPARE(image.pixelColor(rect.bottomRight() - QPoint(1, 1)), base);
    }
}

void tst_ColourLists::comboFieldShowsSelectedSwatch()
{
    CColourComboBox empty;
    CColourComboBox combo;
    Fill(combo, {0x00FF00, 0xFF00FF});
    for (CColourComboBox *box : {&empty, &combo})
        box->resize(120, box->sizeHint().height());

    QStyleOptionComboBox option;
    option.initFrom(&combo);
    const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, &combo);
    QVERIFY(field.height() >= combo.MeasureItem() - 6);

    combo.SelectIndex(1);
    QImage image = combo.grab().toImage();
    const QRect swatch = field.adjusted(3, 3, -3, -3);
    for (const QPoint &p : {swatch.topLeft(), swatch.center(), swatch.bottomRight()})
        QCOMPARE(image.pixelColor(p), QColor(255, 0, 255));
    QVERIFY(image.pixelColor(swatch.topLeft() - QPoint(1, 1)) != QColor(255, 0, 255));

    // Without a selection the field is as an empty drop-down paints it.
    combo.SelectIndex(-1);
    QCOMPARE(combo.grab().toImage(), empty.grab().toImage());

    // The open list's rows have the item height too.
    QCOMPARE(combo.view()->sizeHintForRow(0), combo.MeasureItem());
}

QTEST_MAIN(tst_ColourLists)
#include "tst_colourlists.moc"
