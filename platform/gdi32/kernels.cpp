#include "kernels.h"

#include <atomic>

namespace gdi32 {
namespace {

KernelPath BestPath() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi"))
        return KernelPath::Avx512;
    if (__builtin_cpu_supports("avx2")) return KernelPath::Avx2;
    return KernelPath::Portable;
}

const Kernels& TableOf(KernelPath path) {
    switch (path) {
        case KernelPath::Avx512: return Avx512Kernels();
        case KernelPath::Avx2: return Avx2Kernels();
        default: return PortableKernels();
    }
}

std::atomic<const Kernels*>& Current() {
    static std::atomic<const Kernels*> current{&TableOf(BestPath())};
    return current;
}

}  // namespace

const Kernels& ActiveKernels() { return *Current().load(std::memory_order_relaxed); }

bool PathAvailable(KernelPath path) {
    static const KernelPath best = BestPath();
    return static_cast<int>(path) <= static_cast<int>(best);  // each path's extensions include the one below
}

bool ForceKernelPath(KernelPath path) {
    if (!PathAvailable(path)) return false;
    Current().store(&TableOf(path), std::memory_order_relaxed);
    return true;
}

const char* PathName(KernelPath path) {
    switch (path) {
        case KernelPath::Avx512: return "avx512";
        case KernelPath::Avx2: return "avx2";
        default: return "portable";
    }
}

}  // namespace gdi32
