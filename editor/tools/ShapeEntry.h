#pragma once

#include "tools/RubberBand.h"
#include "tools/Snap.h"
#include "model/Copies.h"
#include "model/ObjectStorage.h"

#include <QPoint>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// Entry of one shape with the mouse. A left press starts it; each left
// release adds a snapped vertex; a right-button action, the 50th release or
// End() finishes it and hands the shape to the host; Abandon() drops it. A rubber band from the
// last vertex follows the pointer, in every copy around the centre.
class CShapeEntry
{
public:
    // Counting from 1, the release that ends a shape without adding a point.
    static constexpr int EndingRelease = 50;

    // What an entry needs of the window it runs in.
    class Host
    {
    public:
        // The overlay changed these pixels of the window.
        virtual void OverlayChanged(const QRegion &area) = 0;
        // The fill and the outline of the finished shape, as 0x00BBGGRR
        // values; -1 (a list without a selection) gives white.
        virtual std::pair<std::int32_t, std::int32_t> ShapeColours() const = 0;
        // Takes the finished shape, or none when the entry was abandoned;
        // the entry is over.
        virtual void ShapeFinished(std::unique_ptr<CObjectStorage> shape) = 0;

    protected:
        ~Host() = default;
    };

    // How one shape is entered; fixed from the press to the end.
    struct Setup
    {
        int type = CPolyStorage::TypeValue;
        CViewport view;     // the canvas every point is converted with
        CopyGroup pattern{}; // the band shows in each copy it makes
        bool polarSnap = false;
        int spokes = 12;    // polar snapping turns in steps of 2pi / (4 x spokes)
    };

    explicit CShapeEntry(Host &host);

    bool IsRunning() const { return m_shape != nullptr; }

    // Positions in the canvas's pixels. A typed first vertex starts an entry
    // at its own pixel, not snapped to the grid below.
    void Start(QPoint press, const Setup &setup, bool snapPress = true);
    void Press(Qt::MouseButton button);
    void Release(Qt::MouseButton button, QPoint pos);
    void DoubleClick(Qt::MouseButton button);
    void Move(QPoint pos);
    // Ends the entry as a right click does (the window lost the mouse, or
    // its size and so the centre changed).
    void End();
    // Adds a vertex typed in polar form, as a click would add it; false when
    // the shape already has the most vertices a click can give it.
    bool AddVertex(const PolarPoint &vertex);
    // Takes back the last vertex; the band runs from the one before.
    void TakeBack();
    // Ends the entry without a shape.
    void Abandon();

    const CRubberBandOverlay &Overlay() const { return m_overlay; }

private:
    std::optional<PlacedVertex> Place(QPoint pos) const;
    QPoint BandEnd(QPoint pos) const;
    void ToggleBand(QPoint from, QPoint to);
    void Add(const PlacedVertex &vertex);
    void ClearOverlay();
    QPoint Copied(QPoint pixel, std::size_t copy, bool mirrored) const;
    void Finish();

    Host &m_host;
    Setup m_setup;
    std::vector<CopyPlace> m_copies; // of the pattern, unmirrored
    std::unique_ptr<CObjectStorage> m_shape;
    QPoint m_anchor;
    std::vector<QPoint> m_anchors; // the press, then each vertex's pixel
    int m_release = 1;
    // The band last drawn by a move, if any.
    std::optional<std::pair<QPoint, QPoint>> m_band;
    CRubberBandOverlay m_overlay;
    QRect m_touched; // every pixel the bands changed during this entry
};
