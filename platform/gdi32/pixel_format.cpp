#include "pixel_format.h"

#include <cstring>

namespace gdi32 {
namespace {

void Read1(const std::uint8_t* row, int x, int n, std::uint32_t* out) {
    for (int i = 0; i < n; ++i) {
        const int p = x + i;
        out[i] = (row[p >> 3] >> (7 - (p & 7))) & 1u;
    }
}
void Write1(std::uint8_t* row, int x, int n, const std::uint32_t* in) {
    for (int i = 0; i < n; ++i) {
        const int p = x + i;
        const auto bit = static_cast<std::uint8_t>(0x80u >> (p & 7));
        row[p >> 3] = static_cast<std::uint8_t>((in[i] & 1u) ? (row[p >> 3] | bit) : (row[p >> 3] & ~bit));
    }
}
void Read4(const std::uint8_t* row, int x, int n, std::uint32_t* out) {
    for (int i = 0; i < n; ++i) {
        const int p = x + i;
        out[i] = (p & 1) ? (row[p >> 1] & 0x0Fu) : (row[p >> 1] >> 4);
    }
}
void Write4(std::uint8_t* row, int x, int n, const std::uint32_t* in) {
    for (int i = 0; i < n; ++i) {
        const int p = x + i;
        std::uint8_t& byte = row[p >> 1];
        const auto v = static_cast<std::uint8_t>(in[i] & 0x0Fu);
        byte = static_cast<std::uint8_t>((p & 1) ? ((byte & 0xF0u) | v) : ((byte & 0x0Fu) | (v << 4)));
    }
}
void Read8(const std::uint8_t* row, int x, int n, std::uint32_t* out) {
    for (int i = 0; i < n; ++i) out[i] = row[x + i];
}
void Write8(std::uint8_t* row, int x, int n, const std::uint32_t* in) {
    for (int i = 0; i < n; ++i) row[x + i] = static_cast<std::uint8_t>(in[i]);
}

// 5-bit channels widen by repeating their top bits, so 31 becomes 255 and narrowing gives them back.
std::uint32_t Widen5(std::uint32_t v) { return (v << 3) | (v >> 2); }

void Read16(const std::uint8_t* row, int x, int n, std::uint32_t* out) {
    for (int i = 0; i < n; ++i) {
        const std::uint32_t v = row[2 * (x + i)] | (static_cast<std::uint32_t>(row[2 * (x + i) + 1]) << 8);
        out[i] = (Widen5((v >> 10) & 31u) << 16) | (Widen5((v >> 5) & 31u) << 8) | Widen5(v & 31u);
    }
}
void Write16(std::uint8_t* row, int x, int n, const std::uint32_t* in) {
    for (int i = 0; i < n; ++i) {
        const std::uint32_t c = in[i];
        const std::uint32_t v = (((c >> 19) & 31u) << 10) | (((c >> 11) & 31u) << 5) | ((c >> 3) & 31u);
        row[2 * (x + i)] = static_cast<std::uint8_t>(v);
        row[2 * (x + i) + 1] = static_cast<std::uint8_t>(v >> 8);
    }
}
void Read24(const std::uint8_t* row, int x, int n, std::uint32_t* out) {
    const std::uint8_t* p = row + 3 * x;
    for (int i = 0; i < n; ++i, p += 3)
        out[i] = p[0] | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
}
void Write24(std::uint8_t* row, int x, int n, const std::uint32_t* in) {
    std::uint8_t* p = row + 3 * x;
    for (int i = 0; i < n; ++i, p += 3) {
        p[0] = static_cast<std::uint8_t>(in[i]);
        p[1] = static_cast<std::uint8_t>(in[i] >> 8);
        p[2] = static_cast<std::uint8_t>(in[i] >> 16);
    }
}
void Read32(const std::uint8_t* row, int x, int n, std::uint32_t* out) {
    std::memcpy(out, row + 4 * x, 4 * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) out[i] &= 0xFFFFFFu;
}
void Write32(std::uint8_t* row, int x, int n, const std::uint32_t* in) {
    std::uint8_t* p = row + 4 * x;
    for (int i = 0; i < n; ++i, p += 4) {
        const std::uint32_t v = in[i] & 0xFFFFFFu;
        std::memcpy(p, &v, 4);
    }
}

constexpr PixelFormat kFormats[] = {
    {1, true, Read1, Write1},     {4, true, Read4, Write4},     {8, true, Read8, Write8},
    {16, false, Read16, Write16}, {24, false, Read24, Write24}, {32, false, Read32, Write32},
};

}  // namespace

const PixelFormat* FormatFor(int bitCount) {
    for (const PixelFormat& f : kFormats)
        if (f.bitCount == bitCount) return &f;
    return nullptr;
}

std::uint32_t Representable(int bitCount, std::uint32_t rgb) {
    rgb &= 0xFFFFFFu;
    if (bitCount != 16) return rgb;
    std::uint8_t bytes[2];
    std::uint32_t back;
    Write16(bytes, 0, 1, &rgb);
    Read16(bytes, 0, 1, &back);
    return back;
}

}  // namespace gdi32
