#pragma once

#include "drawing/Canvas.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <thread>

class QAction;
class QProgressDialog;
class QWidget;

// The window's pictures: Export Image... (PNG, SVG or PDF of the canvas),
// Export Animation... (the Test preview as GIF or WebP, written off the
// window thread with a progress dialog that can cancel it) and Print...
// (the design fitted to the page, through Qt's print preview). It owns the
// three actions; the window adds them to itself and to its menu.
class CPictureCommands : public QObject
{
    Q_OBJECT

public:
    // window: the dialogs' parent, which must outlive this.
    // view: the canvas as the window shows it now (its size and scale).
    // design: the shapes. busy: while true, the actions do nothing.
    CPictureCommands(QWidget &window, std::function<CanvasView()> view,
                     std::function<const ShapeList &()> design, std::function<bool()> busy);
    // Cancels an animation being written, and waits for it to stop.
    ~CPictureCommands() override;

    // "E&xport Image..." (Ctrl+Shift+E), "Export &Animation...", "&Print..." (Ctrl+P).
    QAction &ExportImageAction() const { return *m_exportImage; }
    QAction &ExportAnimationAction() const { return *m_exportAnimation; }
    QAction &PrintAction() const { return *m_print; }
    // An animation is being written.
    bool IsExporting() const { return m_worker.joinable(); }

public slots:
    void ExportImage();
    void ExportAnimation();
    void Print();
    // Stops the animation being written; nothing of it is left.
    void CancelExport();

signals:
    // The animation export ended: written, or cancelled or failed (told).
    void AnimationFinished(bool written);

private:
    bool Idle() const;
    QSize CanvasSize() const;
    void AnimationEnded(bool written, const QString &error);

    QWidget &m_window;
    std::function<CanvasView()> m_view;
    std::function<const ShapeList &()> m_design;
    std::function<bool()> m_busy;
    QAction *m_exportImage;
    QAction *m_exportAnimation;
    QAction *m_print;
    QAction *m_printGrid;
    bool m_imageGrid = false;
    QPointer<QProgressDialog> m_progress; // while an animation is written
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;
};
