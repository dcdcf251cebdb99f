// The blend demo's GDI work on 200 x 200 pictures, and raw BitBlt throughput.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>

#include "blend_sequence.h"
#include "gdi32/gdi.h"
#include "platform/image_bitmaps.h"

namespace {

constexpr int kSize = 200;

// Two pictures with smooth gradients and noise, like photographs: many distinct colours.
struct Pictures {
    Pictures() {
        std::mt19937 random(1);
        for (int k = 0; k < 3; ++k) {
            bitmaps[k] = gdi32::CreateImageBitmap(kSize, kSize, RGB(255, 255, 255));
            dcs[k] = gdi32::CreateCompatibleDC(nullptr);
            olds[k] = gdi32::SelectObject(dcs[k], bitmaps[k]);
        }
        for (int k = 0; k < 2; ++k) {
            const gdi32::BitmapView view = *gdi32::ViewOf(bitmaps[k]);
            for (int y = 0; y < kSize; ++y)
                for (int x = 0; x < kSize; ++x) {
                    std::uint8_t* p = view.bits + y * view.stride + 4 * x;
                    p[0] = static_cast<std::uint8_t>((x + y + static_cast<int>(random() % 16)) % 256);
                    p[1] = static_cast<std::uint8_t>(128 + 120 * std::sin((x + 40 * k) / 23.0));
                    p[2] = static_cast<std::uint8_t>((3 * y + static_cast<int>(random() % 8)) % 256);
                }
        }
        form = gdi32::CreateCompatibleDC(nullptr);
    }
    ~Pictures() {
        for (int k = 0; k < 3; ++k) {
            gdi32::SelectObject(dcs[k], olds[k]);
            gdi32::DeleteDC(dcs[k]);
            gdi32::DeleteObject(bitmaps[k]);
        }
        gdi32::DeleteDC(form);
    }
    HBITMAP bitmaps[3];
    HDC dcs[3];
    HGDIOBJ olds[3];
    HDC form;
};

// Runs first, so it meets empty colour-table caches, as the demo's one real run does.
void BM_BlendFirstRun(benchmark::State& state) {
    Pictures pictures;
    for (auto _ : state) {
        gditest::BlendPlanes planes;
        planes.Prepare(pictures.form, pictures.dcs[0], pictures.dcs[1], kSize, kSize);
        planes.Draw(pictures.dcs[2], kSize, kSize);
        state.PauseTiming();
        planes.Release();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BlendFirstRun)->Iterations(1)->Unit(benchmark::kMicrosecond);

// Nine planes and DCs, 6 splitting BitBlts and 6 in-place halving StretchDIBits.
void BM_PreparePlanes(benchmark::State& state) {
    Pictures pictures;
    for (auto _ : state) {
        gditest::BlendPlanes planes;
        planes.Prepare(pictures.form, pictures.dcs[0], pictures.dcs[1], kSize, kSize);
        state.PauseTiming();
        planes.Release();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PreparePlanes)->Unit(benchmark::kMicrosecond);

// Three 30-operation adders and the three composing BitBlts into a 32-bit picture.
void BM_DrawBlend(benchmark::State& state) {
    Pictures pictures;
    gditest::BlendPlanes planes;
    planes.Prepare(pictures.form, pictures.dcs[0], pictures.dcs[1], kSize, kSize);
    for (auto _ : state) planes.Draw(pictures.dcs[2], kSize, kSize);
    planes.Release();
}
BENCHMARK(BM_DrawBlend)->Unit(benchmark::kMicrosecond);

// BitBlt between two 1024 x 768 surfaces of one format and table; bytes are the destination's.
void BM_BitBlt(benchmark::State& state, int bitCount, DWORD rop) {
    constexpr int kWidth = 1024, kHeight = 768;
    BITMAPINFO info{};
    info.bmiHeader = {40, kWidth, kHeight, 1, static_cast<WORD>(bitCount), BI_RGB, 0, 0, 0, 0, 0};
    for (int i = 0; i < 256; ++i) info.bmiColors[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i), 0, 0};
    void* bits[2];
    HBITMAP bitmaps[2];
    HDC dcs[2];
    std::mt19937 random(2);
    for (int k = 0; k < 2; ++k) {
        bitmaps[k] = gdi32::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits[k], nullptr, 0);
        dcs[k] = gdi32::CreateCompatibleDC(nullptr);
        gdi32::SelectObject(dcs[k], bitmaps[k]);
        auto* bytes = static_cast<std::uint8_t*>(bits[k]);
        for (std::size_t i = 0; i < static_cast<std::size_t>(kWidth * kHeight * bitCount / 8); ++i)
            bytes[i] = static_cast<std::uint8_t>(random());
    }
    HBRUSH brush = gdi32::CreateSolidBrush(RGB(0x5A, 0xA5, 0x3C));
    gdi32::SelectObject(dcs[0], brush);
    for (auto _ : state) {
        gdi32::BitBlt(dcs[0], 0, 0, kWidth, kHeight, dcs[1], 0, 0, rop);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * bitCount / 8);
    for (int k = 0; k < 2; ++k) {
        gdi32::DeleteDC(dcs[k]);
        gdi32::DeleteObject(bitmaps[k]);
    }
    gdi32::DeleteObject(brush);
}
BENCHMARK_CAPTURE(BM_BitBlt, SRCCOPY_8bit, 8, SRCCOPY)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BitBlt, SRCAND_8bit, 8, SRCAND)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BitBlt, SRCINVERT_8bit, 8, SRCINVERT)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BitBlt, PATINVERT_8bit, 8, PATINVERT)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BitBlt, PSDPxax_8bit, 8, 0x00B8074A)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BitBlt, SRCCOPY_32bit, 32, SRCCOPY)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BitBlt, SRCAND_32bit, 32, SRCAND)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BitBlt, SRCINVERT_32bit, 32, SRCINVERT)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BitBlt, PATINVERT_32bit, 32, PATINVERT)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BitBlt, PSDPxax_32bit, 32, 0x00B8074A)->Unit(benchmark::kMicrosecond);

// A photograph-like 32-bit picture into an 8-bit surface with an arbitrary 256-colour table:
// the general nearest-colour search, warm.
void BM_TrueColourToPalette(benchmark::State& state) {
    Pictures pictures;
    BITMAPINFO info{};
    info.bmiHeader = {40, kSize, kSize, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
    std::mt19937 random(3);
    for (auto& q : info.bmiColors)
        q = RGBQUAD{static_cast<BYTE>(random()), static_cast<BYTE>(random()), static_cast<BYTE>(random()), 0};
    HBITMAP bitmap = gdi32::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    HDC dc = gdi32::CreateCompatibleDC(nullptr);
    HGDIOBJ old = gdi32::SelectObject(dc, bitmap);
    for (auto _ : state) gdi32::BitBlt(dc, 0, 0, kSize, kSize, pictures.dcs[0], 0, 0, SRCCOPY);
    gdi32::SelectObject(dc, old);
    gdi32::DeleteDC(dc);
    gdi32::DeleteObject(bitmap);
}
BENCHMARK(BM_TrueColourToPalette)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
