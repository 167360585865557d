#pragma once

#include "model/ShapeEdits.h"

#include <QObject>

#include <functional>
#include <optional>

class CSelection;
class CToolManager;
class QAction;
class QMenu;
class QWidget;

// The commands that change what is drawn: Clear, the selection mode and
// the commands on the selection, each one undo step with its own name. Their
// keys work wherever the focus is in the window; none acts while the window
// is busy (an entry, a drag, the preview).
class CEditCommands : public QObject
{
    Q_OBJECT

public:
    struct Context
    {
        QWidget &window;
        CDesignDocument &document;
        CSelection &selection;
        CToolManager &tools;
        std::function<bool()> busy;
        // Spokes of polar snapping: the turn step is a quarter of a spoke.
        std::function<int()> spokes;
        // Adds shapes as one step, or refuses them with a message.
        std::function<bool(ShapeList, const QString &)> add;
    };

    explicit CEditCommands(Context context);

    QAction *SelectMode() const { return m_selectMode; }
    QAction *ClearAction() const { return m_clear; }
    // Select Shapes, Select All, then the selection's commands as the
    // Selection submenu lists them.
    const QList<QAction *> &Actions() const { return m_menuItems; }
    // The selection's commands, for the menu.
    void AddTo(QMenu &menu) const;

    // A colour or kind chosen in the control strip: applied to the
    // selection, if there is one. False when nothing is selected.
    bool SetFill(std::int32_t colour);
    bool SetPen(std::int32_t colour);
    bool SetKind(int type);

public slots:
    void OnClear();

private:
    QAction *Make(const QString &text, const QList<QKeySequence> &keys,
                  const std::function<void()> &command);
    bool Ready() const;
    void Change(const std::function<ShapeChanges(const SelectedShapes &)> &edit, const QString &name);
    void Move(const Places &to, const QString &name);
    void UpdateActions();

    Context m_context;
    QAction *m_selectMode;
    QAction *m_clear;
    QList<QAction *> m_onSelection; // enabled only with a selection
    QList<QAction *> m_menuItems;
};
