// Helpers for the gdi32 tests: bitmap headers, colour tables, surfaces with their own DCs, and
// plain reference readers of pixel values that do not go through the library's formats.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "gdi32/gdi.h"
#include "platform/image_bitmaps.h"

namespace gditest {

using Table = std::vector<std::uint32_t>;  // 0x00RRGGBB per entry

inline std::uint32_t Rgb(int r, int g, int b) {
    return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) | static_cast<std::uint32_t>(b);
}
inline std::uint32_t RgbOfColorRef(COLORREF c) { return Rgb(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF ColorRefOfRgb(std::uint32_t c) { return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

inline BITMAPINFO Info(int width, int height, int bitCount, const Table& table = {}, DWORD clrUsed = 0) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitCount);
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biClrUsed = clrUsed;
    for (std::size_t i = 0; i < table.size() && i < 256; ++i) {
        info.bmiColors[i].rgbRed = static_cast<BYTE>(table[i] >> 16);
        info.bmiColors[i].rgbGreen = static_cast<BYTE>(table[i] >> 8);
        info.bmiColors[i].rgbBlue = static_cast<BYTE>(table[i]);
    }
    return info;
}

// Entry i has f(i) in the channel (0 red, 1 green, 2 blue) and 0 elsewhere, as blendview builds them.
inline Table Ramp(
    int channel, const std::function<int(int)>& f = [](int i) { return i; }) {
    Table t(256);
    for (int i = 0; i < 256; ++i)
        t[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(f(i)) << (16 - 8 * channel);
    return t;
}
inline int Halve(int i) {  // i / 2 rounded half to even
    return (i % 4 == 1) ? i / 2 : (i % 4 == 3) ? i / 2 + 1 : i / 2;
}
inline int Double(int i) { return 2 * i < 256 ? 2 * i : 255; }

inline Table RandomTable(std::mt19937& random, int count) {
    Table t(static_cast<std::size_t>(count));
    for (auto& c : t) c = random() & 0xFFFFFFu;
    return t;
}

// The mask of the bits that make a pixel's value in each format.
inline std::uint32_t ValueMask(int bitCount) {
    switch (bitCount) {
        case 1: return 0x1;
        case 4: return 0xF;
        case 8: return 0xFF;
        case 16: return 0x7FFF;
        default: return 0xFFFFFF;
    }
}

// A DIB section selected into its own memory device context, released at the end of the scope.
class Surface {
public:
    explicit Surface(const BITMAPINFO& info) {
        void* raw = nullptr;
        bitmap = gdi32::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
        dc = gdi32::CreateCompatibleDC(nullptr);
        old = gdi32::SelectObject(dc, bitmap);
        bits = static_cast<std::uint8_t*>(raw);
        width = info.bmiHeader.biWidth;
        height = info.bmiHeader.biHeight < 0 ? -info.bmiHeader.biHeight : info.bmiHeader.biHeight;
        topDown = info.bmiHeader.biHeight < 0;
        bitCount = info.bmiHeader.biBitCount;
        stride = (width * bitCount + 31) / 32 * 4;
    }
    Surface(int width, int height, int bitCount, const Table& table = {})
        : Surface(Info(width, height, bitCount, table)) {}
    ~Surface() {
        gdi32::SelectObject(dc, old);
        gdi32::DeleteDC(dc);
        gdi32::DeleteObject(bitmap);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    bool Valid() const { return bitmap && dc && old && bits; }
    std::uint8_t* Row(int y) const { return bits + static_cast<std::ptrdiff_t>(topDown ? y : height - 1 - y) * stride; }

    // The raw pixel value: an index, or the packed bits of a true-colour pixel.
    std::uint32_t Value(int x, int y) const {
        const std::uint8_t* row = Row(y);
        switch (bitCount) {
            case 1: return (row[x / 8] >> (7 - x % 8)) & 1u;
            case 4: return (x % 2) ? (row[x / 2] & 0xFu) : (row[x / 2] >> 4);
            case 8: return row[x];
            case 16: return row[2 * x] | (static_cast<std::uint32_t>(row[2 * x + 1]) << 8);
            case 24:
                return row[3 * x] | (static_cast<std::uint32_t>(row[3 * x + 1]) << 8) |
                       (static_cast<std::uint32_t>(row[3 * x + 2]) << 16);
            default: {
                std::uint32_t v;
                std::memcpy(&v, row + 4 * x, 4);
                return v;
            }
        }
    }
    void SetValue(int x, int y, std::uint32_t v) {
        std::uint8_t* row = Row(y);
        switch (bitCount) {
            case 1:
                row[x / 8] = static_cast<std::uint8_t>((row[x / 8] & ~(0x80 >> (x % 8))) | ((v & 1) << (7 - x % 8)));
                break;
            case 4:
                row[x / 2] = static_cast<std::uint8_t>((x % 2) ? ((row[x / 2] & 0xF0) | (v & 0xF))
                                                               : ((row[x / 2] & 0x0F) | ((v & 0xF) << 4)));
                break;
            case 8: row[x] = static_cast<std::uint8_t>(v); break;
            case 16:
                row[2 * x] = static_cast<std::uint8_t>(v);
                row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                break;
            case 24:
                row[3 * x] = static_cast<std::uint8_t>(v);
                row[3 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                row[3 * x + 2] = static_cast<std::uint8_t>(v >> 16);
                break;
            default: std::memcpy(row + 4 * x, &v, 4); break;
        }
    }
    void FillRandom(std::mt19937& random) {
        for (int i = 0; i < stride * height; ++i) bits[i] = static_cast<std::uint8_t>(random());
    }

    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;
    std::uint8_t* bits = nullptr;
    int width = 0, height = 0, stride = 0, bitCount = 0;
    bool topDown = false;
};

// The colour a true-colour value stands for (5-5-5 widened by repeating the top bits).
inline std::uint32_t ColourOfTrueValue(int bitCount, std::uint32_t v) {
    if (bitCount != 16) return v & 0xFFFFFFu;
    const auto widen = [](std::uint32_t c) { return (c << 3) | (c >> 2); };
    return (widen((v >> 10) & 31) << 16) | (widen((v >> 5) & 31) << 8) | widen(v & 31);
}
inline std::uint32_t TrueValueOfColour(int bitCount, std::uint32_t c) {
    if (bitCount != 16) return c & 0xFFFFFFu;
    return (((c >> 19) & 31) << 10) | (((c >> 11) & 31) << 5) | ((c >> 3) & 31);
}

// Brute force: the lowest index of the least squared distance.
inline int NearestReference(const Table& table, std::uint32_t c) {
    long best = -1;
    int index = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const long dr = static_cast<long>((c >> 16) & 0xFF) - static_cast<long>((table[i] >> 16) & 0xFF);
        const long dg = static_cast<long>((c >> 8) & 0xFF) - static_cast<long>((table[i] >> 8) & 0xFF);
        const long db = static_cast<long>(c & 0xFF) - static_cast<long>(table[i] & 0xFF);
        const long d = dr * dr + dg * dg + db * db;
        if (best < 0 || d < best) {
            best = d;
            index = static_cast<int>(i);
        }
    }
    return index;
}

// The result of raster operation `index` bit by bit, straight from its truth table.
inline std::uint32_t RopReference(unsigned index, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    std::uint32_t out = 0;
    for (int bit = 0; bit < 32; ++bit) {
        const unsigned row = (((p >> bit) & 1u) << 2) | (((s >> bit) & 1u) << 1) | ((d >> bit) & 1u);
        out |= ((index >> row) & 1u) << bit;
    }
    return out;
}

}  // namespace gditest
