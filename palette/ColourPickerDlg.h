#pragma once

#include "palette/ColourListBox.h"

#include <QAction>
#include <QDialog>
#include <QPushButton>

class CColourComboBox;

// Edits a copy of one drop-down's colours: add a colour from the colour
// chooser, change the selected one in place (F2 or the list's context
// menu), remove the selected one. "Save" writes the list back into the
// drop-down (leaving it with no selection); "Cancel" leaves it untouched.
class CColourPickerDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CColourPickerDlg(QWidget *parent = nullptr);

    // The drop-down being edited, not owned; set before the dialog is shown.
    CColourComboBox *m_pCombo = nullptr;
    CColourListBox m_ColourList;

    // Runs each time the dialog is shown: the list becomes a copy of the
    // drop-down, item 0 selected, and "Save" takes the focus.
    void OnInitDialog();

public slots:
    void OnAdd();
    // "&Change Colour...": the chooser, starting at the selected colour;
    // OK puts the chosen one in its place.
    void OnChange();
    void OnRemove();
    // "Save", and Enter through it.
    void OnOK();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton m_save;
    QPushButton m_cancel;
    QPushButton m_add;
    QPushButton m_remove;
    QAction m_change;
};
