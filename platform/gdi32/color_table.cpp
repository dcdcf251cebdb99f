#include "color_table.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <numeric>

#include "immortal.h"

namespace gdi32 {
namespace {

constexpr std::size_t kCacheSlots = 4096;
constexpr std::size_t kRecentTables = 64;
constexpr std::size_t kRecentMaps = 64;

int Red(Rgb c) { return static_cast<int>((c >> 16) & 0xFF); }
int Green(Rgb c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(Rgb c) { return static_cast<int>(c & 0xFF); }

std::size_t CacheSlot(Rgb colour) { return ((colour * 0x9E3779B1u) >> 20) & (kCacheSlots - 1); }

}  // namespace

NearestColour::NearestColour(std::span<const Rgb> entries) {
    const std::size_t count = std::min<std::size_t>(entries.size(), 256);
    // A ramp: all entries agree in two channels, so only the third one decides. Told from the
    // entries themselves, before anything is sorted: every plane of the blend has a ramp table, and
    // the first run pays for building each.
    for (const int shift : {16, 8, 0}) {
        if (count == 0) break;
        const Rgb others = ~(Rgb{0xFF} << shift) & 0xFFFFFFu;
        const Rgb common = entries[0] & others;
        if (!std::all_of(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(count),
                         [&](Rgb c) { return (c & others) == common; }))
            continue;
        axisShift_ = shift;
        // The lowest index holding each channel value, then for every value the nearest held value
        // below and above it; a tie in distance goes to the lower index.
        std::array<int, 256> indexAt;
        indexAt.fill(-1);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t value = (entries[i] >> shift) & 0xFF;
            if (indexAt[value] < 0) indexAt[value] = static_cast<int>(i);
        }
        std::array<int, 256> below, above;
        for (int v = 0, last = -1; v < 256; ++v) {
            if (indexAt[static_cast<std::size_t>(v)] >= 0) last = v;
            below[static_cast<std::size_t>(v)] = last;
        }
        for (int v = 255, next = -1; v >= 0; --v) {
            if (indexAt[static_cast<std::size_t>(v)] >= 0) next = v;
            above[static_cast<std::size_t>(v)] = next;
        }
        for (int v = 0; v < 256; ++v) {
            const int low = below[static_cast<std::size_t>(v)], high = above[static_cast<std::size_t>(v)];
            int pick;
            if (low < 0) pick = high;
            else if (high < 0) pick = low;
            else if (v - low != high - v) pick = v - low < high - v ? low : high;
            else pick = indexAt[static_cast<std::size_t>(low)] < indexAt[static_cast<std::size_t>(high)] ? low : high;
            axisLookup_[static_cast<std::size_t>(v)] =
                static_cast<std::uint8_t>(indexAt[static_cast<std::size_t>(pick)]);
        }
        return;
    }

    // Distinct colours, each at its lowest index: a later duplicate can never be the answer.
    std::vector<std::pair<Rgb, std::uint8_t>> sorted;
    for (std::size_t i = 0; i < count; ++i) sorted.emplace_back(entries[i] & 0xFFFFFFu, static_cast<std::uint8_t>(i));
    std::sort(sorted.begin(), sorted.end());
    std::vector<bool> first(256, false);
    for (std::size_t i = 0; i < sorted.size(); ++i)
        if (i == 0 || sorted[i].first != sorted[i - 1].first) first[sorted[i].second] = true;
    for (std::size_t i = 0; i < count; ++i) {
        if (!first[i]) continue;
        const Rgb c = entries[i] & 0xFFFFFFu;
        const int r = Red(c), g = Green(c), b = Blue(c);
        entries_.push_back({r, g, b, r * r + g * g + b * b, static_cast<std::uint8_t>(i)});
    }
    if (entries_.empty()) entries_.push_back({0, 0, 0, 0, 0});

    all_.resize(entries_.size());
    std::iota(all_.begin(), all_.end(), std::uint8_t{0});
    coarse_.resize(8 * 8 * 8);
    fine_.resize(32 * 32 * 32);
    cacheKey_.assign(kCacheSlots, 0);
    cacheIndex_.assign(kCacheSlots, 0);
}

std::uint8_t NearestColour::Find(Rgb colour) {
    colour &= 0xFFFFFFu;
    if (axisShift_ >= 0) return axisLookup_[(colour >> axisShift_) & 0xFF];
    const std::size_t slot = CacheSlot(colour);
    if (cacheKey_[slot] == (colour | 0x1000000u)) return cacheIndex_[slot];
    const std::uint8_t index = Search(colour);
    cacheKey_[slot] = colour | 0x1000000u;
    cacheIndex_[slot] = index;
    return index;
}

std::uint8_t NearestColour::Search(Rgb colour) {
    const int r = Red(colour), g = Green(colour), b = Blue(colour);
    Cell& coarse = coarse_[static_cast<std::size_t>(((r >> 5) << 6) | ((g >> 5) << 3) | (b >> 5))];
    if (!coarse.ready) BuildCell(coarse, all_.data(), static_cast<int>(all_.size()), r & ~31, g & ~31, b & ~31, 32);
    Cell& fine = fine_[static_cast<std::size_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3))];
    if (!fine.ready) {
        std::uint8_t parent[256];
        std::memcpy(parent, pool_.data() + coarse.first, coarse.count);
        BuildCell(fine, parent, coarse.count, r & ~7, g & ~7, b & ~7, 8);
    }
    int best = INT_MAX;
    std::uint8_t index = 0;
    const std::uint8_t* candidates = pool_.data() + fine.first;
    for (int i = 0; i < fine.count; ++i) {
        const Entry& e = entries_[candidates[i]];
        const int d = (r - e.r) * (r - e.r) + (g - e.g) * (g - e.g) + (b - e.b) * (b - e.b);
        if (d < best) {  // candidates ascend by index, so a tie keeps the lowest
            best = d;
            index = e.index;
        }
    }
    return index;
}

// Keeps the entries of `parent` that are nearest (or tied nearest) for at least one colour of the
// cell. Against a pivot p, entry e can win at q only where |q-e|^2 - |q-p|^2 = |e|^2 - |p|^2 - 2 q.(e-p)
// is <= 0; that difference is linear in q, so its least value over the cell is at one corner.
void NearestColour::BuildCell(Cell& cell, const std::uint8_t* parent, int parentCount, int lowR, int lowG, int lowB,
                              int size) {
    const int highR = lowR + size - 1, highG = lowG + size - 1, highB = lowB + size - 1;
    const int midR = lowR + size / 2, midG = lowG + size / 2, midB = lowB + size / 2;
    int pivot = parent[0];
    int best = INT_MAX;
    for (int i = 0; i < parentCount; ++i) {
        const Entry& e = entries_[parent[i]];
        const int d = (midR - e.r) * (midR - e.r) + (midG - e.g) * (midG - e.g) + (midB - e.b) * (midB - e.b);
        if (d < best) {
            best = d;
            pivot = parent[i];
        }
    }
    const Entry& p = entries_[static_cast<std::size_t>(pivot)];
    cell.first = static_cast<std::uint32_t>(pool_.size());
    int count = 0;
    for (int i = 0; i < parentCount; ++i) {
        const Entry& e = entries_[parent[i]];
        const int dr = e.r - p.r, dg = e.g - p.g, db = e.b - p.b;
        const int reach = dr * (dr > 0 ? highR : lowR) + dg * (dg > 0 ? highG : lowG) + db * (db > 0 ? highB : lowB);
        if (e.norm - p.norm - 2 * reach <= 0) {
            pool_.push_back(parent[i]);
            ++count;
        }
    }
    cell.count = static_cast<std::uint16_t>(count);
    cell.ready = true;
}

ColorTable::ColorTable(std::uint64_t id, std::span<const Rgb> entries)
    : id_(id), count_(static_cast<int>(std::clamp<std::size_t>(entries.size(), 1, 256))) {
    for (std::size_t i = 0; i < entries.size() && i < 256; ++i) colours_[i] = entries[i] & 0xFFFFFFu;
}

bool ColorTable::SameAs(const ColorTable& other) const {
    return id_ == other.id_ || (count_ == other.count_ && colours_ == other.colours_);
}

NearestColour& ColorTable::Matcher() const {
    if (!matcher_)
        matcher_ =
            std::make_unique<NearestColour>(std::span<const Rgb>(colours_.data(), static_cast<std::size_t>(count_)));
    return *matcher_;
}

std::shared_ptr<const ColorTable> MakeColorTable(std::span<const Rgb> entries) {
    auto& recent = Immortal<std::vector<std::shared_ptr<const ColorTable>>>();
    static std::uint64_t nextId = 1;
    // The entries as a table holds them, compared without building one: drawing a DIB asks for its
    // table on every call.
    const int count = static_cast<int>(std::clamp<std::size_t>(entries.size(), 1, 256));
    std::array<Rgb, 256> colours{};
    for (std::size_t i = 0; i < entries.size() && i < 256; ++i) colours[i] = entries[i] & 0xFFFFFFu;
    for (std::size_t i = 0; i < recent.size(); ++i) {
        if (recent[i]->Count() != count || recent[i]->Colours() != colours) continue;
        std::rotate(recent.begin(), recent.begin() + static_cast<std::ptrdiff_t>(i),
                    recent.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        return recent.front();
    }
    auto table = std::make_shared<const ColorTable>(nextId++, entries);
    recent.insert(recent.begin(), table);
    if (recent.size() > kRecentTables) recent.pop_back();
    return table;
}

std::array<std::uint8_t, 256> TranslationMap(const ColorTable& from, const ColorTable& to) {
    struct Known {
        std::uint64_t from, to;
        std::array<std::uint8_t, 256> map;
    };
    auto& recent = Immortal<std::vector<Known>>();
    for (std::size_t i = 0; i < recent.size(); ++i) {
        if (recent[i].from != from.Id() || recent[i].to != to.Id()) continue;
        std::rotate(recent.begin(), recent.begin() + static_cast<std::ptrdiff_t>(i),
                    recent.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        return recent.front().map;
    }
    Known known{from.Id(), to.Id(), {}};
    NearestColour& matcher = to.Matcher();
    for (int i = 0; i < 256; ++i) known.map[static_cast<std::size_t>(i)] = matcher.Find(from[i]);
    recent.insert(recent.begin(), known);
    if (recent.size() > kRecentMaps) recent.pop_back();
    return known.map;
}

}  // namespace gdi32
