#pragma once

#include "export/ImportError.h"
#include "model/ObjectStorage.h"

#include <QByteArray>
#include <QString>

// What an SVG may ask of the import before it is refused: the size of the
// file, its elements (each `use` counting what it repeats), how deeply they
// nest, the points of its lines before they are thinned out, and the time
// its drawing may take.
struct SvgLimits
{
    qint64 bytes = 8 << 20;
    int elements = 100000;
    int depth = 64;
    std::size_t points = 2000000;
    int milliseconds = 3000;
};

struct SvgImportOptions
{
    double scale = 1.0;
    // For a shape whose fill or outline the drawing leaves without a colour.
    ShapeColour fill{255, 255, 255};
    ShapeColour pen{0, 0, 0};
    SvgLimits limits;
};

struct SvgImport
{
    ShapeList shapes; // in the order they were drawn
    int simplified = 0; // of them, how many had more vertices than a shape can draw
    double worstError = 0.0; // the largest distance, in pixels at the scale, of one from its outline
    bool leftOut = false; // pictures, which do not become shapes
};

// The most vertices an imported shape keeps.
inline constexpr int ImportedVertices = CObjectStorage::MaxDrawnPoints - 1;
// How far (in pixels at the scale) a flattened curve may stray from the curve.
inline constexpr double FlatteningTolerance = 0.25;

// The shapes of an SVG drawing as Qt SVG draws it: each closed, filled
// subpath a polygon in its fill and stroke colours, each other stroked one a
// polyline in its stroke colour, curves made lines within
// FlatteningTolerance and shapes of more than ImportedVertices vertices
// thinned out to that many. The centre of the drawing's page (its viewBox)
// lies on the polar centre, a user unit a pixel at scale 1, and each vertex
// is what a click there would give at the scale, unsnapped. Throws
// CImportError, or std::bad_alloc; returns nothing at all then.
SvgImport ImportSvg(const QByteArray &svg, const SvgImportOptions &options);
// The same from a file; a file that cannot be read is refused with the
// platform's reason.
SvgImport ImportSvg(const QString &path, const SvgImportOptions &options);

// What the editor and the command line say after an import, and of one
// refused.
QString ImportSummary(const SvgImport &import);
