#include "editor/PatternDlg.h"

#include "editor/Preview.h"
#include "editor/RecoveryPrompt.h"
#include "editor/ScaleText.h"
#include "export/DesignFile.h"
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
#include <new>
#include <utility>

namespace {

const QString BackgroundSection = QStringLiteral("Background");
const QString ForegroundSection = QStringLiteral("Foreground");

// Spokes of the polar guides and steps of polar snapping without copies.
constexpr int DefaultSpokes = 12;

// Size of the client area in dialog units.
constexpr int ClientWidthDlu = 320;
constexpr int ClientHeightDlu = 222;

QString AppCaption()
{
    return QCoreApplication::applicationName();
}

void Warn(QWidget *parent, const QString &text)
{
    CDialogSeam::Current().Message(parent, QMessageBox::Warning, AppCaption(), text,
                                   QMessageBox::Ok);
}

// The one local design file a drag carries, if that is what it carries.
QString DroppedDesign(const QMimeData *data)
{
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return QString();
    const QString path = urls.constFirst().toLocalFile();
    return QFileInfo(path).suffix().compare(QStringLiteral("jvf"), Qt::CaseInsensitive) == 0
               ? path
               : QString();
}

} // namespace

CPatternDlg::CPatternDlg(CRecoveryFile *recovery, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_strip(*this), m_recovery(recovery), m_icon(Resources::AppIcon())
{
    setWindowTitle(QStringLiteral("Vortigram"));
    setSizeGripEnabled(false);
    setAcceptDrops(true);
    // A click on the canvas takes the keys from the Scale field, whose own
    // undo would otherwise keep Ctrl+Z from the design.
    setFocusPolicy(Qt::ClickFocus);
    resize(DluToPixelsX(ClientWidthDlu), DluToPixelsY(ClientHeightDlu));
    ConnectControls();
    CreateActions();
    OnInitDialog();

    connect(&m_document, &CDesignDocument::ShapesAppended, this, [this](int first) {
        update(m_canvas.Append(m_document.Shapes(), static_cast<std::size_t>(first)));
    });
    const auto repaintAll = [this] {
        m_canvas.Invalidate();
        update(CanvasRect(size()));
    };
    connect(&m_document, &CDesignDocument::ShapesReset, this, repaintAll);
    connect(&m_document, &CDesignDocument::ShapesRemoved, this, repaintAll);
    connect(&m_document, &CDesignDocument::ShapesInserted, this, repaintAll);
    connect(&m_document, &CDesignDocument::ShapesChanged, this, repaintAll);
    connect(&m_document, &CDesignDocument::ShapesMoved, this, repaintAll);
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
    onClick(m_strip.clear, &CPatternDlg::OnClear);
    onClick(m_strip.test, &CPatternDlg::OnTest);
    onClick(m_strip.generate, &CPatternDlg::OnGenerate);
    connect(m_strip.scaleField, &QLineEdit::returnPressed, this, &CPatternDlg::OnApplyScale);
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
    m_open = make(QStringLiteral("&Open Design..."), {QKeySequence(Qt::CTRL | Qt::Key_O)},
                  &CPatternDlg::OnOpen);
    m_moreCopies = make(QStringLiteral("&More Copies"), {QKeySequence(Qt::CTRL | Qt::Key_Up)},
                        [this] { SetCopies(m_settings.copies + 1); });
    m_fewerCopies = make(QStringLiteral("&Fewer Copies"), {QKeySequence(Qt::CTRL | Qt::Key_Down)},
                         [this] { SetCopies(m_settings.copies - 1); });
    m_mirrorAction = make(QStringLiteral("M&irror Copies"), {QKeySequence(Qt::CTRL | Qt::Key_M)},
                          &CPatternDlg::SetMirror);
    m_guidesAction = make(QStringLiteral("Polar &Guides"), {QKeySequence(Qt::CTRL | Qt::Key_G)},
                          &CPatternDlg::SetGuides);
    m_snapAction = make(QStringLiteral("Polar &Snapping"), {QKeySequence(Qt::CTRL | Qt::Key_P)},
                        &CPatternDlg::SetPolarSnapping);
    for (QAction *toggle : {m_mirrorAction, m_guidesAction, m_snapAction})
        toggle->setCheckable(true);

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
}

void CPatternDlg::OnInitDialog()
{
    setWindowIcon(m_icon);

    const CSettingsStore store;
    m_strip.background->LoadColours(store, BackgroundSection);
    m_strip.foreground->LoadColours(store, ForegroundSection);
    m_strip.background->SelectIndex(0);
    m_strip.foreground->SelectIndex(0);

    m_rotation = 0.0;
    m_animating = false;
    m_strip.polygon->setChecked(true);

    m_settings = CEditorSettings::Load(store);
    m_strip.scaleField->setText(FormatScaleField(m_settings.scale));
    m_mirrorAction->setChecked(m_settings.mirror);
    m_guidesAction->setChecked(m_settings.guides);
    m_snapAction->setChecked(m_settings.polarSnap);

    m_strip.ShowBitmaps(QPixmap(Resources::GoBitmap()), QPixmap(Resources::SwatchesBitmap()));
    ViewChanged();
}

bool CPatternDlg::PolygonChecked() const
{
    return m_strip.polygon->isChecked();
}

bool CPatternDlg::IsBusy() const
{
    return m_animating || m_entry.IsRunning();
}

int CPatternDlg::Spokes() const
{
    return m_settings.copies > 1 ? m_settings.copies : DefaultSpokes;
}

CanvasView CPatternDlg::View() const
{
    return CanvasView{size(), m_settings.scale, m_rotation, m_animating, m_settings.guides ? Spokes() : 0};
}

void CPatternDlg::ViewChanged()
{
    m_canvas.SetView(View());
    update(CanvasRect(size()));
}

std::unique_ptr<QMenu> CPatternDlg::CreateMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    menu->addAction(m_about);
    menu->addSeparator();
    menu->addActions({m_undo, m_redo});
    menu->addSeparator();
    menu->addAction(m_open);
    menu->addSeparator();
    QMenu *copies = menu->addMenu(QStringLiteral("&Copies Around the Centre: %1").arg(m_settings.copies));
    auto *group = new QActionGroup(copies);
    for (int n = MinCopies; n <= MaxCopies; ++n) {
        QAction *item = copies->addAction(QString::number(n), this, [this, n] { SetCopies(n); });
        item->setCheckable(true);
        item->setChecked(n == m_settings.copies);
        group->addAction(item);
    }
    m_moreCopies->setEnabled(m_settings.copies < MaxCopies);
    m_fewerCopies->setEnabled(m_settings.copies > MinCopies);
    menu->addActions({m_moreCopies, m_fewerCopies, m_mirrorAction});
    menu->addSeparator();
    menu->addActions({m_guidesAction, m_snapAction});
    return menu;
}

void CPatternDlg::OnSysCommand(unsigned id)
{
    if ((id & 0xFFF0) == AboutCommand && !IsBusy())
        emit AboutRequested();
}

void CPatternDlg::OnClear()
{
    if (IsBusy())
        return;
    if (!m_document.Shapes().empty()) {
        const auto answer = CDialogSeam::Current().Message(
            this, QMessageBox::Question, QStringLiteral("Are you sure"), Strings::ClearQuestion(),
            QMessageBox::Ok | QMessageBox::Cancel);
        if (answer == QMessageBox::Ok)
            m_document.Clear();
    }
    update();
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
        m_settings.scale = *typed;
        ViewChanged();
    } else {
        Warn(this, refusal);
        m_strip.scaleField->setFocus();
        m_strip.scaleField->selectAll();
    }
    update();
}

void CPatternDlg::OnTest()
{
    if (IsBusy())
        return;
    m_animating = true;
    const double savedScale = m_settings.scale;
    const double savedRotation = m_rotation;
    CPreview::Run(m_frameDelay, m_rotation, [this](double scale, double rotation) {
        m_settings.scale = scale;
        m_rotation = rotation;
        m_frames.SetView(View());
        // Only the canvas moves: the strip would cost time to repaint unchanged.
        repaint(CanvasRect(size()));
    });
    m_settings.scale = savedScale;
    m_rotation = savedRotation;
    m_animating = false;
    m_frames = CCanvasImage();
    repaint();
    RunDeferredClose();
}

bool CPatternDlg::OnGenerate()
{
    if (IsBusy())
        return false;
    const QString path = CDialogSeam::Current().SaveFileName(this, QStringLiteral("JVF"));
    if (path.isEmpty())
        return false;
    try {
        ExportDesign(path, m_document.Shapes());
        m_document.MarkUnmodified();
        return true;
    } catch (const CFileException &e) {
        Warn(this, QStringLiteral("Problem opening file!\n") + e.Description().left(255));
    } catch (const CDesignLimitError &e) {
        Warn(this, QString::fromStdString(e.what()));
    } catch (const std::bad_alloc &) {
        CDialogSeam::Current().Message(this, QMessageBox::Warning, QStringLiteral("Memory Problem"),
                                       QStringLiteral("Memory allocation problem"),
                                       QMessageBox::Ok);
    }
    return false;
}

void CPatternDlg::OnOpen()
{
    if (IsBusy())
        return;
    const QString path = CDialogSeam::Current().OpenFileName(this);
    if (!path.isEmpty())
        OpenDesign(path);
}

bool CPatternDlg::OpenDesign(const QString &path)
{
    if (IsBusy())
        return false;
    ShapeList shapes;
    try {
        shapes = ReadDesign(path);
    } catch (const CDesignReadError &e) {
        Warn(this, DesignReadMessage(path, e));
        return false;
    } catch (const std::bad_alloc &) {
        Warn(this, QStringLiteral("%1 is too large to open.").arg(path));
        return false;
    }
    if (!KeepOrDropChanges(QStringLiteral("Generate it before opening %1?")
                               .arg(QFileInfo(path).fileName())))
        return false;
    m_document.ReplaceAll(std::move(shapes), QStringLiteral("Open design"));
    m_document.MarkUnmodified();
    return true;
}

void CPatternDlg::OfferRecovery()
{
    if (m_recovery)
        ::OfferRecovery(this, *m_recovery, m_document);
}

bool CPatternDlg::KeepOrDropChanges(const QString &question)
{
    if (!m_document.IsModified())
        return true;
    const auto answer = CDialogSeam::Current().Ask(
        this, AppCaption(),
        QStringLiteral("The design has shapes that were not generated into a design file.\n") +
            question,
        {{QMessageBox::Save, QStringLiteral("Generate...")},
         {QMessageBox::Discard, QStringLiteral("Discard")},
         {QMessageBox::Cancel, QStringLiteral("Cancel")}},
        QMessageBox::Cancel);
    if (answer == QMessageBox::Save)
        return OnGenerate();
    return answer == QMessageBox::Discard;
}

void CPatternDlg::SetCopies(int copies)
{
    if (IsBusy() || copies < MinCopies || copies > MaxCopies || copies == m_settings.copies)
        return;
    m_settings.copies = copies;
    ViewChanged(); // the guides have a spoke per copy
}

void CPatternDlg::SetMirror(bool on)
{
    if (!IsBusy())
        m_settings.mirror = on;
    m_mirrorAction->setChecked(m_settings.mirror);
}

void CPatternDlg::SetGuides(bool on)
{
    if (!IsBusy()) {
        m_settings.guides = on;
        ViewChanged();
    }
    m_guidesAction->setChecked(m_settings.guides);
}

void CPatternDlg::SetPolarSnapping(bool on)
{
    if (!IsBusy())
        m_settings.polarSnap = on;
    m_snapAction->setChecked(m_settings.polarSnap);
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
    picker.exec();
}

void CPatternDlg::SaveSettings()
{
    for (;;) {
        CSettingsStore store;
        m_strip.background->SaveColours(store, BackgroundSection);
        m_strip.foreground->SaveColours(store, ForegroundSection);
        m_settings.Save(store);
        try {
            store.Save({BackgroundSection, ForegroundSection, QStringLiteral("Settings")});
            return;
        } catch (const CFileException &e) {
            const auto answer = CDialogSeam::Current().Ask(
                this, AppCaption(),
                QStringLiteral("The settings could not be saved to %1:\n%2")
                    .arg(store.FileName(), e.Description()),
                {{QMessageBox::Retry, QStringLiteral("Try Again")},
                 {QMessageBox::Discard, QStringLiteral("Close Anyway")}},
                QMessageBox::NoButton);
            if (answer != QMessageBox::Retry)
                return;
        }
    }
}

void CPatternDlg::reject()
{
}

void CPatternDlg::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (IsBusy()) {
        // Never tear the design down under a running entry or animation.
        m_closePending = true;
        return;
    }
    m_closePending = false;
    if (!KeepOrDropChanges(QStringLiteral("Generate it before closing?")))
        return;
    SaveSettings();
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
        if (m_entry.IsRunning())
            m_entry.Overlay().Apply(painter, area);
    }
}

void CPatternDlg::resizeEvent(QResizeEvent *event)
{
    // A shape entered across a resize would mix two centres.
    m_entry.End();
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
    if (!IsBusy())
        QDialog::keyPressEvent(event);
}

void CPatternDlg::StartEntry(QPoint press)
{
    CShapeEntry::Setup setup;
    setup.type = PolygonChecked() ? CPolyStorage::TypeValue : CLineStorage::TypeValue;
    setup.view = View();
    setup.copies = m_settings.copies;
    setup.mirror = m_settings.mirror;
    setup.polarSnap = m_settings.polarSnap;
    setup.spokes = Spokes();
    m_entry.Start(press, setup);
    setMouseTracking(true);
    grabMouse();
    grabKeyboard();
}

void CPatternDlg::EndEntry()
{
    releaseKeyboard();
    releaseMouse();
    setMouseTracking(false);
}

void CPatternDlg::OverlayChanged(const QRegion &area)
{
    update(area);
}

std::pair<std::int32_t, std::int32_t> CPatternDlg::ShapeColours() const
{
    return {m_strip.background->SelectedColour(), m_strip.foreground->SelectedColour()};
}

void CPatternDlg::ShapeFinished(std::unique_ptr<CObjectStorage> shape)
{
    EndEntry();
    m_document.AddShapes(MakeCopies(std::move(shape), m_settings.copies, m_settings.mirror));
    RunDeferredClose();
}

void CPatternDlg::mousePressEvent(QMouseEvent *event)
{
    if (m_animating)
        return;
    const QPoint pos = event->position().toPoint();
    if (!m_entry.IsRunning()) {
        if (event->button() == Qt::LeftButton)
            StartEntry(pos);
        return;
    }
    m_entry.Press(event->button());
    // The right press that ends a shape is not also a request for the menu.
    m_swallowContextMenu = !m_entry.IsRunning();
}

void CPatternDlg::mouseReleaseEvent(QMouseEvent *event)
{
    m_entry.Release(event->button(), event->position().toPoint());
}

void CPatternDlg::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_entry.DoubleClick(event->button());
}

void CPatternDlg::mouseMoveEvent(QMouseEvent *event)
{
    m_entry.Move(event->position().toPoint());
}

void CPatternDlg::dragEnterEvent(QDragEnterEvent *event)
{
    if (!IsBusy() && !DroppedDesign(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CPatternDlg::dropEvent(QDropEvent *event)
{
    const QString path = DroppedDesign(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The question and the messages must not run inside the drag's own loop.
    QMetaObject::invokeMethod(this, [this, path] { OpenDesign(path); }, Qt::QueuedConnection);
}

bool CPatternDlg::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        m_entry.End();
        break;
    case QEvent::FocusOut:
        if (static_cast<QFocusEvent *>(event)->reason() == Qt::PopupFocusReason)
            m_entry.End();
        break;
    default:
        break;
    }
    return QDialog::event(event);
}
