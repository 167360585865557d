#pragma once

#include "drawing/FramePlayer.h"

#include <QWidget>

class CFrameView;

// Plays a design's preview frames full screen in an endless loop: the
// canvas a white square as tall as the screen in its middle, on black, each
// frame painted at the square's size as the Test preview paints it on the
// canvas. Escape, Q or a click ends it; Space pauses and plays on.
class CPlayerWindow : public QWidget
{
    Q_OBJECT

public:
    explicit CPlayerWindow(CFramePlayer::Design design, QWidget *parent = nullptr);

    // Opens one over window, on its screen, for a copy of the design; it
    // keeps the input of the program until it closes, and goes then.
    static CPlayerWindow *Open(QWidget &window, const ShapeList &design);

    CFramePlayer &Player() { return m_player; }
    CFrameView &View() const { return *m_view; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    CFramePlayer m_player{CFramePlayer::Priority::Normal};
    CFrameView *m_view;
};
