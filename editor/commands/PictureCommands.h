#pragma once

#include "drawing/Canvas.h"
#include "drawing/Picture.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

class QAction;
class QProgressDialog;
class QWidget;

// The window's pictures: Export Image... (PNG, SVG or PDF of the canvas),
// Export Animation... (the Test preview as GIF or WebP), both written off the
// window thread with a progress dialog that can cancel them (an image's only
// once it takes longer than half a second), and Print... (the design fitted
// to the page, through Qt's print preview, smooth unless its tool bar says
// not). Each dialog keeps its choices for the next time. It owns the three
// actions; the window adds them to itself and to its menu.
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
    // A picture or an animation is being written.
    bool IsExporting() const { return m_worker.joinable(); }

public slots:
    void ExportImage();
    void ExportAnimation();
    void Print();
    // Stops the picture or animation being written; nothing of it is left.
    void CancelExport();

signals:
    // The animation export ended: written, or cancelled or failed (told).
    void AnimationFinished(bool written);
    // The same for an image.
    void ImageFinished(bool written);

private:
    // The dialogs' answers: the size and the choices (a picture's grid,
    // smooth, frame and transparent), with a copy of the design to draw.
    struct Asked
    {
        PictureView look;
        ShapeList shapes;
    };
    // The job writes the file, telling its progress (steps done of steps)
    // and answering whether it was written.
    using Job = std::function<bool(const std::function<bool(int)> &)>;

    bool Idle() const;
    QSize CanvasSize() const;
    // The design and the dialogs' answers for an export of the given kind,
    // or nothing when the user cancels (or told: no memory for the copy).
    std::optional<Asked> Ask(const QString &caption, const QString &sizeCaption, const QString &path,
                             PictureView &choices, bool image);
    // Runs job off the window thread behind a progress dialog shown after
    // showAfter milliseconds.
    void StartWriting(const QString &caption, const QString &path, int steps, int showAfter, QSize size,
                      bool image, Job job);
    void Ended(bool image, bool written, const QString &caption, const QString &error);

    QWidget &m_window;
    std::function<CanvasView()> m_view;
    std::function<const ShapeList &()> m_design;
    std::function<bool()> m_busy;
    QAction *m_exportImage;
    QAction *m_exportAnimation;
    QAction *m_print;
    QAction *m_printGrid;
    QAction *m_printSmooth;
    PictureView m_imageChoices; // each dialog's choices, kept for its next time
    PictureView m_animationChoices;
    std::optional<QSize> m_imageSize; // the last image's, offered again; the canvas's until then
    QPointer<QProgressDialog> m_progress; // while an animation is written
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;
};
