#pragma once

#include <array>
#include <cstdint>

// The first ten entries of the classic system palette, as 0x00BBGGRR values.
// Linux has no system palette to ask, so these stand in for it.
std::array<std::uint32_t, 10> DefaultPaletteColours();
