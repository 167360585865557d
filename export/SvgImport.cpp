#include "export/SvgImport.h"

#include "export/OutlineGeometry.h"
#include "model/DrawMapping.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QLocale>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Refuse(const QString &why)
{
    throw CImportError(why.toStdString());
}

QString WithoutFullStop(QString text)
{
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

QString Number(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

QString TooFar()
{
    return QStringLiteral("Its shapes reach too far to be kept as numbers.");
}

// The elements of a drawing as far as its size goes: each one's children and
// the elements a `use` repeats.
class CElementTree
{
public:
    explicit CElementTree(const SvgLimits &limits)
        : m_limits(limits)
    {
    }

    // Reads the whole drawing, and returns it again without its pictures:
    // they never become shapes, and one that names a file would have the
    // renderer read that file, which may never end (a pipe, a device).
    QByteArray Read(const QByteArray &svg)
    {
        QXmlStreamReader xml(svg);
        QByteArray copy;
        QXmlStreamWriter writer(&copy);
        std::vector<int> open;
        QHash<QString, std::vector<int>> ids;
        std::vector<QString> hrefs;
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::StartElement && !open.empty() && xml.name() == QLatin1String("image")) {
                m_pictures = true;
                xml.skipCurrentElement();
                continue;
            }
            if (token == QXmlStreamReader::Invalid)
                break;
            writer.writeCurrentToken(xml);
            if (token == QXmlStreamReader::EndElement)
                open.pop_back();
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (open.empty() && xml.name() != QLatin1String("svg"))
                Refuse(QStringLiteral("It is no SVG drawing: it begins with <%1>, not <svg>.")
                           .arg(xml.name().toString()));
            if (m_nodes.size() >= static_cast<std::size_t>(m_limits.elements))
                TooMany();
            if (open.size() >= static_cast<std::size_t>(m_limits.depth))
                TooDeep();
            const int index = static_cast<int>(m_nodes.size());
            m_nodes.push_back({});
            if (!open.empty())
                m_nodes[static_cast<std::size_t>(open.back())].children.push_back(index);
            open.push_back(index);
            QString href;
            for (const QXmlStreamAttribute &attribute : xml.attributes()) {
                if (attribute.name() == QLatin1String("id"))
                    ids[attribute.value().toString()].push_back(index);
                // Whatever its prefix: counting too much is safe, too little not.
                if (attribute.name() == QLatin1String("href") && xml.name() == QLatin1String("use"))
                    href = attribute.value().toString();
            }
            hrefs.push_back(href);
        }
        if (xml.hasError())
            Refuse(QStringLiteral("It is no SVG drawing: %1 (line %2, column %3).")
                       .arg(WithoutFullStop(xml.errorString()))
                       .arg(xml.lineNumber())
                       .arg(xml.columnNumber()));
        if (m_nodes.empty())
            Refuse(QStringLiteral("It is no SVG drawing: it holds no element."));
        // A name given twice repeats both: the renderer takes one of them.
        for (std::size_t i = 0; i < hrefs.size(); ++i)
            if (hrefs[i].startsWith(u'#'))
                m_nodes[i].repeats = ids.value(hrefs[i].mid(1));
        return copy;
    }

    bool Pictures() const { return m_pictures; }

    // Every element as often as it is drawn, `use` repeating what it names,
    // and the depth that gives: within the limits, or refused.
    void CheckExpanded()
    {
        std::vector<char> state(m_nodes.size(), 0); // 0 new, 1 open, 2 done
        std::vector<int> stack{0};
        while (!stack.empty()) {
            const auto n = static_cast<std::size_t>(stack.back());
            Node &node = m_nodes[n];
            if (state[n] == 2) {
                stack.pop_back();
                continue;
            }
            std::vector<int> next = node.children;
            next.insert(next.end(), node.repeats.begin(), node.repeats.end());
            if (state[n] == 0) {
                state[n] = 1;
                for (const int c : next) {
                    if (state[static_cast<std::size_t>(c)] == 1)
                        Refuse(QStringLiteral("It repeats an element inside itself."));
                    if (state[static_cast<std::size_t>(c)] == 0)
                        stack.push_back(c);
                }
                continue;
            }
            for (const int c : next) {
                const Node &child = m_nodes[static_cast<std::size_t>(c)];
                node.drawn = std::min<qint64>(node.drawn + child.drawn, m_limits.elements + qint64{1});
                node.depth = std::max(node.depth, child.depth + 1);
            }
            if (node.drawn > m_limits.elements)
                TooMany();
            if (node.depth > m_limits.depth)
                TooDeep();
            state[n] = 2;
            stack.pop_back();
        }
    }

private:
    struct Node
    {
        std::vector<int> children;
        std::vector<int> repeats; // what a `use` names
        qint64 drawn = 1; // itself and all it draws
        int depth = 1;
    };

    [[noreturn]] void TooMany() const
    {
        Refuse(QStringLiteral("It has more than %1 elements to draw.").arg(Number(m_limits.elements)));
    }
    [[noreturn]] void TooDeep() const
    {
        Refuse(QStringLiteral("It nests its elements more than %1 deep.").arg(m_limits.depth));
    }

    const SvgLimits &m_limits;
    std::vector<Node> m_nodes;
    bool m_pictures = false;
};

// A line the renderer drew, in pixels from the centre (y down), with its colours.
struct Outline
{
    std::vector<QPointF> points;
    bool polygon = false;
    std::optional<QColor> fill;
    std::optional<QColor> pen;
};

std::optional<QColor> ColourOf(const QBrush &brush)
{
    if (brush.style() == Qt::NoBrush)
        return std::nullopt;
    if (const QGradient *gradient = brush.gradient(); gradient && !gradient->stops().isEmpty())
        return gradient->stops().constFirst().second;
    if (brush.style() >= Qt::LinearGradientPattern)
        return std::nullopt; // a gradient without stops, a texture: no colour of its own
    return brush.color();
}

using Lines = std::vector<std::vector<QPointF>>;

// Takes down what a painter draws: each subpath with the transform, brush
// and pen it was drawn with, curves made lines in device pixels.
class CRecorder : public QPaintEngine
{
public:
    explicit CRecorder(const SvgLimits &limits)
        : QPaintEngine(AllFeatures)
        , m_limits(limits)
    {
        m_clock.start();
    }

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & DirtyPen)
            m_pen = state.pen();
        if (state.state() & DirtyBrush)
            m_brush = state.brush();
        if (state.state() & DirtyTransform)
            m_transform = state.transform();
    }

    void drawPath(const QPainterPath &path) override
    {
        if (Stopped())
            return;
        Lines lines;
        const int count = path.elementCount();
        for (int i = 0; i < count && !m_refusal; ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            const QPointF p = m_transform.map(QPointF(e.x, e.y));
            if (e.isMoveTo() || lines.empty()) {
                lines.emplace_back(1, p);
            } else if (e.isLineTo()) {
                lines.back().push_back(p);
            } else if (e.isCurveTo() && i + 2 < count) {
                const QPointF c2 = m_transform.map(QPointF(path.elementAt(i + 1)));
                const QPointF end = m_transform.map(QPointF(path.elementAt(i + 2)));
                Curve(lines.back(), p, c2, end);
                i += 2;
            }
        }
        Take(std::move(lines));
    }

    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        if (Stopped() || count < 1)
            return;
        std::vector<QPointF> line;
        for (int i = 0; i < count; ++i)
            line.push_back(m_transform.map(points[i]));
        // A polygon drawn closed ends where it begins, as a closed subpath does.
        if (mode != PolylineMode)
            line.push_back(line.front());
        Take({std::move(line)});
    }

    void drawPoints(const QPointF *, int) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override { m_leftOut = true; }
    void drawImage(const QRectF &, const QImage &, const QRectF &, Qt::ImageConversionFlags) override
    {
        m_leftOut = true;
    }

    // Why the drawing cannot be taken, if it cannot.
    std::optional<QString> Refusal() const { return m_refusal; }
    std::vector<Outline> TakeOutlines() { return std::move(m_outlines); }
    bool LeftOut() const { return m_leftOut; }

private:
    bool Stopped()
    {
        if (!m_refusal && m_clock.elapsed() >= m_limits.milliseconds)
            m_refusal = QStringLiteral("Drawing it takes more than %1 seconds.")
                            .arg(m_limits.milliseconds / 1000.0);
        return m_refusal.has_value();
    }

    void Curve(std::vector<QPointF> &line, QPointF c1, QPointF c2, QPointF end)
    {
        const double steps = CubicSteps(line.back(), c1, c2, end, FlatteningTolerance);
        if (steps == 0) {
            Overflowed();
            return;
        }
        if (m_points + line.size() + steps > m_limits.points) {
            TooManyPoints();
            return;
        }
        FlattenCubic(line.back(), c1, c2, end, static_cast<int>(steps), line);
    }

    void TooManyPoints()
    {
        m_refusal = QStringLiteral("Its lines have more than %1 points once its curves are made lines.")
                        .arg(Number(static_cast<qint64>(m_limits.points)));
    }

    void Overflowed() { m_refusal = TooFar(); }

    // The subpaths of one drawing call, each a shape when it draws anything.
    // The renderer fills a shape and then strokes it in a call of its own:
    // a stroke along just the lines filled before gives them its colour.
    void Take(Lines lines)
    {
        if (m_refusal || (m_pen.style() == Qt::NoPen && m_brush.style() == Qt::NoBrush))
            return;
        const std::optional<QColor> fill = ColourOf(m_brush);
        const std::optional<QColor> pen =
            m_pen.style() == Qt::NoPen ? std::nullopt : ColourOf(m_pen.brush());
        if (!fill && m_filledTo == m_outlines.size() && m_filled == lines) {
            for (std::size_t i = m_filledFrom; i < m_filledTo; ++i)
                m_outlines[i].pen = pen;
            m_filled.clear();
            return;
        }
        m_filled.clear();
        if (fill && !pen)
            m_filled = lines;
        m_filledFrom = m_outlines.size();
        for (std::vector<QPointF> &line : lines)
            if (!m_refusal)
                Add(std::move(line), fill, pen);
        m_filledTo = m_outlines.size();
    }

    void Add(std::vector<QPointF> line, const std::optional<QColor> &fill, const std::optional<QColor> &pen)
    {
        for (const QPointF &p : line)
            if (!std::isfinite(p.x()) || !std::isfinite(p.y())) {
                Overflowed();
                return;
            }
        Outline outline{{}, fill && line.size() > 1 && line.front() == line.back(), fill, pen};
        line.erase(std::unique(line.begin(), line.end()), line.end());
        if (outline.polygon && line.size() > 1)
            line.pop_back();
        if (line.size() < 2)
            return; // a lone point draws no line
        if (outline.polygon && line.size() < 3) {
            outline.polygon = false; // no area: a line
            line.push_back(line.front());
        }
        m_points += line.size();
        if (m_points > m_limits.points) {
            TooManyPoints();
            return;
        }
        if (m_outlines.size() >= MaxDesignShapes) {
            m_refusal = QStringLiteral("It has more than %1 shapes; a design holds at most %1.")
                            .arg(Number(MaxDesignShapes));
            return;
        }
        outline.points = std::move(line);
        m_outlines.push_back(std::move(outline));
    }

    const SvgLimits &m_limits;
    QElapsedTimer m_clock;
    QPen m_pen;
    QBrush m_brush;
    QTransform m_transform;
    std::vector<Outline> m_outlines;
    // The lines of the last call that filled without a pen, and the shapes
    // [from, to) they made.
    Lines m_filled;
    std::size_t m_filledFrom = 0;
    std::size_t m_filledTo = 0;
    std::size_t m_points = 0;
    std::optional<QString> m_refusal;
    bool m_leftOut = false;
};

// A paint device that only records.
class CRecordingDevice : public QPaintDevice
{
public:
    explicit CRecordingDevice(const SvgLimits &limits)
        : m_engine(limits)
    {
    }
    QPaintEngine *paintEngine() const override { return &m_engine; }
    CRecorder &Recorder() { return m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
        case PdmWidthMM:
        case PdmHeightMM:
            return 1 << 20;
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    mutable CRecorder m_engine;
};

ShapeColour ShapeColourOf(const std::optional<QColor> &colour, const ShapeColour &otherwise)
{
    return colour ? SplitColour(static_cast<std::int32_t>(ValueFromColour(*colour))) : otherwise;
}

} // namespace

SvgImport ImportSvg(const QByteArray &svg, const SvgImportOptions &options)
{
    const SvgLimits &limits = options.limits;
    if (svg.isEmpty())
        Refuse(QStringLiteral("The file is empty."));
    if (svg.size() > limits.bytes)
        Refuse(QStringLiteral("It is larger than %1 bytes, the most an SVG drawing may be.")
                   .arg(Number(limits.bytes)));
    if (svg.startsWith("\x1F\x8B"))
        Refuse(QStringLiteral("It is compressed (as .svgz is): uncompress it first."));
    CElementTree tree(limits);
    const QByteArray drawing = tree.Read(svg);
    tree.CheckExpanded();

    QSvgRenderer renderer;
    if (!renderer.load(drawing))
        Refuse(QStringLiteral("Qt SVG cannot read it."));
    const QRectF page = renderer.viewBoxF();
    const double scale = options.scale;
    if (!(page.width() > 0) || !(page.height() > 0))
        Refuse(QStringLiteral("It has no page: neither a viewBox nor a width and height."));
    // Far beyond any screen, and where the renderer's own arithmetic still holds.
    constexpr double LargestPage = 1e9;
    if (!(std::max(page.width(), page.height()) * scale <= LargestPage))
        Refuse(QStringLiteral("At this scale its page would be more than %1 pixels across.")
                   .arg(Number(static_cast<qint64>(LargestPage))));
    CRecordingDevice device(limits);
    {
        QPainter painter(&device);
        renderer.render(&painter, QRectF(-page.width() * scale / 2, -page.height() * scale / 2,
                                         page.width() * scale, page.height() * scale));
    }
    CRecorder &recorder = device.Recorder();
    if (const auto why = recorder.Refusal())
        Refuse(*why);
    std::vector<Outline> outlines = recorder.TakeOutlines();
    if (outlines.empty())
        Refuse(QStringLiteral("It has nothing to draw as shapes: no filled or stroked line."));

    SvgImport import;
    import.leftOut = tree.Pictures() || recorder.LeftOut();
    import.shapes.reserve(outlines.size());
    for (Outline &outline : outlines) {
        if (outline.points.size() > static_cast<std::size_t>(ImportedVertices)) {
            const double error = Simplify(outline.points, outline.polygon, ImportedVertices);
            ++import.simplified;
            import.worstError = std::max(import.worstError, error);
        }
        auto shape = CObjectStorage::Create(outline.polygon ? CPolyStorage::TypeValue : CLineStorage::TypeValue);
        const ShapeColour fill = ShapeColourOf(outline.fill, options.fill);
        const ShapeColour pen = ShapeColourOf(outline.pen, options.pen);
        shape->SetFillColour(fill.red, fill.green, fill.blue);
        shape->SetPenColour(pen.red, pen.green, pen.blue);
        shape->ReservePoints(outline.points.size());
        for (const QPointF &p : outline.points) {
            const auto polar = PolarOfOffset(p.x(), -p.y(), scale, 0.0);
            if (!polar)
                Refuse(TooFar());
            shape->AddPoint(polar->angle, polar->radius);
        }
        import.shapes.push_back(std::move(shape));
    }
    return import;
}

SvgImport ImportSvg(const QString &path, const SvgImportOptions &options)
{
    if (QFileInfo(path).isDir())
        Refuse(QStringLiteral("It is a folder."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Refuse(WithoutFullStop(file.errorString()) + u'.');
    // One byte more than the limit shows a file too large without reading it all.
    const QByteArray bytes = file.read(options.limits.bytes + 1);
    if (file.error() != QFileDevice::NoError)
        Refuse(WithoutFullStop(file.errorString()) + u'.');
    return ImportSvg(bytes, options);
}

QString ImportSummary(const SvgImport &import)
{
    const auto count = static_cast<qint64>(import.shapes.size());
    QString text = count == 1 ? QStringLiteral("1 shape came in.")
                              : QStringLiteral("%1 shapes came in.").arg(Number(count));
    if (import.simplified > 0)
        text += QStringLiteral(" %1 had more than %2 vertices and %3 simplified to at most %2, straying at most %4 "
                               "pixels from the drawing's line.")
                    .arg(Number(import.simplified))
                    .arg(ImportedVertices)
                    .arg(import.simplified == 1 ? "was" : "were")
                    .arg(import.worstError, 0, 'f', 2);
    if (import.leftOut)
        text += QStringLiteral(" Its pictures were left out.");
    return text;
}
