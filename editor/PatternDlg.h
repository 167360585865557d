#pragma once

#include "editor/CanvasImage.h"
#include "editor/ControlStrip.h"
#include "editor/EditorSettings.h"
#include "editor/ShapeEntry.h"
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
// It shows the design document, turns mouse input into shape entry and
// carries the commands; the document holds the design and its undo history.
class CPatternDlg : public QDialog, private CShapeEntry::Host
{
    Q_OBJECT

public:
    // Command that opens the About box.
    static constexpr unsigned AboutCommand = 0x10;

    // recovery: where the design is copied after every change; none for a
    // window whose work need not survive a crash.
    explicit CPatternDlg(CRecoveryFile *recovery = nullptr, QWidget *parent = nullptr);
    ~CPatternDlg() override;

    double Scale() const { return m_settings.scale; }
    double Rotation() const { return m_rotation; }
    bool IsAnimating() const { return m_animating; }
    CDesignDocument &Document() { return m_document; }
    const ShapeList &Shapes() const { return m_document.Shapes(); }
    CColourComboBox &Background() const { return *m_strip.background; }
    CColourComboBox &Foreground() const { return *m_strip.foreground; }
    QLineEdit &ScaleField() const { return *m_strip.scaleField; }
    bool PolygonChecked() const;
    int Copies() const { return m_settings.copies; }
    bool Mirror() const { return m_settings.mirror; }
    bool Guides() const { return m_settings.guides; }
    bool PolarSnapping() const { return m_settings.polarSnap; }
    // An entry or the Test animation is running: commands wait.
    bool IsBusy() const;
    // Time between two frames of the Test animation.
    void SetFrameDelay(std::chrono::milliseconds delay) { m_frameDelay = delay; }
    // What painting reads of the window.
    CanvasView View() const;
    // The menu that stands in for the system menu, as it would open now.
    std::unique_ptr<QMenu> CreateMenu();

    // Replaces the design with the file's, as one step that can be undone,
    // after asking about unexported changes. False when nothing changed.
    bool OpenDesign(const QString &path);
    // Offers to restore the designs of earlier runs that ended abnormally.
    void OfferRecovery();

signals:
    void AboutRequested();

public slots:
    void OnSysCommand(unsigned id);
    void OnClear();
    void OnApplyScale();
    void OnTest();
    // True when the design was written.
    bool OnGenerate();
    void OnOpen();
    void OnUndo();
    void OnRedo();
    void SetCopies(int copies);
    void SetMirror(bool on);
    void SetGuides(bool on);
    void SetPolarSnapping(bool on);
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
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool event(QEvent *event) override;

private:
    // CShapeEntry::Host
    void OverlayChanged(const QRegion &area) override;
    std::pair<std::int32_t, std::int32_t> ShapeColours() const override;
    void ShapeFinished(std::unique_ptr<CObjectStorage> shape) override;

    void ConnectControls();
    void CreateActions();
    void OnInitDialog();
    // Until the settings are on disk or the user gives up on them.
    void SaveSettings();
    // Asks whether to generate unexported changes first; false to stop.
    bool KeepOrDropChanges(const QString &question);
    void ViewChanged();
    void StartEntry(QPoint press);
    void EndEntry();
    void OpenPicker(CColourComboBox &combo);
    void RunDeferredClose();
    int Spokes() const;

    CControlStrip m_strip;
    CDesignDocument m_document;
    CCanvasImage m_canvas;
    CCanvasImage m_frames; // the preview's, so that the canvas outlives it
    CShapeEntry m_entry{*this};
    CRecoveryFile *m_recovery;
    CEditorSettings m_settings;
    double m_rotation = 0.0;
    bool m_animating = false;
    bool m_closePending = false;
    bool m_swallowContextMenu = false;
    std::chrono::milliseconds m_frameDelay{30};

    QIcon m_icon;

    QAction *m_about = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_open = nullptr;
    QAction *m_moreCopies = nullptr;
    QAction *m_fewerCopies = nullptr;
    QAction *m_mirrorAction = nullptr;
    QAction *m_guidesAction = nullptr;
    QAction *m_snapAction = nullptr;
};
