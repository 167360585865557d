#pragma once

#include "model/Copies.h"

#include <QDialog>

#include <optional>
#include <variant>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

// The Copies dialog: the number of copies; how they are spread, over a span
// in degrees (closed: span / N apart; open: span / (N - 1), a copy at each
// end) or by a typed angle per copy (kept as the closed span it gives); the
// scale per copy; and Mirror. The angles and the scale are expressions, as
// typed vertices take. Below the fields it says, as they are typed, what a
// click will make or why they make nothing; OK takes them only when they
// make copies, Cancel leaves them.
class CCopiesDlg : public QDialog
{
    Q_OBJECT

public:
    CCopiesDlg(QWidget *parent, const CopySettings &initial);

    // What OK took: the initial settings until then.
    const CopySettings &Chosen() const { return m_chosen; }
    // Why OK would not take the fields; empty when it would.
    QString Reason() const;

    void accept() override;

private:
    std::variant<CopySettings, QString> Read() const;
    void ShowSpread();
    void ShowOutcome();

    CopySettings m_chosen;
    QSpinBox *m_count;
    QRadioButton *m_spread;
    QLineEdit *m_span;
    QComboBox *m_arc;
    QRadioButton *m_typed;
    QLineEdit *m_angle;
    QLineEdit *m_factor;
    QCheckBox *m_mirror;
    QLabel *m_outcome; // what OK would take, or why it would not
};

// Asks through the dialog seam: the settings OK took, or nothing on Cancel.
std::optional<CopySettings> AskCopies(QWidget *parent, const CopySettings &initial);

// The settings in a line, for the status bar: "1 copy", "12 copies over
// 360°", "12 copies over 90°, 7.5° apart", "12 copies over 90°, open arc,
// 8.18182° apart", then ", x 0.9 each" for a scale per copy and ", mirror".
QString CopiesSummary(const CopySettings &settings);
