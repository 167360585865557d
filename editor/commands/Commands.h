#pragma once

#include <QHash>
#include <QKeySequence>
#include <QMessageBox>
#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QWidget;

// Tells the user something in a message box with the program's caption, or
// the one given: every message of the window goes through here (and the
// dialog seam).
void Say(QWidget *parent, QMessageBox::Icon icon, const QString &text, const QString &caption = QString());

// An action of owner's with these keys that runs unless busy says no.
QAction *UnlessBusy(QObject *owner, const QString &text, const QList<QKeySequence> &keys,
                    std::function<bool()> busy, std::function<void()> run);

// The window's commands by name, each made once: the text with its access
// key, the keys (which work wherever the focus is in the window), what it
// does, and why it is greyed, shown as its status tip while it is. The menu
// bar, the right-click menu and the keys all use these actions. The busy
// rule is kept here too: while it holds (a shape is being entered or
// dragged, or the preview runs) no command acts.
class CCommands : public QObject
{
    Q_OBJECT

public:
    CCommands(QWidget &window, std::function<bool()> busy);

    bool IsBusy() const { return m_busy(); }
    // The busy rule, for the parts that check it themselves.
    std::function<bool()> BusyRule() const { return m_busy; }

    // A command that runs unless busy.
    QAction *Make(const QString &name, const QString &text, const QList<QKeySequence> &keys,
                  const std::function<void()> &run, const QString &whyGreyed = QString());
    // A command a part made and runs itself, kept under name.
    QAction *Adopt(const QString &name, QAction *action, const QString &whyGreyed = QString());
    QAction *Action(const QString &name) const { return m_actions.value(name); }

    // Adds the named commands to menu, in order; "-" is a separator.
    void Fill(QMenu &menu, const QStringList &names) const;

private:
    void ShowWhy(QAction *action, const QString &why);

    QWidget &m_window;
    std::function<bool()> m_busy;
    QHash<QString, QAction *> m_actions;
};
