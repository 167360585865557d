#pragma once

#include "drawing/FramePlayer.h"

#include <QWidget>

// Shows a player's frames, and keeps the player's canvas the size of the
// widget's frame area: the whole widget, or for a screen the square as tall
// as it (or as wide, when that is less) in its middle on black, so that the
// pattern turns in a square canvas as it does in a design's viewer.
class CFrameView : public QWidget
{
    Q_OBJECT

public:
    enum class Area
    {
        Whole,
        Square,
    };

    CFrameView(CFramePlayer &player, Area area, QWidget *parent = nullptr);

    // Where the frames are shown.
    QRect FrameArea() const;
    QSize sizeHint() const override { return {240, 240}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    CFramePlayer &m_player;
    Area m_area;
};
