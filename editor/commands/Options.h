#pragma once

#include "commands/EditorSettings.h"

#include <QObject>

#include <functional>

class CSettingsStore;
class QAction;
class QMenu;
class QWidget;

// How shapes are drawn and shown: the scale, copies around the centre (1 to
// 360, spread over a span, scaled per copy), Mirror, polar guides, polar
// snapping and cycling colours; the menu items and keys of the toggles, and
// the section of the settings file they are kept in. Nothing changes while
// the window is busy.
class COptions : public QObject
{
    Q_OBJECT

public:
    COptions(QWidget &window, std::function<bool()> busy);

    const CEditorSettings &Values() const { return m_values; }
    void Load(const CSettingsStore &store);
    void Save(CSettingsStore &store) const { m_values.Save(store); }
    // Spokes of the guides and of polar snapping: one per copy of a whole
    // turn, or 12.
    int Spokes() const;
    // The copies submenu and the toggles, for the window's menu.
    void AddTo(QMenu &menu);
    // The submenu that picks the count, made afresh with the count in its text.
    QMenu *AddCountMenu(QMenu &menu);
    // More Copies, Fewer Copies, Mirror Copies, Cycle Colours, Polar Guides,
    // Polar Snapping, Copies..., Smooth Edges.
    QList<QAction *> Actions() const
    {
        return {m_moreCopies, m_fewerCopies, m_mirror, m_cycle, m_guides, m_snap, m_dialog, m_smooth};
    }

public slots:
    void SetScale(double scale);
    // A count of copies over a whole turn, unscaled (the quick counts, More
    // and Fewer Copies).
    void SetCopies(int copies);
    // All the copy settings at once (the Copies dialog); refused ones are ignored.
    void SetCopying(const CopySettings &copying);
    void SetMirror(bool on);
    void SetGuides(bool on);
    void SetPolarSnapping(bool on);
    void SetCycleColours(bool on);
    void SetSmooth(bool on);

signals:
    // The canvas looks different: the scale, the guides or their spokes, smooth edges.
    void ViewChanged();
    // Any option changed: the settings file wants writing.
    void Changed();

private:
    // Applies a change unless busy; the menu item shows the value either way.
    void Toggle(bool CEditorSettings::*option, bool on, QAction *action, bool view);
    // More and Fewer Copies are greyed at the ends of the range.
    void UpdateCounts();

    QWidget &m_window;
    std::function<bool()> m_busy;
    CEditorSettings m_values;
    QAction *m_moreCopies;
    QAction *m_fewerCopies;
    QAction *m_mirror;
    QAction *m_guides;
    QAction *m_snap;
    QAction *m_cycle;
    QAction *m_smooth;
    QAction *m_dialog; // Copies...: count, spread, scale per copy, mirror
};
