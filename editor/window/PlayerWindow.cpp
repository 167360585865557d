#include "window/PlayerWindow.h"

#include "window/FrameView.h"

#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

CPlayerWindow::CPlayerWindow(CFramePlayer::Design design, QWidget *parent)
    : QWidget(parent, Qt::Window), m_view(new CFrameView(m_player, CFrameView::Area::Square, this))
{
    setWindowTitle(QStringLiteral("Vortigram"));
    setAccessibleName(QStringLiteral("Full-screen preview"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setCursor(Qt::BlankCursor);
    setFocusPolicy(Qt::StrongFocus);
    m_player.SetDesign(std::move(design));
}

CPlayerWindow *CPlayerWindow::Open(QWidget &window, const ShapeList &design)
{
    auto *player = new CPlayerWindow(std::make_shared<const ShapeList>(CloneShapes(design)), &window);
    player->setAttribute(Qt::WA_DeleteOnClose);
    player->setWindowModality(Qt::ApplicationModal);
    if (QScreen *screen = window.screen())
        player->setGeometry(screen->geometry());
    player->showFullScreen();
    player->activateWindow();
    QObject::connect(player, &QObject::destroyed, &window, [&window] { window.activateWindow(); });
    return player;
}

void CPlayerWindow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Q:
        close();
        break;
    case Qt::Key_Space:
        m_player.IsPlaying() ? m_player.Pause() : m_player.Play();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CPlayerWindow::mousePressEvent(QMouseEvent *)
{
    close();
}

void CPlayerWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_player.Play();
}

void CPlayerWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_player.Pause();
}
