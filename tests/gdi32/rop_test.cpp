// Every one of the 256 raster operations, in every pixel format, against its truth table bit by bit.
#include <climits>

#include "gdi_test_support.h"

using namespace gditest;

namespace {

class EveryRop : public ::testing::TestWithParam<int> {};

// Destination, source and an 8 x 8 pattern brush of one format and one colour table, so no colour is
// translated and each operation works on the pixel bits; the source is top-down, the destination
// bottom-up, and the rectangle starts at odd positions so partial bytes and row tails are exercised.
TEST_P(EveryRop, MatchesTruthTableOnEveryBit) {
    const int bitCount = GetParam();
    std::mt19937 random(1000u + static_cast<unsigned>(bitCount));
    const Table table = bitCount <= 8 ? RandomTable(random, 1 << bitCount) : Table{};
    constexpr int kWidth = 45, kHeight = 13;
    Surface dst(Info(kWidth, kHeight, bitCount, table));
    Surface src(Info(kWidth, -kHeight, bitCount, table));
    Surface tile(Info(8, 8, bitCount, table));
    ASSERT_TRUE(dst.Valid() && src.Valid() && tile.Valid());
    dst.FillRandom(random);
    src.FillRandom(random);
    tile.FillRandom(random);
    HBRUSH brush = gdi32::CreatePatternBrush(tile.bitmap);
    ASSERT_NE(brush, nullptr);
    HGDIOBJ oldBrush = gdi32::SelectObject(dst.dc, brush);
    ASSERT_EQ(oldBrush, gdi32::GetStockObject(WHITE_BRUSH));

    const std::vector<std::uint8_t> before(dst.bits, dst.bits + dst.stride * kHeight);
    std::vector<std::uint32_t> beforeValues;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) beforeValues.push_back(dst.Value(x, y));
    const int dx = 3, dy = 2, w = 33, h = 9, sx = 5, sy = 1;
    const std::uint32_t mask = ValueMask(bitCount);
    for (unsigned rop = 0; rop < 256; ++rop) {
        std::memcpy(dst.bits, before.data(), before.size());
        ASSERT_TRUE(gdi32::BitBlt(dst.dc, dx, dy, w, h, src.dc, sx, sy, rop << 16)) << rop;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const std::uint32_t old = beforeValues[static_cast<std::size_t>(y * kWidth + x)];
                const bool inside = x >= dx && x < dx + w && y >= dy && y < dy + h;
                const std::uint32_t expected =
                    inside
                        ? RopReference(rop, tile.Value(x % 8, y % 8), src.Value(x - dx + sx, y - dy + sy), old) & mask
                        : old;
                ASSERT_EQ(dst.Value(x, y), expected) << "rop " << rop << " at " << x << "," << y;
            }
        }
    }
    gdi32::SelectObject(dst.dc, oldBrush);
    EXPECT_TRUE(gdi32::DeleteObject(brush));
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryRop, ::testing::Values(1, 4, 8, 16, 24, 32));

TEST(RopCode, OnlyByteTwoSelectsTheOperation) {
    Surface dst(4, 1, 32), src(4, 1, 32);
    src.SetValue(0, 0, 0x123456);
    dst.SetValue(0, 0, 0xFF0000);
    // The low word and the top byte of the code play no part.
    ASSERT_TRUE(gdi32::BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 0xC0CCBEEFu));
    EXPECT_EQ(dst.Value(0, 0), 0x123456u);
    ASSERT_TRUE(gdi32::BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 0x00660000u));  // SRCINVERT without its low word
    EXPECT_EQ(dst.Value(0, 0), 0u);
}

TEST(RopCode, SourceIsNeededOnlyByOperationsThatReadIt) {
    Surface dst(4, 2, 8, Ramp(0));
    std::memset(dst.bits, 7, static_cast<std::size_t>(dst.stride * 2));
    EXPECT_FALSE(gdi32::BitBlt(dst.dc, 0, 0, 4, 2, nullptr, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.Value(0, 0), 7u);
    EXPECT_TRUE(gdi32::BitBlt(dst.dc, 0, 0, 4, 2, nullptr, 0, 0, DSTINVERT));
    EXPECT_EQ(dst.Value(3, 1), 0xF8u);
    // A stale source handle is no matter to an operation that does not read it.
    EXPECT_TRUE(gdi32::BitBlt(dst.dc, 0, 0, 4, 2, reinterpret_cast<HDC>(0x1234), 0, 0, BLACKNESS));
    EXPECT_EQ(dst.Value(2, 0), 0u);
    EXPECT_FALSE(gdi32::PatBlt(dst.dc, 0, 0, 4, 2, SRCCOPY));  // PatBlt takes no source
    EXPECT_TRUE(gdi32::PatBlt(dst.dc, 0, 0, 4, 2, WHITENESS));
    EXPECT_EQ(dst.Value(1, 1), 0xFFu);
}

// Solid brushes: a colour becomes the nearest entry of an indexed surface, or the colour itself.
TEST(SolidBrush, PatternOperationsUseTheBrushColourInTheSurfaceFormat) {
    struct Case {
        int bitCount;
        COLORREF colour;
        std::uint32_t value;  // what PATCOPY writes
    };
    const Case cases[] = {
        {8, RGB(77, 200, 13), 77},  // red ramp: the red channel
        {32, RGB(77, 200, 13), 0x4DC80D},
        {24, RGB(1, 2, 3), 0x010203},
        {16, RGB(255, 8, 7), (31u << 10) | (1u << 5) | 0u},
        {1, RGB(200, 200, 200), 1},  // nearer white than black
        {4, RGB(3, 0, 0), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bitCount);
        Surface s(Info(5, 3, c.bitCount, c.bitCount <= 8 ? (c.bitCount == 1 ? Table{0, 0xFFFFFF} : Ramp(0)) : Table{}));
        HBRUSH brush = gdi32::CreateSolidBrush(c.colour);
        HGDIOBJ old = gdi32::SelectObject(s.dc, brush);
        ASSERT_TRUE(gdi32::PatBlt(s.dc, 0, 0, 5, 3, PATCOPY));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) ASSERT_EQ(s.Value(x, y), c.value);
        ASSERT_TRUE(gdi32::PatBlt(s.dc, 1, 1, 3, 1, PATINVERT));
        EXPECT_EQ(s.Value(2, 1), 0u);
        EXPECT_EQ(s.Value(0, 1), c.value);
        gdi32::SelectObject(s.dc, old);
        EXPECT_TRUE(gdi32::DeleteObject(brush));
    }
}

TEST(SolidBrush, DefaultIsWhiteAndTheHollowBrushPaintsNothing) {
    Surface s(3, 3, 32);
    ASSERT_TRUE(gdi32::PatBlt(s.dc, 0, 0, 3, 3, PATCOPY));
    EXPECT_EQ(s.Value(1, 1), 0xFFFFFFu);
    ASSERT_NE(gdi32::SelectObject(s.dc, gdi32::GetStockObject(NULL_BRUSH)), nullptr);
    EXPECT_TRUE(gdi32::PatBlt(s.dc, 0, 0, 3, 3, BLACKNESS));  // no pattern read: still drawn
    EXPECT_TRUE(gdi32::PatBlt(s.dc, 0, 0, 3, 3, PATCOPY));
    EXPECT_EQ(s.Value(1, 1), 0u);
    const std::pair<int, std::uint32_t> stock[] = {{WHITE_BRUSH, 0xFFFFFF},
                                                   {LTGRAY_BRUSH, 0xC0C0C0},
                                                   {GRAY_BRUSH, 0x808080},
                                                   {DKGRAY_BRUSH, 0x404040},
                                                   {BLACK_BRUSH, 0}};
    for (const auto& [index, colour] : stock) {
        gdi32::SelectObject(s.dc, gdi32::GetStockObject(index));
        ASSERT_TRUE(gdi32::PatBlt(s.dc, 0, 0, 3, 3, PATCOPY));
        EXPECT_EQ(s.Value(2, 2), colour) << index;
    }
}

// A monochrome pattern brush draws with the device context's text (0 bits) and background (1 bits).
TEST(PatternBrush, MonochromePatternTakesTextAndBackgroundColours) {
    Surface tile(Info(2, 2, 1, {0x000000, 0xFFFFFF}));
    tile.SetValue(0, 0, 1);
    tile.SetValue(1, 1, 1);
    HBRUSH brush = gdi32::CreatePatternBrush(tile.bitmap);
    ASSERT_NE(brush, nullptr);
    Surface s(5, 4, 32);
    gdi32::SelectObject(s.dc, brush);
    gdi32::SetTextColor(s.dc, RGB(255, 0, 0));
    gdi32::SetBkColor(s.dc, RGB(0, 0, 255));
    ASSERT_TRUE(gdi32::PatBlt(s.dc, 1, 1, 4, 3, PATCOPY));
    for (int y = 1; y < 4; ++y)
        for (int x = 1; x < 5; ++x)
            EXPECT_EQ(s.Value(x, y), ((x + y) % 2 == 0) ? 0x0000FFu : 0xFF0000u) << x << "," << y;
    EXPECT_EQ(s.Value(0, 0), 0u);
    // The brush holds its own copy of the bitmap.
    tile.SetValue(0, 0, 0);
    ASSERT_TRUE(gdi32::PatBlt(s.dc, 0, 0, 1, 1, PATCOPY));
    EXPECT_EQ(s.Value(0, 0), 0x0000FFu);
    gdi32::SelectObject(s.dc, gdi32::GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(gdi32::DeleteObject(brush));
}

}  // namespace
