#include "commands/CopiesDlg.h"

#include "tools/PolarInput.h"
#include "platform/DialogSeam.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>

namespace {

QString Shortest(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString Rounded(double value)
{
    return QString::number(value, 'g', 6);
}

// The degrees between copies of settings with more than one copy.
double Step(const CopySettings &settings)
{
    return settings.span / (settings.openArc ? settings.copies - 1 : settings.copies);
}

// Named for screen readers, and found by that name.
void Name(QWidget *input, const QString &name)
{
    input->setObjectName(name);
    input->setAccessibleName(name);
}

QLineEdit *Field(QWidget *parent, const QString &name, const QString &text)
{
    auto *field = new QLineEdit(text, parent);
    Name(field, name);
    return field;
}

// A field with its unit after it.
QWidget *InDegrees(QWidget *parent, QWidget *field, QWidget *after = nullptr)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field, 1);
    layout->addWidget(new QLabel(QStringLiteral("\u00B0"), row));
    if (after)
        layout->addWidget(after);
    return row;
}

} // namespace

CCopiesDlg::CCopiesDlg(QWidget *parent, const CopySettings &initial)
    : QDialog(parent), m_chosen(initial)
{
    setWindowTitle(QStringLiteral("Copies Around the Centre"));
    auto *form = new QFormLayout(this);

    m_count = new QSpinBox(this);
    m_count->setRange(MinCopies, MaxCopies);
    m_count->setValue(std::clamp(initial.copies, MinCopies, MaxCopies));
    Name(m_count, QStringLiteral("Number of copies"));
    form->addRow(QStringLiteral("&Number of copies:"), m_count);

    m_spread = new QRadioButton(QStringLiteral("S&pread over:"), this);
    m_span = Field(this, QStringLiteral("Span in degrees"), Shortest(initial.span));
    m_arc = new QComboBox(this);
    m_arc->addItems({QStringLiteral("closed: span / N apart"), QStringLiteral("open: a copy at each end")});
    m_arc->setCurrentIndex(initial.openArc ? 1 : 0);
    Name(m_arc, QStringLiteral("Arc"));
    form->addRow(m_spread, InDegrees(this, m_span, m_arc));

    m_typed = new QRadioButton(QStringLiteral("&Angle per copy:"), this);
    m_angle = Field(this, QStringLiteral("Angle per copy in degrees"),
                    initial.copies > 1 ? Shortest(Step(initial)) : QString());
    form->addRow(m_typed, InDegrees(this, m_angle));
    m_spread->setChecked(true);

    m_factor = Field(this, QStringLiteral("Scale per copy"), Shortest(initial.factor));
    form->addRow(QStringLiteral("Sca&le per copy:"), m_factor);
    m_mirror = new QCheckBox(QStringLiteral("&Mirror copies"), this);
    m_mirror->setChecked(initial.mirror);
    form->addRow(m_mirror);

    m_outcome = new QLabel(this);
    m_outcome->setWordWrap(true);
    // Room for the longest reason, so that none is cut off and the dialog keeps its size.
    m_outcome->setMinimumHeight(3 * fontMetrics().lineSpacing());
    m_outcome->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    form->addRow(m_outcome);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCopiesDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCopiesDlg::reject);
    form->addRow(buttons);

    connect(m_spread, &QRadioButton::toggled, this, &CCopiesDlg::ShowSpread);
    connect(m_count, &QSpinBox::valueChanged, this, &CCopiesDlg::ShowOutcome);
    connect(m_arc, &QComboBox::currentIndexChanged, this, &CCopiesDlg::ShowOutcome);
    connect(m_mirror, &QCheckBox::toggled, this, &CCopiesDlg::ShowOutcome);
    for (QLineEdit *field : {m_span, m_angle, m_factor})
        connect(field, &QLineEdit::textChanged, this, &CCopiesDlg::ShowOutcome);
    ShowSpread();
    // The title bar's buttons and margins beside the title.
    setMinimumWidth(std::max(sizeHint().width(), fontMetrics().horizontalAdvance(windowTitle()) + 160));
}

QString CCopiesDlg::Reason() const
{
    return std::holds_alternative<QString>(Read()) ? m_outcome->text() : QString();
}

void CCopiesDlg::ShowSpread()
{
    const bool spread = m_spread->isChecked();
    m_span->setEnabled(spread);
    m_arc->setEnabled(spread);
    m_angle->setEnabled(!spread);
    ShowOutcome();
}

void CCopiesDlg::ShowOutcome()
{
    const auto read = Read();
    const QString *why = std::get_if<QString>(&read);
    m_outcome->setText(why ? *why : CopiesSummary(std::get<CopySettings>(read)));
}

std::variant<CopySettings, QString> CCopiesDlg::Read() const
{
    const auto value = [](const QLineEdit *field, const QString &name) -> std::variant<double, QString> {
        if (field->text().trimmed().isEmpty())
            return name + QStringLiteral(": it is missing.");
        auto result = Evaluate(field->text());
        if (const QString *why = std::get_if<QString>(&result))
            return name + QStringLiteral(": ") + *why;
        return result;
    };
    CopySettings settings;
    settings.copies = m_count->value();
    settings.mirror = m_mirror->isChecked();
    const auto angle = m_spread->isChecked() ? value(m_span, QStringLiteral("Spread over"))
                                             : value(m_angle, QStringLiteral("Angle per copy"));
    if (const QString *why = std::get_if<QString>(&angle))
        return *why;
    if (m_spread->isChecked()) {
        settings.span = std::get<double>(angle);
        settings.openArc = m_arc->currentIndex() == 1;
    } else {
        // Kept as the closed span it gives.
        if (const QString why = CopyStepProblem(std::get<double>(angle)); !why.isEmpty())
            return why;
        settings.span = std::get<double>(angle) * settings.copies;
    }
    const auto factor = value(m_factor, QStringLiteral("Scale per copy"));
    if (const QString *why = std::get_if<QString>(&factor))
        return *why;
    settings.factor = std::get<double>(factor);
    if (const QString why = CopySettingsProblem(settings); !why.isEmpty())
        return why;
    return settings;
}

void CCopiesDlg::accept()
{
    // Refused settings stay, with the reason shown below them.
    const auto read = Read();
    if (std::holds_alternative<QString>(read))
        return;
    m_chosen = std::get<CopySettings>(read);
    QDialog::accept();
}

std::optional<CopySettings> AskCopies(QWidget *parent, const CopySettings &initial)
{
    CCopiesDlg dialog(parent, initial);
    if (CDialogSeam::Current().Run(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.Chosen();
}

QString CopiesSummary(const CopySettings &settings)
{
    if (settings.copies <= 1)
        return settings.mirror ? QStringLiteral("1 copy, mirror") : QStringLiteral("1 copy");
    QString text = QStringLiteral("%1 copies over %2\u00B0").arg(settings.copies).arg(Rounded(settings.span));
    if (settings.openArc)
        text += QStringLiteral(", open arc");
    if (settings.openArc || settings.span != 360)
        text += QStringLiteral(", %1\u00B0 apart").arg(Rounded(Step(settings)));
    if (settings.factor != 1)
        text += QStringLiteral(", x %1 each").arg(Rounded(settings.factor));
    if (settings.mirror)
        text += QStringLiteral(", mirror");
    return text;
}
