// The one raster engine behind BitBlt, PatBlt, StretchDIBits and pattern fills: clips, translates
// colours between formats, scales by nearest neighbour and applies any of the 256 raster operations.
#pragma once

#include <cstddef>
#include <cstdint>

#include "color_table.h"

namespace gdi32 {

// Pixels in memory: rows of `stride` bytes, stored top row first or bottom row first. Coordinates
// are always image coordinates, y = 0 the top row.
struct SurfaceView {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    int bitCount = 0;
    bool topDown = true;
    const ColorTable* table = nullptr;  // the colours of an indexed format (1, 4, 8 bits per pixel)

    std::uint8_t* Row(int y) const { return bits + static_cast<std::ptrdiff_t>(topDown ? y : height - 1 - y) * stride; }
    std::size_t Bytes() const { return static_cast<std::size_t>(stride) * static_cast<std::size_t>(height); }
};

// Bytes per row of a DIB: whole 32-bit words; 0 when the numbers make no sense.
std::size_t StrideFor(long long width, int bitCount);

struct BrushSpec {
    enum class Kind { Hollow, Solid, Pattern };
    Kind kind = Kind::Solid;
    Rgb colour = 0xFFFFFF;
    const SurfaceView* pattern = nullptr;  // Kind::Pattern: tiled from the destination's origin
};

struct BlitSpec {
    const SurfaceView* destination = nullptr;
    // Destination rectangle; it may reach past the surface's edges. Sizes are positive.
    long long destX = 0, destY = 0, destWidth = 0, destHeight = 0;
    // Source rectangle (image coordinates); a size unlike the destination's scales by nearest neighbour.
    const SurfaceView* source = nullptr;
    long long srcX = 0, srcY = 0, srcWidth = 0, srcHeight = 0;
    bool mirrorX = false, mirrorY = false;
    unsigned rop = 0xCC;  // the index (byte 2 of the code)
    BrushSpec brush;
    // Device-context blits convert between monochrome and colour with the text and background colours:
    // a 0 bit takes the destination's text colour, a 1 bit its background colour; a colour becomes 1
    // where it equals the source's background colour and 0 elsewhere. Drawing a DIB uses its table.
    bool monoByDcColours = true;
    Rgb destText = 0, destBackground = 0xFFFFFF, sourceBackground = 0xFFFFFF;
};

// Returns false only when a format is not supported; clipped-away work is success.
bool RunBlit(const BlitSpec& spec);

}  // namespace gdi32
