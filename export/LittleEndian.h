#pragma once

#include <bit>
#include <cstdint>

// Byte-by-byte little-endian encoding, so a design file is the same whatever
// the host's byte order.
inline unsigned char *PutU16(unsigned char *out, std::uint16_t value)
{
    out[0] = static_cast<unsigned char>(value & 0xFF);
    out[1] = static_cast<unsigned char>(value >> 8);
    return out + 2;
}

inline unsigned char *PutU32(unsigned char *out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
    return out + 4;
}

// IEEE 754 binary64.
inline unsigned char *PutF64(unsigned char *out, double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<unsigned char>((bits >> (8 * i)) & 0xFF);
    return out + 8;
}
