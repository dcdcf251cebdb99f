// Each raster operation built at compile time from its truth table, for any vector type with the
// bitwise operators: split on one input at a time (P, then S, then D), folding constant halves, so
// every code compiles to a few logic instructions.
#pragma once

namespace gdi32::fold {

template <unsigned T, class V>  // 2-entry table over D: bit D
[[gnu::always_inline]] inline V OfD(V d) {
    if constexpr (T == 0) return V{};
    else if constexpr (T == 1) return ~d;
    else if constexpr (T == 2) return d;
    else return ~V{};
}

template <unsigned T, class V>  // 4-entry table over S, D: bit (S << 1 | D)
[[gnu::always_inline]] inline V OfSD(V s, V d) {
    constexpr unsigned low = T & 3u, high = T >> 2;
    if constexpr (low == high) return OfD<low>(d);
    else if constexpr (low == 0) return s & OfD<high>(d);
    else if constexpr (high == 0) return ~s & OfD<low>(d);
    else if constexpr (low == 3) return ~s | OfD<high>(d);
    else if constexpr (high == 3) return s | OfD<low>(d);
    else return s ^ OfD<low>(d);  // high is the complement of low
}

template <unsigned R, class V>  // the whole 8-entry table: bit (P << 2 | S << 1 | D)
[[gnu::always_inline]] inline V OfPSD(V p, V s, V d) {
    constexpr unsigned low = R & 15u, high = R >> 4;
    if constexpr (low == high) return OfSD<low>(s, d);
    else if constexpr (low == 0) return p & OfSD<high>(s, d);
    else if constexpr (high == 0) return ~p & OfSD<low>(s, d);
    else if constexpr (low == 15) return ~p | OfSD<high>(s, d);
    else if constexpr (high == 15) return p | OfSD<low>(s, d);
    else if constexpr ((low ^ high) == 15) return p ^ OfSD<low>(s, d);
    else {
        const V whenClear = OfSD<low>(s, d);
        return ((OfSD<high>(s, d) ^ whenClear) & p) ^ whenClear;
    }
}

}  // namespace gdi32::fold
