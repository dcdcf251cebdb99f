// The raster engine's hot loops, one version per instruction set. The best one the processor runs is
// picked once, at first use, so one build serves every x86-64 machine.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rop.h"

namespace gdi32 {

enum class KernelPath { Portable, Avx2, Avx512 };  // AVX-512 here means F, BW and VBMI

using RopRowFunction = void (*)(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* p, std::size_t n,
                                const ResultMask& mask);

// A 256-entry colour table as colours and as one byte table per colour byte (what a byte permute
// looks up).
struct ColourLookup {
    std::uint32_t colours[256];
    alignas(64) std::uint8_t bytes[4][256];  // bytes[b][i] is byte b of colours[i]

    void Fill(const std::uint32_t* table) {
        for (int i = 0; i < 256; ++i) {
            colours[i] = table[i];
            for (int b = 0; b < 4; ++b) bytes[b][i] = static_cast<std::uint8_t>(table[i] >> (8 * b));
        }
    }
};

struct Kernels {
    KernelPath path;
    // out[i] = map[in[i]] for i < n; in may equal out. map has 256 entries.
    void (*mapBytes)(const std::uint8_t* in, std::uint8_t* out, std::size_t n, const std::uint8_t* map);
    // out[i] = map[in[step * i]] for i < n, step 3 or 4: one channel of packed pixels through a table.
    // Reads no byte past in[step * (n - 1)].
    void (*pickBytes)(const std::uint8_t* in, int step, std::uint8_t* out, std::size_t n, const std::uint8_t* map);
    // The 4 bytes at out + 4 * i = lookup.colours[in[i]] for i < n.
    void (*expandBytes)(const std::uint8_t* in, std::uint8_t* out, std::size_t n, const ColourLookup& lookup);
    // Row i applies raster operation i: d[j] = op(p[j], s[j], d[j]) & mask for j < n, bitwise; s and
    // p are read only when the operation uses them (either may be null otherwise); s may equal d.
    const RopRowFunction* ropRows;
};

// The kernels in use: the best path of the processor, unless one was forced.
const Kernels& ActiveKernels();

bool PathAvailable(KernelPath path);
// For tests and benchmarks: every blit uses `path` from now on; false (and no change) when the
// processor lacks it.
bool ForceKernelPath(KernelPath path);
const char* PathName(KernelPath path);

// Each path's table; only call one whose path is available.
const Kernels& PortableKernels();
const Kernels& Avx2Kernels();
const Kernels& Avx512Kernels();

}  // namespace gdi32
