#include "commands/EditCommands.h"

#include "commands/Commands.h"

#include "tools/Selection.h"
#include "tools/ToolManager.h"
#include "platform/DialogSeam.h"
#include "res/Strings.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace {

// Ctrl+Shift+Up and Down scale every radius by this.
constexpr double ScaleStep = 1.25;

QKeySequence Key(int key)
{
    return QKeySequence(key);
}

} // namespace

CEditCommands::CEditCommands(Context context)
    : QObject(&context.window), m_context(std::move(context))
{
    const auto ctrl = [](Qt::Key key) { return QKeySequence(Qt::CTRL | key); };
    m_selectMode = Make(QStringLiteral("Select S&hapes"), {Key(Qt::Key_S)}, [this] {
        m_context.tools.SetSelecting(m_selectMode->isChecked());
    });
    m_selectMode->setCheckable(true);
    m_clear = Make(QStringLiteral("&Clear..."), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete)},
                   [this] { OnClear(); });
    QAction *selectAll = Make(QStringLiteral("&Select All"), {ctrl(Qt::Key_A)}, [this] {
        m_context.tools.SetSelecting(true);
        if (m_context.tools.IsSelecting())
            m_context.selection.Set(PlaceRange(0, static_cast<int>(m_context.document.Shapes().size())));
    });
    m_onSelection = {
        Make(QStringLiteral("Select &None"), {Key(Qt::Key_Escape)}, [this] { m_context.selection.Clear(); }),
        Make(QStringLiteral("&Delete"), {Key(Qt::Key_Delete), Key(Qt::Key_Backspace)}, [this] {
            m_context.document.RemoveShapes(m_context.selection.Shapes(), QStringLiteral("Delete"));
        }),
        Make(QStringLiteral("Du&plicate"), {ctrl(Qt::Key_D)}, [this] {
            const int first = static_cast<int>(m_context.document.Shapes().size());
            ShapeList copies = Duplicates(Select(m_context.document.Shapes(), m_context.selection.Shapes()));
            const int count = static_cast<int>(copies.size());
            if (m_context.add(std::move(copies), QStringLiteral("Duplicate")))
                m_context.selection.Set(PlaceRange(first, count));
        }),
        Make(QStringLiteral("R&aise"), {Key(Qt::Key_PageUp)}, [this] {
            Move(Raised(m_context.selection.Shapes(), static_cast<int>(m_context.document.Shapes().size()), 1),
                 QStringLiteral("Raise"));
        }),
        Make(QStringLiteral("&Lower"), {Key(Qt::Key_PageDown)}, [this] {
            Move(Raised(m_context.selection.Shapes(), static_cast<int>(m_context.document.Shapes().size()), -1),
                 QStringLiteral("Lower"));
        }),
        Make(QStringLiteral("Raise to &Top"), {Key(Qt::Key_Home)}, [this] {
            Move(ToTop(m_context.selection.Shapes(), static_cast<int>(m_context.document.Shapes().size())),
                 QStringLiteral("Raise"));
        }),
        Make(QStringLiteral("Lower to &Bottom"), {Key(Qt::Key_End)},
             [this] { Move(ToBottom(m_context.selection.Shapes()), QStringLiteral("Lower")); }),
        Make(QStringLiteral("Turn &Clockwise"), {ctrl(Qt::Key_Right)}, [this] {
            const double step = 2 * Pi / (4 * m_context.spokes());
            Change([step](const SelectedShapes &s) { return EditVertices(s, TurnAndScale(step, 1.0)); },
                   QStringLiteral("Turn"));
        }),
        Make(QStringLiteral("T&urn Anticlockwise"), {ctrl(Qt::Key_Left)}, [this] {
            const double step = 2 * Pi / (4 * m_context.spokes());
            Change([step](const SelectedShapes &s) { return EditVertices(s, TurnAndScale(-step, 1.0)); },
                   QStringLiteral("Turn"));
        }),
        Make(QStringLiteral("&Enlarge"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up)}, [this] {
            Change([](const SelectedShapes &s) { return EditVertices(s, TurnAndScale(0.0, ScaleStep)); },
                   QStringLiteral("Scale"));
        }),
        Make(QStringLiteral("&Reduce"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down)}, [this] {
            Change([](const SelectedShapes &s) { return EditVertices(s, TurnAndScale(0.0, 1.0 / ScaleStep)); },
                   QStringLiteral("Scale"));
        }),
    };
    m_menuItems = {m_selectMode, selectAll};
    m_menuItems += m_onSelection;
    connect(&m_context.selection, &CSelection::Changed, this, &CEditCommands::UpdateActions);
    connect(&m_context.tools, &CToolManager::ModeChanged, m_selectMode, &QAction::setChecked);
    UpdateActions();
}

QAction *CEditCommands::Make(const QString &text, const QList<QKeySequence> &keys, const std::function<void()> &command)
{
    QAction *action = UnlessBusy(this, text, keys, m_context.busy, command);
    m_context.window.addAction(action); // the keys work wherever the focus is in the window
    return action;
}

void CEditCommands::AddTo(QMenu &menu) const
{
    menu.addActions(m_menuItems.mid(0, 2));
    QMenu *selection = menu.addMenu(QStringLiteral("Se&lection"));
    selection->addActions(m_menuItems.mid(2));
    selection->setEnabled(!m_context.selection.IsEmpty());
}

void CEditCommands::UpdateActions()
{
    // Disabled, their keys reach the window: Backspace and Escape belong to
    // an entry while nothing is selected.
    for (QAction *action : m_onSelection)
        action->setEnabled(!m_context.selection.IsEmpty());
}

void CEditCommands::OnClear()
{
    if (m_context.busy() || m_context.document.Shapes().empty())
        return;
    const auto answer = CDialogSeam::Current().Message(
        &m_context.window, QMessageBox::Question, QStringLiteral("Are you sure"),
        Strings::ClearQuestion(), QMessageBox::Ok | QMessageBox::Cancel);
    if (answer == QMessageBox::Ok)
        m_context.document.Clear();
}

void CEditCommands::Change(const std::function<ShapeChanges(const SelectedShapes &)> &edit,
                           const QString &name)
{
    ShapeChanges changes = edit(Select(m_context.document.Shapes(), m_context.selection.Shapes()));
    m_context.document.ChangeShapes(changes.places, std::move(changes.shapes), name);
}

void CEditCommands::Move(const Places &to, const QString &name)
{
    m_context.document.MoveShapes(m_context.selection.Shapes(), to, name);
}

bool CEditCommands::SetFill(std::int32_t colour)
{
    if (m_context.selection.IsEmpty() || m_context.busy())
        return false;
    const ShapeColour fill = SplitColour(colour);
    Change([&](const SelectedShapes &s) { return Recoloured(s, fill, std::nullopt); },
           QStringLiteral("Change colour"));
    return true;
}

bool CEditCommands::SetPen(std::int32_t colour)
{
    if (m_context.selection.IsEmpty() || m_context.busy())
        return false;
    const ShapeColour pen = SplitColour(colour);
    Change([&](const SelectedShapes &s) { return Recoloured(s, std::nullopt, pen); },
           QStringLiteral("Change colour"));
    return true;
}

bool CEditCommands::SetKind(int type)
{
    if (m_context.selection.IsEmpty() || m_context.busy())
        return false;
    Change([type](const SelectedShapes &s) { return Rekinded(s, type); }, QStringLiteral("Change kind"));
    return true;
}
