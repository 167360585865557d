#include "platform/Colour.h"

ShapeColour SplitColour(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
            static_cast<int>((bits >> 16) & 0xFF)};
}

QColor ToQColor(const ShapeColour &colour)
{
    return QColor(colour.red & 0xFF, colour.green & 0xFF, colour.blue & 0xFF);
}

QColor ColourFromValue(std::int32_t value)
{
    return ToQColor(SplitColour(value));
}

std::uint32_t ValueFromColour(const QColor &colour)
{
    return ColourValue(static_cast<std::uint32_t>(colour.red()),
                       static_cast<std::uint32_t>(colour.green()),
                       static_cast<std::uint32_t>(colour.blue()));
}
