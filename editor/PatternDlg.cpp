#include "editor/PatternDlg.h"

#include "editor/Preview.h"
#include "editor/RecoveryPrompt.h"
#include "editor/SettingsFile.h"
#include "editor/ScaleText.h"
#include "export/DesignReader.h"
#include "export/Recovery.h"
#include "model/Copies.h"
#include "palette/ColourComboBox.h"
#include "palette/ColourPickerDlg.h"
#include "platform/DialogSeam.h"
#include "platform/DialogUnits.h"
#include "platform/OutputFile.h"
#include "platform/SettingsStore.h"
#include "res/Resources.h"
#include "res/Strings.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

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

QString AppCaption()
{
    return QCoreApplication::applicationName();
}

void Say(QWidget *parent, QMessageBox::Icon icon, const QString &text)
{
    CDialogSeam::Current().Message(parent, icon, AppCaption(), text, QMessageBox::Ok);
}

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

} // namespace

CPatternDlg::CPatternDlg(CRecoveryFile *recovery, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_strip(*this), m_recovery(recovery), m_icon(Resources::AppIcon()),
      m_options(*this, [this] { return IsBusy(); }),
      m_files(*this, m_document, [this] { return IsBusy(); }),
      m_edits({*this, m_document, m_selection, m_tools, [this] { return IsBusy(); },
               [this] { return m_options.Spokes(); },
               [this](ShapeList shapes, const QString &name) { return AddShapes(std::move(shapes), name); }}),
      m_pictures(*this, [this] { return View(); }, [this]() -> const ShapeList & { return Shapes(); },
                 [this] { return IsBusy(); })
{
    setSizeGripEnabled(false);
    setAcceptDrops(true);
    // The pointer's read-out and an entry's band follow every move.
    setMouseTracking(true);
    // A click on the canvas takes the keys from the Scale field, whose own
    // undo would otherwise keep Ctrl+Z from the design.
    setFocusPolicy(Qt::ClickFocus);
    resize(DluToPixelsX(ClientWidthDlu), DluToPixelsY(ClientHeightDlu));
    // Never narrower than the control strip, so that every control shows.
    setMinimumSize(DluToPixelsX(ClientWidthDlu), StripHeight + SmallestCanvas);
    ConnectControls();
    CreateActions();
    OnInitDialog();
    ConnectDocument();
    if (m_recovery)
        m_recovery->Follow(m_document);
}

CPatternDlg::~CPatternDlg() = default;

void CPatternDlg::ConnectControls()
{
    const auto onClick = [this](QPushButton *button, auto command) {
        connect(button, &QPushButton::clicked, this, command);
    };
    onClick(m_strip.backgroundColours, &CPatternDlg::OnBackgroundColours);
    onClick(m_strip.foregroundColours, &CPatternDlg::OnForegroundColours);
    onClick(m_strip.apply, &CPatternDlg::OnApplyScale);
    onClick(m_strip.clear, [this] { m_edits.OnClear(); });
    onClick(m_strip.test, &CPatternDlg::OnTest);
    onClick(m_strip.generate, [this] { m_files.OnGenerate(); });
    connect(m_strip.scaleField, &QLineEdit::returnPressed, this, &CPatternDlg::OnApplyScale);
    // With shapes selected, a colour or kind chosen in the strip is theirs.
    connect(m_strip.background, &QComboBox::activated, this,
            [this](int index) { m_edits.SetFill(Background().ColourAt(index)); });
    connect(m_strip.foreground, &QComboBox::activated, this,
            [this](int index) { m_edits.SetPen(Foreground().ColourAt(index)); });
    connect(m_strip.polygon, &QRadioButton::clicked, this, [this] { m_edits.SetKind(CPolyStorage::TypeValue); });
    connect(m_strip.polyline, &QRadioButton::clicked, this, [this] { m_edits.SetKind(CLineStorage::TypeValue); });
    connect(&m_files, &CDocumentManager::RecentChanged, this, [this] { SaveSettings(); });
    connect(&m_options, &COptions::ViewChanged, this, &CPatternDlg::ViewChanged);
    connect(&m_options, &COptions::Changed, this, [this] {
        TrackPointer(m_pointer); // snapping shows in the read-out
        SaveSettings();
    });
}

void CPatternDlg::ConnectDocument()
{
    // The canvas first: the selection's outline is placed by its boxes.
    const ShapeList &shapes = m_document.Shapes();
    connect(&m_document, &CDesignDocument::ShapesAppended, this, [this, &shapes](int first) {
        Repaint(m_canvas.Appended(shapes, static_cast<std::size_t>(first)));
    });
    connect(&m_document, &CDesignDocument::ShapesRemoved, this,
            [this, &shapes](const Places &places) { Repaint(m_canvas.Removed(shapes, places)); });
    connect(&m_document, &CDesignDocument::ShapesInserted, this,
            [this, &shapes](const Places &places) { Repaint(m_canvas.Inserted(shapes, places)); });
    connect(&m_document, &CDesignDocument::ShapesChanged, this,
            [this, &shapes](const Places &places) { Repaint(m_canvas.Changed(shapes, places)); });
    connect(&m_document, &CDesignDocument::ShapesMoved, this, [this, &shapes](const Places &from, const Places &to) {
        Repaint(m_canvas.Moved(shapes, from, to));
    });
    connect(&m_document, &CDesignDocument::ShapesReset, this, [this] {
        m_canvas.Invalidate();
        Repaint(CanvasRect(size()));
    });
    // Queued: by then every part has followed the change.
    CSelectTool &selector = m_tools.Selector();
    connect(&m_selection, &CSelection::Changed, &selector, &CSelectTool::SelectionMoved, Qt::QueuedConnection);
    for (const auto signal : {&CDesignDocument::ShapesChanged, &CDesignDocument::ShapesInserted,
                              &CDesignDocument::ShapesRemoved})
        connect(&m_document, signal, &selector, &CSelectTool::SelectionMoved, Qt::QueuedConnection);
    connect(&m_document, &CDesignDocument::ShapesMoved, &selector, &CSelectTool::SelectionMoved,
            Qt::QueuedConnection);
}

void CPatternDlg::Repaint(const QRegion &area)
{
    if (!m_animating)
        update(area);
}

void CPatternDlg::CreateActions()
{
    const auto make = [this](const QString &text, QList<QKeySequence> keys, auto slot) {
        auto *action = new QAction(text, this);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, slot);
        addAction(action); // the keys work wherever the focus is in the window
        return action;
    };
    m_about = make(Strings::AboutMenu(), {Qt::Key_F1}, [this] { OnSysCommand(AboutCommand); });
    m_undo = make(QStringLiteral("Undo"), {QKeySequence(Qt::CTRL | Qt::Key_Z)}, &CPatternDlg::OnUndo);
    m_redo = make(QStringLiteral("Redo"),
                  {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
                  &CPatternDlg::OnRedo);
    m_test = make(QStringLiteral("&Test"), {Qt::Key_F5}, &CPatternDlg::OnTest);

    QUndoStack &stack = m_document.UndoStack();
    const auto follow = [](QAction *action, const QString &verb, const QString &what) {
        action->setText(what.isEmpty() ? verb : verb + u' ' + what);
    };
    connect(&stack, &QUndoStack::undoTextChanged, m_undo,
            [this, follow](const QString &what) { follow(m_undo, QStringLiteral("Undo"), what); });
    connect(&stack, &QUndoStack::redoTextChanged, m_redo,
            [this, follow](const QString &what) { follow(m_redo, QStringLiteral("Redo"), what); });
    connect(&stack, &QUndoStack::canUndoChanged, m_undo, &QAction::setEnabled);
    connect(&stack, &QUndoStack::canRedoChanged, m_redo, &QAction::setEnabled);
    m_undo->setEnabled(false);
    m_redo->setEnabled(false);
    addActions({&m_pictures.ExportImageAction(), &m_pictures.ExportAnimationAction(), &m_pictures.PrintAction()});
}

void CPatternDlg::OnInitDialog()
{
    setWindowIcon(m_icon);

    const CSettingsStore store;
    m_strip.background->LoadColours(store, BackgroundSection);
    m_strip.foreground->LoadColours(store, ForegroundSection);
    m_strip.background->SelectIndex(0);
    m_strip.foreground->SelectIndex(0);

    m_animating = false;
    m_strip.polygon->setChecked(true);

    m_options.Load(store);
    m_files.Load(store);
    m_strip.scaleField->setText(FormatScaleField(Scale()));

    m_strip.ShowBitmaps(QPixmap(Resources::GoBitmap()), QPixmap(Resources::SwatchesBitmap()));
    ViewChanged();
}

bool CPatternDlg::PolygonChecked() const
{
    return m_strip.polygon->isChecked();
}

bool CPatternDlg::IsBusy() const
{
    return m_animating || m_tools.Active().IsBusy();
}

CanvasView CPatternDlg::View() const
{
    const CEditorSettings &options = m_options.Values();
    return CanvasView{size(), options.scale, 0.0, false, options.guides ? m_options.Spokes() : 0};
}

void CPatternDlg::ViewChanged()
{
    m_canvas.SetView(View());
    update(CanvasRect(size()));
    TrackPointer(m_pointer);
}

void CPatternDlg::TrackPointer(std::optional<QPoint> pos)
{
    m_pointer = pos;
    update(m_readout.Track(pos, View(), m_options.Values().polarSnap, m_options.Spokes()));
}

std::unique_ptr<QMenu> CPatternDlg::CreateMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    menu->addAction(m_about);
    menu->addSeparator();
    menu->addActions({m_undo, m_redo});
    menu->addSeparator();
    menu->addAction(m_files.OpenAction());
    menu->addMenu(m_files.RecentMenu(menu.get()));
    menu->addActions({m_files.SaveAction(), m_files.GenerateAction()});
    menu->addSeparator();
    menu->addActions({&m_pictures.ExportImageAction(), &m_pictures.ExportAnimationAction(),
                      &m_pictures.PrintAction()});
    menu->addSeparator();
    menu->addActions({m_edits.ClearAction(), m_test});
    menu->addSeparator();
    m_edits.AddTo(*menu);
    menu->addSeparator();
    m_options.AddTo(*menu);
    return menu;
}

void CPatternDlg::OnSysCommand(unsigned id)
{
    if ((id & 0xFFF0) == AboutCommand && !IsBusy())
        emit AboutRequested();
}

void CPatternDlg::OnUndo()
{
    if (!IsBusy())
        m_document.UndoStack().undo();
}

void CPatternDlg::OnRedo()
{
    if (!IsBusy())
        m_document.UndoStack().redo();
}

void CPatternDlg::OnApplyScale()
{
    if (IsBusy())
        return;
    const std::optional<double> typed = WholeNumber(m_strip.scaleField->text());
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
        m_strip.scaleField->setFocus();
        m_strip.scaleField->selectAll();
    }
    update();
}

void CPatternDlg::OnTest()
{
    if (IsBusy())
        return;
    // The frames have a view of their own: the canvas keeps the plain view
    // of the window's size, whatever happens meanwhile.
    const auto frame = [this](double scale, double rotation) {
        m_frames.SetView(CanvasView{size(), scale, rotation, true, 0});
    };
    // What is painted before the first frame's moment is that frame.
    const PreviewFrame first = PreviewFrameAt(1);
    frame(first.scale, first.rotation);
    m_animating = true;
    CPreview::Run(m_frameDelay, 0.0, [this, frame](double scale, double rotation) {
        frame(scale, rotation);
        // Only the canvas moves: the strip would cost time to repaint unchanged.
        repaint(CanvasRect(size()));
    });
    m_animating = false;
    m_frames = CCanvasImage();
    repaint();
    RunDeferredClose();
}

bool CPatternDlg::AddShapes(ShapeList shapes, const QString &name)
{
    if (!m_document.CanAdd(shapes.size())) {
        Say(this, QMessageBox::Warning,
            QStringLiteral("A design file holds at most 65,535 shapes: the design has %1, and %2 more "
                           "would not fit. Nothing was added.")
                .arg(m_document.Shapes().size())
                .arg(shapes.size()));
        return false;
    }
    m_document.AddShapes(std::move(shapes), name);
    return true;
}

void CPatternDlg::OfferRecovery()
{
    if (m_recovery && ::OfferRecovery(this, *m_recovery, m_document))
        m_files.Restored();
}

void CPatternDlg::OnBackgroundColours()
{
    OpenPicker(*m_strip.background);
}

void CPatternDlg::OnForegroundColours()
{
    OpenPicker(*m_strip.foreground);
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
        m_strip.background->SaveColours(store, BackgroundSection);
        m_strip.foreground->SaveColours(store, ForegroundSection);
        m_options.Save(store);
        m_files.Save(store);
    };
    return WriteSettings(*this, fill, {BackgroundSection, ForegroundSection, SettingsSection, CDocumentManager::Section()},
                         closing);
}

void CPatternDlg::reject()
{
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
    if (!m_files.KeepOrDropChanges(QStringLiteral("Generate it before closing?")))
        return;
    if (!SaveSettings(true))
        return;
    if (m_recovery)
        m_recovery->Close();
    event->accept();
    done(QDialog::Rejected);
}

void CPatternDlg::RunDeferredClose()
{
    if (m_closePending && !IsBusy())
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void CPatternDlg::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    CCanvasImage &canvas = m_animating ? m_frames : m_canvas;
    for (const QRect &area : event->region()) {
        canvas.Paint(painter, area, m_document.Shapes());
        if (!m_animating) {
            m_tools.Active().PaintOverlay(painter, area);
            m_readout.Paint(painter, area);
        }
    }
}

void CPatternDlg::resizeEvent(QResizeEvent *event)
{
    // A shape entered or a drag across a resize would mix two centres.
    m_tools.Active().Interrupt();
    QDialog::resizeEvent(event);
    // The centre, the axes and the grid move with the size.
    ViewChanged();
}

void CPatternDlg::contextMenuEvent(QContextMenuEvent *event)
{
    // Stands in for the system menu: a right click on the control strip, or
    // on the canvas while no shape is being entered.
    const bool swallow = std::exchange(m_swallowContextMenu, false);
    if (swallow || IsBusy())
        return;
    CreateMenu()->exec(event->globalPos());
}

void CPatternDlg::keyPressEvent(QKeyEvent *event)
{
    if (m_animating || m_tools.Active().KeyPressed(*event))
        return;
    if (!IsBusy())
        QDialog::keyPressEvent(event);
}

void CPatternDlg::mousePressEvent(QMouseEvent *event)
{
    if (m_animating)
        return;
    CAbstractTool &tool = m_tools.Active();
    const bool wasBusy = tool.IsBusy();
    tool.MousePressed(*event);
    // The right press that ends a shape is not also a request for the menu.
    m_swallowContextMenu = wasBusy && !tool.IsBusy();
}

void CPatternDlg::mouseReleaseEvent(QMouseEvent *event)
{
    m_tools.Active().MouseReleased(*event);
}

void CPatternDlg::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_tools.Active().MouseDoubleClicked(*event);
}

void CPatternDlg::mouseMoveEvent(QMouseEvent *event)
{
    m_tools.Active().MouseMoved(*event);
    if (!m_animating)
        TrackPointer(event->position().toPoint());
}

void CPatternDlg::leaveEvent(QEvent *event)
{
    TrackPointer(std::nullopt);
    QDialog::leaveEvent(event);
}

const std::vector<QRect> &CPatternDlg::ShapeBounds() const
{
    return m_canvas.Bounds(m_document.Shapes());
}

CShapeEntry::Setup CPatternDlg::EntrySetup() const
{
    CShapeEntry::Setup setup;
    setup.type = PolygonChecked() ? CPolyStorage::TypeValue : CLineStorage::TypeValue;
    setup.view = View();
    setup.pattern = CopyPattern(m_options.Values());
    setup.polarSnap = m_options.Values().polarSnap;
    setup.spokes = m_options.Spokes();
    return setup;
}

std::pair<std::int32_t, std::int32_t> CPatternDlg::ShapeColours() const
{
    return {m_strip.background->SelectedColour(), m_strip.foreground->SelectedColour()};
}

void CPatternDlg::EntryEnded(std::unique_ptr<CObjectStorage> shape)
{
    if (shape) {
        const CEditorSettings &options = m_options.Values();
        const CopyGroup pattern = CopyPattern(options);
        if (const QString why = CopiesProblem(*shape, pattern, options.scale); !why.isEmpty()) {
            Say(this, QMessageBox::Warning, why);
            RunDeferredClose();
            return;
        }
        ShapeList shapes = MakeCopies(std::move(shape), pattern);
        if (options.cycleColours)
            CycleColours(shapes, ColourList(Background()), Background().SelectedIndex(),
                         ColourList(Foreground()), Foreground().SelectedIndex());
        AddShapes(std::move(shapes), QStringLiteral("Add shape"));
    }
    RunDeferredClose();
}

void CPatternDlg::OverlayChanged(const QRegion &area)
{
    update(area);
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
    QMetaObject::invokeMethod(this, [this, files] { m_files.OpenDropped(files); }, Qt::QueuedConnection);
}

bool CPatternDlg::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        m_tools.Active().Interrupt();
        break;
    case QEvent::FocusOut:
        if (static_cast<QFocusEvent *>(event)->reason() == Qt::PopupFocusReason)
            m_tools.Active().Interrupt();
        break;
    case QEvent::ShortcutOverride:
        // A busy tool has every key first: Escape puts a drag back rather
        // than clearing the selection.
        if (m_tools.Active().IsBusy()) {
            event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::event(event);
}
