// AVX2: 32 bytes at a time. Every function here carries the target attribute, so none of it runs
// unless the dispatch found AVX2.
#include <immintrin.h>

#include <array>
#include <cstring>
#include <utility>

#include "kernels.h"
#include "rop_fold.h"

#define AVX2 __attribute__((target("avx2")))

namespace gdi32 {
namespace {

AVX2 inline __m256i Load(const std::uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
AVX2 inline void Store(std::uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

template <unsigned R>
AVX2 void RopRow(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* p, std::size_t n, const ResultMask& mask) {
    constexpr bool usesS = RopUsesSource(R), usesP = RopUsesPattern(R), usesD = RopUsesDestination(R);
    const __m256i keep = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(mask.bytes)));
    const __m256i zero = _mm256_setzero_si256();
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i vd = usesD ? Load(d + i) : zero, vs = usesS ? Load(s + i) : zero, vp = usesP ? Load(p + i) : zero;
        Store(d + i, fold::OfPSD<R>(vp, vs, vd) & keep);
    }
    if (i < n) {  // the last bytes through buffers, which the 32-byte pattern mask starts with too
        const std::size_t rest = n - i;
        std::uint8_t bd[32] = {}, bs[32] = {}, bp[32] = {};
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

// A 256-entry table as 16 rows of 16, each in both halves of a register for the byte shuffle.
struct NibbleRows {
    __m256i row[16];
};

AVX2 inline void LoadRows(const std::uint8_t* map, NibbleRows& rows) {
    for (int k = 0; k < 16; ++k)
        rows.row[k] = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(map + 16 * k)));
}

// AVX2 has no byte permute across 256 entries: look up the low nibble in all 16 rows, then pick
// between neighbours by index bits 4, 5, 6 and 7 in turn (a blend reads only each byte's top bit, so
// shifting the index left brings the deciding bit there).
AVX2 inline __m256i Lookup(__m256i index, const NibbleRows& rows) {
    const __m256i low = _mm256_and_si256(index, _mm256_set1_epi8(0x0F));
    __m256i level[16];
    for (int k = 0; k < 16; ++k) level[k] = _mm256_shuffle_epi8(rows.row[k], low);
    for (int bit = 4, count = 16; bit < 8; ++bit) {
        const __m256i decides = _mm256_slli_epi16(index, 7 - bit);
        count /= 2;
        for (int k = 0; k < count; ++k) level[k] = _mm256_blendv_epi8(level[2 * k], level[2 * k + 1], decides);
    }
    return level[0];
}

AVX2 void MapBytes(const std::uint8_t* in, std::uint8_t* out, std::size_t n, const std::uint8_t* map) {
    NibbleRows rows;
    LoadRows(map, rows);
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) Store(out + i, Lookup(Load(in + i), rows));
    for (; i < n; ++i) out[i] = map[in[i]];
}

constexpr std::array<std::uint8_t, 256> kIdentity = [] {
    std::array<std::uint8_t, 256> identity{};
    for (int i = 0; i < 256; ++i) identity[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    return identity;
}();

// A library compare, as rows are picked one call each when the row orders differ.
bool IsIdentity(const std::uint8_t* map) { return std::memcmp(map, kIdentity.data(), 256) == 0; }

// Byte `step * j` of 16 packed pixels, gathered from the `step` 16-byte pieces they span.
AVX2 inline __m128i Gather16(const std::uint8_t* p, int step, const __m128i* shuffles) {
    __m128i result = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), shuffles[0]);
    for (int c = 1; c < step; ++c)
        result = _mm_or_si128(
            result, _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * c)), shuffles[c]));
    return result;
}

AVX2 void PickBytes(const std::uint8_t* in, int step, std::uint8_t* out, std::size_t n, const std::uint8_t* map) {
    __m128i shuffles[4];
    for (int c = 0; c < step; ++c) {
        alignas(16) std::uint8_t lanes[16];
        for (int j = 0; j < 16; ++j) {
            const int at = step * j - 16 * c;
            lanes[j] = static_cast<std::uint8_t>(at >= 0 && at < 16 ? at : 0x80);  // 0x80 gives 0
        }
        shuffles[c] = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
    }
    // The channel planes' tables are mostly the identity; the lookup is the dear part here.
    const bool identity = IsIdentity(map);
    NibbleRows rows;
    if (!identity) LoadRows(map, rows);
    const std::size_t stride = static_cast<std::size_t>(step);
    std::size_t i = 0;
    // A block reads 32 whole pixels; stopping one pixel early keeps the last read inside the span.
    for (; i + 32 < n; i += 32) {
        const std::uint8_t* p = in + stride * i;
        const __m256i picked = _mm256_set_m128i(Gather16(p + 16 * stride, step, shuffles), Gather16(p, step, shuffles));
        Store(out + i, identity ? picked : Lookup(picked, rows));
    }
    for (; i < n; ++i) out[i] = map[in[stride * i]];
}

}  // namespace

// Indices to colours stay the portable loop: AVX2's gathers measured slower than plain loads.
const Kernels& Avx2Kernels() {
    static const Kernels kernels{KernelPath::Avx2, MapBytes, PickBytes, PortableKernels().expandBytes, kRopRows.data()};
    return kernels;
}

}  // namespace gdi32
