#include "model/Copies.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr double Turn = 2 * Pi;
constexpr double Lowest = -Pi / 2;
constexpr double Highest = 3 * Pi / 2;
// Where whole turns stop being taken off by counting them: beyond it a turn
// is below the precision of the count's product.
constexpr double Reach = 0x1p20;
// What a spread's angle is rounded to, and how many bits of a scale are
// kept: far below anything seen, far above the rounding of the sums and
// products that make copies (below 2^-48 and 2^-51 of the scale), so that a
// design's copies give them back exactly.
constexpr double Quantum = 0x1p-44;
constexpr int ScaleBits = 48;
// Less than half a pixel from the centre, a copy has vanished.
constexpr double Vanished = 0.5;

bool InRange(double angle)
{
    return angle >= Lowest && angle < Highest;
}

double Quantised(double angle)
{
    return std::round(angle / Quantum) * Quantum;
}

double QuantisedScale(double scale)
{
    int exponent = 0;
    const double fraction = std::frexp(scale, &exponent);
    return std::ldexp(std::round(std::ldexp(fraction, ScaleBits)), exponent - ScaleBits);
}

bool Same(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Whether shape is bit for bit what place makes of first.
bool IsCopy(const CObjectStorage &shape, const CObjectStorage &first, const CopyPlace &place)
{
    const std::vector<PolarPoint> &made = first.Points();
    const std::vector<PolarPoint> &points = shape.Points();
    if (points.size() != made.size())
        return false;
    for (std::size_t v = 0; v < made.size(); ++v) {
        const PolarPoint p = place(made[v]);
        if (!Same(points[v].angle, p.angle) || !Same(points[v].radius, p.radius))
            return false;
    }
    return true;
}

std::unique_ptr<CObjectStorage> Member(const CObjectStorage &drawn, const GroupLink &link)
{
    auto member = drawn.Clone();
    const CopyPlace place(*link.group, link.copy, link.mirrored);
    for (PolarPoint &p : member->Points())
        p = place(p);
    member->SetGroup(link);
    return member;
}

// The groups a run of shapes from first could be: one copy with Mirror, and
// the turns and scale read from its first two shapes (copies still to count).
struct Candidates
{
    std::array<CopyGroup, 5> groups;
    std::size_t count = 0;

    Candidates(const ShapeList &shapes, std::size_t first)
    {
        groups[count++] = CopyGroup{1, true};
        const std::vector<PolarPoint> &drawn = shapes[first]->Points();
        const std::vector<PolarPoint> &next = shapes[first + 1]->Points();
        if (next.size() != drawn.size() || std::memcmp(next.data(), drawn.data(), drawn.size() * sizeof drawn[0]) == 0)
            return;
        // The scale, from a radius that has one: a quotient as precise as any.
        double factor = 1.0;
        const auto scaled = std::find_if(drawn.begin(), drawn.end(), [](const PolarPoint &p) {
            return p.radius != 0 && std::isfinite(p.radius);
        });
        if (scaled != drawn.end()) {
            factor = QuantisedScale(next[static_cast<std::size_t>(scaled - drawn.begin())].radius / scaled->radius);
            if (!(factor >= MinCopyScale && factor <= MaxCopyScale))
                return;
        }
        // The turn, as a whole turn / N or as a spread's angle, up to a turn.
        const double turned = next[0].angle - drawn[0].angle;
        if (const double part = turned > 0 ? turned : turned + Turn; part > 0) {
            const double whole = std::round(Turn / part);
            if (whole >= 2 && whole <= MaxCopies) {
                const int copies = static_cast<int>(whole);
                groups[count++] = CopyGroup{copies, false, Turn, copies, factor};
            }
        }
        for (const double turns : {0.0, Turn, -Turn})
            if (const double step = Quantised(turned + turns); std::abs(step) <= Turn)
                groups[count++] = CopyGroup{MaxCopies, false, step, 1, factor};
    }
};

// How many shapes from first are the group: 0 when they are not, else its
// copies (for a whole turn all of them; one copy needs Mirror), then as many
// mirror images when they follow. The group takes the copies and Mirror found.
int Members(const ShapeList &shapes, std::size_t first, CopyGroup &group)
{
    const CObjectStorage &drawn = *shapes[first];
    const std::size_t room = shapes.size() - first;
    const auto at = [&](int m) -> const CObjectStorage & { return *shapes[first + static_cast<std::size_t>(m)]; };
    int copies = 1;
    if (group.copies > 1) {
        while (copies < group.copies && static_cast<std::size_t>(copies) < room &&
               IsCopy(at(copies), drawn, CopyPlace(group, copies, false)))
            ++copies;
        if (copies < 2 || (group.divisor > 1 && copies < group.copies))
            return 0;
    }
    bool mirrored = static_cast<std::size_t>(2 * copies) <= room;
    for (int k = 0; mirrored && k < copies; ++k)
        mirrored = IsCopy(at(copies + k), drawn, CopyPlace(group, k, true));
    if (copies == 1 && !mirrored)
        return 0;
    group.copies = copies;
    group.mirror = mirrored;
    return copies * (mirrored ? 2 : 1);
}

} // namespace

double NormalisedAngle(double angle)
{
    if (!std::isfinite(angle) || InRange(angle))
        return angle;
    if (std::abs(angle) < Reach) {
        double turned = angle - Turn * std::floor((angle - Lowest) / Turn);
        // Rounding can leave it a hair outside.
        if (turned >= Highest)
            turned -= Turn;
        else if (turned < Lowest)
            turned += Turn;
        if (InRange(turned))
            return turned;
    }
    // Exact, within a turn either side of 0; the range is exactly a turn wide,
    // so one step in lands in it (or, from a hair below, on its lower end).
    double rest = std::fmod(angle, Turn);
    if (rest < Lowest)
        rest += Turn;
    if (rest >= Highest)
        rest -= Turn;
    return rest;
}

QString CopyStepProblem(double degrees)
{
    if (std::abs(degrees) <= MaxCopyStep)
        return {};
    return QStringLiteral("The copies would lie %1\u00B0 apart: the angle between copies is at most "
                          "%2\u00B0 either way.")
        .arg(degrees, 0, 'g', 6)
        .arg(MaxCopyStep);
}

QString CopySettingsProblem(const CopySettings &settings)
{
    if (settings.copies < MinCopies || settings.copies > MaxCopies)
        return QStringLiteral("The number of copies is from %1 to %2.").arg(MinCopies).arg(MaxCopies);
    if (!(settings.factor >= MinCopyScale && settings.factor <= MaxCopyScale))
        return QStringLiteral("The scale per copy is from %1 to %2.").arg(MinCopyScale).arg(MaxCopyScale);
    if (!std::isfinite(settings.span))
        return QStringLiteral("The span is not a number of degrees.");
    if (settings.copies == 1)
        return {};
    const double step = settings.span / (settings.openArc ? settings.copies - 1 : settings.copies);
    if (const QString why = CopyStepProblem(step); !why.isEmpty())
        return why;
    const CopyGroup group = CopyPattern(settings);
    if (settings.factor == 1 && (std::fmod(step, 360) == 0 || (group.divisor == 1 && group.span == 0)))
        return QStringLiteral("Every copy would lie on the drawn shape: spread the copies over an angle, "
                              "or give them a scale per copy.");
    return {};
}

CopyGroup CopyPattern(const CopySettings &settings)
{
    CopyGroup group{settings.copies, settings.mirror};
    if (settings.copies <= 1) {
        group.copies = 1;
        return group;
    }
    group.factor = QuantisedScale(settings.factor);
    if (!settings.openArc && settings.span == 360) {
        group.divisor = settings.copies;
    } else {
        const int gaps = settings.openArc ? settings.copies - 1 : settings.copies;
        group.span = Quantised(settings.span / 360 * Turn / gaps);
    }
    return group;
}

CopyPlace::CopyPlace(const CopyGroup &group, int copy, bool mirrored)
    : m_copy(copy), m_mirrored(mirrored)
{
    if (copy == 0)
        return;
    m_turn = copy * group.span / group.divisor;
    for (int k = 0; k < copy && group.factor != 1.0; ++k)
        m_scale *= group.factor;
}

PolarPoint CopyPlace::operator()(PolarPoint first) const
{
    // The drawn shape is kept as it was; each copy is turned, then mirrored.
    if (m_copy > 0)
        first.angle = NormalisedAngle(first.angle + m_turn);
    if (m_mirrored)
        first.angle = NormalisedAngle(-(first.angle + 0.0));
    if (m_scale != 1.0)
        first.radius *= m_scale;
    return first;
}

PolarPoint CopyPlace::Back(PolarPoint here) const
{
    if (m_mirrored)
        here.angle = NormalisedAngle(-here.angle);
    if (m_copy > 0)
        here.angle = NormalisedAngle(here.angle - m_turn);
    if (m_scale != 1.0)
        here.radius /= m_scale;
    return here;
}

ShapeList MakeCopies(std::unique_ptr<CObjectStorage> shape, const CopyGroup &pattern)
{
    ShapeList shapes;
    if (pattern.copies <= 1 && !pattern.mirror) {
        shapes.push_back(std::move(shape));
        return shapes;
    }
    auto group = std::make_shared<const CopyGroup>(pattern);
    shape->SetGroup({group, 0, false});
    const CObjectStorage &drawn = *shape;
    shapes.push_back(std::move(shape));
    for (int mirrored = 0; mirrored <= (pattern.mirror ? 1 : 0); ++mirrored)
        for (int k = mirrored ? 0 : 1; k < pattern.copies; ++k)
            shapes.push_back(Member(drawn, {group, k, mirrored != 0}));
    return shapes;
}

ShapeList MakeCopies(std::unique_ptr<CObjectStorage> shape, int copies, bool mirror)
{
    return MakeCopies(std::move(shape), CopyPattern({copies, 360, false, 1, mirror}));
}

QString CopiesProblem(const CObjectStorage &drawn, const CopyGroup &pattern, double scale)
{
    // How far from the centre copy k reaches, in pixels; infinite when a
    // radius is not finite.
    const auto reach = [&](int k) {
        const CopyPlace place(pattern, k, false);
        double most = 0;
        for (const PolarPoint &p : drawn.Points()) {
            const double radius = place(p).radius;
            if (!std::isfinite(radius))
                return HUGE_VAL;
            most = std::max(most, std::abs(radius * scale));
        }
        return most;
    };
    // A drawn shape already at the centre, or too large, is not the scale's doing.
    if (pattern.factor == 1.0 || pattern.copies < 2 || !(reach(0) >= Vanished && reach(0) < HUGE_VAL))
        return {};
    for (int k = 1; k < pattern.copies; ++k) {
        const double most = reach(k);
        if (most >= Vanished && most < HUGE_VAL)
            continue;
        return QStringLiteral("Copies %1 to %2, scaled by %3 each, would %4. Use fewer copies or a "
                              "scale per copy nearer 1. Nothing was added.")
            .arg(k + 1)
            .arg(pattern.copies)
            .arg(QString::number(pattern.factor, 'g', 6),
                 most < Vanished ? QStringLiteral("lie within half a pixel of the centre at this scale")
                                 : QStringLiteral("be too large to keep"));
    }
    return {};
}

void CycleColours(ShapeList &shapes, const QList<std::int32_t> &fills, int fill,
                  const QList<std::int32_t> &pens, int pen)
{
    const auto step = [](const QList<std::int32_t> &list, int from, int k) {
        return SplitColour(list[(from + k) % list.size()]);
    };
    for (const auto &shape : shapes) {
        const int k = shape->Group().copy;
        if (fill >= 0 && fill < fills.size()) {
            const ShapeColour c = step(fills, fill, k);
            shape->SetFillColour(c.red, c.green, c.blue);
        }
        if (pen >= 0 && pen < pens.size()) {
            const ShapeColour c = step(pens, pen, k);
            shape->SetPenColour(c.red, c.green, c.blue);
        }
    }
}

void RecogniseGroups(ShapeList &shapes)
{
    for (std::size_t first = 0; first < shapes.size();) {
        std::size_t run = 1;
        if (shapes[first]->PointCount() > 0 && first + 1 < shapes.size()) {
            std::optional<CopyGroup> best;
            Candidates candidates(shapes, first);
            for (std::size_t c = 0; c < candidates.count; ++c) {
                CopyGroup candidate = candidates.groups[c];
                const auto members = static_cast<std::size_t>(Members(shapes, first, candidate));
                if (members > run) {
                    run = members;
                    best = candidate;
                }
            }
            if (best) {
                auto group = std::make_shared<const CopyGroup>(*best);
                for (std::size_t m = 0; m < run; ++m)
                    shapes[first + m]->SetGroup({group, static_cast<int>(m) % best->copies,
                                                 m >= static_cast<std::size_t>(best->copies)});
            }
        }
        if (run == 1)
            shapes[first]->SetGroup({});
        first += run;
    }
}
