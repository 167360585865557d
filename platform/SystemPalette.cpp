#include "platform/SystemPalette.h"

#include "platform/Colour.h"

std::array<std::uint32_t, 10> DefaultPaletteColours()
{
    return {ColourValue(0, 0, 0),       ColourValue(128, 0, 0),     ColourValue(0, 128, 0),
            ColourValue(128, 128, 0),   ColourValue(0, 0, 128),     ColourValue(128, 0, 128),
            ColourValue(0, 128, 128),   ColourValue(192, 192, 192), ColourValue(192, 220, 192),
            ColourValue(166, 202, 240)};
}
