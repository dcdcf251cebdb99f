// The pixel formats of DIBs, kept apart from the operations on them: each format reads and writes
// rows as plain values (an index for 1, 4 and 8 bits per pixel, an Rgb colour for the others).
#pragma once

#include <cstdint>

namespace gdi32 {

struct PixelFormat {
    int bitCount;
    bool indexed;
    // out[i] = the value of pixel x + i of the row, for i < n.
    void (*read)(const std::uint8_t* row, int x, int n, std::uint32_t* out);
    // Pixel x + i of the row = in[i], for i < n; other pixels sharing a byte keep their bits.
    void (*write)(std::uint8_t* row, int x, int n, const std::uint32_t* in);
};

// nullptr for a bit count we do not support.
const PixelFormat* FormatFor(int bitCount);

// Pixels that share a byte (8 for 1 bit per pixel, 2 for 4, else 1).
constexpr int PixelsPerByte(int bitCount) { return bitCount < 8 ? 8 / bitCount : 1; }

// The colour a true-colour format stores for `rgb` (16 bits per pixel keeps 5 bits per channel).
std::uint32_t Representable(int bitCount, std::uint32_t rgb);

}  // namespace gdi32
