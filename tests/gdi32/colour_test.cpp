// Nearest-colour mapping (exact, against brute force) and colour translation between all formats.
#include <algorithm>
#include <numeric>

#include "gdi32/color_table.h"
#include "gdi_test_support.h"

using namespace gditest;

namespace {

struct NamedTable {
    const char* name;
    Table table;
};

std::vector<NamedTable> TablesToSearch() {
    std::mt19937 random(77);
    std::vector<NamedTable> tables;
    tables.push_back({"random 256", RandomTable(random, 256)});
    tables.push_back({"random 16", RandomTable(random, 16)});
    tables.push_back({"random 2", RandomTable(random, 2)});
    tables.push_back({"one entry", {0x336699}});
    Table clustered(256);
    for (auto& c : clustered)
        c = Rgb(100 + static_cast<int>(random() % 20), 50 + static_cast<int>(random() % 9),
                200 + static_cast<int>(random() % 30));
    tables.push_back({"clustered", clustered});
    Table few(256);
    const std::uint32_t five[] = {0x000000, 0xFFFFFF, 0x808080, 0xFF0000, 0x00FF80};
    for (auto& c : few) c = five[random() % 5];
    tables.push_back({"five colours repeated", few});
    // A lattice in shuffled order: colours half-way between points tie, and the lowest index must win.
    Table lattice;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) lattice.push_back(Rgb(r * 50, g * 50, b * 50));
    std::shuffle(lattice.begin(), lattice.end(), random);
    for (int i = 0; i < 40; ++i) lattice.push_back(Rgb(i * 6, i * 6, i * 6));
    tables.push_back({"lattice and greys", lattice});
    Table grey(256);
    for (int i = 0; i < 256; ++i) grey[static_cast<std::size_t>(i)] = Rgb(i, i, i);
    tables.push_back({"grey ramp", grey});
    tables.push_back({"green ramp", Ramp(1)});
    tables.push_back({"halving ramp", Ramp(2, Halve)});
    tables.push_back({"doubling ramp", Ramp(0, Double)});  // gaps: odd values tie between neighbours
    tables.push_back({"falling ramp in steps of 4", Ramp(1, [](int i) { return (255 - i) & ~3; })});
    Table noisyRamp = Ramp(0);
    noisyRamp[17] = Rgb(17, 1, 0);
    tables.push_back({"red ramp with one stray entry", noisyRamp});
    return tables;
}

TEST(NearestColour, MatchesBruteForceForEveryKindOfTable) {
    std::mt19937 random(5);
    for (const NamedTable& t : TablesToSearch()) {
        SCOPED_TRACE(t.name);
        const auto table = gdi32::MakeColorTable(t.table);
        std::vector<std::uint32_t> queries;
        for (int i = 0; i < 40000; ++i) queries.push_back(random() & 0xFFFFFF);
        for (std::uint32_t c : t.table)
            for (int d : {-1, 0, 1}) queries.push_back((c + static_cast<std::uint32_t>(d) * 0x010101u) & 0xFFFFFF);
        for (std::uint32_t c : {0x000000u, 0xFFFFFFu, 0xFF0000u, 0x00FF00u, 0x0000FFu, 0x19194Bu, 0x7D7D7Du})
            queries.push_back(c);
        for (std::uint32_t q : queries)
            ASSERT_EQ(table->Nearest(q), NearestReference(t.table, q)) << std::hex << "colour " << q;
        // And again, now answered from what the first round built.
        for (std::size_t i = 0; i < queries.size(); i += 7)
            ASSERT_EQ(table->Nearest(queries[i]), NearestReference(t.table, queries[i]));
    }
}

TEST(NearestColour, TiesGoToTheLowestIndexAndExactHitsWin) {
    struct Case {
        Table table;
        std::uint32_t colour;
        int index;
    };
    const Case cases[] = {
        {{Rgb(0, 0, 0), Rgb(2, 0, 0)}, Rgb(1, 0, 0), 0},
        {{Rgb(2, 0, 0), Rgb(0, 0, 0)}, Rgb(1, 0, 0), 0},
        {{Rgb(9, 9, 9), Rgb(0, 0, 0), Rgb(2, 0, 0)}, Rgb(1, 0, 0), 1},
        {{Rgb(5, 5, 5), Rgb(1, 2, 3), Rgb(1, 2, 3)}, Rgb(1, 2, 3), 1},
        {{Rgb(0, 0, 0), Rgb(0, 0, 2), Rgb(0, 2, 0), Rgb(2, 0, 0)}, Rgb(1, 1, 1), 0},
        {{Rgb(0, 0, 2), Rgb(0, 2, 0), Rgb(2, 0, 0)}, Rgb(1, 1, 1), 0},
        {{Rgb(255, 255, 255), Rgb(0, 0, 0)}, Rgb(128, 128, 128), 0},
        {{Rgb(255, 255, 255), Rgb(0, 0, 0)}, Rgb(127, 127, 127), 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gdi32::MakeColorTable(c.table)->Nearest(c.colour), c.index);
        // The same through a surface: SetPixel answers with the entry it chose.
        Surface s(Info(1, 1, 8, c.table, static_cast<DWORD>(c.table.size())));
        EXPECT_EQ(RgbOfColorRef(gdi32::SetPixel(s.dc, 0, 0, ColorRefOfRgb(c.colour))),
                  c.table[static_cast<std::size_t>(c.index)]);
        EXPECT_EQ(s.Value(0, 0), static_cast<std::uint32_t>(c.index));
    }
}

// Equal colour tables are one object; a translation map is the brute-force nearest of every entry.
TEST(NearestColour, TablesAreSharedAndTranslationMapsAreExact) {
    std::mt19937 random(9);
    const Table a = RandomTable(random, 256), b = RandomTable(random, 256);
    EXPECT_EQ(gdi32::MakeColorTable(a).get(), gdi32::MakeColorTable(a).get());
    EXPECT_NE(gdi32::MakeColorTable(a).get(), gdi32::MakeColorTable(b).get());
    const auto map = gdi32::TranslationMap(*gdi32::MakeColorTable(a), *gdi32::MakeColorTable(b));
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(map[static_cast<std::size_t>(i)], NearestReference(b, a[static_cast<std::size_t>(i)]));
}

// A ramp of one channel: colour (r, g, b) becomes index r in a red plane, g in green, b in blue.
TEST(NearestColour, RampPlanesTakeTheirChannel) {
    for (const int sourceBits : {32, 24}) {
        Surface picture(Info(256, -256, sourceBits));
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) picture.SetValue(x, y, Rgb(x, y, (x * 7 + y * 3) & 255));
        for (int channel = 0; channel < 3; ++channel) {
            Surface plane(256, 256, 8, Ramp(channel));
            ASSERT_TRUE(gdi32::BitBlt(plane.dc, 0, 0, 256, 256, picture.dc, 0, 0, SRCCOPY));
            for (int y = 0; y < 256; ++y)
                for (int x = 0; x < 256; ++x) {
                    const int expected = channel == 0 ? x : channel == 1 ? y : (x * 7 + y * 3) & 255;
                    ASSERT_EQ(plane.Value(x, y), static_cast<std::uint32_t>(expected)) << sourceBits << " " << channel;
                }
        }
    }
}

// Every pair of formats, SRCCOPY, with the device contexts' text and background colours set.
struct Side {
    int bitCount;
    int tableSeed;  // tables of equal seed and size are the same table
};

class Translation : public ::testing::TestWithParam<std::tuple<Side, Side>> {};

TEST_P(Translation, EachPixelBecomesItsColourInTheDestination) {
    const Side from = std::get<0>(GetParam()), to = std::get<1>(GetParam());
    std::mt19937 random(31u * static_cast<unsigned>(from.bitCount) + static_cast<unsigned>(to.bitCount));
    const auto tableFor = [](const Side& side) {
        std::mt19937 r(static_cast<unsigned>(side.tableSeed));
        return side.bitCount <= 8 ? RandomTable(r, 1 << side.bitCount) : Table{};
    };
    const Table fromTable = tableFor(from), toTable = tableFor(to);
    constexpr int kWidth = 23, kHeight = 7;
    Surface src(Info(kWidth, kHeight, from.bitCount, fromTable));
    Surface dst(Info(kWidth, -kHeight, to.bitCount, toTable));
    src.FillRandom(random);
    dst.FillRandom(random);
    const auto colourOf = [&](std::uint32_t v) {
        return from.bitCount <= 8 ? fromTable[v] : ColourOfTrueValue(from.bitCount, v);
    };
    // The source's background colour is one that occurs in it, on a few pixels.
    const std::uint32_t background = colourOf(src.Value(0, 0) & ValueMask(from.bitCount));
    for (int x = 0; x < kWidth; x += 5) src.SetValue(x, 3, src.Value(0, 0));
    gdi32::SetBkColor(src.dc, ColorRefOfRgb(background));
    const std::uint32_t text = Rgb(10, 20, 30), paper = Rgb(200, 100, 50);
    gdi32::SetTextColor(dst.dc, ColorRefOfRgb(text));
    gdi32::SetBkColor(dst.dc, ColorRefOfRgb(paper));

    ASSERT_TRUE(gdi32::BitBlt(dst.dc, 0, 0, kWidth, kHeight, src.dc, 0, 0, SRCCOPY));
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t v = src.Value(x, y) & ValueMask(from.bitCount);
            std::uint32_t expected;
            if (from.bitCount == 1 && to.bitCount == 1) {
                expected = v;
            } else if (from.bitCount == 1) {
                const std::uint32_t c = v ? paper : text;
                expected = to.bitCount <= 8 ? static_cast<std::uint32_t>(NearestReference(toTable, c))
                                            : TrueValueOfColour(to.bitCount, c);
            } else if (to.bitCount == 1) {
                expected = colourOf(v) == background ? 1 : 0;
            } else if (from.bitCount == to.bitCount && fromTable == toTable) {
                expected = v;
            } else if (to.bitCount <= 8) {
                expected = static_cast<std::uint32_t>(NearestReference(toTable, colourOf(v)));
            } else {
                expected = TrueValueOfColour(to.bitCount, colourOf(v));
            }
            const std::uint32_t got = dst.Value(x, y);
            if (to.bitCount == 32) {
                ASSERT_EQ(got >> 24, 0u) << "reserved byte";
            }
            ASSERT_EQ(got, expected) << x << "," << y;
        }
    }
}

const Side kSides[] = {{1, 1}, {4, 1}, {8, 1}, {8, 2}, {16, 0}, {24, 0}, {32, 0}};

std::string PairName(const ::testing::TestParamInfo<std::tuple<Side, Side>>& info) {
    const Side& a = std::get<0>(info.param);
    const Side& b = std::get<1>(info.param);
    return std::to_string(a.bitCount) + "t" + std::to_string(a.tableSeed) + "_to_" + std::to_string(b.bitCount) + "t" +
           std::to_string(b.tableSeed);
}

INSTANTIATE_TEST_SUITE_P(AllPairs, Translation,
                         ::testing::Combine(::testing::ValuesIn(kSides), ::testing::ValuesIn(kSides)), PairName);

// With the same table but a different index width, colours are matched, not indices copied.
TEST(TranslationRules, SameColoursAtAnotherBitCountMatchByColour) {
    Table table(16);
    for (int i = 0; i < 16; ++i) table[static_cast<std::size_t>(i)] = Rgb(255 - i * 16, 0, 0);
    Surface src(Info(16, 1, 4, table));
    Table wide(256, 0);
    wide[200] = table[5];
    Surface dst(Info(16, 1, 8, wide));
    for (int x = 0; x < 16; ++x) src.SetValue(x, 0, 5);
    ASSERT_TRUE(gdi32::BitBlt(dst.dc, 0, 0, 16, 1, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.Value(7, 0), 200u);
}

// Only biClrUsed entries are candidates; pixels of an index past them read as black.
TEST(TranslationRules, ColoursUsedLimitsTheTable) {
    const Table table = {Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(200, 0, 0)};
    Surface s(Info(2, 1, 8, table, 2));
    EXPECT_EQ(RgbOfColorRef(gdi32::SetPixel(s.dc, 0, 0, RGB(190, 0, 0))), 0u);
    s.SetValue(1, 0, 2);
    EXPECT_EQ(gdi32::GetPixel(s.dc, 1, 0), RGB(0, 0, 0));
}

TEST(Pixels, GetAndSetInEveryFormat) {
    struct Case {
        int bitCount;
        COLORREF set;
        COLORREF stored;
    };
    const Case cases[] = {
        {1, RGB(90, 90, 90), RGB(0, 0, 0)},        {1, RGB(200, 90, 200), RGB(255, 255, 255)},
        {4, RGB(7, 100, 3), RGB(7, 0, 0)},         {8, RGB(201, 5, 5), RGB(201, 0, 0)},
        {16, RGB(255, 12, 129), RGB(255, 8, 132)}, {24, RGB(1, 2, 3), RGB(1, 2, 3)},
        {32, RGB(250, 128, 0), RGB(250, 128, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bitCount);
        Surface s(Info(9, 4, c.bitCount, c.bitCount == 1 ? Table{0, 0xFFFFFF} : Ramp(0)));
        EXPECT_EQ(gdi32::SetPixel(s.dc, 8, 3, c.set), c.stored);
        EXPECT_EQ(gdi32::GetPixel(s.dc, 8, 3), c.stored);
        EXPECT_EQ(gdi32::GetPixel(s.dc, 7, 3), RGB(0, 0, 0));
        for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {9, 0}, {0, 4}}) {
            EXPECT_EQ(gdi32::GetPixel(s.dc, x, y), CLR_INVALID);
            EXPECT_EQ(gdi32::SetPixel(s.dc, x, y, 0), CLR_INVALID);
        }
    }
    Surface s(2, 1, 32);
    s.SetValue(0, 0, 0xAB123456u);  // the reserved byte is not part of the colour
    EXPECT_EQ(gdi32::GetPixel(s.dc, 0, 0), RGB(0x12, 0x34, 0x56));
    gdi32::SetPixel(s.dc, 1, 0, RGB(1, 2, 3));
    EXPECT_EQ(s.Value(1, 0), 0x010203u);
}

}  // namespace
