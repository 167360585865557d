#pragma once

#include "model/ObjectStorage.h"

#include <QList>
#include <QString>

#include <cstdint>

// Copies around the centre: the limits of the copy count (the menu's quick
// counts go up to QuickCopies), of the scale per copy and, in degrees either
// way, of the angle between copies.
inline constexpr int MinCopies = 1;
inline constexpr int MaxCopies = 360;
inline constexpr int QuickCopies = 24;
inline constexpr double MinCopyScale = 0.01;
inline constexpr double MaxCopyScale = 100;
inline constexpr double MaxCopyStep = 360;

// An angle brought into the range every stored angle keeps, -pi/2 up to
// 3pi/2, by whole turns of 2 x 3.141592654; one already there, or one that is
// not finite, is returned unchanged. Up to 2^20 radians the turns are taken
// off as the program always has (so that the stored doubles of designs and
// groups stay what they were); beyond, by the exact remainder of a turn
// (std::fmod), so that every finite angle lands in the range.
double NormalisedAngle(double angle);

// The copies of the next clicks, as the settings keep them.
struct CopySettings
{
    int copies = 1;       // 1 (the drawn shape alone) to 360
    double span = 360;    // the degrees the copies are spread over
    bool openArc = false; // k x span / (copies - 1) apart, not k x span / copies
    double factor = 1;    // the scale per copy: each copy's radii are the last one's times this
    bool mirror = false;

    bool operator==(const CopySettings &) const = default;
};

// Why copies cannot lie this many degrees apart, as a sentence; empty when they can.
QString CopyStepProblem(double degrees);
// Why such settings make no copies, as a sentence; empty when they do.
QString CopySettingsProblem(const CopySettings &settings);

// The group a click makes with settings that have no problem. A whole turn
// (a closed span of 360 degrees) keeps span 2 x 3.141592654 and divisor N, as
// copies always have; any other spread keeps the angle between copies,
// rounded to a multiple of 2^-44 radians, over divisor 1, and the scale is
// rounded to 48 significant bits: both can then be read back exactly from a
// design's first two copies. One copy keeps neither.
CopyGroup CopyPattern(const CopySettings &settings);

// The copy function: where copy k of a group, mirrored or not, puts a vertex
// (a, r) of the group's first member. The angle is NormalisedAngle(a + t),
// t = k x span / divisor (as double arithmetic, in that order), and the radius
// r x F^k, F^k being 1 x F x F ... (k factors, multiplied in that order); a
// mirrored copy then takes the angle NormalisedAngle(-angle), its mirror image
// across the vertical axis. Copy 0 keeps a and r as they are, and so does an
// unscaled copy its radius. Making, editing and finding groups all use it.
class CopyPlace
{
public:
    CopyPlace(const CopyGroup &group, int copy, bool mirrored);

    PolarPoint operator()(PolarPoint first) const;
    // The vertex of the first member that puts a vertex here, up to rounding.
    PolarPoint Back(PolarPoint here) const;

private:
    int m_copy;
    bool m_mirrored;
    double m_turn = 0.0;
    double m_scale = 1.0;
};

// The shape and copies 1 ... copies - 1 of it, then, with mirror, the mirror
// image of each of these, in that order. Copies keep the kind, colours and
// vertex order. More than one shape made are a group: each is linked to it
// as its member.
ShapeList MakeCopies(std::unique_ptr<CObjectStorage> shape, const CopyGroup &pattern);
// The same for copies turned by whole turns / copies, unscaled.
ShapeList MakeCopies(std::unique_ptr<CObjectStorage> shape, int copies, bool mirror);

// Why the copies of the drawn shape cannot be made when drawn at this
// scale, as a sentence; empty when they can. A scale per copy is refused
// when some copy's radii are not finite, or when every vertex of a copy lies
// within half a pixel of the centre while the drawn shape's do not.
QString CopiesProblem(const CObjectStorage &drawn, const CopyGroup &pattern, double scale);

// Gives copy k of a click (and its mirror image) the fill k entries after
// entry `fill` of the fill list and the outline k entries after entry `pen`
// of the outline list, wrapping at a list's end. A list without a selected
// entry (-1) leaves that colour as it is.
void CycleColours(ShapeList &shapes, const QList<std::int32_t> &fills, int fill,
                  const QList<std::int32_t> &pens, int pen);

// Finds the groups of a design read from a file, which keeps none: runs of
// consecutive shapes of one vertex count (at least one) whose vertices are
// bit for bit what the copy function gives from the first, for 2 to 360
// copies (or one copy with Mirror), with or without Mirror, whatever their
// colours and kinds. The angle between copies and the scale are read from
// the first two shapes: a whole turn / N, or a multiple of 2^-44 radians,
// and a scale of 48 significant bits. Shapes that repeat the one before
// them are no copies of it. The longest run wins; other shapes belong to no
// group.
void RecogniseGroups(ShapeList &shapes);
