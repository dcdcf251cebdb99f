// Clipping, work on one surface, StretchDIBits, and the blend demo's whole sequence of operations.
#include <climits>

#include "blend_sequence.h"
#include "gdi_test_support.h"

using namespace gditest;

namespace {

struct ClipCase {
    const char* name;
    int x, y, cx, cy, x1, y1;
};

const ClipCase kClipCases[] = {
    {"whole source", 0, 0, 12, 10, 0, 0},
    {"destination off the top left", -3, -2, 12, 10, 0, 0},
    {"destination past the bottom right", 15, 12, 12, 10, 0, 0},
    {"source off the top left", 2, 3, 12, 10, -4, -5},
    {"source past its edges", 2, 3, 12, 10, 8, 7},
    {"negative sizes", 9, 8, -4, -3, 6, 6},
    {"zero width", 0, 0, 0, 5, 0, 0},
    {"far outside", -100, -100, 5, 5, 0, 0},
    {"huge size", 1, 1, INT_MAX, INT_MAX, 0, 0},
    {"extreme corner", INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0},
    {"extreme source", 3, 3, 100, 100, INT_MIN + 5, INT_MAX - 5},
    {"extreme negative size", 5, 5, INT_MIN, INT_MIN, 0, 0},
};

// Pixel (X, Y) of the destination takes source (X - x + x1, Y - y + y1) when both lie inside their
// surfaces and inside the rectangle; everything else keeps its value.
TEST(Clipping, BlitsTouchOnlyPixelsInsideBothSurfaces) {
    std::mt19937 random(3);
    const Table table = Ramp(0);
    for (const int bitCount : {8, 32, 1}) {
        for (const ClipCase& c : kClipCases) {
            SCOPED_TRACE(std::string(c.name) + " bits " + std::to_string(bitCount));
            Surface dst(Info(20, 15, bitCount, bitCount == 1 ? Table{0, 0xFFFFFF} : table));
            Surface src(Info(12, 10, bitCount, bitCount == 1 ? Table{0, 0xFFFFFF} : table));
            dst.FillRandom(random);
            src.FillRandom(random);
            std::vector<std::uint32_t> before;
            for (int y = 0; y < 15; ++y)
                for (int x = 0; x < 20; ++x) before.push_back(dst.Value(x, y) & ValueMask(bitCount));
            ASSERT_TRUE(gdi32::BitBlt(dst.dc, c.x, c.y, c.cx, c.cy, src.dc, c.x1, c.y1, SRCCOPY));
            long long x = c.x, y = c.y, w = c.cx, h = c.cy, x1 = c.x1, y1 = c.y1;
            if (w < 0) {
                x += w;
                x1 += w;
                w = -w;
            }
            if (h < 0) {
                y += h;
                y1 += h;
                h = -h;
            }
            for (int Y = 0; Y < 15; ++Y)
                for (int X = 0; X < 20; ++X) {
                    const long long sx = X - x + x1, sy = Y - y + y1;
                    const bool copied =
                        X >= x && X < x + w && Y >= y && Y < y + h && sx >= 0 && sx < 12 && sy >= 0 && sy < 10;
                    const std::uint32_t expected =
                        copied ? src.Value(static_cast<int>(sx), static_cast<int>(sy)) & ValueMask(bitCount)
                               : before[static_cast<std::size_t>(Y * 20 + X)];
                    ASSERT_EQ(dst.Value(X, Y) & ValueMask(bitCount), expected) << X << "," << Y;
                }
            // A pattern fill clips to the destination alone.
            std::vector<std::uint32_t> beforeFill;
            for (int Y = 0; Y < 15; ++Y)
                for (int X = 0; X < 20; ++X) beforeFill.push_back(dst.Value(X, Y) & ValueMask(bitCount));
            ASSERT_TRUE(gdi32::PatBlt(dst.dc, c.x, c.y, c.cx, c.cy, DSTINVERT));
            for (int Y = 0; Y < 15; ++Y)
                for (int X = 0; X < 20; ++X) {
                    const bool inside = X >= x && X < x + w && Y >= y && Y < y + h;
                    const std::uint32_t old = beforeFill[static_cast<std::size_t>(Y * 20 + X)];
                    ASSERT_EQ(dst.Value(X, Y) & ValueMask(bitCount), inside ? ~old & ValueMask(bitCount) : old);
                }
        }
    }
}

// One surface as both source and destination: every pixel is computed from the values before the call.
TEST(SameSurface, OverlappingBlitsReadTheOldPixels) {
    std::mt19937 random(4);
    const std::pair<int, int> shifts[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {3, 2}, {-2, -3}, {0, 0}};
    for (const int bitCount : {4, 8, 24, 32}) {
        for (const DWORD rop : {SRCCOPY, SRCINVERT, SRCPAINT}) {
            for (const auto& [dx, dy] : shifts) {
                SCOPED_TRACE(std::to_string(bitCount) + " " + std::to_string(dx) + "," + std::to_string(dy));
                Surface s(Info(17, 9, bitCount, bitCount <= 8 ? Ramp(1) : Table{}));
                s.FillRandom(random);
                std::vector<std::uint32_t> before;
                for (int y = 0; y < 9; ++y)
                    for (int x = 0; x < 17; ++x) before.push_back(s.Value(x, y) & ValueMask(bitCount));
                ASSERT_TRUE(gdi32::BitBlt(s.dc, dx, dy, 17, 9, s.dc, 0, 0, rop));
                for (int y = 0; y < 9; ++y)
                    for (int x = 0; x < 17; ++x) {
                        const std::uint32_t d = before[static_cast<std::size_t>(y * 17 + x)];
                        const int sx = x - dx, sy = y - dy;
                        std::uint32_t expected = d;
                        if (sx >= 0 && sx < 17 && sy >= 0 && sy < 9)
                            expected = RopReference(rop >> 16, 0, before[static_cast<std::size_t>(sy * 17 + sx)], d) &
                                       ValueMask(bitCount);
                        ASSERT_EQ(s.Value(x, y) & ValueMask(bitCount), expected) << x << "," << y;
                    }
            }
        }
    }
}

// Redrawing a plane's own bits through another table, as the demo halves and doubles its planes.
TEST(StretchDIBits, InPlaceThroughHalvingAndDoublingTables) {
    for (int channel = 0; channel < 3; ++channel) {
        for (const bool halving : {true, false}) {
            Surface plane(200, 200, 8, Ramp(channel));
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 200; ++x) plane.SetValue(x, y, static_cast<std::uint32_t>((x * 7 + y * 13) & 255));
            const BITMAPINFO through = Info(200, 200, 8, Ramp(channel, halving ? Halve : Double));
            ASSERT_EQ(gdi32::StretchDIBits(plane.dc, 0, 0, 200, 200, 0, 0, 200, 200, plane.bits, &through,
                                           DIB_RGB_COLORS, SRCCOPY),
                      200);
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 200; ++x) {
                    const int v = (x * 7 + y * 13) & 255;
                    ASSERT_EQ(plane.Value(x, y), static_cast<std::uint32_t>(halving ? Halve(v) : Double(v)))
                        << "value " << v << " channel " << channel;
                }
        }
    }
    EXPECT_EQ(Halve(1), 0);
    EXPECT_EQ(Halve(3), 2);
    EXPECT_EQ(Halve(255), 128);
    EXPECT_EQ(Halve(254), 127);
}

// Drawing a surface's own bits one pixel to the right still reads every pixel's old value.
TEST(StretchDIBits, OverlappingShiftedSourceReadsOldValues) {
    Surface plane(31, 5, 8, Ramp(0));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 31; ++x) plane.SetValue(x, y, static_cast<std::uint32_t>(x + 40 * y));
    const BITMAPINFO info = Info(31, 5, 8, Ramp(0));
    ASSERT_EQ(gdi32::StretchDIBits(plane.dc, 1, 1, 31, 5, 0, 0, 31, 5, plane.bits, &info, DIB_RGB_COLORS, SRCCOPY), 5);
    for (int y = 1; y < 5; ++y)
        for (int x = 1; x < 31; ++x) ASSERT_EQ(plane.Value(x, y), static_cast<std::uint32_t>(x - 1 + 40 * (y - 1)));
}

// A top-down 8-bit source of distinct values 10 * y + x, drawn scaled, mirrored and in part.
TEST(StretchDIBits, ScalesMirrorsAndCountsSourceRowsFromTheBottom) {
    struct Case {
        const char* name;
        int sourceHeightSign;  // -1 top-down, 1 bottom-up
        int xd, yd, wd, hd, xs, ys, ws, hs;
        int destWidth, destHeight;
        std::function<int(int, int)> expected;  // value at dest (x, y), -1 untouched
    };
    const Case cases[] = {
        {"1:1", -1, 0, 0, 4, 3, 0, 0, 4, 3, 4, 3, [](int x, int y) { return 10 * y + x; }},
        {"doubled", -1, 0, 0, 8, 6, 0, 0, 4, 3, 8, 6, [](int x, int y) { return 10 * (y / 2) + x / 2; }},
        {"halved", -1, 0, 0, 2, 1, 0, 0, 4, 3, 2, 1, [](int x, int) { return 10 * 1 + 2 * x + 1; }},
        {"mirrored across", -1, 4, 0, -4, 3, 0, 0, 4, 3, 4, 3, [](int x, int y) { return 10 * y + 3 - x; }},
        {"mirrored by the source", -1, 0, 0, 4, 3, 0, 3, 4, -3, 4, 3, [](int x, int y) { return 10 * (2 - y) + x; }},
        {"top-down part", -1, 0, 0, 2, 2, 1, 1, 2, 2, 3, 3,
         [](int x, int y) { return x < 2 && y < 2 ? 10 * (y + 1) + x + 1 : -1; }},
        // Bottom-up: row 0 of the DIB is the bottom one, so ys = 0 and 2 rows are the lowest two.
        {"bottom-up part", 1, 0, 0, 4, 2, 0, 0, 4, 2, 4, 3, [](int x, int y) { return y < 2 ? 10 * (y + 1) + x : -1; }},
        {"clipped", -1, -1, 2, 4, 3, 0, 0, 4, 3, 4, 3, [](int x, int y) { return y == 2 && x < 3 ? x + 1 : -1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint8_t bits[3][4];
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                bits[y][x] = static_cast<std::uint8_t>(10 * (c.sourceHeightSign < 0 ? y : 2 - y) + x);
        const BITMAPINFO info = Info(4, 3 * c.sourceHeightSign, 8, Ramp(2));
        Surface dst(Info(c.destWidth, -c.destHeight, 8, Ramp(2)));
        std::memset(dst.bits, 0xEE, static_cast<std::size_t>(dst.stride * c.destHeight));
        ASSERT_EQ(gdi32::StretchDIBits(dst.dc, c.xd, c.yd, c.wd, c.hd, c.xs, c.ys, c.ws, c.hs, bits, &info,
                                       DIB_RGB_COLORS, SRCCOPY),
                  std::abs(c.hs));
        for (int y = 0; y < c.destHeight; ++y)
            for (int x = 0; x < c.destWidth; ++x) {
                const int e = c.expected(x, y);
                EXPECT_EQ(dst.Value(x, y), e < 0 ? 0xEEu : static_cast<std::uint32_t>(e)) << x << "," << y;
            }
    }
}

// A DIB is read through its own colour table, even a monochrome one, in any format.
TEST(StretchDIBits, SourcesOfEveryFormatUseTheirOwnTable) {
    std::mt19937 random(8);
    for (const int bitCount : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bitCount);
        const Table table = bitCount <= 8 ? RandomTable(random, 1 << bitCount) : Table{};
        Surface src(Info(13, 4, bitCount, table));
        src.FillRandom(random);
        Surface dst(13, 4, 32);
        gdi32::SetTextColor(dst.dc, RGB(1, 2, 3));
        gdi32::SetBkColor(dst.dc, RGB(4, 5, 6));
        const BITMAPINFO info = Info(13, 4, bitCount, table);
        ASSERT_EQ(gdi32::StretchDIBits(dst.dc, 0, 0, 13, 4, 0, 0, 13, 4, src.bits, &info, DIB_RGB_COLORS, SRCCOPY), 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 13; ++x) {
                const std::uint32_t v = src.Value(x, y) & ValueMask(bitCount);
                ASSERT_EQ(dst.Value(x, y), bitCount <= 8 ? table[v] : ColourOfTrueValue(bitCount, v));
            }
    }
}

TEST(StretchDIBits, FailsWithoutDrawingOnBadArguments) {
    Surface dst(4, 4, 8, Ramp(0));
    std::uint8_t bits[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const BITMAPINFO good = Info(4, 4, 8, Ramp(0));
    BITMAPINFO badHeader = good;
    badHeader.bmiHeader.biSize = 12;
    BITMAPINFO badCount = good;
    badCount.bmiHeader.biBitCount = 7;
    BITMAPINFO rle = good;
    rle.bmiHeader.biCompression = BI_RLE8;
    EXPECT_EQ(gdi32::StretchDIBits(nullptr, 0, 0, 4, 4, 0, 0, 4, 4, bits, &good, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(gdi32::StretchDIBits(dst.dc, 0, 0, 4, 4, 0, 0, 4, 4, nullptr, &good, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(gdi32::StretchDIBits(dst.dc, 0, 0, 4, 4, 0, 0, 4, 4, bits, nullptr, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(gdi32::StretchDIBits(dst.dc, 0, 0, 4, 4, 0, 0, 4, 4, bits, &good, DIB_PAL_COLORS, SRCCOPY), 0);
    EXPECT_EQ(gdi32::StretchDIBits(dst.dc, 0, 0, 4, 4, 0, 0, 4, 4, bits, &badHeader, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(gdi32::StretchDIBits(dst.dc, 0, 0, 4, 4, 0, 0, 4, 4, bits, &badCount, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(gdi32::StretchDIBits(dst.dc, 0, 0, 4, 4, 0, 0, 4, 4, bits, &rle, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(gdi32::StretchDIBits(dst.dc, 0, 0, 0, 4, 0, 0, 4, 4, bits, &good, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(gdi32::StretchDIBits(dst.dc, 0, 0, 4, 4, 0, 0, 4, 0, bits, &good, DIB_RGB_COLORS, SRCCOPY), 0);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(dst.bits[i], 0);
    EXPECT_EQ(gdi32::StretchDIBits(dst.dc, 0, 0, 4, 4, 0, 0, 4, 4, bits, &good, DIB_RGB_COLORS, SRCCOPY), 4);
    EXPECT_EQ(dst.Value(0, 3), 1u);  // bottom-up source and destination: same memory order
}

// The channel adder on 8-bit planes for every pair of halved values: 7 carry passes and a closing
// exclusive or give x + y, and 255 for 128 + 128 through the saturating doubling table.
TEST(BlendAdder, AddsEveryPairOfHalvedValues) {
    constexpr int N = 129;  // rows of 129 bytes are padded to 132
    for (int channel = 0; channel < 3; ++channel) {
        Surface a(N, N, 8, Ramp(channel)), b(N, N, 8, Ramp(channel)), t(N, N, 8, Ramp(channel));
        for (int y = 0; y < N; ++y)
            for (int x = 0; x < N; ++x) {
                a.SetValue(x, y, static_cast<std::uint32_t>(x));
                b.SetValue(x, y, static_cast<std::uint32_t>(y));
            }
        const BITMAPINFO doubling = Info(N, N, 8, Ramp(channel, Double));
        int bitBlts = 0, stretches = 0;
        for (int pass = 0; pass < 8; ++pass) {
            Surface& x = pass % 2 == 0 ? t : b;
            Surface& y = pass % 2 == 0 ? b : t;
            ASSERT_TRUE(gdi32::BitBlt(x.dc, 0, 0, N, N, a.dc, 0, 0, SRCCOPY));
            ASSERT_TRUE(gdi32::BitBlt(x.dc, 0, 0, N, N, y.dc, 0, 0, SRCINVERT));
            bitBlts += 2;
            if (pass == 7) break;
            ASSERT_TRUE(gdi32::BitBlt(a.dc, 0, 0, N, N, y.dc, 0, 0, SRCAND));
            ASSERT_EQ(gdi32::StretchDIBits(a.dc, 0, 0, N, N, 0, 0, N, N, a.bits, &doubling, DIB_RGB_COLORS, SRCCOPY),
                      N);
            ++bitBlts;
            ++stretches;
        }
        EXPECT_EQ(bitBlts, 23);
        EXPECT_EQ(stretches, 7);
        for (int y = 0; y < N; ++y)
            for (int x = 0; x < N; ++x)
                ASSERT_EQ(b.Value(x, y), static_cast<std::uint32_t>(x + y > 255 ? 255 : x + y)) << x << "+" << y;
    }
}

// The three sum planes combine into a 32-bit picture: a copy of red, then green and blue or-ed in.
TEST(BlendAdder, ComposesThreeRampPlanesIntoColour) {
    std::mt19937 random(12);
    Surface red(40, 30, 8, Ramp(0)), green(40, 30, 8, Ramp(1)), blue(40, 30, 8, Ramp(2));
    red.FillRandom(random);
    green.FillRandom(random);
    blue.FillRandom(random);
    HBITMAP image = gdi32::CreateImageBitmap(40, 30, RGB(255, 255, 255));
    HDC dc3 = gdi32::CreateCompatibleDC(nullptr);
    HGDIOBJ old = gdi32::SelectObject(dc3, image);
    ASSERT_TRUE(gdi32::BitBlt(dc3, 0, 0, 40, 30, red.dc, 0, 0, SRCCOPY));
    ASSERT_TRUE(gdi32::BitBlt(dc3, 0, 0, 40, 30, green.dc, 0, 0, SRCPAINT));
    ASSERT_TRUE(gdi32::BitBlt(dc3, 0, 0, 40, 30, blue.dc, 0, 0, SRCPAINT));
    const gdi32::BitmapView view = *gdi32::ViewOf(image);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const std::uint8_t* p = view.bits + y * view.stride + 4 * x;
            ASSERT_EQ(p[2], red.Value(x, y));
            ASSERT_EQ(p[1], green.Value(x, y));
            ASSERT_EQ(p[0], blue.Value(x, y));
            ASSERT_EQ(p[3], 0);
        }
    gdi32::SelectObject(dc3, old);
    gdi32::DeleteDC(dc3);
    gdi32::DeleteObject(image);
}

// The demo from end to end on two 32-bit pictures: each channel of the result is h(a) + h(b),
// except that 255 and 255 give 255.
TEST(BlendAdder, WholeDemoSequenceBlendsTwoPictures) {
    constexpr int W = 200, H = 200;
    std::mt19937 random(21);
    HBITMAP pictures[2] = {gdi32::CreateImageBitmap(W, H, 0), gdi32::CreateImageBitmap(W, H, 0)};
    HBITMAP result = gdi32::CreateImageBitmap(W, H, RGB(255, 255, 255));
    HDC dcs[3];
    HGDIOBJ olds[3];
    const HBITMAP all[3] = {pictures[0], pictures[1], result};
    for (int i = 0; i < 3; ++i) {
        dcs[i] = gdi32::CreateCompatibleDC(nullptr);
        olds[i] = gdi32::SelectObject(dcs[i], all[i]);
    }
    gdi32::BitmapView views[2] = {*gdi32::ViewOf(pictures[0]), *gdi32::ViewOf(pictures[1])};
    const std::pair<int, int> edges[] = {{255, 255}, {255, 0}, {0, 0}, {101, 51}, {254, 2}, {1, 1}, {3, 3}, {7, 7}};
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            for (int k = 0; k < 2; ++k) {
                std::uint8_t* p = views[k].bits + y * views[k].stride + 4 * x;
                for (int c = 0; c < 3; ++c) {
                    const std::size_t e = static_cast<std::size_t>((x + c) % 16);
                    p[c] = y < 8 && e < 8 ? static_cast<std::uint8_t>(k == 0 ? edges[e].first : edges[e].second)
                                          : static_cast<std::uint8_t>(random());
                }
                p[3] = static_cast<std::uint8_t>(random());  // junk in the reserved byte is ignored
            }
    HDC form = gdi32::CreateCompatibleDC(nullptr);
    BlendPlanes planes;
    planes.Prepare(form, dcs[0], dcs[1], W, H);
    planes.Draw(dcs[2], W, H);
    planes.Release();
    const gdi32::BitmapView out = *gdi32::ViewOf(result);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            for (int c = 0; c < 3; ++c) {
                const int a = views[0].bits[y * views[0].stride + 4 * x + c];
                const int b = views[1].bits[y * views[1].stride + 4 * x + c];
                const int expected = a == 255 && b == 255 ? 255 : Halve(a) + Halve(b);
                ASSERT_EQ(out.bits[y * out.stride + 4 * x + c], expected) << x << "," << y << " channel byte " << c;
            }
    for (int i = 0; i < 3; ++i) {
        gdi32::SelectObject(dcs[i], olds[i]);
        EXPECT_TRUE(gdi32::DeleteDC(dcs[i]));
        EXPECT_TRUE(gdi32::DeleteObject(all[i]));
    }
    gdi32::DeleteDC(form);
}

}  // namespace
