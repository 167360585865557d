#pragma once

#include "commands/ClipboardCommands.h"
#include "commands/Commands.h"
#include "commands/EditCommands.h"
#include "commands/Options.h"
#include "commands/PictureCommands.h"
#include "files/DocumentManager.h"
#include "model/DesignDocument.h"
#include "tools/Selection.h"
#include "window/CanvasWidget.h"
#include "window/ControlStrip.h"
#include "window/LivePreview.h"
#include "window/StatusBar.h"

#include <QIcon>
#include <QMainWindow>

#include <chrono>
#include <memory>

class CColourComboBox;
class CRecoveryFile;
class QLineEdit;
class QMenu;

// The editor window: the menu bar, then the client area (the control strip
// and the canvas below it), then the status bar. It builds them and wires
// them to the design document and to the parts that work on it: the
// commands, the files, the settings and the pictures.
class CPatternDlg : public QMainWindow
{
    Q_OBJECT

public:
    // recovery: where the design is copied after every change; none for a
    // window whose work need not survive a crash.
    explicit CPatternDlg(CRecoveryFile *recovery = nullptr, QWidget *parent = nullptr);
    ~CPatternDlg() override;

    double Scale() const { return m_options.Values().scale; }
    bool IsAnimating() const { return m_canvas->IsAnimating(); }
    CDesignDocument &Document() { return m_document; }
    const ShapeList &Shapes() const { return m_document.Shapes(); }
    CSelection &Selection() { return m_selection; }
    CEditCommands &Edits() { return m_edits; }
    CPictureCommands &Pictures() { return m_pictures; }
    CClipboardCommands &Clipboard() { return m_clipboard; }
    CCommands &Commands() { return m_commands; }
    const CPointerReadout &Readout() const { return m_canvas->Readout(); }
    CDocumentManager &Files() { return m_files; }
    CToolManager &Tools() { return m_canvas->Tools(); }
    CCanvasWidget &Canvas() const { return *m_canvas; }
    CControlStrip &Strip() const { return *m_strip; }
    CStatusBar &Status() const { return *m_status; }
    CLivePreview &LivePreview() const { return *m_live; }
    // The strip and the canvas: the client area.
    QWidget &ClientArea() const { return *centralWidget(); }
    CColourComboBox &Background() const { return *m_strip->background; }
    CColourComboBox &Foreground() const { return *m_strip->foreground; }
    QLineEdit &ScaleField() const { return *m_strip->scaleField; }
    bool PolygonChecked() const;
    COptions &Options() { return m_options; }
    const CEditorSettings &Settings() const { return m_options.Values(); }
    // An entry, a drag or the Test animation is running: commands wait.
    bool IsBusy() const { return m_commands.IsBusy(); }
    // Time between two frames of the Test animation.
    void SetFrameDelay(std::chrono::milliseconds delay) { m_frameDelay = delay; }
    // What painting reads of the window: the canvas as it is edited.
    const CanvasView &View() const { return m_canvas->View(); }
    // The view of the preview's frame being shown, while it runs.
    const CanvasView &FrameView() const { return m_canvas->FrameView(); }
    // The right-click menu, as it would open now.
    std::unique_ptr<QMenu> CreateMenu();

    // Offers to restore the designs of earlier runs that ended abnormally.
    void OfferRecovery();

signals:
    void AboutRequested();

public slots:
    void OnApplyScale();
    void OnTest();
    void OnNew();

protected:
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void ConnectControls();
    void CreateCommands();
    // Zoom In, Zoom Out, Actual Size and Fit Design, greyed as the view allows.
    void CreateZoomCommands();
    void CreateMenuBar();
    void ConnectStatus();
    void LoadSettings();
    // Writes the settings file (see WriteSettings); false when a close is cancelled.
    bool SaveSettings(bool closing = false);
    void OnUndoOrRedo(bool undo);
    void OpenPicker(CColourComboBox &combo);
    void RunDeferredClose();
    CShapeEntry::Setup EntrySetup() const;
    void EntryEnded(std::unique_ptr<CObjectStorage> shape);
    // The step just done, undone or redone, as the status bar tells it.
    void StepDone();

    CDesignDocument m_document;
    CSelection m_selection{m_document};
    CRecoveryFile *m_recovery;
    CControlStrip *m_strip;
    CCanvasWidget *m_canvas;
    CStatusBar *m_status;
    CLivePreview *m_live;
    CCommands m_commands;
    bool m_closePending = false;
    std::chrono::milliseconds m_frameDelay{PreviewFrameDelay};
    QIcon m_icon;

    COptions m_options;
    CDocumentManager m_files;
    CEditCommands m_edits;
    CPictureCommands m_pictures;
    CClipboardCommands m_clipboard;

    // What the last step touched, for the status bar: shapes, and "Undid"
    // or "Redid" while the step is an undo or a redo.
    std::size_t m_touched = 0;
    QString m_stepping;
};
