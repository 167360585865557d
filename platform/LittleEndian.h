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

// The reading side: the same encodings back from bytes.
inline std::uint16_t GetU16(const unsigned char *in)
{
    return static_cast<std::uint16_t>(in[0] | (in[1] << 8));
}

inline std::uint32_t GetU32(const unsigned char *in)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= std::uint32_t{in[i]} << (8 * i);
    return value;
}

inline double GetF64(const unsigned char *in)
{
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= std::uint64_t{in[i]} << (8 * i);
    return std::bit_cast<double>(bits);
}
