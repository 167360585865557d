#include "window/StatusBar.h"

#include <QLabel>

CStatusBar::CStatusBar(QWidget *parent)
    : QStatusBar(parent), m_readout(Field(QStringLiteral("Pointer"))), m_mode(Field(QStringLiteral("Mode"))),
      m_shapes(Field(QStringLiteral("Shapes"))), m_copies(Field(QStringLiteral("Copies"))),
      m_zoom(Field(QStringLiteral("Zoom")))
{
    setSizeGripEnabled(false);
}

QLabel *CStatusBar::Field(const QString &name)
{
    auto *label = new QLabel(this);
    label->setAccessibleName(name);
    addPermanentWidget(label);
    return label;
}

void CStatusBar::ShowReadout(const QString &text)
{
    m_readout->setText(text);
}

void CStatusBar::ShowMode(bool selecting)
{
    m_mode->setText(selecting ? QStringLiteral("Selecting") : QStringLiteral("Drawing"));
}

void CStatusBar::ShowShapes(std::size_t shapes, int selected)
{
    QString text = shapes == 1 ? QStringLiteral("1 shape") : QStringLiteral("%1 shapes").arg(shapes);
    if (selected > 0)
        text += QStringLiteral(", %1 selected").arg(selected);
    m_shapes->setText(text);
}

void CStatusBar::ShowCopies(const QString &copies)
{
    m_copies->setText(copies);
}

void CStatusBar::ShowZoom(double scale)
{
    m_zoom->setText(QStringLiteral("Zoom %1%").arg(QString::number(scale * 100, 'g', 6)));
}

QStringList CStatusBar::Texts() const
{
    return {m_readout->text(), m_mode->text(), m_shapes->text(), m_copies->text(), m_zoom->text()};
}
