#include "drawing/FrameSource.h"

PreviewFrame PreviewFrameAt(int k, double startRotation)
{
    return {0.1 + 0.004 * k, startRotation + 0.03 * k};
}

CanvasView PreviewFrameView(QSize size, int k)
{
    const PreviewFrame frame = PreviewFrameAt(k);
    return {CViewport::Centred(size, frame.scale, frame.rotation, true), 0};
}

QImage PaintPreviewFrame(QSize size, int k, const ShapeList &shapes, bool parallel)
{
    QImage frame = FrameImage(size, QImage::Format_RGB32);
    if (frame.isNull())
        return frame;
    const CanvasView view = PreviewFrameView(size, k);
    if (parallel) {
        PaintCanvasInParallel(frame, view, shapes);
    } else {
        CFramePainter painter(&frame);
        PaintCanvas(painter, view, shapes);
    }
    return frame;
}
