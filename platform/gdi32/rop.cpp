#include "rop.h"

#include <array>
#include <cstring>
#include <utility>

namespace gdi32 {
namespace {

// 16 bytes at a time; the compiler turns the operators into SSE2 instructions.
using Vec = std::uint8_t __attribute__((vector_size(16)));

inline Vec Load(const std::uint8_t* p) {
    Vec v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void Store(std::uint8_t* p, Vec v) { std::memcpy(p, &v, sizeof v); }

// Each operation is built at compile time from its truth table by splitting on one input at a time
// (P, then S, then D), folding the constant halves, so every code compiles to a few logic instructions.
template <unsigned T>  // 2-entry table over D: bit D
inline Vec OfD(Vec d) {
    if constexpr (T == 0) return Vec{};
    else if constexpr (T == 1) return ~d;
    else if constexpr (T == 2) return d;
    else return ~Vec{};
}

template <unsigned T>  // 4-entry table over S, D: bit (S << 1 | D)
inline Vec OfSD(Vec s, Vec d) {
    constexpr unsigned low = T & 3u, high = T >> 2;
    if constexpr (low == high) return OfD<low>(d);
    else if constexpr (low == 0) return s & OfD<high>(d);
    else if constexpr (high == 0) return ~s & OfD<low>(d);
    else if constexpr (low == 3) return ~s | OfD<high>(d);
    else if constexpr (high == 3) return s | OfD<low>(d);
    else return s ^ OfD<low>(d);  // high is the complement of low
}

template <unsigned R>  // the whole 8-entry table: bit (P << 2 | S << 1 | D)
inline Vec OfPSD(Vec p, Vec s, Vec d) {
    constexpr unsigned low = R & 15u, high = R >> 4;
    if constexpr (low == high) return OfSD<low>(s, d);
    else if constexpr (low == 0) return p & OfSD<high>(s, d);
    else if constexpr (high == 0) return ~p & OfSD<low>(s, d);
    else if constexpr (low == 15) return ~p | OfSD<high>(s, d);
    else if constexpr (high == 15) return p | OfSD<low>(s, d);
    else if constexpr ((low ^ high) == 15) return p ^ OfSD<low>(s, d);
    else {
        const Vec whenClear = OfSD<low>(s, d);
        return ((OfSD<high>(s, d) ^ whenClear) & p) ^ whenClear;
    }
}

template <unsigned R>
void RopRow(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* p, std::size_t n, const ResultMask& mask) {
    constexpr bool usesS = RopUsesSource(R), usesP = RopUsesPattern(R), usesD = RopUsesDestination(R);
    const Vec keep = Load(mask.bytes);
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const Vec d0 = usesD ? Load(d + i) : Vec{}, d1 = usesD ? Load(d + i + 16) : Vec{};
        const Vec s0 = usesS ? Load(s + i) : Vec{}, s1 = usesS ? Load(s + i + 16) : Vec{};
        const Vec p0 = usesP ? Load(p + i) : Vec{}, p1 = usesP ? Load(p + i + 16) : Vec{};
        Store(d + i, OfPSD<R>(p0, s0, d0) & keep);
        Store(d + i + 16, OfPSD<R>(p1, s1, d1) & keep);
    }
    for (; i + 16 <= n; i += 16) {
        const Vec d0 = usesD ? Load(d + i) : Vec{};
        const Vec s0 = usesS ? Load(s + i) : Vec{};
        const Vec p0 = usesP ? Load(p + i) : Vec{};
        Store(d + i, OfPSD<R>(p0, s0, d0) & keep);
    }
    if (i < n) {
        const std::size_t rest = n - i;
        std::uint8_t bd[16] = {}, bs[16] = {}, bp[16] = {};
        std::memcpy(bd, d + i, rest);
        if (usesS) std::memcpy(bs, s + i, rest);
        if (usesP) std::memcpy(bp, p + i, rest);
        Store(bd, OfPSD<R>(Load(bp), Load(bs), Load(bd)) & keep);
        std::memcpy(d + i, bd, rest);
    }
}

using RopRowFunction = void (*)(std::uint8_t*, const std::uint8_t*, const std::uint8_t*, std::size_t,
                                const ResultMask&);

template <std::size_t... I>
constexpr std::array<RopRowFunction, 256> MakeRopTable(std::index_sequence<I...>) {
    return {&RopRow<static_cast<unsigned>(I)>...};
}

constexpr std::array<RopRowFunction, 256> kRopRows = MakeRopTable(std::make_index_sequence<256>{});

}  // namespace

ResultMask MaskForFormat(int bitCount) {
    ResultMask mask{};
    std::memset(mask.bytes, 0xFF, sizeof mask.bytes);
    mask.keepsAll = true;
    if (bitCount == 32) {
        for (int i = 3; i < 16; i += 4) mask.bytes[i] = 0;
        mask.keepsAll = false;
    } else if (bitCount == 16) {
        for (int i = 1; i < 16; i += 2) mask.bytes[i] = 0x7F;
        mask.keepsAll = false;
    }
    return mask;
}

void ApplyRop(unsigned index, std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* p, std::size_t n,
              const ResultMask& mask) {
    kRopRows[index & 0xFFu](d, s, p, n, mask);
}

}  // namespace gdi32
