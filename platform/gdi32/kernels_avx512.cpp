// AVX-512 with VBMI: 64 bytes at a time, a 256-entry byte table in four registers (two 128-entry
// byte permutes and a blend on the index's top bit), any raster operation in one ternary-logic
// instruction (its immediate is the operation's index), and masked loads and stores for the tails.
// Every function here carries the target attribute, so none of it runs unless the dispatch found
// these extensions.
#include <immintrin.h>

#include <array>
#include <cstring>
#include <utility>

#include "kernels.h"

#define AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

namespace gdi32 {
namespace {

AVX512 inline __m512i Load(const std::uint8_t* p) { return _mm512_loadu_si512(p); }
AVX512 inline void Store(std::uint8_t* p, __m512i v) { _mm512_storeu_si512(p, v); }
// The first `count` bytes of a block.
AVX512 inline __mmask64 FirstBytes(std::size_t count) { return count >= 64 ? ~0ull : (1ull << count) - 1; }
AVX512 inline __m512i LoadFirst(const std::uint8_t* p, std::size_t count) {
    return _mm512_maskz_loadu_epi8(FirstBytes(count), p);
}

template <unsigned R>
AVX512 void RopRow(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* p, std::size_t n,
                   const ResultMask& mask) {
    constexpr bool usesS = RopUsesSource(R), usesP = RopUsesPattern(R), usesD = RopUsesDestination(R);
    // The 16-byte mask four times (GCC 12's broadcast intrinsic warns about its own undefined operand).
    alignas(64) std::uint8_t keepBytes[64];
    for (int k = 0; k < 4; ++k) std::memcpy(keepBytes + 16 * k, mask.bytes, 16);
    const __m512i keep = Load(keepBytes);
    const __m512i zero = _mm512_setzero_si512();
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        const __m512i vd = usesD ? Load(d + i) : zero, vs = usesS ? Load(s + i) : zero, vp = usesP ? Load(p + i) : zero;
        Store(d + i, _mm512_and_si512(_mm512_ternarylogic_epi64(vp, vs, vd, R), keep));
    }
    if (i < n) {
        const std::size_t rest = n - i;
        const __m512i vd = usesD ? LoadFirst(d + i, rest) : zero, vs = usesS ? LoadFirst(s + i, rest) : zero,
                      vp = usesP ? LoadFirst(p + i, rest) : zero;
        _mm512_mask_storeu_epi8(d + i, FirstBytes(rest),
                                _mm512_and_si512(_mm512_ternarylogic_epi64(vp, vs, vd, R), keep));
    }
}

template <std::size_t... I>
constexpr std::array<RopRowFunction, 256> MakeRopRows(std::index_sequence<I...>) {
    return {&RopRow<static_cast<unsigned>(I)>...};
}
constexpr std::array<RopRowFunction, 256> kRopRows = MakeRopRows(std::make_index_sequence<256>{});

struct Table {
    __m512i quarter[4];
};

AVX512 inline void LoadTable(const std::uint8_t* map, Table& table) {
    for (int k = 0; k < 4; ++k) table.quarter[k] = Load(map + 64 * k);
}

AVX512 inline __m512i Lookup(__m512i index, const Table& table) {
    const __m512i low = _mm512_permutex2var_epi8(table.quarter[0], index, table.quarter[1]);
    const __m512i high = _mm512_permutex2var_epi8(table.quarter[2], index, table.quarter[3]);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
}

AVX512 void MapBytes(const std::uint8_t* in, std::uint8_t* out, std::size_t n, const std::uint8_t* map) {
    Table table;
    LoadTable(map, table);
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64) Store(out + i, Lookup(Load(in + i), table));
    if (i < n) _mm512_mask_storeu_epi8(out + i, FirstBytes(n - i), Lookup(LoadFirst(in + i, n - i), table));
}

// Byte step * j of 64 packed pixels, read as `bytes` bytes from p (so none past the last pixel's
// first): positions below 128 come from the first two registers, the others from the last two.
AVX512 inline __m512i Gather64(const std::uint8_t* p, std::size_t bytes, __m512i where) {
    __m512i v[4];
    for (std::size_t k = 0; k < 4; ++k)
        v[k] = bytes > 64 * k ? LoadFirst(p + 64 * k, bytes - 64 * k) : _mm512_setzero_si512();
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(where), _mm512_permutex2var_epi8(v[0], where, v[1]),
                                  _mm512_permutex2var_epi8(v[2], where, v[3]));
}

AVX512 void PickBytes(const std::uint8_t* in, int step, std::uint8_t* out, std::size_t n, const std::uint8_t* map) {
    Table table;
    LoadTable(map, table);
    alignas(64) std::uint8_t positions[64];
    for (int j = 0; j < 64; ++j) positions[j] = static_cast<std::uint8_t>(step * j);
    const __m512i where = Load(positions);
    const std::size_t stride = static_cast<std::size_t>(step);
    std::size_t i = 0;
    for (; i + 64 < n; i += 64) Store(out + i, Lookup(Gather64(in + stride * i, 64 * stride, where), table));
    if (i < n) {
        const std::size_t rest = n - i;
        const __m512i picked = Gather64(in + stride * i, stride * (rest - 1) + 1, where);
        _mm512_mask_storeu_epi8(out + i, FirstBytes(rest), Lookup(picked, table));
    }
}

// 128-bit lanes of a and b as the immediate picks them (the masked form: GCC 12's plain one warns
// about its own undefined operand).
template <int Pick>
AVX512 inline __m512i Lanes(__m512i a, __m512i b) {
    return _mm512_maskz_shuffle_i64x2(0xFF, a, b, Pick);
}

// 64 indices to 64 colours: one lookup per colour byte, then the four byte planes interleaved into
// pixels (bytes, then words, then 128-bit lanes put back in order).
AVX512 inline void Expand64(__m512i index, const Table* planes, __m512i* out) {
    const __m512i b0 = Lookup(index, planes[0]), b1 = Lookup(index, planes[1]);
    const __m512i b2 = Lookup(index, planes[2]), b3 = Lookup(index, planes[3]);
    const __m512i lo01 = _mm512_unpacklo_epi8(b0, b1), hi01 = _mm512_unpackhi_epi8(b0, b1);
    const __m512i lo23 = _mm512_unpacklo_epi8(b2, b3), hi23 = _mm512_unpackhi_epi8(b2, b3);
    // Lane L of d[m] holds pixels 16 L + 4 m .. 16 L + 4 m + 3.
    const __m512i d0 = _mm512_unpacklo_epi16(lo01, lo23), d1 = _mm512_unpackhi_epi16(lo01, lo23);
    const __m512i d2 = _mm512_unpacklo_epi16(hi01, hi23), d3 = _mm512_unpackhi_epi16(hi01, hi23);
    const __m512i t0 = Lanes<0x44>(d0, d1), t1 = Lanes<0x44>(d2, d3);
    const __m512i t2 = Lanes<0xEE>(d0, d1), t3 = Lanes<0xEE>(d2, d3);
    out[0] = Lanes<0x88>(t0, t1);
    out[1] = Lanes<0xDD>(t0, t1);
    out[2] = Lanes<0x88>(t2, t3);
    out[3] = Lanes<0xDD>(t2, t3);
}

AVX512 void ExpandBytes(const std::uint8_t* in, std::uint8_t* out, std::size_t n, const ColourLookup& lookup) {
    Table planes[4];
    for (int b = 0; b < 4; ++b) LoadTable(lookup.bytes[b], planes[b]);
    __m512i pixels[4];
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        Expand64(Load(in + i), planes, pixels);
        for (int k = 0; k < 4; ++k) Store(out + 4 * i + 64 * k, pixels[k]);
    }
    if (i < n) {
        const std::size_t rest = n - i;
        Expand64(LoadFirst(in + i, rest), planes, pixels);
        for (std::size_t k = 0; k < 4 && 16 * k < rest; ++k) {
            const std::size_t count = rest - 16 * k >= 16 ? 16 : rest - 16 * k;
            _mm512_mask_storeu_epi32(out + 4 * i + 64 * k, static_cast<__mmask16>((1u << count) - 1), pixels[k]);
        }
    }
}

constexpr Kernels kAvx512{KernelPath::Avx512, MapBytes, PickBytes, ExpandBytes, kRopRows.data()};

}  // namespace

const Kernels& Avx512Kernels() { return kAvx512; }

}  // namespace gdi32
