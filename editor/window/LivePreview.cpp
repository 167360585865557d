#include "window/LivePreview.h"

#include "model/DesignDocument.h"
#include "platform/SettingsStore.h"
#include "window/FrameView.h"

#include <QAction>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString SettingsSection = QStringLiteral("LivePreview");
const QString OpenEntry = QStringLiteral("Open");

} // namespace

CLivePreview::CLivePreview(CDesignDocument &document, QWidget *parent)
    : QDockWidget(QStringLiteral("Live Preview"), parent), m_document(document)
{
    setObjectName(QStringLiteral("LivePreview"));
    auto *panel = new QWidget(this);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 4, 4, 4);
    m_view = new CFrameView(m_player, CFrameView::Area::Whole, panel);
    m_view->setAccessibleName(QStringLiteral("Preview frames"));
    m_view->setMinimumSize(120, 120);
    layout->addWidget(m_view, 1);
    m_pause = new QPushButton(QStringLiteral("Pause"), panel);
    m_pause->setFocusPolicy(Qt::TabFocus);
    m_slider = new QSlider(Qt::Horizontal, panel);
    m_slider->setAccessibleName(QStringLiteral("Frame"));
    m_slider->setRange(1, PreviewFrameCount);
    m_slider->setEnabled(false);
    m_slider->setFocusPolicy(Qt::TabFocus);
    layout->addWidget(m_slider);
    layout->addWidget(m_pause, 0, Qt::AlignLeft);
    setWidget(panel);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    ToggleAction()->setText(QStringLiteral("Live &Preview"));
    ToggleAction()->setShortcut(Qt::Key_F6);

    connect(m_pause, &QPushButton::clicked, this, [this] {
        m_paused = !m_paused;
        UpdatePlaying();
    });
    connect(m_slider, &QSlider::valueChanged, this, [this](int k) {
        if (m_paused && k != m_player.Frame())
            m_player.Seek(k);
    });
    connect(&m_player, &CFramePlayer::FrameShown, this, [this](int k) {
        if (!m_slider->isSliderDown())
            m_slider->setValue(k);
    });
    connect(this, &QDockWidget::visibilityChanged, this, &CLivePreview::UpdatePlaying);

    m_snapshot.setSingleShot(true);
    connect(&m_snapshot, &QTimer::timeout, this, &CLivePreview::TakeSnapshot);
    const auto changed = [this] { DesignChanged(); };
    connect(&document, &CDesignDocument::ShapesAppended, this, changed);
    connect(&document, &CDesignDocument::ShapesRemoved, this, changed);
    connect(&document, &CDesignDocument::ShapesInserted, this, changed);
    connect(&document, &CDesignDocument::ShapesChanged, this, changed);
    connect(&document, &CDesignDocument::ShapesMoved, this, changed);
    connect(&document, &CDesignDocument::ShapesReset, this, changed);
    hide();
}

QAction *CLivePreview::ToggleAction() const
{
    return toggleViewAction();
}

QString CLivePreview::Section()
{
    return SettingsSection;
}

void CLivePreview::Load(const CSettingsStore &store)
{
    setVisible(store.Read(SettingsSection, OpenEntry).trimmed() == QLatin1String("1"));
}

void CLivePreview::Save(CSettingsStore &store) const
{
    store.RemoveSection(SettingsSection);
    store.Write(SettingsSection, OpenEntry, isHidden() ? QStringLiteral("0") : QStringLiteral("1"));
}

void CLivePreview::SetHeld(bool held)
{
    m_held = held;
    UpdatePlaying();
}

void CLivePreview::DesignChanged()
{
    m_stale = true;
    if (!isVisible() || m_snapshot.isActive())
        return;
    // A snapshot at once after a quiet spell, else one frame after the last.
    const qint64 since = m_sinceSnapshot.isValid() ? m_sinceSnapshot.elapsed() : PreviewFrameDelay.count();
    if (since >= PreviewFrameDelay.count())
        TakeSnapshot();
    else
        m_snapshot.start(static_cast<int>(PreviewFrameDelay.count() - since));
}

void CLivePreview::TakeSnapshot()
{
    if (!m_stale)
        return;
    m_stale = false;
    m_sinceSnapshot.start();
    try {
        m_player.SetDesign(std::make_shared<const ShapeList>(CloneShapes(m_document.Shapes())));
    } catch (const std::bad_alloc &) {
        m_stale = true; // the frames show the design as it was, until a copy fits
    }
}

void CLivePreview::UpdatePlaying()
{
    const bool shown = isVisible();
    if (shown && m_stale)
        TakeSnapshot();
    m_pause->setText(m_paused ? QStringLiteral("Play") : QStringLiteral("Pause"));
    m_slider->setEnabled(m_paused);
    if (shown && !m_paused && !m_held)
        m_player.Play();
    else
        m_player.Pause();
}
