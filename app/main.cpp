#include "editor/Canvas.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

namespace {

class CanvasWindow : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        PaintCanvas(painter, CanvasView{size()}, m_shapes);
    }

private:
    ShapeList m_shapes;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    CanvasWindow window;
    window.resize(480, 361);
    window.show();
    return app.exec();
}
