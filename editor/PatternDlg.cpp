#include "editor/PatternDlg.h"

#include "app/AboutDlg.h"
#include "editor/ScaleText.h"
#include "editor/ShapeEntry.h"
#include "export/DesignFile.h"
#include "palette/ColourComboBox.h"
#include "palette/ColourPickerDlg.h"
#include "platform/DialogSeam.h"
#include "platform/DialogUnits.h"
#include "platform/OutputFile.h"
#include "platform/SettingsStore.h"
#include "res/Resources.h"
#include "res/Strings.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>

#include <cmath>
#include <new>
#include <utility>

namespace {

const QString ScaleSection = QStringLiteral("Settings");
const QString ScaleEntry = QStringLiteral("Scale");
const QString BackgroundSection = QStringLiteral("Background");
const QString ForegroundSection = QStringLiteral("Foreground");

// Test animation: 360 frames growing the scale from 0.1 and turning clockwise.
constexpr int AnimationFrames = 360;
constexpr double AnimationStartScale = 0.1;
constexpr double AnimationScaleStep = 0.004;
constexpr double AnimationRotationStep = 0.03;

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

// Waits until the clock reaches the deadline, keeping the window painted and
// answering the window system, but holding back the user's input.
void WaitExcludingInput(const QElapsedTimer &clock, qint64 deadlineMs)
{
    const qint64 remaining = deadlineMs - clock.elapsed();
    if (remaining <= 0) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(remaining), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
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

CPatternDlg::CPatternDlg(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_icon(Resources::AppIcon()), m_entry(std::make_unique<CShapeEntry>(*this))
{
    setWindowTitle(QStringLiteral("Vortigram"));
    setSizeGripEnabled(false);
    resize(DluToPixelsX(ClientWidthDlu), DluToPixelsY(ClientHeightDlu));
    CreateControls();
    OnInitDialog();
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

    auto makeButton = [this](const QString &text, const QRect &rect, void (CPatternDlg::*slot)()) {
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

void CPatternDlg::OnInitDialog()
{
    setWindowIcon(m_icon);

    m_background->LoadColours(BackgroundSection);
    m_foreground->LoadColours(ForegroundSection);
    m_background->SelectIndex(0);
    m_foreground->SelectIndex(0);

    m_rotation = 0.0;
    m_animating = false;
    m_polygon->setChecked(true);

    const double stored = LeadingNumber(
        CSettingsStore().Read(ScaleSection, ScaleEntry, QStringLiteral("1")));
    // A stored scale that can place no point would ruin every shape drawn.
    m_scale = stored != 0.0 && std::isfinite(stored) ? stored : 1.0;
    m_scaleField->setText(FormatScaleField(m_scale));

    m_goBitmap = QPixmap(Resources::GoBitmap());
    m_swatchBitmap = QPixmap(Resources::SwatchesBitmap());
    ShowBitmap(*m_apply, m_goBitmap);
    for (QPushButton *button : m_colourButtons)
        ShowBitmap(*button, m_swatchBitmap);
}

bool CPatternDlg::PolygonChecked() const
{
    return m_polygon->isChecked();
}

bool CPatternDlg::IsBusy() const
{
    return m_animating || m_entry->IsRunning();
}

CanvasView CPatternDlg::View() const
{
    return CanvasView{size(), m_scale, m_rotation, m_animating};
}

void CPatternDlg::AddShape(std::unique_ptr<CObjectStorage> shape)
{
    m_shapes.push_back(std::move(shape));
    update();
    RunDeferredClose();
}

void CPatternDlg::OnSysCommand(unsigned id)
{
    if ((id & 0xFFF0) == AboutCommand)
        ShowAbout();
}

void CPatternDlg::ShowAbout()
{
    if (IsBusy())
        return;
    CAboutDlg about(this);
    about.exec();
}

void CPatternDlg::OnClear()
{
    if (IsBusy())
        return;
    if (!m_shapes.empty()) {
        const auto answer = CDialogSeam::Current().Message(
            this, QMessageBox::Question, QStringLiteral("Are you sure"), Strings::ClearQuestion(),
            QMessageBox::Ok | QMessageBox::Cancel);
        if (answer == QMessageBox::Ok)
            DeleteAllShapes();
    }
    update();
}

void CPatternDlg::OnApplyScale()
{
    if (IsBusy())
        return;
    const std::optional<double> typed = WholeNumber(m_scaleField->text());
    if (!typed) {
        CDialogSeam::Current().Message(this, QMessageBox::Warning, AppCaption(),
                                       QStringLiteral("Please enter a number."), QMessageBox::Ok);
        m_scaleField->setFocus();
        m_scaleField->selectAll();
    } else if (*typed == 0.0 || !std::isfinite(*typed)) {
        CDialogSeam::Current().Message(this, QMessageBox::Warning, AppCaption(),
                                       QStringLiteral("The scale must be a non-zero number."),
                                       QMessageBox::Ok);
        m_scaleField->setFocus();
        m_scaleField->selectAll();
    } else {
        m_scale = *typed;
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

    // Frames are paced from the start, so painting time does not stretch the run.
    QElapsedTimer clock;
    clock.start();
    const qint64 delay = m_frameDelay.count();
    for (int frame = 1; frame <= AnimationFrames; ++frame) {
        m_scale += AnimationScaleStep;
        m_rotation += AnimationRotationStep;
        WaitExcludingInput(clock, frame * delay);
        // Only the canvas moves: the control strip above it would cost a few
        // milliseconds of every 30 ms frame to repaint unchanged.
        repaint(CanvasRect(size()));
    }

    m_scale = savedScale;
    m_rotation = savedRotation;
    m_animating = false;
    repaint();
    RunDeferredClose();
}

void CPatternDlg::OnGenerate()
{
    if (IsBusy())
        return;
    const QString path = CDialogSeam::Current().SaveFileName(this, QStringLiteral("JVF"));
    if (path.isEmpty())
        return;
    try {
        ExportDesign(path, m_shapes);
    } catch (const CFileException &e) {
        CDialogSeam::Current().Message(this, QMessageBox::Warning, AppCaption(),
                                       QStringLiteral("Problem opening file!\n") +
                                           e.Description().left(255),
                                       QMessageBox::Ok);
    } catch (const CDesignLimitError &e) {
        CDialogSeam::Current().Message(this, QMessageBox::Warning, AppCaption(),
                                       QString::fromStdString(e.what()), QMessageBox::Ok);
    } catch (const std::bad_alloc &) {
        CDialogSeam::Current().Message(this, QMessageBox::Warning, QStringLiteral("Memory Problem"),
                                       QStringLiteral("Memory allocation problem"),
                                       QMessageBox::Ok);
    }
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

void CPatternDlg::OnClose()
{
    m_background->SaveColours(BackgroundSection);
    m_foreground->SaveColours(ForegroundSection);
    CSettingsStore store;
    // The file is this program's own: only what it writes survives a save,
    // so the noise of a damaged file does not live on in every later one.
    store.KeepOnly({BackgroundSection, ForegroundSection});
    store.Write(ScaleSection, ScaleEntry, FormatScaleSetting(m_scale));
    DeleteAllShapes();
}

void CPatternDlg::DeleteAllShapes()
{
    m_shapes.clear();
}

void CPatternDlg::reject()
{
}

void CPatternDlg::closeEvent(QCloseEvent *event)
{
    if (IsBusy()) {
        // Never tear the design down under a running entry or animation.
        m_closePending = true;
        event->ignore();
        return;
    }
    m_closePending = false;
    OnClose();
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
    PaintCanvas(painter, View(), m_shapes);
    if (m_entry->IsRunning())
        m_entry->Overlay().Apply(painter, event->rect());
}

void CPatternDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // The centre, the axes and the grid move with the size.
    update(CanvasRect(size()));
}

void CPatternDlg::contextMenuEvent(QContextMenuEvent *event)
{
    // Stands in for the system menu: a right click on the control strip.
    const bool swallow = std::exchange(m_swallowContextMenu, false);
    if (swallow || IsBusy() || event->pos().y() >= StripHeight)
        return;
    QMenu menu(this);
    menu.addAction(Strings::AboutMenu(), this, [this] { OnSysCommand(AboutCommand); });
    menu.exec(event->globalPos());
}

void CPatternDlg::keyPressEvent(QKeyEvent *event)
{
    if (IsBusy())
        return;
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        OnSysCommand(AboutCommand);
        return;
    }
    QDialog::keyPressEvent(event);
}

void CPatternDlg::mousePressEvent(QMouseEvent *event)
{
    if (m_animating)
        return;
    const bool entering = m_entry->IsRunning();
    m_entry->Press(event->button(), event->position().toPoint());
    // The right press that ends a shape is not also a request for the menu.
    m_swallowContextMenu = entering && !m_entry->IsRunning();
}

void CPatternDlg::mouseReleaseEvent(QMouseEvent *event)
{
    m_entry->Release(event->button(), event->position().toPoint());
}

void CPatternDlg::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_entry->DoubleClick(event->button());
}

void CPatternDlg::mouseMoveEvent(QMouseEvent *event)
{
    m_entry->Move(event->position().toPoint());
}

bool CPatternDlg::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        m_entry->GrabLost();
        break;
    case QEvent::FocusOut:
        if (static_cast<QFocusEvent *>(event)->reason() == Qt::PopupFocusReason)
            m_entry->GrabLost();
        break;
    default:
        break;
    }
    return QDialog::event(event);
}
