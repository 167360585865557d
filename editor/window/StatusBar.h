#pragma once

#include <QStatusBar>

class QLabel;

// The status bar: a command's result for a few seconds on the left, and
// along the right the pointer's read-out, the mode, the number of shapes and
// of selected ones, the copies, and the zoom as a percentage of scale 1.
class CStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    // How long a command's result shows.
    static constexpr int ResultMs = 4000;

    explicit CStatusBar(QWidget *parent);

    void ShowReadout(const QString &text);
    void ShowMode(bool selecting);
    void ShowShapes(std::size_t shapes, int selected);
    void ShowCopies(const QString &copies);
    void ShowZoom(double scale);
    void ShowResult(const QString &text) { showMessage(text, ResultMs); }

    // The texts shown, left to right: read-out, mode, shapes, copies, zoom.
    QStringList Texts() const;

private:
    QLabel *Field(const QString &name);

    QLabel *m_readout;
    QLabel *m_mode;
    QLabel *m_shapes;
    QLabel *m_copies;
    QLabel *m_zoom;
};
