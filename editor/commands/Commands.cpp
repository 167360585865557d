#include "commands/Commands.h"

#include "platform/DialogSeam.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QWidget>

void Say(QWidget *parent, QMessageBox::Icon icon, const QString &text, const QString &caption)
{
    CDialogSeam::Current().Message(parent, icon, caption.isEmpty() ? QCoreApplication::applicationName() : caption,
                                   text, QMessageBox::Ok);
}

QAction *UnlessBusy(QObject *owner, const QString &text, const QList<QKeySequence> &keys,
                    std::function<bool()> busy, std::function<void()> run)
{
    auto *action = new QAction(text, owner);
    action->setShortcuts(keys);
    QObject::connect(action, &QAction::triggered, owner, [busy = std::move(busy), run = std::move(run)] {
        if (!busy())
            run();
    });
    return action;
}

CCommands::CCommands(QWidget &window, std::function<bool()> busy)
    : QObject(&window), m_window(window), m_busy(std::move(busy))
{
}

QAction *CCommands::Make(const QString &name, const QString &text, const QList<QKeySequence> &keys,
                         const std::function<void()> &run, const QString &whyGreyed)
{
    return Adopt(name, UnlessBusy(this, text, keys, m_busy, run), whyGreyed);
}

QAction *CCommands::Adopt(const QString &name, QAction *action, const QString &whyGreyed)
{
    m_actions.insert(name, action);
    m_window.addAction(action); // the keys work wherever the focus is in the window
    if (!whyGreyed.isEmpty()) {
        connect(action, &QAction::changed, this, [this, action, whyGreyed] { ShowWhy(action, whyGreyed); });
        ShowWhy(action, whyGreyed);
    }
    return action;
}

void CCommands::ShowWhy(QAction *action, const QString &why)
{
    const QString tip = action->isEnabled() ? QString() : why;
    if (action->statusTip() != tip)
        action->setStatusTip(tip);
}

void CCommands::Fill(QMenu &menu, const QStringList &names) const
{
    for (const QString &name : names) {
        if (name == QLatin1String("-"))
            menu.addSeparator();
        else
            menu.addAction(Action(name));
    }
}
