#include "editor/PatternDlg.h"

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
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>

#include <cmath>
#include <new>
#include <utility>

namespace {

const QString SettingsSection = QStringLiteral("Settings");
const QString BackgroundSection = QStringLiteral("Background");
const QString ForegroundSection = QStringLiteral("Foreground");

// Test animation: 360 frames growing the scale from 0.1 and turning clockwise.
constexpr int AnimationFrames = 360;
constexpr double AnimationStartScale = 0.1;
constexpr double AnimationScaleStep = 0.004;
constexpr double AnimationRotationStep = 0.03;

// Spokes of the polar guides and steps of polar snapping without copies.
constexpr int DefaultSpokes = 12;

// Size of the client area in dialog units.
constexpr int ClientWidthDlu = 320;
constexpr int ClientHeightDlu = 222;

// Largest pixel size of the strip's font, and the smallest we shrink it to.
constexpr int LargestFontPixels = 12;
constexpr int SmallestFontPixels = 7;

QString AppCaption()
{
    return QCoreApplication::applicationName();
}

void Warn(QWidget *parent, const QString &text)
{
    CDialogSeam::Current().Message(parent, QMessageBox::Warning, AppCaption(), text,
                                   QMessageBox::Ok);
}

// Waits until the clock reaches the deadline, keeping the window painted and
// answering the window system.
void WaitUntil(const QElapsedTimer &clock, qint64 deadlineMs)
{
    const qint64 remaining = deadlineMs - clock.elapsed();
    if (remaining <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(remaining), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// A settings text of 0 or 1; anything else reads as off.
bool ReadFlag(const CSettingsStore &store, const QString &entry)
{
    return store.Read(SettingsSection, entry).trimmed() == QStringLiteral("1");
}

int ReadCopies(const CSettingsStore &store)
{
    bool ok = false;
    const int copies = store.Read(SettingsSection, QStringLiteral("Copies")).trimmed().toInt(&ok);
    return ok && copies >= MinCopies && copies <= MaxCopies ? copies : MinCopies;
}

QString FlagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
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

// Horizontal room the style takes beside a control's text.
int TextMargin(const QWidget *control)
{
    const QStyle *style = control->style();
    if (qobject_cast<const QRadioButton *>(control))
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, control) +
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, control);
    if (qobject_cast<const QPushButton *>(control))
        return 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, control) / 2 + 2);
    return 0;
}

QString ControlText(const QWidget *control)
{
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text().remove(QLatin1Char('&'));
    return QString();
}

// Puts the bitmap on the button, shrunk where it would cover the button's frame.
void ShowBitmap(QPushButton &button, const QPixmap &bitmap)
{
    constexpr int FrameRoom = 4;
    button.setIcon(bitmap);
    const QSize inside = button.size() - QSize(FrameRoom, FrameRoom);
    QSize size = bitmap.size();
    if (size.width() > inside.width() || size.height() > inside.height())
        size.scale(inside, Qt::KeepAspectRatio);
    button.setIconSize(size);
}

bool TextsFit(const QList<QWidget *> &controls, const QFont &font)
{
    const QFontMetrics metrics(font);
    for (const QWidget *control : controls) {
        const QString text = ControlText(control);
        if (text.isEmpty())
            continue;
        if (metrics.horizontalAdvance(text) + TextMargin(control) > control->width() ||
            metrics.height() > control->height())
            return false;
    }
    return true;
}

} // namespace

CPatternDlg::CPatternDlg(CRecoveryFile *recovery, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_recovery(recovery), m_icon(Resources::AppIcon())
{
    setWindowTitle(QStringLiteral("Vortigram"));
    setSizeGripEnabled(false);
    setAcceptDrops(true);
    // A click on the canvas takes the keys from the Scale field, whose own
    // undo would otherwise keep Ctrl+Z from the design.
    setFocusPolicy(Qt::ClickFocus);
    resize(DluToPixelsX(ClientWidthDlu), DluToPixelsY(ClientHeightDlu));
    CreateControls();
    CreateActions();
    OnInitDialog();

    connect(&m_document, &CDesignDocument::ShapesAppended, this, [this](int first) {
        update(m_canvas.Append(m_document.Shapes(), static_cast<std::size_t>(first)));
    });
    connect(&m_document, &CDesignDocument::ShapesReset, this, [this] {
        m_canvas.Invalidate();
        update(CanvasRect(size()));
    });
    if (m_recovery)
        m_recovery->Follow(m_document);
}

CPatternDlg::~CPatternDlg() = default;

void CPatternDlg::CreateControls()
{
    auto *frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setGeometry(DluRect(2, 2, 56, 27));

    m_polyline = new QRadioButton(QStringLiteral("Polyline"), this);
    m_polyline->setGeometry(DluRect(7, 6, 39, 8));
    m_polygon = new QRadioButton(QStringLiteral("Polygon"), this);
    m_polygon->setGeometry(DluRect(7, 18, 39, 8));

    auto *backgroundLabel = new QLabel(QStringLiteral("Background:"), this);
    backgroundLabel->setGeometry(DluRect(63, 5, 42, 8));
    m_background = new CColourComboBox(this);
    m_background->setGeometry(DluRect(106, 2, 51, 12));
    auto *foregroundLabel = new QLabel(QStringLiteral("Foreground:"), this);
    foregroundLabel->setGeometry(DluRect(63, 19, 39, 8));
    m_foreground = new CColourComboBox(this);
    m_foreground->setGeometry(DluRect(106, 16, 51, 12));

    auto makeButton = [this](const QString &text, const QRect &rect, auto slot) {
        auto *button = new QPushButton(text, this);
        button->setGeometry(rect);
        button->setAutoDefault(false);
        button->setDefault(false);
        connect(button, &QPushButton::clicked, this, slot);
        return button;
    };
    QPushButton *backgroundColours =
        makeButton(QString(), DluRect(158, 2, 17, 12), &CPatternDlg::OnBackgroundColours);
    QPushButton *foregroundColours =
        makeButton(QString(), DluRect(158, 16, 17, 12), &CPatternDlg::OnForegroundColours);
    // The bitmap stands in for the buttons' text, which stays their name.
    backgroundColours->setAccessibleName(QStringLiteral("..."));
    foregroundColours->setAccessibleName(QStringLiteral("..."));

    auto *scaleLabel = new QLabel(QStringLiteral("Scale:"), this);
    scaleLabel->setGeometry(DluRect(182, 5, 21, 8));
    m_scaleField = new QLineEdit(this);
    m_scaleField->setGeometry(DluRect(182, 14, 26, 13));
    connect(m_scaleField, &QLineEdit::returnPressed, this, &CPatternDlg::OnApplyScale);
    QPushButton *apply = makeButton(QString(), DluRect(209, 14, 15, 13), &CPatternDlg::OnApplyScale);

    makeButton(QStringLiteral("Clear"), DluRect(231, 2, 42, 12), &CPatternDlg::OnClear);
    // Resample has no command of its own.
    auto *resample = new QPushButton(QStringLiteral("Resample"), this);
    resample->setGeometry(DluRect(231, 16, 42, 12));
    resample->setAutoDefault(false);
    makeButton(QStringLiteral("Test"), DluRect(276, 2, 42, 12), &CPatternDlg::OnTest);
    makeButton(QStringLiteral("Generate"), DluRect(276, 16, 42, 12), &CPatternDlg::OnGenerate);

    // Presses on the labels and the frame belong to the window: they start shapes.
    for (QWidget *passive : {static_cast<QWidget *>(frame), static_cast<QWidget *>(backgroundLabel),
                             static_cast<QWidget *>(foregroundLabel), static_cast<QWidget *>(scaleLabel)})
        passive->setAttribute(Qt::WA_TransparentForMouseEvents);

    // The strip stays 50 pixels high, so the font is the largest whose texts fit.
    QList<QWidget *> all = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QFont font = this->font();
    for (int pixels = LargestFontPixels; pixels >= SmallestFontPixels; --pixels) {
        font.setPixelSize(pixels);
        if (TextsFit(all, font))
            break;
    }
    for (QWidget *control : all)
        control->setFont(font);

    m_apply = apply;
    m_colourButtons = {backgroundColours, foregroundColours};
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
                        [this] { SetCopies(m_copies + 1); });
    m_fewerCopies = make(QStringLiteral("&Fewer Copies"), {QKeySequence(Qt::CTRL | Qt::Key_Down)},
                         [this] { SetCopies(m_copies - 1); });
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
    m_background->LoadColours(store, BackgroundSection);
    m_foreground->LoadColours(store, ForegroundSection);
    m_background->SelectIndex(0);
    m_foreground->SelectIndex(0);

    m_rotation = 0.0;
    m_animating = false;
    m_polygon->setChecked(true);

    const double stored =
        LeadingNumber(store.Read(SettingsSection, QStringLiteral("Scale"), QStringLiteral("1")));
    // A stored scale that can place no point would ruin every shape drawn.
    m_scale = IsUsableScale(stored) ? stored : 1.0;
    m_scaleField->setText(FormatScaleField(m_scale));
    m_copies = ReadCopies(store);
    m_mirror = ReadFlag(store, QStringLiteral("Mirror"));
    m_guides = ReadFlag(store, QStringLiteral("Guides"));
    m_polarSnap = ReadFlag(store, QStringLiteral("PolarSnap"));
    m_mirrorAction->setChecked(m_mirror);
    m_guidesAction->setChecked(m_guides);
    m_snapAction->setChecked(m_polarSnap);

    m_goBitmap = QPixmap(Resources::GoBitmap());
    m_swatchBitmap = QPixmap(Resources::SwatchesBitmap());
    ShowBitmap(*m_apply, m_goBitmap);
    for (QPushButton *button : m_colourButtons)
        ShowBitmap(*button, m_swatchBitmap);
    ViewChanged();
}

bool CPatternDlg::PolygonChecked() const
{
    return m_polygon->isChecked();
}

bool CPatternDlg::IsBusy() const
{
    return m_animating || m_entry.IsRunning();
}

int CPatternDlg::Spokes() const
{
    return m_copies > 1 ? m_copies : DefaultSpokes;
}

CanvasView CPatternDlg::View() const
{
    return CanvasView{size(), m_scale, m_rotation, m_animating, m_guides ? Spokes() : 0};
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
    QMenu *copies = menu->addMenu(QStringLiteral("&Copies Around the Centre: %1").arg(m_copies));
    auto *group = new QActionGroup(copies);
    for (int n = MinCopies; n <= MaxCopies; ++n) {
        QAction *item = copies->addAction(QString::number(n), this, [this, n] { SetCopies(n); });
        item->setCheckable(true);
        item->setChecked(n == m_copies);
        group->addAction(item);
    }
    m_moreCopies->setEnabled(m_copies < MaxCopies);
    m_fewerCopies->setEnabled(m_copies > MinCopies);
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
    const std::optional<double> typed = WholeNumber(m_scaleField->text());
    QString refusal;
    if (!typed)
        refusal = QStringLiteral("Please enter a number.");
    else if (*typed == 0.0 || !std::isfinite(*typed))
        refusal = QStringLiteral("The scale must be a non-zero number.");
    else if (!IsUsableScale(*typed))
        refusal = QStringLiteral("The scale is too close to zero: it must be at least 0.000001 "
                                 "or at most -0.000001.");
    if (refusal.isEmpty()) {
        m_scale = *typed;
        ViewChanged();
    } else {
        Warn(this, refusal);
        m_scaleField->setFocus();
        m_scaleField->selectAll();
    }
    update();
}

void CPatternDlg::OnTest()
{
    if (IsBusy())
        return;
    m_animating = true;
    const double savedScale = m_scale;
    const double savedRotation = m_rotation;
    m_scale = AnimationStartScale;
    // Input during the preview is dropped, not held for afterwards.
    qApp->installEventFilter(this);

    // Frames are paced from the start; a frame whose moment has passed before
    // it could be painted is skipped, so the preview keeps its length and
    // every frame shown is the one of its moment.
    QElapsedTimer clock;
    clock.start();
    const qint64 delay = m_frameDelay.count();
    for (int frame = 1; frame <= AnimationFrames; ++frame) {
        m_scale += AnimationScaleStep;
        m_rotation += AnimationRotationStep;
        WaitUntil(clock, frame * delay);
        const bool late = clock.elapsed() >= (frame + 1) * delay;
        if (frame == 1 || frame == AnimationFrames || !late) {
            m_canvas.SetView(View());
            // Only the canvas moves: the strip would cost time to repaint unchanged.
            repaint(CanvasRect(size()));
        }
    }

    qApp->removeEventFilter(this);
    m_scale = savedScale;
    m_rotation = savedRotation;
    m_animating = false;
    m_canvas.SetView(View());
    repaint();
    RunDeferredClose();
}

bool CPatternDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (m_animating && IsUserInput(event->type()))
        return true;
    return QDialog::eventFilter(watched, event);
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
    if (!m_recovery)
        return;
    for (const QString &orphan : m_recovery->Orphans()) {
        ShapeList shapes;
        try {
            shapes = ReadDesign(orphan);
        } catch (const std::exception &) {
            CRecoveryFile::Discard(orphan); // nothing in it can be restored
            continue;
        }
        const auto answer = CDialogSeam::Current().Ask(
            this, AppCaption(),
            QStringLiteral("Vortigram did not end normally while a design of %1 was being "
                           "edited. Restore that design?")
                .arg(shapes.size() == 1 ? QStringLiteral("1 shape")
                                        : QStringLiteral("%1 shapes").arg(shapes.size())),
            {{QMessageBox::Yes, QStringLiteral("Yes")}, {QMessageBox::No, QStringLiteral("No")}},
            QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            CRecoveryFile::Discard(orphan);
            continue;
        }
        // Restored, but not exported: closing asks about it as about any change.
        m_document.ReplaceAll(std::move(shapes), QStringLiteral("Restore design"));
        // This run's own copy holds the design before the old one goes.
        m_recovery->Flush();
        CRecoveryFile::Discard(orphan);
        return;
    }
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
    if (IsBusy() || copies < MinCopies || copies > MaxCopies || copies == m_copies)
        return;
    m_copies = copies;
    ViewChanged(); // the guides have a spoke per copy
}

void CPatternDlg::SetMirror(bool on)
{
    if (!IsBusy())
        m_mirror = on;
    m_mirrorAction->setChecked(m_mirror);
}

void CPatternDlg::SetGuides(bool on)
{
    if (!IsBusy()) {
        m_guides = on;
        ViewChanged();
    }
    m_guidesAction->setChecked(m_guides);
}

void CPatternDlg::SetPolarSnapping(bool on)
{
    if (!IsBusy())
        m_polarSnap = on;
    m_snapAction->setChecked(m_polarSnap);
}

void CPatternDlg::OnBackgroundColours()
{
    OpenPicker(*m_background);
}

void CPatternDlg::OnForegroundColours()
{
    OpenPicker(*m_foreground);
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
        m_background->SaveColours(store, BackgroundSection);
        m_foreground->SaveColours(store, ForegroundSection);
        store.RemoveSection(SettingsSection);
        store.Write(SettingsSection, QStringLiteral("Scale"), FormatScaleSetting(m_scale));
        store.Write(SettingsSection, QStringLiteral("Copies"), QString::number(m_copies));
        store.Write(SettingsSection, QStringLiteral("Mirror"), FlagText(m_mirror));
        store.Write(SettingsSection, QStringLiteral("Guides"), FlagText(m_guides));
        store.Write(SettingsSection, QStringLiteral("PolarSnap"), FlagText(m_polarSnap));
        try {
            store.Save({BackgroundSection, ForegroundSection, SettingsSection});
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
    m_canvas.Paint(painter, event->rect(), m_document.Shapes());
    if (m_entry.IsRunning())
        m_entry.Overlay().Apply(painter, event->rect());
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
    setup.copies = m_copies;
    setup.mirror = m_mirror;
    setup.polarSnap = m_polarSnap;
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

void CPatternDlg::OverlayChanged(const QRect &area)
{
    update(area);
}

std::pair<std::int32_t, std::int32_t> CPatternDlg::ShapeColours() const
{
    return {m_background->SelectedColour(), m_foreground->SelectedColour()};
}

void CPatternDlg::ShapeFinished(std::unique_ptr<CObjectStorage> shape)
{
    EndEntry();
    m_document.AddShapes(MakeCopies(std::move(shape), m_copies, m_mirror));
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
