// Ternary raster operations as data: any of the 256 applied to rows of packed pixel bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "win32/types.h"

namespace gdi32 {

// The operation's index is byte 2 of its code. Bit (P << 2 | S << 1 | D) of the index is the result
// bit for pattern bit P, source bit S and destination bit D; so SRCCOPY's index 0xCC is "S".
constexpr unsigned RopIndex(DWORD rop) { return (rop >> 16) & 0xFFu; }
constexpr bool RopUsesSource(unsigned index) { return (((index >> 2) ^ index) & 0x33u) != 0; }
constexpr bool RopUsesPattern(unsigned index) { return (((index >> 4) ^ index) & 0x0Fu) != 0; }
constexpr bool RopUsesDestination(unsigned index) { return (((index >> 1) ^ index) & 0x55u) != 0; }

// Bits of each result byte that are kept; the pattern repeats every 16 bytes from a span's start,
// which is always a pixel boundary. 32-bit pixels keep their reserved byte 0, 16-bit ones their top bit.
struct ResultMask {
    std::uint8_t bytes[16];
    bool keepsAll;
};
ResultMask MaskForFormat(int bitCount);

}  // namespace gdi32
