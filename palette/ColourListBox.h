#pragma once

#include <QListWidget>

#include <cstdint>

class CColourComboBox;
class QPainter;
class QRect;

// A plain list of colour swatches, used to edit a copy of a drop-down's
// colours. Items are 0x00BBGGRR values only: no text, never sorted,
// duplicates allowed, at most one selected.
class CColourListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit CColourListBox(QWidget *parent = nullptr);

    // Appends an item; the selection is left as it was.
    void AddColour(std::int32_t value);
    int ColourCount() const;
    // -1 when there is no item at index.
    std::int32_t ColourAt(int index) const;
    // -1 for no selection.
    int SelectedIndex() const;
    // Any index without an item (such as -1) clears the selection.
    void SelectIndex(int index);
    // Gives the item at index another colour; it stays where it is, and so
    // does the selection.
    void SetColourAt(int index, std::int32_t value);
    // Deleting the selected item leaves no selection; any other selection
    // stays on its item.
    void DeleteColour(int index);
    void RemoveAllColours();

    // Makes this list a copy of the drop-down's items.
    void CopyFromCombo(const CColourComboBox &combo);
    // Makes the drop-down a copy of this list, with no selection.
    void CopyToCombo(CColourComboBox &combo) const;

    void DrawItem(QPainter &painter, const QRect &itemRect, int index, bool drawFocus) const;
    int MeasureItem() const;
};
