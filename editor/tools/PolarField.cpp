#include "tools/PolarField.h"

#include "tools/PolarInput.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The field's width while its reason, wrapped, fits the canvas's height.
constexpr int NarrowWidth = 180;

} // namespace

CPolarField::CPolarField(QWidget *parent)
    : QFrame(parent), m_edit(new QLineEdit(this)), m_reason(new QLabel(this))
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    layout->addWidget(m_edit);
    layout->addWidget(m_reason);
    m_edit->setPlaceholderText(QStringLiteral("radius<angle"));
    m_edit->setToolTip(QStringLiteral("A vertex: radius < angle in degrees clockwise from up, "
                                      "e.g. 100<360/7. Enter on an empty field ends the shape."));
    m_edit->installEventFilter(this);
    m_reason->setWordWrap(true);
    m_reason->setStyleSheet(QStringLiteral("color: #b00000"));
    m_reason->hide();
    hide();
}

void CPolarField::Open(const QString &text, QPoint pos, const QRect &area)
{
    m_reason->hide();
    m_edit->setText(m_edit->text() + text);
    m_pointer = pos;
    m_area = area;
    Place();
    show();
    raise();
    m_edit->setFocus();
}

QString CPolarField::Text() const
{
    return m_edit->text();
}

QString CPolarField::Reason() const
{
    return m_reason->isHidden() ? QString() : m_reason->text();
}

int CPolarField::HeightAt(int width) const
{
    const QLayout &box = *layout();
    return box.hasHeightForWidth() ? box.totalHeightForWidth(width) : box.totalSizeHint().height();
}

void CPolarField::Place()
{
    // The narrowest width, up to the area's, at which the whole reason fits
    // the area's height: a low canvas gets the reason on one wide line.
    int narrow = NarrowWidth;
    if (HeightAt(narrow) > m_area.height()) {
        int fits = std::max(narrow, m_area.width());
        while (fits - narrow > 1) {
            const int middle = (narrow + fits) / 2;
            (HeightAt(middle) > m_area.height() ? narrow : fits) = middle;
        }
        narrow = fits;
    }
    setFixedSize(narrow, HeightAt(narrow));
    move(std::clamp(m_pointer.x() + 12, m_area.left(), std::max(m_area.left(), m_area.right() - width())),
         std::clamp(m_pointer.y() + 12, m_area.top(), std::max(m_area.top(), m_area.bottom() - height())));
}

void CPolarField::GrabKeys(bool grab)
{
    if (grab)
        m_edit->grabKeyboard();
    else
        m_edit->releaseKeyboard();
}

void CPolarField::Refuse(const QString &why)
{
    m_reason->setText(why);
    m_reason->show();
    Place();
}

void CPolarField::Enter()
{
    const QString text = m_edit->text();
    if (text.trimmed().isEmpty()) {
        emit EndRequested();
        return;
    }
    const auto parsed = ParsePolar(text);
    if (const QString *why = std::get_if<QString>(&parsed)) {
        Refuse(*why);
        return;
    }
    // The text stays when the vertex is not taken either.
    m_reason->hide();
    emit Entered(std::get<PolarPoint>(parsed));
    if (m_reason->isHidden())
        m_edit->clear();
    Place();
}

bool CPolarField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Enter();
            return true;
        }
        if (key == Qt::Key_Escape) {
            m_edit->clear();
            hide();
            emit Closed();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
