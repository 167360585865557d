#pragma once

#include "editor/Canvas.h"
#include "model/ObjectStorage.h"

#include <QDialog>
#include <QIcon>
#include <QPixmap>

#include <chrono>
#include <memory>

class CColourComboBox;
class CShapeEntry;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The editor window: the control strip along the top, the canvas below it,
// and the design being drawn.
class CPatternDlg : public QDialog
{
    Q_OBJECT

public:
    // Command that opens the About box.
    static constexpr unsigned AboutCommand = 0x10;

    explicit CPatternDlg(QWidget *parent = nullptr);
    ~CPatternDlg() override;

    double Scale() const { return m_scale; }
    double Rotation() const { return m_rotation; }
    bool IsAnimating() const { return m_animating; }
    const ShapeList &Shapes() const { return m_shapes; }
    CColourComboBox &Background() const { return *m_background; }
    CColourComboBox &Foreground() const { return *m_foreground; }
    QLineEdit &ScaleField() const { return *m_scaleField; }
    bool PolygonChecked() const;
    // An entry or the Test animation is running: commands wait.
    bool IsBusy() const;
    // Time between two frames of the Test animation.
    void SetFrameDelay(std::chrono::milliseconds delay) { m_frameDelay = delay; }
    // What painting reads of the window.
    CanvasView View() const;

    // Appends a finished shape to the design and repaints.
    void AddShape(std::unique_ptr<CObjectStorage> shape);

public slots:
    void OnSysCommand(unsigned id);
    void OnClear();
    void OnApplyScale();
    void OnTest();
    void OnGenerate();
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
    bool event(QEvent *event) override;

private:
    void OnInitDialog();
    void CreateControls();
    void OnClose();
    void DeleteAllShapes();
    void OpenPicker(CColourComboBox &combo);
    void ShowAbout();
    void RunDeferredClose();

    ShapeList m_shapes;
    double m_scale = 1.0;
    double m_rotation = 0.0;
    bool m_animating = false;
    bool m_closePending = false;
    bool m_swallowContextMenu = false;
    std::chrono::milliseconds m_frameDelay{30};

    QIcon m_icon;
    QPixmap m_goBitmap;
    QPixmap m_swatchBitmap;

    QRadioButton *m_polyline = nullptr;
    QRadioButton *m_polygon = nullptr;
    CColourComboBox *m_background = nullptr;
    CColourComboBox *m_foreground = nullptr;
    QLineEdit *m_scaleField = nullptr;
    QPushButton *m_apply = nullptr;
    QList<QPushButton *> m_colourButtons;
    std::unique_ptr<CShapeEntry> m_entry;
};
