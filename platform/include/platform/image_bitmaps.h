// What the form run time needs of our GDI: bitmaps it can show, and the device contexts that
// programs draw into them through.
#pragma once

#include <cstdint>
#include <optional>

#include "win32/types.h"

namespace gdi32 {

// A 32-bit, top-down bitmap of width x height (stride width * 4, bytes B, G, R, 0) filled with `fill`;
// nullptr for a size that makes no sense. Its pixels stay at one address for the bitmap's life, so a
// QImage (Format_RGB32) may be laid over them.
HBITMAP CreateImageBitmap(int width, int height, COLORREF fill);

struct BitmapView {
    std::uint8_t* bits;
    int width;
    int height;
    int stride;
    int bitCount;
    bool topDown;
};

// The pixels of a live bitmap (DIB section, image bitmap or the stock 1 x 1 one).
std::optional<BitmapView> ViewOf(HBITMAP bitmap);

// The bitmap selected into a live device context (a new one holds the stock 1 x 1 monochrome
// bitmap); nullptr for a handle that is not a live device context.
HBITMAP CurrentBitmap(HDC dc);

// The gdi32.dll entries the run time calls itself, with the SDK's signatures.
HDC CreateCompatibleDC(HDC hdc);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
BOOL DeleteDC(HDC hdc);
BOOL DeleteObject(HGDIOBJ ho);

}  // namespace gdi32
