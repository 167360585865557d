#pragma once

class CColourComboBox;
class QLineEdit;
class QPixmap;
class QPushButton;
class QRadioButton;
class QWidget;

// The controls along the top of the editor window, laid out in dialog units
// with the largest font whose texts fit: the strip stays 50 pixels high. The
// window owns them (they are its children) and wires them to its commands.
struct CControlStrip
{
    // Creates the controls as children of window.
    explicit CControlStrip(QWidget &window);
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
