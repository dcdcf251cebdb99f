#include "gdi.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>

#include "display_caps.h"
#include "objects.h"
#include "pixel_format.h"
#include "platform/image_bitmaps.h"
#include "rop.h"

namespace gdi32 {
namespace {

constexpr std::size_t kMaxBitmapBytes = std::size_t{1} << 28;

ObjectTable& Objects() { return ObjectTable::Instance(); }
Handle HandleOf(const void* handle) { return reinterpret_cast<Handle>(handle); }
template <typename T>
T As(Handle handle) {
    return reinterpret_cast<T>(handle);
}

// What a BITMAPINFO describes, when it is one we can draw.
struct DibLayout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    int stride = 0;
    std::shared_ptr<const ColorTable> table;
};

DWORD MaskAt(const BITMAPINFO& info, int i) {
    const RGBQUAD& q = info.bmiColors[i];
    return q.rgbBlue | (static_cast<DWORD>(q.rgbGreen) << 8) | (static_cast<DWORD>(q.rgbRed) << 16) |
           (static_cast<DWORD>(q.rgbReserved) << 24);
}

std::optional<DibLayout> ReadDibLayout(const BITMAPINFO* info) {
    if (!info) return std::nullopt;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    // Only the 40-byte header: a longer one would put the colours past where this record has them.
    if (header.biSize != sizeof(BITMAPINFOHEADER) || header.biPlanes != 1) return std::nullopt;
    if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == INT32_MIN) return std::nullopt;
    const int bitCount = header.biBitCount;
    if (!FormatFor(bitCount)) return std::nullopt;
    if (header.biCompression == BI_BITFIELDS) {
        // Only the masks that describe the plain 5-5-5 and 8-8-8 layouts.
        const bool plain16 =
            bitCount == 16 && MaskAt(*info, 0) == 0x7C00 && MaskAt(*info, 1) == 0x03E0 && MaskAt(*info, 2) == 0x001F;
        const bool plain32 =
            bitCount == 32 && MaskAt(*info, 0) == 0xFF0000 && MaskAt(*info, 1) == 0xFF00 && MaskAt(*info, 2) == 0xFF;
        if (!plain16 && !plain32) return std::nullopt;
    } else if (header.biCompression != BI_RGB) {
        return std::nullopt;
    }
    DibLayout layout;
    layout.width = header.biWidth;
    layout.height = std::abs(header.biHeight);
    layout.topDown = header.biHeight < 0;
    layout.bitCount = bitCount;
    const std::size_t stride = StrideFor(layout.width, bitCount);
    if (stride == 0 || stride > kMaxBitmapBytes || stride * static_cast<std::size_t>(layout.height) > kMaxBitmapBytes)
        return std::nullopt;
    layout.stride = static_cast<int>(stride);
    if (bitCount <= 8) {
        const DWORD slots = DWORD{1} << bitCount;
        const DWORD count = header.biClrUsed != 0 ? std::min(header.biClrUsed, slots) : slots;
        Rgb colours[256];
        for (DWORD i = 0; i < count; ++i) {
            const RGBQUAD& q = info->bmiColors[i];
            colours[i] = (static_cast<Rgb>(q.rgbRed) << 16) | (static_cast<Rgb>(q.rgbGreen) << 8) | q.rgbBlue;
        }
        layout.table = MakeColorTable(std::span<const Rgb>(colours, count));
    }
    return layout;
}

// A new bitmap with zeroed pixels; storage is nullptr when memory runs out.
BitmapObject NewBitmap(int width, int height, bool topDown, int bitCount, int stride,
                       std::shared_ptr<const ColorTable> table) {
    BitmapObject bitmap;
    const std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    try {
        bitmap.storage = std::make_unique<std::uint8_t[]>(bytes);
    } catch (const std::bad_alloc&) {
        return bitmap;
    }
    bitmap.table = std::move(table);
    bitmap.view = SurfaceView{bitmap.storage.get(), width, height, stride, bitCount, topDown, bitmap.table.get()};
    return bitmap;
}

const SurfaceView* SurfaceOf(const DeviceContextObject& dc) {
    BitmapObject* bitmap = Objects().FindBitmap(dc.bitmap);
    return bitmap ? &bitmap->view : nullptr;
}

BrushSpec BrushOf(const DeviceContextObject& dc) {
    BrushSpec spec;
    const BrushObject* brush = Objects().FindBrush(dc.brush);
    if (!brush) {
        spec.kind = BrushSpec::Kind::Hollow;
        return spec;
    }
    spec.kind = brush->kind;
    spec.colour = brush->colour;
    spec.pattern = brush->pattern ? &brush->pattern->view : nullptr;
    return spec;
}

// A rectangle given by a corner and signed sizes, as the smaller corner and positive sizes.
void Normalise(long long& start, long long& size) {
    if (size < 0) {
        start += size;
        size = -size;
    }
}

BOOL Blit(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop, bool allowSource) {
    DeviceContextObject* dc = Objects().FindDc(HandleOf(hdc));
    if (!dc) return FALSE;
    const unsigned index = RopIndex(rop);
    BlitSpec spec;
    spec.destination = SurfaceOf(*dc);
    if (!spec.destination) return FALSE;
    if (RopUsesSource(index)) {
        if (!allowSource) return FALSE;
        const DeviceContextObject* source = Objects().FindDc(HandleOf(hdcSrc));
        if (!source) return FALSE;
        spec.source = SurfaceOf(*source);
        if (!spec.source) return FALSE;
        spec.sourceBackground = source->background;
    }
    spec.destX = x;
    spec.destY = y;
    spec.destWidth = cx;
    spec.destHeight = cy;
    spec.srcX = x1;
    spec.srcY = y1;
    // Both rectangles move together when the size is negative, so nothing is mirrored.
    if (spec.destWidth < 0) spec.srcX += spec.destWidth;
    if (spec.destHeight < 0) spec.srcY += spec.destHeight;
    Normalise(spec.destX, spec.destWidth);
    Normalise(spec.destY, spec.destHeight);
    spec.srcWidth = spec.destWidth;
    spec.srcHeight = spec.destHeight;
    spec.rop = index;
    spec.brush = BrushOf(*dc);
    spec.destText = dc->text;
    spec.destBackground = dc->background;
    return RunBlit(spec) ? TRUE : FALSE;
}

}  // namespace

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection, DWORD) {
    if (ppvBits) *ppvBits = nullptr;
    if (usage != DIB_RGB_COLORS || hSection) return nullptr;  // no palettes, no file mappings
    const std::optional<DibLayout> layout = ReadDibLayout(pbmi);
    if (!layout) return nullptr;
    BitmapObject bitmap =
        NewBitmap(layout->width, layout->height, layout->topDown, layout->bitCount, layout->stride, layout->table);
    if (!bitmap.storage) return nullptr;
    std::uint8_t* bits = bitmap.storage.get();
    const Handle handle = Objects().Add(std::move(bitmap));
    if (!handle) return nullptr;
    if (ppvBits) *ppvBits = bits;
    return As<HBITMAP>(handle);
}

HDC CreateCompatibleDC(HDC hdc) {
    if (hdc && !Objects().FindDc(HandleOf(hdc))) return nullptr;
    DeviceContextObject dc;
    dc.bitmap = Objects().StockBitmap();
    dc.brush = Objects().StockBrush(WHITE_BRUSH);
    if (BrushObject* brush = Objects().FindBrush(dc.brush)) ++brush->selections;
    return As<HDC>(Objects().Add(dc));
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
    ObjectTable& objects = Objects();
    const Handle dcHandle = HandleOf(hdc), handle = HandleOf(h);
    DeviceContextObject* dc = objects.FindDc(dcHandle);
    if (!dc) return nullptr;
    if (BitmapObject* bitmap = objects.FindBitmap(handle)) {
        const Handle previous = dc->bitmap;
        if (handle == previous) return h;
        const bool stock = objects.IsStock(handle);
        if (!stock && bitmap->selectedInto != 0) return nullptr;  // a bitmap lives in one device context
        if (BitmapObject* old = objects.FindBitmap(previous)) old->selectedInto = 0;
        if (!stock) bitmap->selectedInto = dcHandle;
        dc->bitmap = handle;
        return As<HGDIOBJ>(previous);
    }
    if (BrushObject* brush = objects.FindBrush(handle)) {
        const Handle previous = dc->brush;
        if (handle == previous) return h;
        if (BrushObject* old = objects.FindBrush(previous)) --old->selections;
        ++brush->selections;
        dc->brush = handle;
        return As<HGDIOBJ>(previous);
    }
    return nullptr;
}

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    return Blit(hdc, x, y, cx, cy, hdcSrc, x1, y1, rop, true);
}

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) { return Blit(hdc, x, y, w, h, nullptr, 0, 0, rop, false); }

int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc, int SrcWidth,
                  int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage, DWORD rop) {
    DeviceContextObject* dc = Objects().FindDc(HandleOf(hdc));
    if (!dc || !lpBits || iUsage != DIB_RGB_COLORS) return 0;
    if (DestWidth == 0 || DestHeight == 0 || SrcWidth == 0 || SrcHeight == 0) return 0;
    const std::optional<DibLayout> layout = ReadDibLayout(lpbmi);
    if (!layout) return 0;
    const SurfaceView source{static_cast<std::uint8_t*>(const_cast<void*>(lpBits)),
                             layout->width,
                             layout->height,
                             layout->stride,
                             layout->bitCount,
                             layout->topDown,
                             layout->table.get()};
    BlitSpec spec;
    spec.destination = SurfaceOf(*dc);
    if (!spec.destination) return 0;
    spec.source = &source;
    spec.destX = xDest;
    spec.destY = yDest;
    spec.destWidth = DestWidth;
    spec.destHeight = DestHeight;
    spec.srcX = xSrc;
    spec.srcY = ySrc;
    spec.srcWidth = SrcWidth;
    spec.srcHeight = SrcHeight;
    spec.mirrorX = (DestWidth < 0) != (SrcWidth < 0);
    spec.mirrorY = (DestHeight < 0) != (SrcHeight < 0);
    Normalise(spec.destX, spec.destWidth);
    Normalise(spec.destY, spec.destHeight);
    Normalise(spec.srcX, spec.srcWidth);
    Normalise(spec.srcY, spec.srcHeight);
    // The source rectangle counts rows from the bottom of a bottom-up DIB.
    if (!layout->topDown) spec.srcY = layout->height - (spec.srcY + spec.srcHeight);
    spec.rop = RopIndex(rop);
    spec.brush = BrushOf(*dc);
    spec.monoByDcColours = false;
    spec.destText = dc->text;
    spec.destBackground = dc->background;
    return RunBlit(spec) ? static_cast<int>(spec.srcHeight) : 0;
}

BOOL DeleteDC(HDC hdc) {
    ObjectTable& objects = Objects();
    const Handle handle = HandleOf(hdc);
    DeviceContextObject* dc = objects.FindDc(handle);
    if (!dc) return FALSE;
    if (BitmapObject* bitmap = objects.FindBitmap(dc->bitmap)) bitmap->selectedInto = 0;
    if (BrushObject* brush = objects.FindBrush(dc->brush)) --brush->selections;
    objects.Remove(handle);
    return TRUE;
}

BOOL DeleteObject(HGDIOBJ ho) {
    ObjectTable& objects = Objects();
    const Handle handle = HandleOf(ho);
    const BitmapObject* bitmap = objects.FindBitmap(handle);
    const BrushObject* brush = objects.FindBrush(handle);
    if (!bitmap && !brush) return FALSE;
    if (objects.IsStock(handle)) return TRUE;  // stock objects stay
    if ((bitmap && bitmap->selectedInto != 0) || (brush && brush->selections > 0)) return FALSE;
    objects.Remove(handle);
    return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
    if (!Objects().FindDc(HandleOf(hdc))) return 0;
    const DisplayCaps caps = CurrentDisplayCaps();
    switch (index) {
        case HORZRES: return caps.width;
        case VERTRES: return caps.height;
        case BITSPIXEL: return caps.bitsPerPixel;
        case PLANES: return 1;
        case NUMCOLORS: return caps.bitsPerPixel <= 8 ? 1 << caps.bitsPerPixel : -1;
        case LOGPIXELSX:
        case LOGPIXELSY: return 96;
        case VREFRESH: return caps.refreshRate;
        default: return 0;
    }
}

HBRUSH CreateSolidBrush(COLORREF color) {
    BrushObject brush;
    brush.kind = BrushSpec::Kind::Solid;
    brush.colour = RgbOf(color & 0xFFFFFFu);
    return As<HBRUSH>(Objects().Add(std::move(brush)));
}

HBRUSH CreatePatternBrush(HBITMAP hbm) {
    const BitmapObject* bitmap = Objects().FindBitmap(HandleOf(hbm));
    if (!bitmap) return nullptr;
    const SurfaceView& view = bitmap->view;
    // The brush keeps its own copy, top row first, so the bitmap may change or go.
    auto copy = std::make_unique<BitmapObject>(
        NewBitmap(view.width, view.height, true, view.bitCount, view.stride, bitmap->table));
    if (!copy->storage) return nullptr;
    for (int y = 0; y < view.height; ++y)
        std::memcpy(copy->view.Row(y), view.Row(y), static_cast<std::size_t>(view.stride));
    BrushObject brush;
    brush.kind = BrushSpec::Kind::Pattern;
    brush.pattern = std::move(copy);
    return As<HBRUSH>(Objects().Add(std::move(brush)));
}

HGDIOBJ GetStockObject(int i) { return As<HGDIOBJ>(Objects().StockBrush(i)); }

COLORREF GetPixel(HDC hdc, int x, int y) {
    const DeviceContextObject* dc = Objects().FindDc(HandleOf(hdc));
    const SurfaceView* surface = dc ? SurfaceOf(*dc) : nullptr;
    if (!surface || x < 0 || y < 0 || x >= surface->width || y >= surface->height) return CLR_INVALID;
    std::uint32_t value;
    FormatFor(surface->bitCount)->read(surface->Row(y), x, 1, &value);
    return ColorRefOf(surface->bitCount <= 8 ? (*surface->table)[static_cast<int>(value)] : value);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    const DeviceContextObject* dc = Objects().FindDc(HandleOf(hdc));
    const SurfaceView* surface = dc ? SurfaceOf(*dc) : nullptr;
    if (!surface || x < 0 || y < 0 || x >= surface->width || y >= surface->height) return CLR_INVALID;
    const Rgb wanted = RgbOf(color & 0xFFFFFFu);
    std::uint32_t value;
    Rgb written;
    if (surface->bitCount <= 8) {
        value = surface->table->Nearest(wanted);
        written = (*surface->table)[static_cast<int>(value)];
    } else {
        value = written = Representable(surface->bitCount, wanted);
    }
    FormatFor(surface->bitCount)->write(surface->Row(y), x, 1, &value);
    return ColorRefOf(written);
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
    DeviceContextObject* dc = Objects().FindDc(HandleOf(hdc));
    if (!dc) return CLR_INVALID;
    const COLORREF previous = ColorRefOf(dc->text);
    dc->text = RgbOf(color & 0xFFFFFFu);
    return previous;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
    DeviceContextObject* dc = Objects().FindDc(HandleOf(hdc));
    if (!dc) return CLR_INVALID;
    const COLORREF previous = ColorRefOf(dc->background);
    dc->background = RgbOf(color & 0xFFFFFFu);
    return previous;
}

HBITMAP CreateImageBitmap(int width, int height, COLORREF fill) {
    if (width <= 0 || height <= 0) return nullptr;
    const std::size_t stride = StrideFor(width, 32);
    if (stride == 0 || stride * static_cast<std::size_t>(height) > kMaxBitmapBytes) return nullptr;
    BitmapObject bitmap = NewBitmap(width, height, true, 32, static_cast<int>(stride), nullptr);
    if (!bitmap.storage) return nullptr;
    const Rgb colour = RgbOf(fill & 0xFFFFFFu);
    std::uint8_t* bits = bitmap.storage.get();
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * static_cast<std::size_t>(height); ++i)
        std::memcpy(bits + 4 * i, &colour, 4);
    return As<HBITMAP>(Objects().Add(std::move(bitmap)));
}

std::optional<BitmapView> ViewOf(HBITMAP bitmap) {
    const BitmapObject* object = Objects().FindBitmap(HandleOf(bitmap));
    if (!object) return std::nullopt;
    const SurfaceView& v = object->view;
    return BitmapView{v.bits, v.width, v.height, v.stride, v.bitCount, v.topDown};
}

HBITMAP CurrentBitmap(HDC dc) {
    const DeviceContextObject* object = Objects().FindDc(HandleOf(dc));
    return object ? As<HBITMAP>(object->bitmap) : nullptr;
}

}  // namespace gdi32
