#include "window/ControlStrip.h"

#include "palette/ColourComboBox.h"
#include "platform/DialogUnits.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace {

// Largest pixel size of the strip's font, and the smallest we shrink it to.
constexpr int LargestFontPixels = 12;
constexpr int SmallestFontPixels = 7;

// Horizontal room the style takes beside a control's text.
int TextMargin(const QWidget *control)
{
    const QStyle *style = control->style();
    if (qobject_cast<const QRadioButton *>(control))
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, control) +
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, control);
    if (qobject_cast<const QPushButton *>(control))
        return 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, control) / 2 + 2);
    return 0;
}

QString ControlText(const QWidget *control)
{
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text().remove(QLatin1Char('&'));
    return QString();
}

// Puts the bitmap on the button, shrunk where it would cover the button's frame.
void ShowBitmap(QPushButton &button, const QPixmap &bitmap)
{
    constexpr int FrameRoom = 4;
    button.setIcon(bitmap);
    const QSize inside = button.size() - QSize(FrameRoom, FrameRoom);
    QSize size = bitmap.size();
    if (size.width() > inside.width() || size.height() > inside.height())
        size.scale(inside, Qt::KeepAspectRatio);
    button.setIconSize(size);
}

bool TextsFit(const QList<QWidget *> &controls, const QFont &font)
{
    const QFontMetrics metrics(font);
    for (const QWidget *control : controls) {
        const QString text = ControlText(control);
        if (text.isEmpty())
            continue;
        if (metrics.horizontalAdvance(text) + TextMargin(control) > control->width() ||
            metrics.height() > control->height())
            return false;
    }
    return true;
}

QPushButton *Button(QWidget &window, const QString &text, const QRect &place, const QString &name)
{
    // None is the default button: Enter in the Scale field applies the scale only.
    auto *button = new QPushButton(text, &window);
    button->setGeometry(place);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setAccessibleName(name);
    return button;
}

QLabel *Label(QWidget &window, const QString &text, const QRect &place)
{
    auto *label = new QLabel(text, &window);
    label->setGeometry(place);
    // Presses on the labels belong to the canvas: they start shapes.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

} // namespace

CControlStrip::CControlStrip(QWidget *parent)
    : QWidget(parent)
{
    QWidget &window = *this;
    setAccessibleName(QStringLiteral("Control strip"));
    setFixedHeight(Height);
    setMinimumWidth(DluToPixelsX(320));
    auto *frame = new QFrame(&window);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setGeometry(DluRect(2, 2, 56, 27));
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    polyline = new QRadioButton(QStringLiteral("Polyline"), &window);
    polyline->setGeometry(DluRect(7, 6, 39, 8));
    polygon = new QRadioButton(QStringLiteral("Polygon"), &window);
    polygon->setGeometry(DluRect(7, 18, 39, 8));
    polyline->setAccessibleName(polyline->text());
    polygon->setAccessibleName(polygon->text());

    Label(window, QStringLiteral("Background:"), DluRect(63, 5, 42, 8));
    background = new CColourComboBox(&window);
    background->setGeometry(DluRect(106, 2, 51, 12));
    background->setAccessibleName(QStringLiteral("Background"));
    Label(window, QStringLiteral("Foreground:"), DluRect(63, 19, 39, 8));
    foreground = new CColourComboBox(&window);
    foreground->setGeometry(DluRect(106, 16, 51, 12));
    foreground->setAccessibleName(QStringLiteral("Foreground"));
    // The bitmaps stand in for the buttons' text.
    backgroundColours = Button(window, QString(), DluRect(158, 2, 17, 12), QStringLiteral("Background colours..."));
    foregroundColours = Button(window, QString(), DluRect(158, 16, 17, 12), QStringLiteral("Foreground colours..."));

    Label(window, QStringLiteral("Scale:"), DluRect(182, 5, 21, 8));
    scaleField = new QLineEdit(&window);
    scaleField->setGeometry(DluRect(182, 14, 26, 13));
    scaleField->setAccessibleName(QStringLiteral("Scale"));
    apply = Button(window, QString(), DluRect(209, 14, 15, 13), QStringLiteral("Apply the scale"));
    clear = Button(window, QStringLiteral("Clear"), DluRect(231, 2, 42, 12), QStringLiteral("Clear"));
    resample = Button(window, QStringLiteral("Resample"), DluRect(231, 16, 42, 12), QStringLiteral("Resample"));
    test = Button(window, QStringLiteral("Test"), DluRect(276, 2, 42, 12), QStringLiteral("Test"));
    generate = Button(window, QStringLiteral("Generate"), DluRect(276, 16, 42, 12), QStringLiteral("Generate"));
    // Column by column, top to bottom, as the strip reads.
    const QList<QWidget *> order{polyline, polygon, background, foreground, backgroundColours, foregroundColours,
                                 scaleField, apply, clear, resample, test, generate};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    const QList<QWidget *> all = window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QFont font = window.font();
    for (int pixels = LargestFontPixels; pixels >= SmallestFontPixels; --pixels) {
        font.setPixelSize(pixels);
        if (TextsFit(all, font))
            break;
    }
    for (QWidget *control : all)
        control->setFont(font);
}

void CControlStrip::ShowBitmaps(const QPixmap &go, const QPixmap &swatches) const
{
    ShowBitmap(*apply, go);
    ShowBitmap(*backgroundColours, swatches);
    ShowBitmap(*foregroundColours, swatches);
}
