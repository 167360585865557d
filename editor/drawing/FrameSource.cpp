#include "drawing/FrameSource.h"

PreviewFrame PreviewFrameAt(int k, double startRotation)
{
    return {0.1 + 0.004 * k, startRotation + 0.03 * k};
}

CanvasView PreviewFrameView(QSize size, int k, const FrameLook &look)
{
    const PreviewFrame frame = PreviewFrameAt(k);
    CanvasView view{CViewport::Centred(size, frame.scale, frame.rotation, true), 0, look.frame, look.transparent};
    view.viewport.smooth = look.smooth;
    return view;
}

QImage PaintPreviewFrame(QSize size, int k, const ShapeList &shapes, bool parallel, const FrameLook &look)
{
    QImage frame = FrameImage(size, look.transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (frame.isNull())
        return frame;
    const CanvasView view = PreviewFrameView(size, k, look);
    if (parallel) {
        PaintCanvasInParallel(frame, view, shapes);
    } else {
        CFramePainter painter(&frame);
        PaintCanvas(painter, view, shapes);
    }
    return frame;
}
