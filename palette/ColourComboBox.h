#pragma once

#include <QComboBox>

#include <cstdint>

class CSettingsStore;
class QPainter;
class QRect;

// A drop-down list of colour swatches. Each item is one 0x00BBGGRR value and
// nothing else: no text, never sorted, duplicates allowed. The items can be
// loaded from and saved to a section of the settings store.
class CColourComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit CColourComboBox(QWidget *parent = nullptr);

    // Appends an item; the selection is left as it was.
    void AddColour(std::int32_t value);
    int ColourCount() const;
    // -1 when there is no item at index.
    std::int32_t ColourAt(int index) const;
    // -1 for no selection.
    int SelectedIndex() const;
    // Any index without an item (such as -1) clears the selection.
    void SelectIndex(int index);
    // Leaves no selection.
    void RemoveAllColours();
    // ColourAt(SelectedIndex()): -1 with no selection.
    std::int32_t SelectedColour() const;

    // Appends the list stored in the section (entries "0", "1", ... up to the
    // first missing or empty one), or the ten default colours when there is
    // none. Selects nothing.
    void LoadColours(const CSettingsStore &store, const QString &section);
    // Makes the section hold exactly this list (written when the store is saved).
    void SaveColours(CSettingsStore &store, const QString &section) const;

    void DrawItem(QPainter &painter, const QRect &itemRect, int index, bool drawFocus) const;
    int MeasureItem() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSize WithFieldHeight(QSize hint) const;
};
