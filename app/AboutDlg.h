#pragma once

#include <QDialog>

// The About box: the application icon and the version line.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);
};
