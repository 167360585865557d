#include "window/PatternDlg.h"

#include "commands/CopiesDlg.h"
#include "commands/NewShapes.h"
#include "commands/ScaleText.h"
#include "export/Recovery.h"
#include "files/RecoveryPrompt.h"
#include "files/SettingsFile.h"
#include "palette/ColourComboBox.h"
#include "palette/ColourPickerDlg.h"
#include "platform/DialogUnits.h"
#include "platform/SettingsStore.h"
#include "res/Resources.h"
#include "res/Strings.h"
#include "window/PlayerWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>
#include <utility>

namespace {

const QString BackgroundSection = QStringLiteral("Background");
const QString ForegroundSection = QStringLiteral("Foreground");
const QString SettingsSection = QStringLiteral("Settings");

// Size of the client area in dialog units; the control strip spans its width.
constexpr int ClientWidthDlu = 320;
constexpr int ClientHeightDlu = 222;
// The smallest canvas a window keeps below the strip.
constexpr int SmallestCanvas = 50;

QList<std::int32_t> ColourList(const CColourComboBox &list)
{
    QList<std::int32_t> colours;
    for (int i = 0; i < list.ColourCount(); ++i)
        colours << list.ColourAt(i);
    return colours;
}

// The local files a drag carries.
QStringList DroppedFiles(const QMimeData *data)
{
    QStringList files;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}

// The menu bar's menus and their commands by name; "-" a separator, and
// "recent" and "count" the submenus made afresh as each menu opens.
const std::pair<const char *, QStringList> MenuBar[] = {
    {"&File", {"new", "open", "recent", "importSvg", "save", "generate", "-", "image", "animation", "print", "-", "quit"}},
    {"&Edit", {"undo", "redo", "-", "cut", "copy", "paste", "-", "selectAll", "none", "delete", "duplicate", "-", "clear", "-", "selectMode"}},
    {"&View", {"zoomIn", "zoomOut", "actualSize", "fit", "-", "guides", "smooth", "-", "test", "livePreview", "play"}},
    {"&Shape", {"raise", "lower", "top", "bottom", "-", "clockwise", "anticlockwise", "-", "enlarge", "reduce"}},
    {"&Copies", {"count", "copies", "more", "fewer", "mirror", "cycle", "-", "snap"}},
    {"&Help", {"about"}},
};

// The names of the selection's commands, in CEditCommands::Actions()'s order after the first two.
const QStringList SelectionCommands = {"none",  "delete",    "duplicate", "raise",   "lower",   "top",
                                       "bottom", "clockwise", "anticlockwise", "enlarge", "reduce"};

// The status bar's word for a step done: its name, and the shapes it touched.
QString StepText(const QString &name, std::size_t shapes)
{
    static const QHash<QString, QString> done{
        {"Add shape", "Added %1"},       {"Delete", "Deleted %1"},         {"Duplicate", "Duplicated %1"},
        {"Turn", "Turned %1"},           {"Scale", "Scaled %1"},           {"Raise", "Raised %1"},
        {"Lower", "Lowered %1"},         {"Change colour", "Recoloured %1"}, {"Change kind", "Changed the kind of %1"},
        {"Move vertex", "Moved a vertex of %1"}, {"Clear", "Cleared %1"},  {"Open design", "Opened a design of %1"},
        {"Restore design", "Restored a design of %1"}, {"New design", "Started a new design"},
        {"Cut", "Cut %1"},               {"Paste", "Pasted %1"},           {"Import SVG", "Imported %1"}};
    const QString count = shapes == 1 ? QStringLiteral("1 shape") : QStringLiteral("%1 shapes").arg(shapes);
    return done.value(name, name + QStringLiteral(": %1")).arg(count);
}

} // namespace

CPatternDlg::CPatternDlg(CRecoveryFile *recovery, QWidget *parent)
    : QMainWindow(parent), m_recovery(recovery), m_strip(new CControlStrip(nullptr)),
      m_canvas(new CCanvasWidget(m_document, m_selection,
                                 {[this] { return EntrySetup(); },
                                  [this]() -> std::pair<std::int32_t, std::int32_t> {
                                      return {m_strip->background->SelectedColour(),
                                              m_strip->foreground->SelectedColour()};
                                  },
                                  [this](std::unique_ptr<CObjectStorage> shape) { EntryEnded(std::move(shape)); }},
                                 nullptr)),
      m_status(new CStatusBar(this)), m_live(new CLivePreview(m_document, this)), m_commands(*this, [this] { return m_canvas->IsBusy(); }),
      m_icon(Resources::AppIcon()), m_options(*this, m_commands.BusyRule()),
      m_files(*this, m_document, m_commands.BusyRule()),
      m_edits({*this, m_document, m_selection, m_canvas->Tools(), m_commands.BusyRule(),
               [this] { return m_options.Spokes(); },
               [this](ShapeList shapes, const QString &name) {
                   return AddWithinLimit(*this, m_document, std::move(shapes), name);
               }}),
      m_pictures(*this, [this] { return View(); }, [this]() -> const ShapeList & { return Shapes(); },
                 m_commands.BusyRule()),
      m_clipboard({*this, m_document, m_selection, m_canvas->Tools(), m_commands.BusyRule(),
                   [this] {
                       return SvgImportOptions{Scale(), SplitColour(Background().SelectedColour()),
                                               SplitColour(Foreground().SelectedColour()), {}};
                   },
                   [this] { return m_files.Folder(); }})
{
    auto *client = new QWidget(this);
    client->setAccessibleName(QStringLiteral("Client area"));
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_strip);
    layout->addWidget(m_canvas, 1);
    m_canvas->setMinimumHeight(SmallestCanvas);
    m_canvas->TakeInputOf(*m_strip);
    setCentralWidget(client);
    setStatusBar(m_status);
    addDockWidget(Qt::RightDockWidgetArea, m_live);
    setAcceptDrops(true);
    setWindowIcon(m_icon);
    CreateCommands();
    CreateMenuBar();
    ConnectControls();
    LoadSettings();
    ConnectStatus();
    // The client area at start is as it always was; the bars and the live preview come beside it.
    resize(DluToPixelsX(ClientWidthDlu) + (m_live->isHidden() ? 0 : m_live->sizeHint().width()),
           DluToPixelsY(ClientHeightDlu) + menuBar()->sizeHint().height() + m_status->sizeHint().height());
    m_canvas->setFocus();
    if (m_recovery)
        m_recovery->Follow(m_document);
}

CPatternDlg::~CPatternDlg()
{
    // The canvas and its tools go while the design they work on is still
    // here: the hide that a window's end brings would otherwise finish an
    // entry into a document already gone.
    m_canvas->Tools().Active().Interrupt();
    delete takeCentralWidget();
}

void CPatternDlg::ConnectControls()
{
    const auto onClick = [this](QPushButton *button, auto command) {
        connect(button, &QPushButton::clicked, this, command);
    };
    onClick(m_strip->backgroundColours, [this] { OpenPicker(*m_strip->background); });
    onClick(m_strip->foregroundColours, [this] { OpenPicker(*m_strip->foreground); });
    onClick(m_strip->apply, &CPatternDlg::OnApplyScale);
    onClick(m_strip->clear, [this] { m_edits.OnClear(); });
    onClick(m_strip->test, &CPatternDlg::OnTest);
    onClick(m_strip->generate, [this] { m_files.OnGenerate(); });
    connect(m_strip->scaleField, &QLineEdit::returnPressed, this, &CPatternDlg::OnApplyScale);
    // With shapes selected, a colour or kind chosen in the strip is theirs.
    connect(m_strip->background, &QComboBox::activated, this,
            [this](int index) { m_edits.SetFill(Background().ColourAt(index)); });
    connect(m_strip->foreground, &QComboBox::activated, this,
            [this](int index) { m_edits.SetPen(Foreground().ColourAt(index)); });
    connect(m_strip->polygon, &QRadioButton::clicked, this, [this] { m_edits.SetKind(CPolyStorage::TypeValue); });
    connect(m_strip->polyline, &QRadioButton::clicked, this, [this] { m_edits.SetKind(CLineStorage::TypeValue); });
    connect(&m_files, &CDocumentManager::RecentChanged, this, [this] { SaveSettings(); });
    connect(&m_options, &COptions::ViewChanged, this, [this] {
        const CEditorSettings &options = m_options.Values();
        m_canvas->SetLook(options.scale, options.guides ? m_options.Spokes() : 0, options.smooth);
    });
    connect(&m_options, &COptions::Changed, this, [this] {
        m_canvas->UpdateReadout(); // snapping shows in the read-out
        SaveSettings();
    });
}

void CPatternDlg::CreateCommands()
{
    CCommands &c = m_commands;
    const QString noSelection = QStringLiteral("Nothing is selected: select shapes first.");
    c.Make("new", QStringLiteral("&New"), {QKeySequence::New}, [this] { OnNew(); });
    c.Adopt("open", m_files.OpenAction());
    c.Adopt("save", m_files.SaveAction());
    c.Adopt("generate", m_files.GenerateAction());
    c.Adopt("image", &m_pictures.ExportImageAction());
    c.Adopt("animation", &m_pictures.ExportAnimationAction());
    c.Adopt("print", &m_pictures.PrintAction());
    c.Make("quit", QStringLiteral("&Quit"), {QKeySequence(Qt::CTRL | Qt::Key_Q)}, [this] { close(); });
    QAction *undo = c.Make("undo", QStringLiteral("&Undo"), {QKeySequence(Qt::CTRL | Qt::Key_Z)},
                           [this] { OnUndoOrRedo(true); }, QStringLiteral("There is nothing to undo."));
    QAction *redo = c.Make("redo", QStringLiteral("&Redo"),
                           {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
                           [this] { OnUndoOrRedo(false); }, QStringLiteral("There is nothing to redo."));
    c.Adopt("clear", m_edits.ClearAction());
    c.Adopt("cut", m_clipboard.CutAction(), noSelection);
    c.Adopt("copy", m_clipboard.CopyAction(), noSelection);
    c.Adopt("paste", m_clipboard.PasteAction());
    c.Adopt("importSvg", m_clipboard.ImportAction());
    const QList<QAction *> &edits = m_edits.Actions();
    c.Adopt("selectMode", edits[0]);
    c.Adopt("selectAll", edits[1]);
    for (int i = 0; i < SelectionCommands.size(); ++i)
        c.Adopt(SelectionCommands[i], edits[i + 2], noSelection);
    const QList<QAction *> options = m_options.Actions();
    c.Adopt("more", options[0], QStringLiteral("360 copies are the most."));
    c.Adopt("fewer", options[1], QStringLiteral("With 1 copy there are no copies to take away."));
    c.Adopt("mirror", options[2]);
    c.Adopt("cycle", options[3]);
    c.Adopt("guides", options[4]);
    c.Adopt("snap", options[5]);
    c.Adopt("copies", options[6]);
    c.Adopt("smooth", options[7]);
    c.Make("test", QStringLiteral("&Test"), {Qt::Key_F5}, [this] { OnTest(); });
    c.Adopt("livePreview", m_live->ToggleAction());
    c.Make("play", QStringLiteral("Play F&ull Screen"), {Qt::Key_F11}, [this] {
        m_live->SetHeld(true);
        connect(CPlayerWindow::Open(*this, Shapes()), &QObject::destroyed, m_live,
                [live = m_live] { live->SetHeld(false); });
    });
    CreateZoomCommands();
    c.Make("about", Strings::AboutMenu(), {Qt::Key_F1}, [this] { emit AboutRequested(); });

    QUndoStack &stack = m_document.UndoStack();
    const auto follow = [](QAction *action, const QString &verb, const QString &what) {
        action->setText(what.isEmpty() ? verb : verb + u' ' + what);
    };
    connect(&stack, &QUndoStack::undoTextChanged, undo,
            [undo, follow](const QString &what) { follow(undo, QStringLiteral("&Undo"), what); });
    connect(&stack, &QUndoStack::redoTextChanged, redo,
            [redo, follow](const QString &what) { follow(redo, QStringLiteral("&Redo"), what); });
    connect(&stack, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(&stack, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    undo->setEnabled(false);
    redo->setEnabled(false);
}

void CPatternDlg::CreateZoomCommands()
{
    CViewNavigator &view = m_canvas->Navigator();
    QAction *in = m_commands.Make("zoomIn", QStringLiteral("Zoom &In"),
                                  {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)},
                                  [&view] { view.ZoomBy(ZoomStep); }, QStringLiteral("The scale is as large as zooming makes it."));
    QAction *out = m_commands.Make("zoomOut", QStringLiteral("Zoom &Out"), {QKeySequence::ZoomOut},
                                   [&view] { view.ZoomBy(1 / ZoomStep); }, QStringLiteral("The scale is as small as it can be."));
    m_commands.Make("actualSize", QStringLiteral("&Actual Size"), {QKeySequence(Qt::CTRL | Qt::Key_0)},
                    [&view] { view.ActualSize(); });
    QAction *fit = m_commands.Make("fit", QStringLiteral("&Fit Design"), {}, [&view] { view.FitDesign(); },
                                   QStringLiteral("There is nothing to fit: the design has no shapes off the centre."));
    const auto greys = [in, out, fit, &view] {
        in->setEnabled(view.CanZoomBy(ZoomStep));
        out->setEnabled(view.CanZoomBy(1 / ZoomStep));
        fit->setEnabled(view.CanFit());
    };
    connect(&m_document.UndoStack(), &QUndoStack::indexChanged, this, greys);
    connect(&m_options, &COptions::ViewChanged, this, greys);
    connect(&view, &CViewNavigator::ScaleChosen, this, [this](double scale) {
        m_options.SetScale(scale);
        m_strip->scaleField->setText(FormatScaleField(Scale()));
    });
    greys();
}

void CPatternDlg::CreateMenuBar()
{
    for (const auto &[title, names] : MenuBar) {
        QMenu *menu = menuBar()->addMenu(QString::fromLatin1(title));
        const auto fill = [this, menu, names = names] {
            menu->clear();
            for (const QString &name : names) {
                if (name == QLatin1String("recent"))
                    menu->addMenu(m_files.RecentMenu(menu));
                else if (name == QLatin1String("count"))
                    m_options.AddCountMenu(*menu);
                else
                    m_commands.Fill(*menu, {name});
            }
        };
        fill();
        if (names.contains("recent") || names.contains("count"))
            connect(menu, &QMenu::aboutToShow, this, fill);
    }
}

std::unique_ptr<QMenu> CPatternDlg::CreateMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    m_commands.Fill(*menu, {"about", "-", "undo", "redo", "-", "open"});
    menu->addMenu(m_files.RecentMenu(menu.get()));
    m_commands.Fill(*menu, {"save", "generate", "-", "image", "animation", "print", "-", "clear", "test", "-"});
    m_edits.AddTo(*menu);
    m_clipboard.AddTo(*menu);
    menu->addSeparator();
    m_options.AddTo(*menu);
    return menu;
}

void CPatternDlg::ConnectStatus()
{
    const auto shapes = [this] { m_status->ShowShapes(m_document.Shapes().size(), m_selection.Shapes().size()); };
    const auto copies = [this] {
        m_status->ShowCopies(CopiesSummary(m_options.Values()));
        m_status->ShowZoom(m_options.Values().scale);
    };
    connect(&m_selection, &CSelection::Changed, this, shapes);
    connect(m_canvas, &CCanvasWidget::ReadoutChanged, m_status, &CStatusBar::ShowReadout);
    connect(&m_canvas->Tools(), &CToolManager::ModeChanged, m_status, &CStatusBar::ShowMode);
    connect(&m_options, &COptions::Changed, this, copies);
    // Each step counts the shapes it touches as the document tells them.
    const ShapeList &all = m_document.Shapes();
    const auto touched = [this](const Places &places) { m_touched += places.size(); };
    connect(&m_document, &CDesignDocument::ShapesAppended, this,
            [this, &all](int first) { m_touched += all.size() - static_cast<std::size_t>(first); });
    for (const auto signal : {&CDesignDocument::ShapesChanged, &CDesignDocument::ShapesInserted,
                              &CDesignDocument::ShapesRemoved})
        connect(&m_document, signal, this, touched);
    connect(&m_document, &CDesignDocument::ShapesMoved, this, touched);
    connect(&m_document, &CDesignDocument::ShapesReset, this, [this, &all] { m_touched += all.size(); });
    connect(&m_document.UndoStack(), &QUndoStack::indexChanged, this, [this, shapes] {
        shapes();
        StepDone();
    });
    connect(&m_files, &CDocumentManager::Written, this, [this](const QString &path) {
        m_status->ShowResult(QStringLiteral("Saved %1").arg(QFileInfo(path).fileName()));
    });
    shapes();
    copies();
    m_status->ShowMode(false);
}

void CPatternDlg::StepDone()
{
    const QUndoStack &stack = m_document.UndoStack();
    if (!m_stepping.isEmpty())
        m_status->ShowResult(m_stepping + u' ' + (m_stepping == QLatin1String("Undid") ? stack.redoText() : stack.undoText()));
    else if (m_touched > 0 || stack.undoText() == QLatin1String("New design"))
        m_status->ShowResult(StepText(stack.undoText(), m_touched));
    m_touched = 0;
}

void CPatternDlg::LoadSettings()
{
    const CSettingsStore store;
    m_strip->background->LoadColours(store, BackgroundSection);
    m_strip->foreground->LoadColours(store, ForegroundSection);
    m_strip->background->SelectIndex(0);
    m_strip->foreground->SelectIndex(0);
    m_strip->polygon->setChecked(true);

    m_options.Load(store);
    m_files.Load(store);
    m_live->Load(store);
    m_strip->scaleField->setText(FormatScaleField(Scale()));

    m_strip->ShowBitmaps(QPixmap(Resources::GoBitmap()), QPixmap(Resources::SwatchesBitmap()));
    emit m_options.ViewChanged();
}

bool CPatternDlg::PolygonChecked() const
{
    return m_strip->polygon->isChecked();
}

void CPatternDlg::OnUndoOrRedo(bool undo)
{
    QUndoStack &stack = m_document.UndoStack();
    m_stepping = undo ? QStringLiteral("Undid") : QStringLiteral("Redid");
    undo ? stack.undo() : stack.redo();
    m_stepping.clear();
}

void CPatternDlg::OnNew()
{
    if (!IsBusy())
        m_files.New();
}

void CPatternDlg::OnApplyScale()
{
    if (IsBusy())
        return;
    const std::optional<double> typed = WholeNumber(m_strip->scaleField->text());
    QString refusal;
    if (!typed)
        refusal = QStringLiteral("Please enter a number.");
    else if (*typed == 0.0 || !std::isfinite(*typed))
        refusal = QStringLiteral("The scale must be a non-zero number.");
    else if (!IsUsableScale(*typed))
        refusal = QStringLiteral("The scale is too close to zero: it must be at least 0.000001 "
                                 "or at most -0.000001.");
    if (refusal.isEmpty()) {
        m_options.SetScale(*typed);
    } else {
        Say(this, QMessageBox::Warning, refusal);
        m_strip->scaleField->setFocus();
        m_strip->scaleField->selectAll();
    }
}

void CPatternDlg::OnTest()
{
    if (IsBusy())
        return;
    m_live->SetHeld(true);
    m_canvas->RunPreview(m_frameDelay);
    m_live->SetHeld(false);
    RunDeferredClose();
}

void CPatternDlg::OfferRecovery()
{
    if (m_recovery && ::OfferRecovery(this, *m_recovery, m_document))
        m_files.Restored();
}

void CPatternDlg::OpenPicker(CColourComboBox &combo)
{
    if (IsBusy())
        return;
    CColourPickerDlg picker(this);
    picker.m_pCombo = &combo;
    if (picker.exec() == QDialog::Accepted)
        SaveSettings();
}

bool CPatternDlg::SaveSettings(bool closing)
{
    const auto fill = [this](CSettingsStore &store) {
        m_strip->background->SaveColours(store, BackgroundSection);
        m_strip->foreground->SaveColours(store, ForegroundSection);
        m_options.Save(store);
        m_files.Save(store);
        m_live->Save(store);
    };
    return WriteSettings(*this, fill, {BackgroundSection, ForegroundSection, SettingsSection, CDocumentManager::Section(),
                                       CLivePreview::Section()},
                         closing);
}

void CPatternDlg::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (IsBusy()) {
        // Never tear the design down under a running entry, drag or animation.
        m_closePending = true;
        return;
    }
    m_closePending = false;
    if (!m_files.KeepOrDropChanges(QStringLiteral("closing")))
        return;
    if (!SaveSettings(true))
        return;
    if (m_recovery)
        m_recovery->Close();
    event->accept();
}

void CPatternDlg::RunDeferredClose()
{
    if (m_closePending && !IsBusy())
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

CShapeEntry::Setup CPatternDlg::EntrySetup() const
{
    CShapeEntry::Setup setup;
    setup.type = PolygonChecked() ? CPolyStorage::TypeValue : CLineStorage::TypeValue;
    setup.pattern = CopyPattern(m_options.Values());
    setup.polarSnap = m_options.Values().polarSnap;
    setup.spokes = m_options.Spokes();
    return setup;
}

void CPatternDlg::EntryEnded(std::unique_ptr<CObjectStorage> shape)
{
    if (shape)
        AddWithCopies(*this, m_document, std::move(shape), m_options.Values(),
                      {ColourList(Background()), Background().SelectedIndex(), ColourList(Foreground()),
                       Foreground().SelectedIndex()});
    RunDeferredClose();
}

void CPatternDlg::contextMenuEvent(QContextMenuEvent *event)
{
    // A right click on the control strip, or on the canvas while no shape
    // is being entered (the canvas keeps the one that ends a shape).
    if (!IsBusy())
        CreateMenu()->exec(event->globalPos());
}

void CPatternDlg::dragEnterEvent(QDragEnterEvent *event)
{
    if (!IsBusy() && !DroppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CPatternDlg::dropEvent(QDropEvent *event)
{
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // The question and the messages must not run inside the drag's own loop.
    QMetaObject::invokeMethod(this, [this, files] {
        if (!m_clipboard.ImportDropped(files))
            m_files.OpenDropped(files);
    }, Qt::QueuedConnection);
}
