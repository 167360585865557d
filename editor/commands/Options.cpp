#include "commands/Options.h"

#include "commands/CopiesDlg.h"
#include "model/Copies.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QWidget>

namespace {

// Spokes of the polar guides and steps of polar snapping without copies.
constexpr int DefaultSpokes = 12;

} // namespace

COptions::COptions(QWidget &window, std::function<bool()> busy)
    : QObject(&window), m_window(window), m_busy(std::move(busy))
{
    const auto make = [this](const QString &text, const QKeySequence &key, auto slot) {
        auto *action = new QAction(text, this);
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, slot);
        m_window.addAction(action); // the keys work wherever the focus is in the window
        return action;
    };
    m_moreCopies = make(QStringLiteral("&More Copies"), QKeySequence(Qt::CTRL | Qt::Key_Up),
                        [this] { SetCopies(m_values.copies + 1); });
    m_fewerCopies = make(QStringLiteral("&Fewer Copies"), QKeySequence(Qt::CTRL | Qt::Key_Down),
                         [this] { SetCopies(m_values.copies - 1); });
    m_mirror = make(QStringLiteral("M&irror Copies"), QKeySequence(Qt::CTRL | Qt::Key_M), &COptions::SetMirror);
    m_guides = make(QStringLiteral("Polar Gui&des"), QKeySequence(Qt::CTRL | Qt::Key_G), &COptions::SetGuides);
    // % as typed, with Shift or without as the layout gives it; Ctrl+P prints.
    m_snap = make(QStringLiteral("Polar S&napping"), QKeySequence(Qt::Key_Percent), &COptions::SetPolarSnapping);
    m_snap->setShortcuts({QKeySequence(Qt::Key_Percent), QKeySequence(Qt::SHIFT | Qt::Key_Percent)});
    m_cycle = make(QStringLiteral("C&ycle Colours"), QKeySequence(), &COptions::SetCycleColours);
    m_smooth = make(QStringLiteral("&Smooth Edges"), QKeySequence(), &COptions::SetSmooth);
    m_dialog = make(QStringLiteral("&Copies..."), QKeySequence(), [this] {
        if (m_busy())
            return;
        if (const std::optional<CopySettings> chosen = AskCopies(&m_window, m_values))
            SetCopying(*chosen);
    });
    for (QAction *toggle : {m_mirror, m_guides, m_snap, m_cycle, m_smooth})
        toggle->setCheckable(true);
}

void COptions::Load(const CSettingsStore &store)
{
    m_values = CEditorSettings::Load(store);
    m_mirror->setChecked(m_values.mirror);
    m_guides->setChecked(m_values.guides);
    m_snap->setChecked(m_values.polarSnap);
    m_cycle->setChecked(m_values.cycleColours);
    m_smooth->setChecked(m_values.smooth);
    UpdateCounts();
}

int COptions::Spokes() const
{
    // Spokes at the copies only where they close a turn.
    const bool wholeTurn = m_values.span == 360 && !m_values.openArc;
    return m_values.copies > 1 && wholeTurn ? m_values.copies : DefaultSpokes;
}

void COptions::AddTo(QMenu &menu)
{
    // Every letter of "Copies..." is another item's key here: it opens the count's submenu.
    QMenu *counts = AddCountMenu(menu);
    QAction *first = counts->actions().value(0);
    counts->insertAction(first, m_dialog);
    counts->insertSeparator(first);
    menu.addActions({m_moreCopies, m_fewerCopies, m_mirror, m_cycle});
    menu.addSeparator();
    menu.addActions({m_guides, m_snap});
}

QMenu *COptions::AddCountMenu(QMenu &menu)
{
    // The count is the access key: every letter of the text is another item's.
    QMenu *copies = menu.addMenu(QStringLiteral("Copies Around the Centre: &%1").arg(m_values.copies));
    auto *group = new QActionGroup(copies);
    for (int n = MinCopies; n <= QuickCopies; ++n) {
        QAction *item = copies->addAction(QString::number(n), this, [this, n] { SetCopies(n); });
        item->setCheckable(true);
        item->setChecked(n == m_values.copies);
        group->addAction(item);
    }
    return copies;
}

void COptions::UpdateCounts()
{
    m_moreCopies->setEnabled(m_values.copies < MaxCopies);
    m_fewerCopies->setEnabled(m_values.copies > MinCopies);
}

void COptions::SetScale(double scale)
{
    if (m_busy() || scale == m_values.scale)
        return;
    m_values.scale = scale;
    emit ViewChanged();
    emit Changed();
}

void COptions::SetCopies(int copies)
{
    if (copies >= MinCopies && copies <= MaxCopies)
        SetCopying({copies, 360, false, 1, m_values.mirror});
}

void COptions::SetCopying(const CopySettings &copying)
{
    if (m_busy() || !CopySettingsProblem(copying).isEmpty() || copying == m_values)
        return;
    static_cast<CopySettings &>(m_values) = copying;
    m_mirror->setChecked(copying.mirror);
    UpdateCounts();
    emit ViewChanged(); // the guides have a spoke per copy
    emit Changed();
}

void COptions::Toggle(bool CEditorSettings::*option, bool on, QAction *action, bool view)
{
    if (!m_busy() && on != m_values.*option) {
        m_values.*option = on;
        if (view)
            emit ViewChanged();
        emit Changed();
    }
    action->setChecked(m_values.*option);
}

void COptions::SetMirror(bool on)
{
    Toggle(&CEditorSettings::mirror, on, m_mirror, false);
}

void COptions::SetGuides(bool on)
{
    Toggle(&CEditorSettings::guides, on, m_guides, true);
}

void COptions::SetPolarSnapping(bool on)
{
    Toggle(&CEditorSettings::polarSnap, on, m_snap, false);
}

void COptions::SetCycleColours(bool on)
{
    Toggle(&CEditorSettings::cycleColours, on, m_cycle, false);
}

void COptions::SetSmooth(bool on)
{
    Toggle(&CEditorSettings::smooth, on, m_smooth, true);
}
