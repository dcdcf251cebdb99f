// The baseline every x86-64 processor runs: SSE2 through the compiler's vector extensions.
#include <array>
#include <cstring>
#include <utility>

#include "kernels.h"
#include "rop_fold.h"

namespace gdi32 {
namespace {

using Vec = std::uint8_t __attribute__((vector_size(16)));

inline Vec Load(const std::uint8_t* p) {
    Vec v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void Store(std::uint8_t* p, Vec v) { std::memcpy(p, &v, sizeof v); }

template <unsigned R>
void RopRow(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* p, std::size_t n, const ResultMask& mask) {
    constexpr bool usesS = RopUsesSource(R), usesP = RopUsesPattern(R), usesD = RopUsesDestination(R);
    const Vec keep = Load(mask.bytes);
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const Vec d0 = usesD ? Load(d + i) : Vec{}, d1 = usesD ? Load(d + i + 16) : Vec{};
        const Vec s0 = usesS ? Load(s + i) : Vec{}, s1 = usesS ? Load(s + i + 16) : Vec{};
        const Vec p0 = usesP ? Load(p + i) : Vec{}, p1 = usesP ? Load(p + i + 16) : Vec{};
        Store(d + i, fold::OfPSD<R>(p0, s0, d0) & keep);
        Store(d + i + 16, fold::OfPSD<R>(p1, s1, d1) & keep);
    }
    for (; i + 16 <= n; i += 16) {
        const Vec d0 = usesD ? Load(d + i) : Vec{};
        const Vec s0 = usesS ? Load(s + i) : Vec{};
        const Vec p0 = usesP ? Load(p + i) : Vec{};
        Store(d + i, fold::OfPSD<R>(p0, s0, d0) & keep);
    }
    if (i < n) {
        const std::size_t rest = n - i;
        std::uint8_t bd[16] = {}, bs[16] = {}, bp[16] = {};
        std::memcpy(bd, d + i, rest);
        if (usesS) std::memcpy(bs, s + i, rest);
        if (usesP) std::memcpy(bp, p + i, rest);
        Store(bd, fold::OfPSD<R>(Load(bp), Load(bs), Load(bd)) & keep);
        std::memcpy(d + i, bd, rest);
    }
}

template <std::size_t... I>
constexpr std::array<RopRowFunction, 256> MakeRopRows(std::index_sequence<I...>) {
    return {&RopRow<static_cast<unsigned>(I)>...};
}
constexpr std::array<RopRowFunction, 256> kRopRows = MakeRopRows(std::make_index_sequence<256>{});

// Eight lookups to a 64-bit store. Kept out of line: inlined into a caller's loop, the compiler's
// attempt to vectorise it costs half the speed.
[[gnu::noinline]] void MapBytes(const std::uint8_t* in, std::uint8_t* out, std::size_t n, const std::uint8_t* map) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word = 0;
        for (int k = 7; k >= 0; --k) word = (word << 8) | map[in[i + static_cast<std::size_t>(k)]];
        std::memcpy(out + i, &word, 8);
    }
    for (; i < n; ++i) out[i] = map[in[i]];
}

void PickBytes(const std::uint8_t* in, int step, std::uint8_t* out, std::size_t n, const std::uint8_t* map) {
    for (std::size_t i = 0; i < n; ++i, in += step) out[i] = map[*in];
}

void ExpandBytes(const std::uint8_t* in, std::uint8_t* out, std::size_t n, const ColourLookup& lookup) {
    for (std::size_t i = 0; i < n; ++i) std::memcpy(out + 4 * i, &lookup.colours[in[i]], 4);
}

constexpr Kernels kPortable{KernelPath::Portable, MapBytes, PickBytes, ExpandBytes, kRopRows.data()};

}  // namespace

const Kernels& PortableKernels() { return kPortable; }

}  // namespace gdi32
