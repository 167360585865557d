#include "platform/SystemPalette.h"

namespace {

constexpr std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return r | (g << 8) | (b << 16);
}

} // namespace

std::array<std::uint32_t, 10> DefaultPaletteColours()
{
    return {Rgb(0, 0, 0),       Rgb(128, 0, 0),     Rgb(0, 128, 0),     Rgb(128, 128, 0),
            Rgb(0, 0, 128),     Rgb(128, 0, 128),   Rgb(0, 128, 128),   Rgb(192, 192, 192),
            Rgb(192, 220, 192), Rgb(166, 202, 240)};
}
