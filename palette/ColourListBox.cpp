#include "palette/ColourListBox.h"

#include "palette/ColourComboBox.h"
#include "palette/Swatch.h"

#include <QPainter>

#include <memory>

CColourListBox::CColourListBox(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new CSwatchDelegate(
        [this](QPainter &painter, const QRect &rect, int index, bool focus) {
            DrawItem(painter, rect, index, focus);
        },
        MeasureItem(), this));
}

void CColourListBox::AddColour(std::int32_t value)
{
    // The list takes ownership of the item.
    auto *item = new QListWidgetItem(this);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setData(Qt::UserRole, value);
}

void CColourListBox::SetColourAt(int index, std::int32_t value)
{
    if (QListWidgetItem *entry = item(index))
        entry->setData(Qt::UserRole, value);
}

int CColourListBox::ColourCount() const
{
    return count();
}

std::int32_t CColourListBox::ColourAt(int index) const
{
    const QListWidgetItem *entry = item(index);
    return entry ? entry->data(Qt::UserRole).toInt() : -1;
}

int CColourListBox::SelectedIndex() const
{
    // The current item can differ from the selected one (focus alone sets it),
    // so ask the selection.
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void CColourListBox::SelectIndex(int index)
{
    if (index >= 0 && index < count()) {
        setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        return;
    }
    setCurrentItem(nullptr, QItemSelectionModel::Clear);
}

void CColourListBox::DeleteColour(int index)
{
    const int selected = SelectedIndex();
    // The view would move the selection on to a neighbour of a deleted
    // selected item; a deleted selection is simply gone.
    std::unique_ptr<QListWidgetItem> gone(takeItem(index));
    if (!gone)
        return;
    SelectIndex(selected == index ? -1 : selected > index ? selected - 1 : selected);
}

void CColourListBox::RemoveAllColours()
{
    clear();
}

void CColourListBox::CopyFromCombo(const CColourComboBox &combo)
{
    RemoveAllColours();
    for (int i = 0; i < combo.ColourCount(); ++i)
        AddColour(combo.ColourAt(i));
}

void CColourListBox::CopyToCombo(CColourComboBox &combo) const
{
    combo.RemoveAllColours();
    for (int i = 0; i < count(); ++i)
        combo.AddColour(ColourAt(i));
}

void CColourListBox::DrawItem(QPainter &painter, const QRect &itemRect, int index,
                              bool drawFocus) const
{
    PaintSwatchItemAt(painter, itemRect, index, count(), ColourAt(index), drawFocus, palette());
}

int CColourListBox::MeasureItem() const
{
    return SwatchItemHeight;
}
