// The raster engine on each path the processor has: blendview's own Module1 on its own form (the
// set-up, the drawing, and the first run in a fresh process, as the program's one real run), and
// BitBlt throughput on 1024 x 768 surfaces against memcpy.
#include <benchmark/benchmark.h>

#include <frame/form.h>
#include <frame/testing.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Module1.h"
#include "gdi32/gdi.h"
#include "gdi32/kernels.h"

extern char** environ;

namespace {

using gdi32::KernelPath;

constexpr int kSize = 200;
constexpr const char kFirstRunFlag[] = "--first-run=";

const KernelPath kPaths[] = {KernelPath::Avx512, KernelPath::Avx2, KernelPath::Portable};

// The three picture boxes' device contexts, read as the click handlers read them.
struct PictureDcs {
    HDC dc1 = frame::PictureBox("Picture1").hDC();
    HDC dc2 = frame::PictureBox("Picture2").hDC();
    HDC dc3 = frame::PictureBox("Picture3").hDC();
};

// Each report lengthens the caption; put it back so every iteration reads and writes the same text.
void ResetCaption() { frame::Form("Form1").setCaption("半透明表示サンプル"); }

// PreparePlanes: ten headers, nine tables, nine planes and device contexts, 6 splitting BitBlts and
// 6 in-place halving StretchDIBits.
void BM_PreparePlanes(benchmark::State& state, KernelPath path) {
    gdi32::ForceKernelPath(path);
    const PictureDcs dcs;
    for (auto _ : state) {
        PreparePlanes(dcs.dc1, dcs.dc2, dcs.dc3, kSize, kSize);
        state.PauseTiming();
        ReleasePlanes();
        ResetCaption();
        state.ResumeTiming();
    }
}

// DrawBlend: three 30-operation adders and the three composing BitBlts into Picture3's image.
void BM_DrawBlend(benchmark::State& state, KernelPath path) {
    gdi32::ForceKernelPath(path);
    const PictureDcs dcs;
    PreparePlanes(dcs.dc1, dcs.dc2, dcs.dc3, kSize, kSize);
    for (auto _ : state) {
        DrawBlend(dcs.dc1, dcs.dc2, dcs.dc3, kSize, kSize);
        state.PauseTiming();
        ResetCaption();
        state.ResumeTiming();
    }
    ReleasePlanes();
    ResetCaption();
}

// In a fresh process (this program started with --first-run=PATH): set-up and drawing once, with
// every cache of the engine empty and its code not yet run. Prints the two times in nanoseconds and
// the page faults taken meanwhile (first touches of memory and code, dear in a virtual machine).
int FirstRunChild(const char* pathName) {
    for (const KernelPath path : kPaths)
        if (std::strcmp(pathName, gdi32::PathName(path)) == 0 && !gdi32::ForceKernelPath(path)) return 3;
    frame::testing::StartProgram();
    const PictureDcs dcs;
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    PreparePlanes(dcs.dc1, dcs.dc2, dcs.dc3, kSize, kSize);
    const auto prepared = std::chrono::steady_clock::now();
    DrawBlend(dcs.dc1, dcs.dc2, dcs.dc3, kSize, kSize);
    const auto drawn = std::chrono::steady_clock::now();
    getrusage(RUSAGE_SELF, &after);
    const auto ns = [](auto d) {
        return static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(d).count());
    };
    std::printf("%lld %lld %ld\n", ns(prepared - start), ns(drawn - prepared), after.ru_minflt - before.ru_minflt);
    std::fflush(stdout);
    ReleasePlanes();
    std::_Exit(0);  // the form and Qt go with the process
}

// The first run of the program, timed in a child process per iteration; set-up and drawing are
// also reported apart (setup_us, draw_us), with the page faults of the run (faults).
void BM_FirstRun(benchmark::State& state, KernelPath path) {
    for (auto _ : state) {
        int out[2];
        if (pipe(out) != 0) {
            state.SkipWithError("pipe");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string flag = std::string(kFirstRunFlag) + gdi32::PathName(path);
        char self[] = "/proc/self/exe";
        char* argv[] = {self, flag.data(), nullptr};
        pid_t child = 0;
        const int spawned = posix_spawn(&child, self, &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char text[128] = {};
        std::size_t length = 0;
        for (ssize_t got;
             length + 1 < sizeof text && (got = read(out[0], text + length, sizeof text - 1 - length)) > 0;)
            length += static_cast<std::size_t>(got);
        close(out[0]);
        int status = 0;
        if (spawned == 0) waitpid(child, &status, 0);
        long long setup = 0, draw = 0;
        long faults = 0;
        if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
            std::sscanf(text, "%lld %lld %ld", &setup, &draw, &faults) != 3) {
            state.SkipWithError("the first-run process failed");
            return;
        }
        state.SetIterationTime(static_cast<double>(setup + draw) / 1e9);
        state.counters["setup_us"] = static_cast<double>(setup) / 1e3;
        state.counters["draw_us"] = static_cast<double>(draw) / 1e3;
        state.counters["faults"] = static_cast<double>(faults);
    }
}

// Two 1024 x 768 DIB sections of one format and table (and a solid brush); bytes are the
// destination's.
void BM_BitBlt(benchmark::State& state, KernelPath path, int bitCount, DWORD rop) {
    gdi32::ForceKernelPath(path);
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
    HGDIOBJ oldBrush = gdi32::SelectObject(dcs[0], brush);
    for (auto _ : state) {
        gdi32::BitBlt(dcs[0], 0, 0, kWidth, kHeight, dcs[1], 0, 0, rop);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * bitCount / 8);
    gdi32::SelectObject(dcs[0], oldBrush);
    for (int k = 0; k < 2; ++k) {
        gdi32::DeleteDC(dcs[k]);
        gdi32::DeleteObject(bitmaps[k]);
    }
    gdi32::DeleteObject(brush);
}

// What SRCCOPY between two 1024 x 768 surfaces is measured against.
void BM_Memcpy(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    std::vector<std::uint8_t> from(bytes, 1), to(bytes, 2);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}

// A photograph-like 32-bit picture into an 8-bit surface with an arbitrary 256-colour table: the
// general nearest-colour search, warm (no kernel of its own).
void BM_TrueColourToPalette(benchmark::State& state) {
    const HDC picture = frame::PictureBox("Picture2").hDC();
    BITMAPINFO info{};
    info.bmiHeader = {40, kSize, kSize, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
    std::mt19937 random(3);
    for (auto& q : info.bmiColors)
        q = RGBQUAD{static_cast<BYTE>(random()), static_cast<BYTE>(random()), static_cast<BYTE>(random()), 0};
    HBITMAP bitmap = gdi32::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    HDC dc = gdi32::CreateCompatibleDC(nullptr);
    HGDIOBJ old = gdi32::SelectObject(dc, bitmap);
    for (auto _ : state) gdi32::BitBlt(dc, 0, 0, kSize, kSize, picture, 0, 0, SRCCOPY);
    gdi32::SelectObject(dc, old);
    gdi32::DeleteDC(dc);
    gdi32::DeleteObject(bitmap);
}

void RegisterAll() {
    // First runs first: this process has then drawn nothing that a child could inherit.
    for (const KernelPath path : kPaths) {
        if (!gdi32::PathAvailable(path)) continue;
        const std::string name = gdi32::PathName(path);
        benchmark::RegisterBenchmark(("BM_FirstRun/" + name).c_str(), BM_FirstRun, path)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
    for (const KernelPath path : kPaths) {
        if (!gdi32::PathAvailable(path)) continue;
        const std::string name = gdi32::PathName(path);
        benchmark::RegisterBenchmark(("BM_PreparePlanes/" + name).c_str(), BM_PreparePlanes, path)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_DrawBlend/" + name).c_str(), BM_DrawBlend, path)
            ->Unit(benchmark::kMicrosecond);
    }
    struct Blit {
        const char* name;
        int bitCount;
        DWORD rop;
    };
    const Blit blits[] = {
        {"SRCCOPY_8bit", 8, SRCCOPY},       {"SRCINVERT_8bit", 8, SRCINVERT}, {"PATINVERT_8bit", 8, PATINVERT},
        {"PSDPxax_8bit", 8, 0x00B8074A},    {"SRCCOPY_32bit", 32, SRCCOPY},   {"SRCINVERT_32bit", 32, SRCINVERT},
        {"PATINVERT_32bit", 32, PATINVERT},
    };
    for (const KernelPath path : kPaths) {
        if (!gdi32::PathAvailable(path)) continue;
        for (const Blit& blit : blits)
            benchmark::RegisterBenchmark((std::string("BM_BitBlt/") + blit.name + "/" + gdi32::PathName(path)).c_str(),
                                         BM_BitBlt, path, blit.bitCount, blit.rop)
                ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("BM_Memcpy", BM_Memcpy)
        ->Arg(1024 * 768)
        ->Arg(1024 * 768 * 4)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_TrueColourToPalette", BM_TrueColourToPalette)->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strncmp(argv[1], kFirstRunFlag, sizeof kFirstRunFlag - 1) == 0)
        return FirstRunChild(argv[1] + sizeof kFirstRunFlag - 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    frame::testing::StartProgram();  // Form1 with its two embedded pictures, as the program starts
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    frame::testing::Shutdown();
    return 0;
}
