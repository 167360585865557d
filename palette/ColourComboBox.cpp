#include "palette/ColourComboBox.h"

#include "palette/Swatch.h"
#include "platform/SettingsStore.h"
#include "platform/SystemPalette.h"

#include <QListView>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <algorithm>
#include <limits>

namespace {

bool IsCSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || (u >= u'\t' && u <= u'\r');
}

// The value of a stored colour text, read as C's atoi reads it but clamped to
// the 32-bit range: leading white space, an optional sign, then decimal digits
// up to the first other character; 0 when there are none.
std::int32_t ColourFromText(const QString &text)
{
    constexpr std::int64_t Max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t Min = std::numeric_limits<std::int32_t>::min();

    qsizetype i = 0;
    while (i < text.size() && IsCSpace(text.at(i)))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    // Once past the 32-bit range the magnitude stops growing, so any number
    // of digits is safe.
    std::int64_t magnitude = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        if (magnitude <= Max)
            magnitude = magnitude * 10 + (text.at(i).unicode() - u'0');
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp(value, Min, Max));
}

} // namespace

CColourComboBox::CColourComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(false);
    setItemDelegate(new CSwatchDelegate(
        [this](QPainter &painter, const QRect &rect, int index, bool focus) {
            DrawItem(painter, rect, index, focus);
        },
        MeasureItem(), this));
    if (auto *list = qobject_cast<QListView *>(view()))
        list->setUniformItemSizes(true);
}

void CColourComboBox::AddColour(std::int32_t value)
{
    const int selected = currentIndex();
    if (selected >= 0) {
        addItem(QString(), value);
        return;
    }
    // QComboBox selects the first item put into an empty box; these lists
    // never select on their own.
    const QSignalBlocker quiet(this);
    addItem(QString(), value);
    setCurrentIndex(-1);
}

int CColourComboBox::ColourCount() const
{
    return count();
}

std::int32_t CColourComboBox::ColourAt(int index) const
{
    if (index < 0 || index >= count())
        return -1;
    return itemData(index).toInt();
}

int CColourComboBox::SelectedIndex() const
{
    return currentIndex();
}

void CColourComboBox::SelectIndex(int index)
{
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
}

void CColourComboBox::RemoveAllColours()
{
    clear();
}

std::int32_t CColourComboBox::SelectedColour() const
{
    return ColourAt(SelectedIndex());
}

void CColourComboBox::LoadColours(const CSettingsStore &store, const QString &section)
{
    int count = 0;
    for (QString text = store.Read(section, QStringLiteral("0")); !text.isEmpty();
         text = store.Read(section, QString::number(count))) {
        AddColour(ColourFromText(text));
        ++count;
    }
    if (count == 0) {
        for (const std::uint32_t colour : DefaultPaletteColours())
            AddColour(static_cast<std::int32_t>(colour));
    }
}

void CColourComboBox::SaveColours(CSettingsStore &store, const QString &section) const
{
    // Entries left over from a longer list would be read back at the next
    // start, so the section is emptied first.
    store.RemoveSection(section);
    for (int i = 0; i < count(); ++i)
        store.Write(section, QString::number(i), QString::number(ColourAt(i)));
}

void CColourComboBox::DrawItem(QPainter &painter, const QRect &itemRect, int index,
                               bool drawFocus) const
{
    PaintSwatchItemAt(painter, itemRect, index, count(), ColourAt(index), drawFocus, palette());
}

int CColourComboBox::MeasureItem() const
{
    return SwatchItemHeight;
}

QSize CColourComboBox::WithFieldHeight(QSize hint) const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QSize field = style()->sizeFromContents(QStyle::CT_ComboBox, &option,
                                                  QSize(0, MeasureItem()), this);
    return hint.expandedTo(QSize(0, field.height()));
}

QSize CColourComboBox::sizeHint() const
{
    return WithFieldHeight(QComboBox::sizeHint());
}

QSize CColourComboBox::minimumSizeHint() const
{
    return WithFieldHeight(QComboBox::minimumSizeHint());
}

void CColourComboBox::paintEvent(QPaintEvent *)
{
    // The base class would paint the item's (empty) text in the closed field;
    // the field shows the selected swatch instead.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawItem(painter, field, currentIndex(), hasFocus());
}
