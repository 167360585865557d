#pragma once

#include "drawing/CanvasImage.h"
#include "window/ControlStrip.h"
#include "files/DocumentManager.h"
#include "commands/EditCommands.h"
#include "commands/Options.h"
#include "commands/PictureCommands.h"
#include "tools/Readout.h"
#include "tools/Selection.h"
#include "tools/ToolHost.h"
#include "tools/ToolManager.h"
#include "model/DesignDocument.h"

#include <QDialog>
#include <QIcon>

#include <chrono>
#include <memory>

class CColourComboBox;
class CRecoveryFile;
class QAction;
class QLineEdit;
class QMenu;

// The editor window: the control strip along the top, the canvas below it.
// It shows the design document and wires the parts that work on it: the
// tools that take the canvas's input, the editing and file commands, the
// settings and the preview.
class CPatternDlg : public QDialog, private CToolHost
{
    Q_OBJECT

public:
    // Command that opens the About box.
    static constexpr unsigned AboutCommand = 0x10;

    // recovery: where the design is copied after every change; none for a
    // window whose work need not survive a crash.
    explicit CPatternDlg(CRecoveryFile *recovery = nullptr, QWidget *parent = nullptr);
    ~CPatternDlg() override;

    double Scale() const { return m_options.Values().scale; }
    bool IsAnimating() const { return m_animating; }
    CDesignDocument &Document() override { return m_document; }
    const ShapeList &Shapes() const { return m_document.Shapes(); }
    CSelection &Selection() override { return m_selection; }
    CEditCommands &Edits() { return m_edits; }
    CPictureCommands &Pictures() { return m_pictures; }
    const CPointerReadout &Readout() const { return m_readout; }
    CDocumentManager &Files() { return m_files; }
    CToolManager &Tools() { return m_tools; }
    CColourComboBox &Background() const { return *m_strip.background; }
    CColourComboBox &Foreground() const { return *m_strip.foreground; }
    QLineEdit &ScaleField() const { return *m_strip.scaleField; }
    bool PolygonChecked() const;
    COptions &Options() { return m_options; }
    const CEditorSettings &Settings() const { return m_options.Values(); }
    // An entry, a drag or the Test animation is running: commands wait.
    bool IsBusy() const;
    // Time between two frames of the Test animation.
    void SetFrameDelay(std::chrono::milliseconds delay) { m_frameDelay = delay; }
    // What painting reads of the window: the canvas as it is edited.
    CanvasView View() const;
    // The view of the preview's frame being shown, while it runs.
    const CanvasView &FrameView() const { return m_frames.View(); }
    // The menu that stands in for the system menu, as it would open now.
    std::unique_ptr<QMenu> CreateMenu();

    // Offers to restore the designs of earlier runs that ended abnormally.
    void OfferRecovery();

signals:
    void AboutRequested();

public slots:
    void OnSysCommand(unsigned id);
    void OnApplyScale();
    void OnTest();
    void OnUndo();
    void OnRedo();
    void OnBackgroundColours();
    void OnForegroundColours();

    // Escape does not end the editor; only closing the window does.
    void reject() override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool event(QEvent *event) override;

private:
    // CToolHost
    QWidget &Surface() override { return *this; }
    const CDesignDocument &Document() const override { return m_document; }
    const CSelection &Selection() const override { return m_selection; }
    const std::vector<QRect> &ShapeBounds() const override;
    CShapeEntry::Setup EntrySetup() const override;
    std::pair<std::int32_t, std::int32_t> ShapeColours() const override;
    void EntryEnded(std::unique_ptr<CObjectStorage> shape) override;
    void OverlayChanged(const QRegion &area) override;

    void ConnectControls();
    void ConnectDocument();
    void CreateActions();
    void OnInitDialog();
    // Adds shapes as one step, or says why a design file could not hold them.
    bool AddShapes(ShapeList shapes, const QString &name);
    // Writes the settings file (see WriteSettings); false when a close is cancelled.
    bool SaveSettings(bool closing = false);
    void ViewChanged();
    // The read-out follows the pointer, or its absence.
    void TrackPointer(std::optional<QPoint> pos);
    void Repaint(const QRegion &area);
    void OpenPicker(CColourComboBox &combo);
    void RunDeferredClose();

    CControlStrip m_strip;
    CDesignDocument m_document;
    CCanvasImage m_canvas;
    CCanvasImage m_frames; // the preview's, so that the canvas outlives it
    CSelection m_selection{m_document};
    CRecoveryFile *m_recovery;
    bool m_animating = false;
    bool m_closePending = false;
    bool m_swallowContextMenu = false;
    std::chrono::milliseconds m_frameDelay{30};
    QIcon m_icon;
    CPointerReadout m_readout;
    std::optional<QPoint> m_pointer;

    // After the document's and the canvas's connections: they are told of
    // each change after the canvas.
    CToolManager m_tools{*this};
    COptions m_options;
    CDocumentManager m_files;
    CEditCommands m_edits;
    CPictureCommands m_pictures;

    QAction *m_about = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_test = nullptr;
};
