#pragma once

#include <QColor>

#include <cstdint>

// Colours travel through the program as 0x00BBGGRR values: red in the low
// byte, green in the next, blue in the third. The colour lists hold them,
// the settings store them as signed decimals, and a list with no selection
// answers -1, all bits set. These are the only conversions between that form,
// three components and QColor.

// An RGB colour as a shape keeps it: three integers, of which only the low
// byte of each is used for drawing and export.
struct ShapeColour
{
    int red = 0;
    int green = 0;
    int blue = 0;
};

constexpr std::uint32_t ColourValue(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}

// The top byte is ignored, so -1 gives white.
ShapeColour SplitColour(std::int32_t value);
QColor ToQColor(const ShapeColour &colour);
QColor ColourFromValue(std::int32_t value);
std::uint32_t ValueFromColour(const QColor &colour);
