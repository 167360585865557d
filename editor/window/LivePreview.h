#pragma once

#include "drawing/FramePlayer.h"

#include <QDockWidget>
#include <QElapsedTimer>
#include <QTimer>

class CDesignDocument;
class CFrameView;
class CSettingsStore;
class QAction;
class QPushButton;
class QSlider;

// The live preview: a panel beside the canvas that plays the preview's
// frames endlessly at its own size while the design is edited, with
// Pause/Play and, while paused, a slider that picks the frame. Its frames are
// painted at low priority from a snapshot of the design, taken at a change;
// in a run of changes, such as a drag, once a frame at most, so that the
// run costs the window no more than a copy every frame.
class CLivePreview : public QDockWidget
{
    Q_OBJECT

public:
    explicit CLivePreview(CDesignDocument &document, QWidget *parent = nullptr);

    // "Live &Preview" (F6): checked while the panel is open.
    QAction *ToggleAction() const;
    // Kept as the entry Open of the section Section(): open at the next
    // start when it was at the last close.
    static QString Section();
    void Load(const CSettingsStore &store);
    void Save(CSettingsStore &store) const;

    // Held, it pauses whatever the user chose (while Test runs).
    void SetHeld(bool held);
    bool IsPlaying() const { return m_player.IsPlaying(); }
    CFramePlayer &Player() { return m_player; }
    CFrameView &View() const { return *m_view; }
    QPushButton &PauseButton() const { return *m_pause; }
    QSlider &Slider() const { return *m_slider; }

private:
    void DesignChanged();
    void TakeSnapshot();
    void UpdatePlaying();

    CDesignDocument &m_document;
    CFramePlayer m_player{CFramePlayer::Priority::Low};
    CFrameView *m_view;
    QPushButton *m_pause;
    QSlider *m_slider;
    QTimer m_snapshot;
    QElapsedTimer m_sinceSnapshot;
    bool m_stale = true; // the design changed since the last snapshot
    bool m_paused = false;
    bool m_held = false;
};
