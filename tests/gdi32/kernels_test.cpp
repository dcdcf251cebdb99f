// The raster engine's kernels on the path under test, against plain loops, over every length and
// alignment a row can have; then whole surfaces drawn as one span, against the per-pixel rules.
#include <algorithm>

#include "gdi_test_support.h"
#include "kernel_path.h"

using namespace gditest;

namespace {

const gdi32::Kernels& Tested() { return gdi32::ActiveKernels(); }

TEST(KernelPath, TheForcedPathIsInUse) { EXPECT_EQ(Tested().path, TestedPath()); }

// Lengths around every vector width and the tails they leave, and a whole plane.
std::vector<std::size_t> Lengths() {
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 200; ++n) lengths.push_back(n);
    for (const std::size_t n : {255, 256, 257, 511, 1023, 40000}) lengths.push_back(n);
    return lengths;
}

std::vector<std::uint8_t> RandomBytes(std::mt19937& random, std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

constexpr std::size_t kGuard = 70;  // bytes around each output that must stay as they were

TEST(Kernels, MapBytesThroughAnyTableAlsoInPlace) {
    std::mt19937 random(40);
    const std::vector<std::uint8_t> map = RandomBytes(random, 256);
    for (const std::size_t n : Lengths()) {
        for (const std::size_t offset : {0, 1, 3}) {
            const std::vector<std::uint8_t> in = RandomBytes(random, n + offset);
            std::vector<std::uint8_t> out(kGuard + n + kGuard, 0xA5);
            Tested().mapBytes(in.data() + offset, out.data() + kGuard, n, map.data());
            std::vector<std::uint8_t> same = in;
            Tested().mapBytes(same.data() + offset, same.data() + offset, n, map.data());
            for (std::size_t i = 0; i < n; ++i) {
                ASSERT_EQ(out[kGuard + i], map[in[offset + i]]) << "n " << n << " at " << i;
                ASSERT_EQ(same[offset + i], map[in[offset + i]]) << "in place, n " << n << " at " << i;
            }
            ASSERT_TRUE(std::all_of(out.begin(), out.begin() + kGuard, [](auto b) { return b == 0xA5; })) << n;
            ASSERT_TRUE(std::all_of(out.end() - kGuard, out.end(), [](auto b) { return b == 0xA5; })) << n;
        }
    }
}

// The input ends exactly after the last pixel's picked byte, so a read past it shows under the
// address sanitizer.
TEST(Kernels, PickBytesTakesOneChannelOfPackedPixels) {
    std::mt19937 random(41);
    const std::vector<std::uint8_t> map = RandomBytes(random, 256);
    std::vector<std::uint8_t> identity(256);  // the planes' own tables
    for (int i = 0; i < 256; ++i) identity[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    for (const int step : {3, 4}) {
        for (const std::uint8_t* table : {map.data(), static_cast<const std::uint8_t*>(identity.data())}) {
            for (const std::size_t n : Lengths()) {
                const std::size_t bytes = n == 0 ? 0 : static_cast<std::size_t>(step) * (n - 1) + 1;
                const std::vector<std::uint8_t> in = RandomBytes(random, bytes);
                std::vector<std::uint8_t> out(kGuard + n + kGuard, 0x5A);
                Tested().pickBytes(in.data(), step, out.data() + kGuard, n, table);
                for (std::size_t i = 0; i < n; ++i)
                    ASSERT_EQ(out[kGuard + i], table[in[static_cast<std::size_t>(step) * i]])
                        << "step " << step << " n " << n;
                ASSERT_TRUE(std::all_of(out.begin(), out.begin() + kGuard, [](auto b) { return b == 0x5A; })) << n;
                ASSERT_TRUE(std::all_of(out.end() - kGuard, out.end(), [](auto b) { return b == 0x5A; })) << n;
            }
        }
    }
}

TEST(Kernels, ExpandBytesWritesEachColourWhole) {
    std::mt19937 random(42);
    std::vector<std::uint32_t> colours(256);
    for (auto& c : colours) c = static_cast<std::uint32_t>(random());  // every byte, the fourth too
    gdi32::ColourLookup lookup;
    lookup.Fill(colours.data());
    for (const std::size_t n : Lengths()) {
        for (const std::size_t offset : {0, 1}) {
            const std::vector<std::uint8_t> in = RandomBytes(random, n);
            std::vector<std::uint8_t> out(kGuard + offset + 4 * n + kGuard, 0xC3);
            Tested().expandBytes(in.data(), out.data() + kGuard + offset, n, lookup);
            for (std::size_t i = 0; i < n; ++i) {
                std::uint32_t got;
                std::memcpy(&got, out.data() + kGuard + offset + 4 * i, 4);
                ASSERT_EQ(got, colours[in[i]]) << "n " << n << " at " << i;
            }
            ASSERT_TRUE(std::all_of(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(kGuard + offset),
                                    [](auto b) { return b == 0xC3; }))
                << n;
            ASSERT_TRUE(std::all_of(out.end() - kGuard, out.end(), [](auto b) { return b == 0xC3; })) << n;
        }
    }
}

// Every raster operation on rows of every length, through each format's mask of kept bits.
TEST(Kernels, RopRowsMatchTheTruthTableForEveryLength) {
    std::mt19937 random(43);
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 140; ++n) lengths.push_back(n);
    lengths.push_back(1000);
    for (const int bitCount : {8, 16, 32}) {
        const gdi32::ResultMask mask = gdi32::MaskForFormat(bitCount);
        for (unsigned rop = 0; rop < 256; ++rop) {
            for (const std::size_t n : lengths) {
                const std::vector<std::uint8_t> d0 = RandomBytes(random, n), s = RandomBytes(random, n),
                                                p = RandomBytes(random, n);
                std::vector<std::uint8_t> d(kGuard + n + kGuard, 0x3C);
                std::copy(d0.begin(), d0.end(), d.begin() + kGuard);
                Tested().ropRows[rop](d.data() + kGuard, s.data(), p.data(), n, mask);
                for (std::size_t i = 0; i < n; ++i) {
                    const std::uint32_t expected = RopReference(rop, p[i], s[i], d0[i]) & mask.bytes[i % 16] & 0xFFu;
                    ASSERT_EQ(d[kGuard + i], expected)
                        << "rop " << rop << " bits " << bitCount << " n " << n << " at " << i;
                }
                ASSERT_TRUE(std::all_of(d.begin(), d.begin() + kGuard, [](auto b) { return b == 0x3C; }));
                ASSERT_TRUE(std::all_of(d.end() - kGuard, d.end(), [](auto b) { return b == 0x3C; }));
            }
        }
    }
}

// Surfaces whose rows have no fill bytes, drawn whole: one long span when both sides keep their rows
// in the same order, row by row otherwise. Either way each pixel follows the truth table.
TEST(WholeSurfaces, EveryRowOrderAndFormatFollowsTheTruthTable) {
    std::mt19937 random(44);
    const DWORD rops[] = {SRCCOPY, SRCINVERT, SRCAND, SRCPAINT, PATINVERT, 0x00B8074A, DSTINVERT, NOTSRCCOPY};
    for (const int bitCount : {8, 16, 24, 32}) {
        for (const int srcOrder : {1, -1}) {
            for (const int dstOrder : {1, -1}) {
                constexpr int W = 36, H = 23;  // 36 pixels make whole words in every format
                const Table table = bitCount == 8 ? RandomTable(random, 256) : Table{};
                Surface src(Info(W, srcOrder * H, bitCount, table)), dst(Info(W, dstOrder * H, bitCount, table));
                HBRUSH brush = gdi32::CreateSolidBrush(RGB(0x5A, 0xA5, 0x3C));
                gdi32::SelectObject(dst.dc, brush);
                std::uint32_t brushValue;
                {
                    Surface probe(Info(1, 1, bitCount, table));
                    gdi32::SelectObject(probe.dc, brush);
                    ASSERT_TRUE(gdi32::PatBlt(probe.dc, 0, 0, 1, 1, PATCOPY));
                    brushValue = probe.Value(0, 0);
                    gdi32::SelectObject(probe.dc, gdi32::GetStockObject(WHITE_BRUSH));
                }
                for (const DWORD rop : rops) {
                    SCOPED_TRACE(std::to_string(bitCount) + " bits, orders " + std::to_string(srcOrder) + "/" +
                                 std::to_string(dstOrder) + ", rop " + std::to_string(rop >> 16));
                    src.FillRandom(random);
                    dst.FillRandom(random);
                    std::vector<std::uint32_t> before;
                    for (int y = 0; y < H; ++y)
                        for (int x = 0; x < W; ++x) before.push_back(dst.Value(x, y));
                    ASSERT_TRUE(gdi32::BitBlt(dst.dc, 0, 0, W, H, src.dc, 0, 0, rop));
                    for (int y = 0; y < H; ++y)
                        for (int x = 0; x < W; ++x) {
                            const std::uint32_t expected = RopReference(rop >> 16, brushValue, src.Value(x, y),
                                                                        before[static_cast<std::size_t>(y * W + x)]) &
                                                           ValueMask(bitCount);
                            ASSERT_EQ(dst.Value(x, y), expected) << x << "," << y;
                        }
                }
                gdi32::SelectObject(dst.dc, gdi32::GetStockObject(WHITE_BRUSH));
                EXPECT_TRUE(gdi32::DeleteObject(brush));
            }
        }
    }
}

// The blend's conversions on whole surfaces: a colour picture split into ramp planes (32 and 24 bits
// per pixel), and ramp planes composed into a colour picture with a copy and an or.
TEST(WholeSurfaces, RampPlanesSplitAndComposeInEitherRowOrder) {
    std::mt19937 random(45);
    constexpr int W = 64, H = 37;
    for (const int pictureBits : {24, 32}) {
        for (const int pictureOrder : {1, -1}) {
            for (const int planeOrder : {1, -1}) {
                SCOPED_TRACE(std::to_string(pictureBits) + " " + std::to_string(pictureOrder) + " " +
                             std::to_string(planeOrder));
                Surface picture(Info(W, pictureOrder * H, pictureBits));
                picture.FillRandom(random);
                for (int channel = 0; channel < 3; ++channel) {
                    Surface plane(Info(W, planeOrder * H, 8, Ramp(channel)));
                    ASSERT_TRUE(gdi32::BitBlt(plane.dc, 0, 0, W, H, picture.dc, 0, 0, SRCCOPY));
                    for (int y = 0; y < H; ++y)
                        for (int x = 0; x < W; ++x)
                            ASSERT_EQ(plane.Value(x, y), (picture.Value(x, y) >> (16 - 8 * channel)) & 0xFF)
                                << x << "," << y;
                    if (pictureBits != 32) continue;
                    const std::vector<std::uint8_t> before(picture.bits, picture.bits + picture.stride * H);
                    ASSERT_TRUE(gdi32::BitBlt(picture.dc, 0, 0, W, H, plane.dc, 0, 0, SRCPAINT));
                    for (int y = 0; y < H; ++y)
                        for (int x = 0; x < W; ++x) {
                            std::uint32_t old;
                            std::memcpy(&old, before.data() + (picture.Row(y) - picture.bits) + 4 * x, 4);
                            ASSERT_EQ(picture.Value(x, y),
                                      ((old | (plane.Value(x, y) << (16 - 8 * channel))) & 0xFFFFFFu))
                                << x << "," << y;
                        }
                    ASSERT_TRUE(gdi32::BitBlt(picture.dc, 0, 0, W, H, plane.dc, 0, 0, SRCCOPY));
                    for (int y = 0; y < H; ++y)
                        for (int x = 0; x < W; ++x)
                            ASSERT_EQ(picture.Value(x, y), plane.Value(x, y) << (16 - 8 * channel)) << x << "," << y;
                    picture.FillRandom(random);
                }
            }
        }
    }
}

}  // namespace

namespace {

// Random work of every kind (all formats and operations, scaling, clipping, pattern brushes, one
// surface drawn onto itself) as a hash of the destination after every call.
std::uint64_t HashOfRandomWork(int rounds) {
    std::mt19937 random(12345);
    const int bitCounts[] = {1, 4, 8, 16, 24, 32};
    std::uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](const std::uint8_t* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
    };
    for (int round = 0; round < rounds; ++round) {
        const bool wholeRows = random() % 2;  // widths that leave no fill bytes in any format
        const int w = wholeRows ? 4 * static_cast<int>(1 + random() % 60) : static_cast<int>(1 + random() % 90);
        const int h = static_cast<int>(1 + random() % 40);
        const int dstBits = bitCounts[random() % 6];
        const int srcBits = random() % 3 == 0 ? dstBits : bitCounts[random() % 6];
        const int tableKind = static_cast<int>(random() % 3);
        Table table = tableKind == 0 ? Ramp(0) : tableKind == 1 ? Ramp(1, Double) : RandomTable(random, 256);
        Surface dst(Info(w, random() % 2 ? h : -h, dstBits, table));
        Surface src(Info(w + (random() % 3 == 0 ? static_cast<int>(random() % 9) : 0), random() % 2 ? h : -h, srcBits,
                         random() % 2 ? table : RandomTable(random, 256)));
        dst.FillRandom(random);
        src.FillRandom(random);
        HBRUSH brush =
            random() % 2 ? gdi32::CreateSolidBrush(random() & 0xFFFFFF) : gdi32::CreatePatternBrush(src.bitmap);
        gdi32::SelectObject(dst.dc, brush);
        gdi32::SetTextColor(dst.dc, random() & 0xFFFFFF);
        gdi32::SetBkColor(dst.dc, random() & 0xFFFFFF);
        gdi32::SetBkColor(src.dc, random() & 0xFFFFFF);
        const BITMAPINFO srcInfo = Info(src.width, src.topDown ? -h : h, srcBits, table);
        for (int op = 0; op < 8; ++op) {
            const DWORD rop = static_cast<DWORD>(random() % 256) << 16;
            const bool whole = wholeRows && random() % 2;
            const int x = whole ? 0 : static_cast<int>(random() % 20) - 5,
                      y = whole ? 0 : static_cast<int>(random() % 20) - 5;
            const int cw = whole ? w : static_cast<int>(1 + random() % static_cast<unsigned>(w + 5));
            const int ch = whole ? h : static_cast<int>(1 + random() % static_cast<unsigned>(h + 5));
            const int sx = static_cast<int>(random() % 5), sy = static_cast<int>(random() % 5);
            switch (random() % 5) {
                case 0: gdi32::BitBlt(dst.dc, x, y, cw, ch, src.dc, 0, 0, rop); break;
                case 1: gdi32::BitBlt(dst.dc, x, y, cw, ch, dst.dc, sx, sy, rop); break;
                case 2: gdi32::PatBlt(dst.dc, x, y, cw, ch, rop); break;
                case 3:
                    gdi32::StretchDIBits(dst.dc, x, y, cw, ch, 0, 0, w, h, src.bits, &srcInfo, DIB_RGB_COLORS, rop);
                    break;
                default: {  // the surface's own bits through another table, as the blend redraws its planes
                    const BITMAPINFO through =
                        Info(w, dst.topDown ? -h : h, dstBits, random() % 2 ? table : Ramp(2, Halve));
                    gdi32::StretchDIBits(dst.dc, 0, 0, w, h, 0, 0, w, h, dst.bits, &through, DIB_RGB_COLORS,
                                         random() % 2 ? SRCCOPY : rop);
                }
            }
            mix(dst.bits, static_cast<std::size_t>(dst.stride * h));
        }
        gdi32::SelectObject(dst.dc, gdi32::GetStockObject(WHITE_BRUSH));
        gdi32::DeleteObject(brush);
    }
    return hash;
}

// Every path the processor has gives the same bytes as the portable one.
TEST(Paths, RandomWorkGivesTheSameBytesOnEveryPath) {
    const gdi32::KernelPath tested = Tested().path;
    ASSERT_TRUE(gdi32::ForceKernelPath(gdi32::KernelPath::Portable));
    const std::uint64_t portable = HashOfRandomWork(600);
    for (const auto path : {gdi32::KernelPath::Avx2, gdi32::KernelPath::Avx512}) {
        if (!gdi32::ForceKernelPath(path)) continue;
        EXPECT_EQ(HashOfRandomWork(600), portable) << gdi32::PathName(path);
    }
    gdi32::ForceKernelPath(tested);
}

}  // namespace
