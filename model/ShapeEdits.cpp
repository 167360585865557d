#include "model/ShapeEdits.h"

#include "model/Copies.h"

#include <map>

namespace {

using Group = std::shared_ptr<const CopyGroup>;

// The vertices of the group's first member, as the given member implies them.
std::vector<PolarPoint> CarriedBack(const CObjectStorage &member)
{
    const GroupLink &link = member.Group();
    std::vector<PolarPoint> points = member.Points();
    if (link.copy == 0 && !link.mirrored)
        return points;
    const CopyPlace place(*link.group, link.copy, link.mirrored);
    for (PolarPoint &p : points)
        p = place.Back(p);
    return points;
}

std::unique_ptr<CObjectStorage> MadeFrom(const CObjectStorage &member,
                                         const std::vector<PolarPoint> &first)
{
    const GroupLink &link = member.Group();
    auto made = member.Clone();
    made->Points() = first;
    const CopyPlace place(*link.group, link.copy, link.mirrored);
    for (PolarPoint &p : made->Points())
        p = place(p);
    return made;
}

// The first member of the group among the selected shapes, or else the
// lowest one: what the group's geometry is carried back from.
std::size_t Representative(const SelectedShapes &selected, const Group &group)
{
    std::size_t best = selected.shapes.size();
    for (std::size_t i = 0; i < selected.shapes.size(); ++i) {
        const GroupLink &link = selected.shapes[i]->Group();
        if (link.group != group)
            continue;
        if (link.copy == 0 && !link.mirrored)
            return i;
        best = std::min(best, i);
    }
    return best;
}

using FirstMember = std::function<std::vector<PolarPoint>(std::size_t representative)>;

// The selected shapes for which only is true, each alone through editAlone,
// and each whole group made again from the first member editGroup gives.
ShapeChanges Edit(const SelectedShapes &selected, const std::function<bool(std::size_t)> &only,
                  const std::function<void(std::vector<PolarPoint> &)> &editAlone,
                  const FirstMember &editGroup)
{
    std::map<const CopyGroup *, std::vector<PolarPoint>> firsts;
    ShapeChanges changes;
    for (std::size_t i = 0; i < selected.shapes.size(); ++i) {
        if (!only(i))
            continue;
        const CObjectStorage &shape = *selected.shapes[i];
        changes.places.append(selected.places[static_cast<qsizetype>(i)]);
        if (selected.wholeGroup[i]) {
            const Group &group = shape.Group().group;
            auto found = firsts.find(group.get());
            if (found == firsts.end())
                found = firsts.emplace(group.get(), editGroup(Representative(selected, group))).first;
            changes.shapes.push_back(MadeFrom(shape, found->second));
            continue;
        }
        auto alone = shape.Clone();
        alone->SetGroup({});
        editAlone(alone->Points());
        changes.shapes.push_back(std::move(alone));
    }
    return changes;
}

} // namespace

SelectedShapes Select(const ShapeList &design, const Places &selection)
{
    SelectedShapes selected;
    selected.places = selection;
    std::map<const CopyGroup *, int> chosen;
    for (const int place : selection) {
        selected.shapes.push_back(design[static_cast<std::size_t>(place)]->Clone());
        if (const Group &group = selected.shapes.back()->Group().group)
            ++chosen[group.get()];
    }
    // A group is whole when no member of it is left out.
    std::map<const CopyGroup *, int> present;
    if (!chosen.empty())
        for (const auto &shape : design)
            if (const Group &group = shape->Group().group; group && chosen.count(group.get()))
                ++present[group.get()];
    for (const auto &shape : selected.shapes) {
        const Group &group = shape->Group().group;
        selected.wholeGroup.push_back(group && present[group.get()] == chosen[group.get()]);
    }
    return selected;
}

ShapeChanges EditVertices(const SelectedShapes &selected, const VertexOp &op)
{
    const auto apply = [&](std::vector<PolarPoint> &points) {
        for (PolarPoint &p : points)
            p = op(p);
    };
    return Edit(
        selected, [](std::size_t) { return true; }, apply, [&](std::size_t representative) {
            std::vector<PolarPoint> first = CarriedBack(*selected.shapes[representative]);
            apply(first);
            return first;
        });
}

ShapeChanges MoveVertex(const SelectedShapes &selected, int which, int vertex, PolarPoint to)
{
    const auto moved = static_cast<std::size_t>(which);
    const auto index = static_cast<std::size_t>(vertex);
    const Group &group = selected.shapes[moved]->Group().group;
    const bool asGroup = selected.wholeGroup[moved];
    // The moved shape, or its whole group with it; nothing else.
    const auto only = [&](std::size_t i) {
        return i == moved || (asGroup && selected.shapes[i]->Group().group == group);
    };
    return Edit(
        selected, only, [&](std::vector<PolarPoint> &points) { points[index] = to; },
        [&](std::size_t representative) {
            std::vector<PolarPoint> first = CarriedBack(*selected.shapes[representative]);
            auto carrier = selected.shapes[moved]->Clone();
            carrier->Points()[index] = to;
            first[index] = CarriedBack(*carrier)[index];
            return first;
        });
}

ShapeChanges Recoloured(const SelectedShapes &selected, std::optional<ShapeColour> fill,
                        std::optional<ShapeColour> pen)
{
    ShapeChanges changes{selected.places, {}};
    for (const auto &shape : selected.shapes) {
        auto changed = shape->Clone();
        if (fill)
            changed->SetFillColour(fill->red, fill->green, fill->blue);
        if (pen)
            changed->SetPenColour(pen->red, pen->green, pen->blue);
        changes.shapes.push_back(std::move(changed));
    }
    return changes;
}

ShapeChanges Rekinded(const SelectedShapes &selected, int type)
{
    ShapeChanges changes{selected.places, {}};
    for (const auto &shape : selected.shapes)
        changes.shapes.push_back(shape->Clone(type));
    return changes;
}

ShapeList Duplicates(const SelectedShapes &selected)
{
    std::map<const CopyGroup *, Group> renewed;
    ShapeList copies;
    for (std::size_t i = 0; i < selected.shapes.size(); ++i) {
        auto copy = selected.shapes[i]->Clone();
        GroupLink link = copy->Group();
        if (selected.wholeGroup[i]) {
            Group &fresh = renewed[link.group.get()];
            if (!fresh)
                fresh = std::make_shared<const CopyGroup>(*link.group);
            link.group = fresh;
        } else {
            link = {};
        }
        copy->SetGroup(std::move(link));
        copies.push_back(std::move(copy));
    }
    return copies;
}

Places GroupPlaces(const ShapeList &design, int place)
{
    const Group &group = design[static_cast<std::size_t>(place)]->Group().group;
    if (!group)
        return {place};
    Places places;
    for (std::size_t i = 0; i < design.size(); ++i)
        if (design[i]->Group().group == group)
            places.append(static_cast<int>(i));
    return places;
}

Places Raised(const Places &selection, int count, int direction)
{
    // Each selected shape passes one unselected neighbour, if it has one.
    std::vector<bool> selected(static_cast<std::size_t>(count));
    for (const int place : selection)
        selected[static_cast<std::size_t>(place)] = true;
    for (int i = direction > 0 ? count - 2 : 1; i >= 0 && i < count; i -= direction) {
        const auto here = static_cast<std::size_t>(i);
        const auto there = static_cast<std::size_t>(i + direction);
        if (selected[here] && !selected[there]) {
            selected[here] = false;
            selected[there] = true;
        }
    }
    Places to;
    for (int i = 0; i < count; ++i)
        if (selected[static_cast<std::size_t>(i)])
            to.append(i);
    return to;
}

Places ToTop(const Places &selection, int count)
{
    return PlaceRange(count - static_cast<int>(selection.size()), static_cast<int>(selection.size()));
}

Places ToBottom(const Places &selection)
{
    return PlaceRange(0, static_cast<int>(selection.size()));
}

VertexOp TurnAndScale(double angle, double factor)
{
    // A scale alone leaves every angle exactly as it is stored.
    return [angle, factor](PolarPoint p) {
        return PolarPoint{angle == 0.0 ? p.angle : NormalisedAngle(p.angle + angle), p.radius * factor};
    };
}
