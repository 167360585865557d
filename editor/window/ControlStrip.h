#pragma once

#include <QWidget>

class CColourComboBox;
class QLineEdit;
class QPixmap;
class QPushButton;
class QRadioButton;

// The controls along the top of the window's client area, laid out in dialog
// units with the largest font whose texts fit: the strip is 50 pixels high
// and never narrower than its controls. The window wires them to its
// commands; the focus moves through them in their visual order.
class CControlStrip : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Height = 50;

    explicit CControlStrip(QWidget *parent);
    // Puts the "go" bitmap on the apply button and the swatches on the two
    // colour buttons, shrunk where they would cover a button's frame.
    void ShowBitmaps(const QPixmap &go, const QPixmap &swatches) const;

    QRadioButton *polyline;
    QRadioButton *polygon;
    CColourComboBox *background;
    CColourComboBox *foreground;
    QPushButton *backgroundColours;
    QPushButton *foregroundColours;
    QLineEdit *scaleField;
    QPushButton *apply;
    QPushButton *clear;
    QPushButton *resample; // has no command of its own
    QPushButton *test;
    QPushButton *generate;
};
