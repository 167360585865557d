#include "app/AboutDlg.h"

#include "platform/DialogSeam.h"
#include "platform/DialogUnits.h"
#include "res/Resources.h"
#include "res/Strings.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("About Vortigram"));
    setFixedSize(DluToPixelsX(235), DluToPixelsY(55));

    auto *icon = new QLabel(this);
    const QPixmap pixmap(Resources::AppIcon());
    icon->setPixmap(pixmap);
    icon->setGeometry(QRect(QPoint(DluToPixelsX(11), DluToPixelsY(17)), pixmap.size()));

    auto *version = new QLabel(this);
    version->setTextFormat(Qt::PlainText); // shown as written, no mnemonic
    version->setText(Strings::VersionLine());
    version->move(DluToPixelsX(40), DluToPixelsY(10));
    version->adjustSize();

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(DluRect(178, 7, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    FitTitle(*this);
}
