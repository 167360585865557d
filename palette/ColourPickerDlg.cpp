#include "palette/ColourPickerDlg.h"

#include "palette/ColourComboBox.h"
#include "platform/DialogSeam.h"
#include "platform/DialogUnits.h"

#include <QShowEvent>

#include <algorithm>

namespace {

// Below this a caption is unreadable anyway.
constexpr double MinimumPointSize = 6.0;

// Shrinks a button's font until its text fits, so a large application font
// cannot clip the captions of the fixed-size layout.
void FitText(QPushButton &button)
{
    const QStyle &style = *button.style();
    const int width = button.width() - 2 * style.pixelMetric(QStyle::PM_ButtonMargin);
    const int height = button.height() - 2 * style.pixelMetric(QStyle::PM_DefaultFrameWidth);
    QFont font = button.font();
    const auto fits = [&] {
        const QFontMetrics metrics(font);
        return metrics.horizontalAdvance(button.text()) <= width && metrics.height() <= height;
    };
    while (!fits() && font.pointSizeF() > MinimumPointSize)
        font.setPointSizeF(std::max(MinimumPointSize, font.pointSizeF() - 0.5));
    if (font != button.font())
        button.setFont(font);
}

} // namespace

CColourPickerDlg::CColourPickerDlg(QWidget *parent)
    : QDialog(parent),
      m_ColourList(this),
      m_save(QStringLiteral("Save"), this),
      m_cancel(QStringLiteral("Cancel"), this),
      m_add(QStringLiteral("Add"), this),
      m_remove(QStringLiteral("Remove"), this),
      m_change(QStringLiteral("&Change Colour..."), this)
{
    setWindowTitle(QStringLiteral("Colour Picker"));
    setFixedSize(DluToPixelsX(144), DluToPixelsY(150));

    m_save.setGeometry(DluRect(87, 7, 50, 14));
    m_cancel.setGeometry(DluRect(87, 23, 50, 14));
    m_ColourList.setGeometry(DluRect(7, 7, 72, 136));
    m_add.setGeometry(DluRect(87, 44, 50, 14));
    m_remove.setGeometry(DluRect(87, 61, 50, 14));
    for (QPushButton *button : {&m_save, &m_cancel, &m_add, &m_remove})
        FitText(*button);
    FitTitle(*this);

    m_save.setDefault(true);
    // The list is built first (it is a public member), so the tab order is
    // set explicitly.
    setTabOrder(&m_save, &m_cancel);
    setTabOrder(&m_cancel, &m_ColourList);
    setTabOrder(&m_ColourList, &m_add);
    setTabOrder(&m_add, &m_remove);

    connect(&m_save, &QPushButton::clicked, this, &CColourPickerDlg::OnOK);
    connect(&m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_add, &QPushButton::clicked, this, &CColourPickerDlg::OnAdd);
    connect(&m_remove, &QPushButton::clicked, this, &CColourPickerDlg::OnRemove);

    // A command of the list, as renaming is in a file manager: a double
    // click only selects, and Enter is Save's.
    m_change.setShortcut(Qt::Key_F2);
    m_change.setEnabled(false);
    m_ColourList.addAction(&m_change);
    m_ColourList.setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(&m_change, &QAction::triggered, this, &CColourPickerDlg::OnChange);
    connect(&m_ColourList, &QListWidget::itemSelectionChanged, this,
            [this] { m_change.setEnabled(m_ColourList.SelectedIndex() >= 0); });
}

void CColourPickerDlg::showEvent(QShowEvent *event)
{
    // A show from the program (exec, open, show) starts a run of the dialog;
    // the window system's own shows, such as restoring, do not.
    if (!event->spontaneous())
        OnInitDialog();
    QDialog::showEvent(event);
}

void CColourPickerDlg::OnInitDialog()
{
    if (m_pCombo)
        m_ColourList.CopyFromCombo(*m_pCombo);
    else
        m_ColourList.RemoveAllColours();
    m_ColourList.SelectIndex(m_ColourList.ColourCount() > 0 ? 0 : -1);
    m_save.setFocus();
}

void CColourPickerDlg::OnAdd()
{
    const int selected = m_ColourList.SelectedIndex();
    const auto initial =
        selected >= 0 ? static_cast<std::uint32_t>(m_ColourList.ColourAt(selected)) : 0U;
    if (const auto chosen = CDialogSeam::Current().ChooseColour(this, initial))
        m_ColourList.AddColour(static_cast<std::int32_t>(*chosen));
}

void CColourPickerDlg::OnChange()
{
    const int selected = m_ColourList.SelectedIndex();
    if (selected < 0)
        return;
    const auto initial = static_cast<std::uint32_t>(m_ColourList.ColourAt(selected));
    if (const auto chosen = CDialogSeam::Current().ChooseColour(this, initial))
        m_ColourList.SetColourAt(selected, static_cast<std::int32_t>(*chosen));
}

void CColourPickerDlg::OnRemove()
{
    const int selected = m_ColourList.SelectedIndex();
    if (selected < 0)
        return;
    m_ColourList.DeleteColour(selected);
    // The item before the removed one, or the new first item; an emptied
    // list has nothing to select.
    m_ColourList.SelectIndex(selected == 0 ? 0 : selected - 1);
}

void CColourPickerDlg::OnOK()
{
    if (m_pCombo)
        m_ColourList.CopyToCombo(*m_pCombo);
    accept();
}
