// Colour tables of indexed surfaces and the exact nearest-colour search into them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "win32/types.h"

namespace gdi32 {

// A colour as a 32-bit DIB stores it: 0x00RRGGBB (bytes B, G, R, 0 in memory).
using Rgb = std::uint32_t;

constexpr Rgb RgbOf(COLORREF c) { return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu); }
constexpr COLORREF ColorRefOf(Rgb c) { return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu); }

// Finds, for any colour, the lowest index of the table entry nearest to it (least squared RGB
// distance; an exact match is distance 0). Exact for every colour, and never a scan of the whole
// table per pixel:
// - a table whose entries differ in one channel only (a ramp) is answered from a 256-entry lookup on
//   that channel, because the other two channels add the same amount to every entry's distance;
// - any other table keeps, per cell of the RGB cube (8 x 8 x 8 cells, each split into 4 x 4 x 4),
//   the few entries that can be nearest somewhere in the cell, built when a colour first falls into it.
class NearestColour {
public:
    explicit NearestColour(std::span<const Rgb> entries);

    std::uint8_t Find(Rgb colour);

    // Set when the table is a ramp: the shift of its channel (16 red, 8 green, 0 blue), else -1.
    int AxisShift() const { return axisShift_; }
    const std::array<std::uint8_t, 256>& AxisLookup() const { return axisLookup_; }

private:
    struct Entry {
        int r, g, b, norm;
        std::uint8_t index;
    };
    struct Cell {
        std::uint32_t first = 0;
        std::uint16_t count = 0;
        bool ready = false;
    };

    std::uint8_t Search(Rgb colour);
    void BuildCell(Cell& cell, const std::uint8_t* parent, int parentCount, int lowR, int lowG, int lowB, int size);

    std::vector<Entry> entries_;  // distinct colours, each at its lowest index, in index order
    int axisShift_ = -1;
    std::array<std::uint8_t, 256> axisLookup_{};
    std::vector<std::uint8_t> all_;        // 0, 1, ..., entries_.size() - 1
    std::vector<Cell> coarse_;             // 8 x 8 x 8 cells of 32 levels per channel
    std::vector<Cell> fine_;               // 32 x 32 x 32 cells of 8 levels per channel
    std::vector<std::uint8_t> pool_;       // candidate lists: positions in entries_, ascending
    std::vector<std::uint32_t> cacheKey_;  // colour | 1 << 24 when the slot holds an answer
    std::vector<std::uint8_t> cacheIndex_;
};

// An immutable colour table. Equal tables are shared (see MakeColorTable), so two surfaces built from
// the same BITMAPINFO colours hold the same object.
class ColorTable {
public:
    ColorTable(std::uint64_t id, std::span<const Rgb> entries);

    std::uint64_t Id() const { return id_; }
    int Count() const { return count_; }
    // Entries past Count() read as black.
    Rgb operator[](int index) const { return colours_[static_cast<std::size_t>(index) & 0xFF]; }
    const std::array<Rgb, 256>& Colours() const { return colours_; }
    bool SameAs(const ColorTable& other) const;

    std::uint8_t Nearest(Rgb colour) const { return Matcher().Find(colour); }
    NearestColour& Matcher() const;

private:
    std::uint64_t id_;
    int count_;
    std::array<Rgb, 256> colours_{};
    mutable std::unique_ptr<NearestColour> matcher_;  // built on first use
};

// The shared table for these entries (1..256 of them), from a small registry of recent tables.
std::shared_ptr<const ColorTable> MakeColorTable(std::span<const Rgb> entries);

// map[i] = the entry of `to` nearest to colour i of `from`; cached per pair of tables.
std::array<std::uint8_t, 256> TranslationMap(const ColorTable& from, const ColorTable& to);

}  // namespace gdi32
