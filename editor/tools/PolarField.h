#pragma once

#include "model/PolarPoint.h"

#include <QFrame>

class QLabel;
class QLineEdit;

// The small field a vertex is typed in as "R<A", near the pointer on the
// canvas. Enter hands over the vertex and empties the field for the next
// one, or, on an empty field, asks for the end of the shape; a text that is
// no vertex stays, with the reason below it. Escape closes the field.
class CPolarField : public QFrame
{
    Q_OBJECT

public:
    explicit CPolarField(QWidget *parent);

    // Shows the field at pos (kept inside area), holding text, with the keys.
    void Open(const QString &text, QPoint pos, const QRect &area);
    QString Text() const;
    // The vertex was not taken: says why, and keeps the text.
    void Refuse(const QString &why);
    QString Reason() const;
    // During an entry the field has every key, wherever the focus is.
    void GrabKeys(bool grab);

signals:
    void Entered(const PolarPoint &vertex);
    void EndRequested();
    void Closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Enter();
    // Sized to its content and kept inside the area, near the pointer.
    void Place();
    int HeightAt(int width) const;

    QLineEdit *m_edit;
    QLabel *m_reason;
    QPoint m_pointer;
    QRect m_area;
};
