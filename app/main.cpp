#include "app/PatternApp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    CPatternApp app;
    app.InitInstance();
    return 0;
}
