// Handles and object lifetimes, DIB section creation, device capabilities, the export table and the
// run time's bitmap view.
#include <climits>
#include <typeinfo>

#include "gdi32/display_caps.h"
#include "gdi_test_support.h"
#include "platform/exports.h"

using namespace gditest;

namespace {

// Everything that takes a handle, called with one: true when the call failed and changed nothing.
struct HandleUse {
    const char* name;
    std::function<bool(HDC dc, HGDIOBJ object)> failsWith;
};

std::vector<HandleUse> DcUses(HDC goodDc) {
    static std::uint8_t bits[4] = {9, 9, 9, 9};
    static const BITMAPINFO info = Info(1, 1, 8, Ramp(0));
    return {
        {"BitBlt as destination",
         [=](HDC dc, HGDIOBJ) { return !gdi32::BitBlt(dc, 0, 0, 1, 1, goodDc, 0, 0, SRCCOPY); }},
        {"BitBlt as source", [=](HDC dc, HGDIOBJ) { return !gdi32::BitBlt(goodDc, 0, 0, 1, 1, dc, 0, 0, SRCCOPY); }},
        {"PatBlt", [](HDC dc, HGDIOBJ) { return !gdi32::PatBlt(dc, 0, 0, 1, 1, PATCOPY); }},
        {"StretchDIBits",
         [](HDC dc, HGDIOBJ) {
             return gdi32::StretchDIBits(dc, 0, 0, 1, 1, 0, 0, 1, 1, bits, &info, DIB_RGB_COLORS, SRCCOPY) == 0;
         }},
        {"SelectObject", [](HDC dc, HGDIOBJ) { return !gdi32::SelectObject(dc, gdi32::GetStockObject(BLACK_BRUSH)); }},
        {"DeleteDC", [](HDC dc, HGDIOBJ) { return !gdi32::DeleteDC(dc); }},
        {"GetDeviceCaps", [](HDC dc, HGDIOBJ) { return gdi32::GetDeviceCaps(dc, BITSPIXEL) == 0; }},
        {"GetPixel", [](HDC dc, HGDIOBJ) { return gdi32::GetPixel(dc, 0, 0) == CLR_INVALID; }},
        {"SetPixel", [](HDC dc, HGDIOBJ) { return gdi32::SetPixel(dc, 0, 0, 0) == CLR_INVALID; }},
        {"SetTextColor", [](HDC dc, HGDIOBJ) { return gdi32::SetTextColor(dc, 0) == CLR_INVALID; }},
        {"SetBkColor", [](HDC dc, HGDIOBJ) { return gdi32::SetBkColor(dc, 0) == CLR_INVALID; }},
        {"CreateCompatibleDC",
         [](HDC dc, HGDIOBJ) { return dc == nullptr || gdi32::CreateCompatibleDC(dc) == nullptr; }},
        {"CurrentBitmap", [](HDC dc, HGDIOBJ) { return gdi32::CurrentBitmap(dc) == nullptr; }},
    };
}

std::vector<HandleUse> ObjectUses(HDC goodDc) {
    return {
        {"SelectObject", [=](HDC, HGDIOBJ h) { return !gdi32::SelectObject(goodDc, h); }},
        {"DeleteObject", [](HDC, HGDIOBJ h) { return !gdi32::DeleteObject(h); }},
        {"CreatePatternBrush", [](HDC, HGDIOBJ h) { return !gdi32::CreatePatternBrush(static_cast<HBITMAP>(h)); }},
        {"ViewOf", [](HDC, HGDIOBJ h) { return !gdi32::ViewOf(static_cast<HBITMAP>(h)).has_value(); }},
    };
}

TEST(Handles, ZeroStaleForeignAndWrongKindHandlesFailAndChangeNothing) {
    Surface good(2, 2, 32);
    good.SetValue(0, 0, 0x123456);
    HDC staleDc = gdi32::CreateCompatibleDC(nullptr);
    ASSERT_TRUE(gdi32::DeleteDC(staleDc));
    HBITMAP staleBitmap = gdi32::CreateImageBitmap(1, 1, 0);
    ASSERT_TRUE(gdi32::DeleteObject(staleBitmap));
    HBRUSH staleBrush = gdi32::CreateSolidBrush(0);
    ASSERT_TRUE(gdi32::DeleteObject(staleBrush));
    // A new object may take the freed slot; the old handles must still name nothing.
    HDC reused = gdi32::CreateCompatibleDC(nullptr);
    HBITMAP reusedBitmap = gdi32::CreateImageBitmap(1, 1, 0);
    EXPECT_NE(reused, staleDc);
    EXPECT_NE(static_cast<void*>(reusedBitmap), static_cast<void*>(staleBitmap));

    const std::pair<const char*, HDC> badDcs[] = {
        {"zero", nullptr},
        {"stale", staleDc},
        {"bitmap", reinterpret_cast<HDC>(good.bitmap)},
        {"brush", reinterpret_cast<HDC>(gdi32::GetStockObject(WHITE_BRUSH))},
        {"made up", reinterpret_cast<HDC>(std::uintptr_t{0x1234})},
        {"all ones", reinterpret_cast<HDC>(~std::uintptr_t{0})},
        {"a real pointer", reinterpret_cast<HDC>(&good)},
    };
    for (const HandleUse& use : DcUses(good.dc))
        for (const auto& [what, dc] : badDcs) EXPECT_TRUE(use.failsWith(dc, nullptr)) << use.name << " with " << what;

    const std::pair<const char*, HGDIOBJ> badObjects[] = {
        {"zero", nullptr},
        {"stale bitmap", staleBitmap},
        {"stale brush", staleBrush},
        {"device context", good.dc},
        {"made up", reinterpret_cast<HGDIOBJ>(std::uintptr_t{0x4242})},
        {"all ones", reinterpret_cast<HGDIOBJ>(~std::uintptr_t{0})},
    };
    for (const HandleUse& use : ObjectUses(good.dc))
        for (const auto& [what, object] : badObjects)
            EXPECT_TRUE(use.failsWith(nullptr, object)) << use.name << " with " << what;

    EXPECT_EQ(good.Value(0, 0), 0x123456u);
    EXPECT_EQ(gdi32::CurrentBitmap(good.dc), good.bitmap);
    EXPECT_TRUE(gdi32::DeleteDC(reused));
    EXPECT_TRUE(gdi32::DeleteObject(reusedBitmap));
}

TEST(Handles, ManyObjectsComeAndGoWithoutReusingAHandle) {
    std::vector<HDC> seen;
    for (int i = 0; i < 2000; ++i) {
        HDC dc = gdi32::CreateCompatibleDC(nullptr);
        ASSERT_NE(dc, nullptr);
        seen.push_back(dc);
        ASSERT_TRUE(gdi32::DeleteDC(dc));
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());
    for (HDC dc : seen) ASSERT_EQ(gdi32::GetDeviceCaps(dc, PLANES), 0);
}

TEST(Selection, MemoryDcStartsWithTheStockMonochromeBitmap) {
    HDC dc = gdi32::CreateCompatibleDC(nullptr);
    HBITMAP stock = gdi32::CurrentBitmap(dc);
    ASSERT_NE(stock, nullptr);
    const auto view = gdi32::ViewOf(stock);
    ASSERT_TRUE(view.has_value());
    EXPECT_EQ(view->width, 1);
    EXPECT_EQ(view->height, 1);
    EXPECT_EQ(view->bitCount, 1);
    // Every memory DC starts with the same one; deleting it does nothing.
    HDC other = gdi32::CreateCompatibleDC(dc);
    EXPECT_EQ(gdi32::CurrentBitmap(other), stock);
    EXPECT_TRUE(gdi32::DeleteObject(stock));
    EXPECT_TRUE(gdi32::ViewOf(stock).has_value());
    EXPECT_TRUE(gdi32::PatBlt(dc, 0, 0, 1, 1, WHITENESS));
    EXPECT_EQ(gdi32::GetPixel(dc, 0, 0), RGB(255, 255, 255));
    gdi32::DeleteDC(other);
    gdi32::DeleteDC(dc);
}

TEST(Selection, ABitmapLivesInOneDcAndCannotBeDeletedThere) {
    void* bits = nullptr;
    const BITMAPINFO info = Info(3, 3, 8, Ramp(0));
    HBITMAP bitmap = gdi32::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC first = gdi32::CreateCompatibleDC(nullptr), second = gdi32::CreateCompatibleDC(nullptr);
    HGDIOBJ stock = gdi32::SelectObject(first, bitmap);
    EXPECT_EQ(stock, gdi32::CurrentBitmap(second));
    EXPECT_EQ(gdi32::SelectObject(first, bitmap), bitmap);    // already there: no change
    EXPECT_EQ(gdi32::SelectObject(second, bitmap), nullptr);  // held by another DC
    EXPECT_EQ(gdi32::CurrentBitmap(second), stock);
    EXPECT_FALSE(gdi32::DeleteObject(bitmap));  // still selected: nothing freed
    EXPECT_TRUE(gdi32::PatBlt(first, 0, 0, 3, 3, WHITENESS));
    EXPECT_EQ(static_cast<std::uint8_t*>(bits)[0], 255);

    // Deleting the DC frees the DC, not the bitmap, which may then go elsewhere.
    EXPECT_TRUE(gdi32::DeleteDC(first));
    EXPECT_EQ(gdi32::SelectObject(second, bitmap), stock);
    EXPECT_EQ(gdi32::GetPixel(second, 2, 2), RGB(255, 0, 0));
    EXPECT_EQ(gdi32::SelectObject(second, stock), bitmap);
    EXPECT_TRUE(gdi32::DeleteObject(bitmap));
    EXPECT_FALSE(gdi32::DeleteObject(bitmap));
    EXPECT_EQ(gdi32::SelectObject(second, bitmap), nullptr);
    EXPECT_TRUE(gdi32::DeleteDC(second));
}

TEST(Selection, BrushesSwapAndASelectedBrushStays) {
    HDC dc = gdi32::CreateCompatibleDC(nullptr);
    HBRUSH red = gdi32::CreateSolidBrush(RGB(255, 0, 0));
    EXPECT_EQ(gdi32::SelectObject(dc, red), gdi32::GetStockObject(WHITE_BRUSH));
    EXPECT_FALSE(gdi32::DeleteObject(red));
    HDC other = gdi32::CreateCompatibleDC(nullptr);
    EXPECT_EQ(gdi32::SelectObject(other, red), gdi32::GetStockObject(WHITE_BRUSH));  // brushes may be shared
    EXPECT_EQ(gdi32::SelectObject(dc, gdi32::GetStockObject(BLACK_BRUSH)), red);
    EXPECT_FALSE(gdi32::DeleteObject(red));
    EXPECT_TRUE(gdi32::DeleteDC(other));  // lets go of it
    EXPECT_TRUE(gdi32::DeleteObject(red));
    EXPECT_TRUE(gdi32::DeleteObject(gdi32::GetStockObject(BLACK_BRUSH)));  // stock: nothing happens
    EXPECT_TRUE(gdi32::PatBlt(dc, 0, 0, 1, 1, PATCOPY));
    EXPECT_EQ(gdi32::GetStockObject(99), nullptr);
    EXPECT_EQ(gdi32::GetStockObject(-1), nullptr);
    gdi32::DeleteDC(dc);
}

struct HeaderCase {
    const char* name;
    std::function<void(BITMAPINFO&)> change;
    UINT usage = DIB_RGB_COLORS;
    HANDLE section = nullptr;
};

TEST(CreateDIBSection, RejectsWhatItCannotMake) {
    const HeaderCase cases[] = {
        {"zero width", [](BITMAPINFO& i) { i.bmiHeader.biWidth = 0; }},
        {"negative width", [](BITMAPINFO& i) { i.bmiHeader.biWidth = -5; }},
        {"zero height", [](BITMAPINFO& i) { i.bmiHeader.biHeight = 0; }},
        {"lowest height", [](BITMAPINFO& i) { i.bmiHeader.biHeight = INT_MIN; }},
        {"2 bits", [](BITMAPINFO& i) { i.bmiHeader.biBitCount = 2; }},
        {"0 bits", [](BITMAPINFO& i) { i.bmiHeader.biBitCount = 0; }},
        {"64 bits", [](BITMAPINFO& i) { i.bmiHeader.biBitCount = 64; }},
        {"run-length", [](BITMAPINFO& i) { i.bmiHeader.biCompression = BI_RLE8; }},
        {"bit fields on 8 bits", [](BITMAPINFO& i) { i.bmiHeader.biCompression = BI_BITFIELDS; }},
        {"5-6-5 fields",
         [](BITMAPINFO& i) {
             i.bmiHeader.biBitCount = 16;
             i.bmiHeader.biCompression = BI_BITFIELDS;
             const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
             std::memcpy(i.bmiColors, masks, sizeof masks);
         }},
        {"core header", [](BITMAPINFO& i) { i.bmiHeader.biSize = 12; }},
        {"two planes", [](BITMAPINFO& i) { i.bmiHeader.biPlanes = 2; }},
        {"overflowing size",
         [](BITMAPINFO& i) {
             i.bmiHeader.biWidth = 1 << 30;
             i.bmiHeader.biHeight = 1 << 30;
             i.bmiHeader.biBitCount = 32;
         }},
        {"widest row",
         [](BITMAPINFO& i) {
             i.bmiHeader.biWidth = INT_MAX;
             i.bmiHeader.biBitCount = 32;
         }},
        {"over 256 MiB",
         [](BITMAPINFO& i) {
             i.bmiHeader.biWidth = 8193;
             i.bmiHeader.biHeight = -8192;
             i.bmiHeader.biBitCount = 32;
         }},
        {"palette indices", [](BITMAPINFO&) {}, DIB_PAL_COLORS},
        {"file mapping", [](BITMAPINFO&) {}, DIB_RGB_COLORS, reinterpret_cast<HANDLE>(std::uintptr_t{0x10})},
    };
    for (const HeaderCase& c : cases) {
        BITMAPINFO info = Info(10, 10, 8, Ramp(0));
        c.change(info);
        void* bits = reinterpret_cast<void*>(std::uintptr_t{1});
        EXPECT_EQ(gdi32::CreateDIBSection(nullptr, &info, c.usage, &bits, c.section, 0), nullptr) << c.name;
        EXPECT_EQ(bits, nullptr) << c.name;
    }
    EXPECT_EQ(gdi32::CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
}

TEST(CreateDIBSection, MakesZeroedPaddedBitsOfEveryFormat) {
    struct Case {
        int width, height, bitCount;
        int stride;
    };
    const Case cases[] = {{13, 5, 1, 4}, {33, 2, 1, 8},  {9, 3, 4, 8},    {5, -4, 8, 8}, {200, 200, 8, 200},
                          {3, 3, 16, 8}, {5, 2, 24, 16}, {7, -7, 32, 28}, {1, 1, 24, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bitCount) + " bits " + std::to_string(c.width));
        const BITMAPINFO info = Info(c.width, c.height, c.bitCount, Ramp(1));
        void* bits = nullptr;
        // Any device context will do with DIB_RGB_COLORS, even one that does not exist.
        HBITMAP bitmap = gdi32::CreateDIBSection(reinterpret_cast<HDC>(std::uintptr_t{0x99}), &info, DIB_RGB_COLORS,
                                                 &bits, nullptr, 0);
        ASSERT_NE(bitmap, nullptr);
        const auto view = gdi32::ViewOf(bitmap);
        ASSERT_TRUE(view.has_value());
        EXPECT_EQ(view->bits, bits);
        EXPECT_EQ(view->stride, c.stride);
        EXPECT_EQ(view->width, c.width);
        EXPECT_EQ(view->height, std::abs(c.height));
        EXPECT_EQ(view->topDown, c.height < 0);
        EXPECT_EQ(view->bitCount, c.bitCount);
        const auto* bytes = static_cast<const std::uint8_t*>(bits);
        EXPECT_TRUE(std::all_of(bytes, bytes + c.stride * std::abs(c.height), [](std::uint8_t b) { return b == 0; }));
        EXPECT_TRUE(gdi32::DeleteObject(bitmap));
    }
    // The standard bit fields are the plain formats.
    BITMAPINFO fields = Info(2, 2, 32);
    fields.bmiHeader.biCompression = BI_BITFIELDS;
    const DWORD masks[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    std::memcpy(fields.bmiColors, masks, sizeof masks);
    HBITMAP bitmap = gdi32::CreateDIBSection(nullptr, &fields, DIB_RGB_COLORS, nullptr, nullptr, 0);
    EXPECT_NE(bitmap, nullptr);
    gdi32::DeleteObject(bitmap);
}

// The colour table is copied: changing the record afterwards changes nothing.
TEST(CreateDIBSection, CopiesTheColourTable) {
    BITMAPINFO info = Info(2, 1, 8, Ramp(0));
    void* bits = nullptr;
    HBITMAP bitmap = gdi32::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    info.bmiColors[5].rgbRed = 99;
    HDC dc = gdi32::CreateCompatibleDC(nullptr);
    gdi32::SelectObject(dc, bitmap);
    static_cast<std::uint8_t*>(bits)[0] = 5;
    EXPECT_EQ(gdi32::GetPixel(dc, 0, 0), RGB(5, 0, 0));
    gdi32::DeleteDC(dc);
    gdi32::DeleteObject(bitmap);
}

gdi32::DisplayCaps TestDisplay() { return {16, 1600, 900, 75}; }

TEST(GetDeviceCaps, ReportsTheDisplayForAnyValidDc) {
    HDC dc = gdi32::CreateCompatibleDC(nullptr);
    EXPECT_EQ(gdi32::GetDeviceCaps(dc, BITSPIXEL), 32);  // defaults without a provider
    EXPECT_EQ(gdi32::GetDeviceCaps(dc, HORZRES), 1024);
    gdi32::SetDisplayCapsProvider(TestDisplay);
    const std::pair<int, int> expected[] = {{BITSPIXEL, 16},  {HORZRES, 1600}, {VERTRES, 900},
                                            {VREFRESH, 75},   {PLANES, 1},     {LOGPIXELSX, 96},
                                            {LOGPIXELSY, 96}, {NUMCOLORS, -1}, {12345, 0}};
    for (const auto& [index, value] : expected) EXPECT_EQ(gdi32::GetDeviceCaps(dc, index), value) << index;
    EXPECT_EQ(gdi32::GetDeviceCaps(nullptr, BITSPIXEL), 0);
    gdi32::SetDisplayCapsProvider(nullptr);
    EXPECT_EQ(gdi32::GetDeviceCaps(dc, VERTRES), 768);
    gdi32::DeleteDC(dc);
}

template <typename Function>
void ExpectExport(const char* name, Function* function) {
    const platform::BindResult found = platform::FindExport("GDI32", name, typeid(Function));
    EXPECT_EQ(found.failure, platform::BindFailure::None) << name;
    EXPECT_EQ(found.function, reinterpret_cast<platform::AnyFunction>(function)) << name;
}

TEST(Exports, EveryEntryBindsByNameWithItsSdkSignature) {
    ExpectExport("CreateDIBSection", &gdi32::CreateDIBSection);
    ExpectExport("CreateCompatibleDC", &gdi32::CreateCompatibleDC);
    ExpectExport("SelectObject", &gdi32::SelectObject);
    ExpectExport("BitBlt", &gdi32::BitBlt);
    ExpectExport("StretchDIBits", &gdi32::StretchDIBits);
    ExpectExport("DeleteDC", &gdi32::DeleteDC);
    ExpectExport("DeleteObject", &gdi32::DeleteObject);
    ExpectExport("GetDeviceCaps", &gdi32::GetDeviceCaps);
    ExpectExport("CreateSolidBrush", &gdi32::CreateSolidBrush);
    ExpectExport("CreatePatternBrush", &gdi32::CreatePatternBrush);
    ExpectExport("GetStockObject", &gdi32::GetStockObject);
    ExpectExport("PatBlt", &gdi32::PatBlt);
    ExpectExport("GetPixel", &gdi32::GetPixel);
    ExpectExport("SetPixel", &gdi32::SetPixel);
    ExpectExport("SetTextColor", &gdi32::SetTextColor);
    ExpectExport("SetBkColor", &gdi32::SetBkColor);
    using BitBltWithLongs = BOOL(HDC, long, long, long, long, HDC, long, long, DWORD);
    EXPECT_EQ(platform::FindExport("gdi32.dll", "BitBlt", typeid(BitBltWithLongs)).failure,
              platform::BindFailure::WrongSignature);
    EXPECT_EQ(platform::FindExport("gdi32.dll", "bitblt", typeid(decltype(gdi32::BitBlt))).failure,
              platform::BindFailure::NoEntry);
}

TEST(ImageBitmap, TopDownRgb32OverStableMemory) {
    HBITMAP image = gdi32::CreateImageBitmap(3, 2, RGB(10, 20, 30));
    ASSERT_NE(image, nullptr);
    const auto view = gdi32::ViewOf(image);
    ASSERT_TRUE(view.has_value());
    EXPECT_EQ(view->stride, 12);
    EXPECT_TRUE(view->topDown);
    EXPECT_EQ(view->bitCount, 32);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(view->bits[4 * i + 0], 30);
        EXPECT_EQ(view->bits[4 * i + 1], 20);
        EXPECT_EQ(view->bits[4 * i + 2], 10);
        EXPECT_EQ(view->bits[4 * i + 3], 0);
    }
    HDC dc = gdi32::CreateCompatibleDC(nullptr);
    gdi32::SelectObject(dc, image);
    gdi32::SetPixel(dc, 2, 0, RGB(1, 2, 3));  // row 0 is the first row in memory
    EXPECT_EQ(view->bits[8], 3);
    EXPECT_EQ(gdi32::CurrentBitmap(dc), image);
    EXPECT_EQ(gdi32::ViewOf(image)->bits, view->bits);
    gdi32::DeleteDC(dc);
    EXPECT_TRUE(gdi32::DeleteObject(image));
    EXPECT_FALSE(gdi32::ViewOf(image).has_value());
    for (const auto& [w, h] : {std::pair{0, 5}, {5, 0}, {-1, 5}, {5, -1}, {1 << 20, 1 << 20}})
        EXPECT_EQ(gdi32::CreateImageBitmap(w, h, 0), nullptr) << w << "x" << h;
}

}  // namespace
