#include "palette/ColourComboBox.h"
#include "palette/ColourListBox.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStyleOptionComboBox>
#include <QTest>

#include <cstdint>

class tst_ColourLists : public QObject
{
    Q_OBJECT

private slots:
    void loadColours_data();
    void loadColours();
    void saveColours_data();
    void saveColours();
    void addingNeverSelects();
    void drawItem_data();
    void drawItem();
    void listRowsAreSwatchesWithoutHighlight();
    void comboFieldShowsSelectedSwatch();
};

namespace {

constexpr int Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

const QList<int> Defaults = {Rgb(0, 0, 0),       Rgb(128, 0, 0),     Rgb(0, 128, 0),
                             Rgb(128, 128, 0),   Rgb(0, 0, 128),     Rgb(128, 0, 128),
                             Rgb(0, 128, 128),   Rgb(192, 192, 192), Rgb(192, 220, 192),
                             Rgb(166, 202, 240)};

// The entries of one section of the INI file, as written.
QString SectionText(const QString &path, const QString &section)
{
    const QRegularExpression entries("^\\[" + section + "\\]\n([^[]*)",
                                     QRegularExpression::MultilineOption);
    return entries.match(QString::fromUtf8(ReadFileBytes(path))).captured(1).trimmed();
}

} // namespace

void tst_ColourLists::loadColours_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("nothing stored") << QByteArray() << Defaults;
    QTest::newRow("red, white; list ends at the first missing entry")
        << QByteArray("[Background]\n0=255\n1=16777215\n3=7\n") << QList<int>{255, 16777215};
    QTest::newRow("empty first entry gives the defaults")
        << QByteArray("[Background]\n0=\n1=5\n") << Defaults;
    QTest::newRow("letters and numbers followed by letters")
        << QByteArray("[Background]\n0=abc\n1=12abc\n2=-7x\n3=+42\n4=\" \\t 9 1\"\n5=0x1F\n"
                      "6=-\n7=- 5\n8=--5\n9=000255\n10=5\n11=\n12=6\n")
        << QList<int>{0, 12, -7, 42, 9, 0, 0, 0, 0, 255, 5}; // an empty entry ends the list
    QTest::newRow("32-bit limits, one past them clamped")
        << QByteArray("[Background]\n0=-1\n1=-2147483648\n2=2147483647\n3=2147483648\n"
                      "4=-2147483649\n")
        << QList<int>{-1, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN};
}

void tst_ColourLists::loadColours()
{
    QFETCH(QByteArray, ini);
    QFETCH(QList<int>, expected);
    const TempSettings settings;
    if (!ini.isEmpty())
        settings.WriteIni(ini);

    // Loading appends, and keeps the selection of items already there.
    for (const QList<int> &before : {QList<int>{}, QList<int>{7, 8}}) {
        const int selected = int(before.size()) - 1;
        CColourComboBox combo;
        AddColours(combo, before);
        combo.SelectIndex(selected);
        combo.LoadColours("Background");
        QCOMPARE(Colours(combo), before + expected);
        QCOMPARE(combo.SelectedIndex(), selected);
    }
}

void tst_ColourLists::saveColours_data()
{
    QTest::addColumn<QList<int>>("colours");
    QTest::addColumn<QString>("entries");

    QTest::newRow("3 items after a stored list of 5")
        << QList<int>{255, -1, 16777215} << "0=255\n1=-1\n2=16777215";
    QTest::newRow("empty list") << QList<int>{} << "";
}

void tst_ColourLists::saveColours()
{
    QFETCH(QList<int>, colours);
    QFETCH(QString, entries);
    const TempSettings settings;
    settings.WriteIni("[Background]\n0=1\n1=2\n2=3\n3=4\n4=5\n[Foreground]\n0=9\n");

    CColourComboBox combo;
    AddColours(combo, colours);
    combo.SaveColours("Background");
    QCOMPARE(SectionText(settings.IniFile(), "Background"), entries);
    QCOMPARE(SectionText(settings.IniFile(), "Foreground"), "0=9");

    CColourComboBox reloaded;
    reloaded.LoadColours("Background");
    QCOMPARE(Colours(reloaded), colours.isEmpty() ? Defaults : colours);
}

void tst_ColourLists::addingNeverSelects()
{
    // Not even the first item, which a plain QComboBox selects.
    const auto check = [](auto &&list) {
        AddColours(list, {9, 5, 5}); // never sorted, duplicates kept
        QCOMPARE(list.SelectedIndex(), -1);
        QCOMPARE(Colours(list), (QList<int>{9, 5, 5}));
        QCOMPARE(list.ColourAt(-1), -1);
        QCOMPARE(list.ColourAt(3), -1);
    };
    check(CColourComboBox());
    check(CColourListBox());
}

void tst_ColourLists::drawItem_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("focus");
    QTest::addColumn<QRect>("itemRect");
    QTest::addColumn<QColor>("swatch"); // invalid: no swatch

    // Items: 0 = red, 1 = blue with a top byte set.
    const QRect rect(5, 4, 40, 20);
    QTest::newRow("item") << 0 << false << rect << QColor(Qt::red);
    QTest::newRow("focused, top byte ignored")
        << 1 << true << QRect(0, 0, 31, 17) << QColor(Qt::blue);
    QTest::newRow("no item, focus ring only") << -1 << true << rect << QColor();
    QTest::newRow("index past the end") << 2 << false << rect << QColor();
}

void tst_ColourLists::drawItem()
{
    QFETCH(int, index);
    QFETCH(bool, focus);
    QFETCH(QRect, itemRect);
    QFETCH(QColor, swatch);

    CColourComboBox combo;
    CColourListBox list;
    AddColours(combo, {255, 0x7FFF0000});
    AddColours(list, {255, 0x7FFF0000});
    list.SelectIndex(index); // a selected item looks like any other
    const QColor ground(1, 2, 3);
    const auto draw = [&](const auto &control) {
        QImage image(50, 30, QImage::Format_RGB32);
        image.fill(ground);
        QPainter painter(&image);
        control.DrawItem(painter, itemRect, index, focus);
        painter.end();
        return image;
    };
    const QImage image = draw(list);
    QCOMPARE(draw(combo), image);

    const QColor ring = list.palette().color(QPalette::Text);
    QVERIFY(ring != ground);
    // Distance inwards from the item's edge: 0 on its outer row of pixels.
    const auto depth = [&](int x, int y) {
        return std::min({x - itemRect.left(), itemRect.right() - x, y - itemRect.top(),
                         itemRect.bottom() - y});
    };
    const auto dot = [&](int x, int y) {
        return depth(x, y) == 2 && image.pixelColor(x, y) == ring;
    };
    int ringDots = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const QByteArray at = "at " + QByteArray::number(x) + ',' + QByteArray::number(y);
            if (depth(x, y) == 2) { // the focus ring, dotted: no two dots side by side
                QVERIFY2(pixel == ground || (focus && pixel == ring), at.constData());
                QVERIFY2(!dot(x, y) || !(dot(x + 1, y) || dot(x, y + 1)), at.constData());
                ringDots += dot(x, y);
            } else { // the swatch, and the 2-pixel margin outside the ring untouched
                QVERIFY2(pixel == (depth(x, y) > 2 && swatch.isValid() ? swatch : ground),
                         at.constData());
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
    AddColours(list, {255, 0x00FF00, 0xFF0000});
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
    AddColours(combo, {0x00FF00, 0xFF00FF});
    for (CColourComboBox *box : {&empty, &combo})
        box->resize(120, box->sizeHint().height());

    QStyleOptionComboBox option;
    option.initFrom(&combo);
    const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, &combo);
    QVERIFY(field.height() >= combo.MeasureItem() - 6);

    combo.SelectIndex(1);
    const QImage image = combo.grab().toImage();
    const QRect swatch = field.adjusted(3, 3, -3, -3);
    for (const QPoint &p : {swatch.topLeft(), swatch.center(), swatch.bottomRight()})
        QCOMPARE(image.pixelColor(p), QColor(Qt::magenta));
    QVERIFY(image.pixelColor(swatch.topLeft() - QPoint(1, 1)) != QColor(Qt::magenta));

    // Without a selection the field is as an empty drop-down paints it.
    combo.SelectIndex(-1);
    QCOMPARE(combo.grab().toImage(), empty.grab().toImage());
    // The open list's rows have the item height too.
    QCOMPARE(combo.view()->sizeHintForRow(0), combo.MeasureItem());
}

QTEST_MAIN(tst_ColourLists)
#include "tst_colourlists.moc"
