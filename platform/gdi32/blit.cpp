#include "blit.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "kernels.h"
#include "pixel_format.h"
#include "rop.h"

namespace gdi32 {
namespace {

// How source values become destination values.
struct Translation {
    enum class Kind {
        None,            // same format and colours: the bytes themselves
        IndexMap,        // index -> index
        IndexToColour,   // index -> colour
        ColourToIndex,   // colour -> nearest index
        ColourToMono,    // colour -> 1 where it is the background colour
        ColourToColour,  // colour -> colour of another true-colour format
    };
    Kind kind = Kind::None;
    // Filled only as far as the kind reads them (a blit does not clear 2 kilobytes it never reads).
    std::array<std::uint8_t, 256> indexMap;
    ColourLookup colourOf;
    NearestColour* matcher = nullptr;
    Rgb monoBackground = 0;
};

void MakeTranslation(Translation& t, const SurfaceView& from, const SurfaceView& to, bool monoByDcColours, Rgb destText,
                     Rgb destBackground, Rgb sourceBackground) {
    using Kind = Translation::Kind;
    const bool fromIndexed = from.bitCount <= 8, toIndexed = to.bitCount <= 8;
    if (monoByDcColours && from.bitCount == 1) {
        if (to.bitCount == 1) return;  // monochrome to monochrome copies the bits
        if (toIndexed) {
            t.kind = Kind::IndexMap;
            t.indexMap[0] = to.table->Nearest(destText);
            t.indexMap[1] = to.table->Nearest(destBackground);
        } else {
            t.kind = Kind::IndexToColour;
            t.colourOf.colours[0] = destText;
            t.colourOf.colours[1] = destBackground;
        }
        return;
    }
    if (monoByDcColours && to.bitCount == 1) {
        if (fromIndexed) {
            t.kind = Kind::IndexMap;
            for (int i = 0; i < 256; ++i)
                t.indexMap[static_cast<std::size_t>(i)] = (*from.table)[i] == sourceBackground;
        } else {
            t.kind = Kind::ColourToMono;
            t.monoBackground = Representable(from.bitCount, sourceBackground);
        }
        return;
    }
    if (fromIndexed && toIndexed) {
        if (from.bitCount == to.bitCount && from.table->SameAs(*to.table)) return;
        t.kind = Kind::IndexMap;
        t.indexMap = TranslationMap(*from.table, *to.table);
    } else if (fromIndexed) {
        t.kind = Kind::IndexToColour;
        t.colourOf.Fill(from.table->Colours().data());
    } else if (toIndexed) {
        t.kind = Kind::ColourToIndex;
        t.matcher = &to.table->Matcher();
    } else if (from.bitCount != to.bitCount) {
        t.kind = Kind::ColourToColour;
    }
}

void Translate(const Translation& t, std::uint32_t* v, int n) {
    using Kind = Translation::Kind;
    switch (t.kind) {
        case Kind::None:
        case Kind::ColourToColour: return;
        case Kind::IndexMap:
            for (int i = 0; i < n; ++i) v[i] = t.indexMap[v[i] & 0xFFu];
            return;
        case Kind::IndexToColour:
            for (int i = 0; i < n; ++i) v[i] = t.colourOf.colours[v[i] & 0xFFu];
            return;
        case Kind::ColourToIndex: {
            std::uint32_t lastIn = std::numeric_limits<std::uint32_t>::max(), lastOut = 0;
            for (int i = 0; i < n; ++i) {
                if (v[i] != lastIn) {
                    lastIn = v[i];
                    lastOut = t.matcher->Find(v[i]);
                }
                v[i] = lastOut;
            }
            return;
        }
        case Kind::ColourToMono:
            for (int i = 0; i < n; ++i) v[i] = v[i] == t.monoBackground ? 1u : 0u;
            return;
    }
}

// Buffers kept from call to call, one set per thread, so a blit allocates only when it needs more
// room than any before it on that thread. Each user within one blit has a slot of its own. Never
// freed, so a blit made while statics are destroyed at exit still finds them.
enum class Slot {
    SourceBytes,
    SourceValues,
    RowValues,
    PatternBytes,
    PatternValues,
    PatternTile,
    PatternBuilt,
    Snapshot,
    Count
};

std::uint32_t* Scratch(Slot slot, std::size_t words) {
    thread_local auto* buffers = new std::array<std::vector<std::uint32_t>, static_cast<std::size_t>(Slot::Count)>;
    std::vector<std::uint32_t>& buffer = (*buffers)[static_cast<std::size_t>(slot)];
    if (buffer.size() < words) buffer.resize(words);
    return buffer.data();
}

// Words for the destination-format bytes of a span that starts `lead` pixels into its first byte;
// words keep 32-bit pixels aligned.
std::size_t SpanWords(int lead, int n, int bitCount) {
    return (static_cast<std::size_t>(lead + n) * static_cast<std::size_t>(bitCount) + 7) / 8 / 4 + 2;
}
std::uint8_t* SpanBuffer(Slot slot, int lead, int n, int bitCount) {
    return reinterpret_cast<std::uint8_t*>(Scratch(slot, SpanWords(lead, n, bitCount)));
}

// The source's pixels for each destination row, converted to the destination's format.
class SourceRows {
public:
    SourceRows(const Kernels& kernels, const SurfaceView& source, const Translation& t, const PixelFormat& to, int lead,
               int n)
        : kernels_(kernels), source_(source), t_(t), from_(*FormatFor(source.bitCount)), to_(to), lead_(lead), n_(n) {}

    // Pixels x .. x + n - 1 of row y (1:1), converted into `into` when given (whole bytes of a
    // destination of 8 or more bits per pixel), else into a buffer of the object's own.
    const std::uint8_t* Span(int y, int x, std::uint8_t* into = nullptr) {
        using Kind = Translation::Kind;
        const std::uint8_t* row = source_.Row(y);
        const int from = source_.bitCount, to = to_.bitCount;
        if (t_.kind == Kind::None && from >= 8) return row + static_cast<std::ptrdiff_t>(x) * (from / 8);
        std::uint8_t* out = into ? into : Out();
        const auto count = static_cast<std::size_t>(n_);
        if (from == 8 && to == 8 && t_.kind == Kind::IndexMap) {
            kernels_.mapBytes(row + x, out, count, t_.indexMap.data());
            return out;
        }
        if (from == 8 && to == 32 && t_.kind == Kind::IndexToColour) {
            kernels_.expandBytes(row + x, out, count, t_.colourOf);
            return out;
        }
        if ((from == 32 || from == 24) && to == 8 && t_.kind == Kind::ColourToIndex && t_.matcher->AxisShift() >= 0) {
            // A ramp's index depends on one channel only: that byte of each pixel through the lookup.
            const int step = from / 8;
            const std::uint8_t* in = row + static_cast<std::ptrdiff_t>(x) * step + t_.matcher->AxisShift() / 8;
            kernels_.pickBytes(in, step, out, count, t_.matcher->AxisLookup().data());
            return out;
        }
        if (from == 24 && to == 32) {
            const std::uint8_t* in = row + static_cast<std::ptrdiff_t>(x) * 3;
            for (int i = 0; i < n_; ++i, in += 3) {
                const std::uint32_t v =
                    in[0] | (static_cast<std::uint32_t>(in[1]) << 8) | (static_cast<std::uint32_t>(in[2]) << 16);
                std::memcpy(out + 4 * i, &v, 4);
            }
            return out;
        }
        std::uint32_t* values = Scratch(Slot::SourceValues, count);
        from_.read(row, x, n_, values);
        Translate(t_, values, n_);
        to_.write(out, lead_, n_, values);
        return out;
    }

    // Scaled: destination column i takes source column columns[i] of row y.
    const std::uint8_t* Gathered(int y, const std::vector<int>& columns) {
        if (y == lastRow_) return Out();
        lastRow_ = y;
        const auto [low, high] = std::minmax_element(columns.begin(), columns.end());
        const int width = *high - *low + 1;
        std::uint32_t* rowValues = Scratch(Slot::RowValues, static_cast<std::size_t>(width));
        std::uint32_t* values = Scratch(Slot::SourceValues, static_cast<std::size_t>(n_));
        from_.read(source_.Row(y), *low, width, rowValues);
        Translate(t_, rowValues, width);
        for (int i = 0; i < n_; ++i) values[i] = rowValues[columns[static_cast<std::size_t>(i)] - *low];
        to_.write(Out(), lead_, n_, values);
        return Out();
    }

private:
    std::uint8_t* Out() {
        if (!out_) out_ = SpanBuffer(Slot::SourceBytes, lead_, n_, to_.bitCount);
        return out_;
    }

    const Kernels& kernels_;
    const SurfaceView& source_;
    const Translation& t_;
    const PixelFormat& from_;
    const PixelFormat& to_;
    int lead_, n_;
    int lastRow_ = -1;
    std::uint8_t* out_ = nullptr;  // taken when first needed: most spans are read in place
};

// The brush's pixels under each destination row, in the destination's format.
class PatternRows {
public:
    // t: the pattern's translation, kept by the caller (a big record, and std::optional clears its room).
    PatternRows(const BlitSpec& spec, const PixelFormat& to, Translation& t, int x0, int lead, int n)
        : spec_(spec), to_(to), t_(t), x0_(x0), lead_(lead), n_(n) {
        const SurfaceView& dst = *spec.destination;
        if (spec.brush.kind == BrushSpec::Kind::Pattern && spec.brush.pattern) {
            const SurfaceView& pattern = *spec.brush.pattern;
            MakeTranslation(t_, pattern, dst, true, spec.destText, spec.destBackground, spec.destBackground);
            rowWords_ = SpanWords(lead, n, to.bitCount);
            const auto rows = static_cast<std::size_t>(pattern.height);
            rows_ = Scratch(Slot::PatternBytes, rows * rowWords_);
            built_ = Scratch(Slot::PatternBuilt, rows);
            std::fill(built_, built_ + rows, 0u);
            return;
        }
        const std::uint32_t value = to.indexed ? dst.table->Nearest(spec.brush.colour) : spec.brush.colour;
        std::uint32_t* values = Scratch(Slot::PatternValues, static_cast<std::size_t>(n));
        std::fill(values, values + n, value);
        solid_ = SpanBuffer(Slot::PatternBytes, lead, n, to.bitCount);
        to.write(solid_, lead, n, values);
    }

    const std::uint8_t* Row(int y) {
        if (solid_) return solid_;
        const SurfaceView& pattern = *spec_.brush.pattern;
        const int py = y % pattern.height;
        auto* row = reinterpret_cast<std::uint8_t*>(rows_ + static_cast<std::size_t>(py) * rowWords_);
        if (built_[py]) return row;
        std::uint32_t* tile = Scratch(Slot::PatternTile, static_cast<std::size_t>(pattern.width));
        std::uint32_t* values = Scratch(Slot::PatternValues, static_cast<std::size_t>(n_));
        FormatFor(pattern.bitCount)->read(pattern.Row(py), 0, pattern.width, tile);
        Translate(t_, tile, pattern.width);
        for (int i = 0; i < n_; ++i) values[i] = tile[(x0_ + i) % pattern.width];
        to_.write(row, lead_, n_, values);
        built_[py] = 1;
        return row;
    }

private:
    const BlitSpec& spec_;
    const PixelFormat& to_;
    Translation& t_;
    int x0_, lead_, n_;
    std::uint8_t* solid_ = nullptr;
    std::uint32_t* rows_ = nullptr;  // pattern.height rows of rowWords_ words, each built when first used
    std::size_t rowWords_ = 0;
    std::uint32_t* built_ = nullptr;
};

// Destination coordinates [first, last) of a scaled axis whose source coordinate lies inside the
// source, and the source coordinate of each (sampled at pixel centres).
void MapAxis(long long destStart, long long destSize, long long srcStart, long long srcSize, bool mirror,
             long long srcLimit, long long& first, long long& last, std::vector<int>& map) {
    map.clear();
    for (long long c = first; c < last; ++c) {
        long long i = c - destStart;
        if (mirror) i = destSize - 1 - i;
        const __int128 offset = (2 * static_cast<__int128>(i) + 1) * srcSize / (2 * destSize);
        map.push_back(static_cast<int>(std::clamp<__int128>(srcStart + offset, -1, srcLimit)));
    }
    std::size_t begin = 0, end = map.size();
    while (begin < end && (map[begin] < 0 || map[begin] >= srcLimit)) ++begin;
    while (end > begin && (map[end - 1] < 0 || map[end - 1] >= srcLimit)) --end;
    map.erase(map.begin() + static_cast<std::ptrdiff_t>(end), map.end());
    map.erase(map.begin(), map.begin() + static_cast<std::ptrdiff_t>(begin));
    last = first + static_cast<long long>(end);
    first += static_cast<long long>(begin);
}

// Pixels [x0, x1) are whole rows of whole bytes with no fill bytes between them.
bool WholeRows(const SurfaceView& s, long long x0, long long x1) {
    return s.bitCount >= 8 && x0 == 0 && x1 == s.width &&
           static_cast<long long>(s.stride) == static_cast<long long>(s.width) * (s.bitCount / 8);
}

// Rows [first, last) of a surface of whole rows as one row, in memory order.
SurfaceView OneRow(const SurfaceView& s, long long first, long long last) {
    SurfaceView row = s;
    row.bits = s.Row(static_cast<int>(s.topDown ? first : last - 1));
    row.width = static_cast<int>(s.width * (last - first));
    row.stride = static_cast<int>(s.stride * (last - first));
    row.height = 1;
    row.topDown = true;
    return row;
}

// Pixels a span may have when it needs a buffer of its own (a few hundred kilobytes at most).
constexpr long long kOneRowLimit = 1 << 16;

bool Overlap(const SurfaceView& a, const SurfaceView& b) {
    const auto a0 = reinterpret_cast<std::uintptr_t>(a.bits), b0 = reinterpret_cast<std::uintptr_t>(b.bits);
    return a0 < b0 + b.Bytes() && b0 < a0 + a.Bytes();
}

}  // namespace

std::size_t StrideFor(long long width, int bitCount) {
    if (width <= 0 || bitCount <= 0 || width > std::numeric_limits<int>::max()) return 0;
    return static_cast<std::size_t>((width * bitCount + 31) / 32 * 4);
}

bool RunBlit(const BlitSpec& spec) {
    const SurfaceView& dst = *spec.destination;
    const PixelFormat* to = FormatFor(dst.bitCount);
    const unsigned rop = spec.rop & 0xFFu;
    const bool usesPattern = RopUsesPattern(rop);
    const SurfaceView* src = RopUsesSource(rop) ? spec.source : nullptr;
    if (!to || (RopUsesSource(rop) && !src) || (src && !FormatFor(src->bitCount))) return false;
    if ((to->indexed && !dst.table) || (src && src->bitCount <= 8 && !src->table)) return false;
    if (usesPattern && spec.brush.kind == BrushSpec::Kind::Hollow) return true;  // a hollow brush paints nothing
    if (spec.destWidth <= 0 || spec.destHeight <= 0) return true;

    const bool scaled =
        src && (spec.srcWidth != spec.destWidth || spec.srcHeight != spec.destHeight || spec.mirrorX || spec.mirrorY);
    if (scaled && (spec.srcWidth <= 0 || spec.srcHeight <= 0)) return true;
    long long x0 = std::max<long long>(spec.destX, 0);
    long long x1 = std::min<long long>(spec.destX + spec.destWidth, dst.width);
    long long y0 = std::max<long long>(spec.destY, 0);
    long long y1 = std::min<long long>(spec.destY + spec.destHeight, dst.height);
    long long offsetX = 0, offsetY = 0;  // 1:1: source = destination + offset
    std::vector<int> columns, rows;      // scaled: source column / row of each destination one from x0 / y0
    if (src && !scaled) {
        offsetX = spec.srcX - spec.destX;
        offsetY = spec.srcY - spec.destY;
        x0 = std::max(x0, -offsetX);
        x1 = std::min(x1, src->width - offsetX);
        y0 = std::max(y0, -offsetY);
        y1 = std::min(y1, src->height - offsetY);
    }
    if (x0 >= x1 || y0 >= y1) return true;
    if (scaled) {
        MapAxis(spec.destX, spec.destWidth, spec.srcX, spec.srcWidth, spec.mirrorX, src->width, x0, x1, columns);
        MapAxis(spec.destY, spec.destHeight, spec.srcY, spec.srcHeight, spec.mirrorY, src->height, y0, y1, rows);
        if (x0 >= x1 || y0 >= y1) return true;
    }

    // Reading and writing the same memory: work from a copy of the rows read, unless every pixel is
    // read from exactly where it is written (then each row is read whole before it is written).
    SurfaceView source = src ? *src : SurfaceView{};
    if (src) {
        const bool samePlace = src->bits == dst.bits && src->stride == dst.stride && src->height == dst.height &&
                               src->topDown == dst.topDown && src->bitCount == dst.bitCount && !scaled &&
                               offsetX == 0 && offsetY == 0;
        if (!samePlace && Overlap(*src, dst)) {
            const long long first = scaled ? *std::min_element(rows.begin(), rows.end()) : y0 + offsetY;
            const long long last = scaled ? *std::max_element(rows.begin(), rows.end()) + 1 : y1 + offsetY;
            const auto stride = static_cast<std::size_t>(src->stride);
            auto* snapshot = reinterpret_cast<std::uint8_t*>(
                Scratch(Slot::Snapshot, (static_cast<std::size_t>(last - first) * stride + 3) / 4));
            for (long long y = first; y < last; ++y)
                std::memcpy(snapshot + static_cast<std::size_t>(y - first) * stride, src->Row(static_cast<int>(y)),
                            stride);
            source.bits = snapshot;
            source.height = static_cast<int>(last - first);
            source.topDown = true;
            offsetY -= first;
            for (int& r : rows) r -= static_cast<int>(first);
        }
    }

    Translation translation;
    if (src)
        MakeTranslation(translation, source, dst, spec.monoByDcColours, spec.destText, spec.destBackground,
                        spec.sourceBackground);

    // Whole rows that follow each other in memory on both sides, in the same order, are one long
    // row, so the kernels run over the whole rectangle at once. A span that needs a buffer of its own
    // stays row by row when large, so the buffers stay small.
    SurfaceView target = dst;
    const bool solidPattern = !(spec.brush.kind == BrushSpec::Kind::Pattern && spec.brush.pattern);
    const bool needsBuffer =
        usesPattern || (src && (translation.kind != Translation::Kind::None || source.bitCount < 8));
    if (!scaled && y1 - y0 > 1 && WholeRows(dst, x0, x1) && (!usesPattern || solidPattern) &&
        (!src || (WholeRows(source, x0 + offsetX, x1 + offsetX) && source.topDown == dst.topDown)) &&
        (!needsBuffer || (x1 - x0) * (y1 - y0) <= kOneRowLimit)) {
        target = OneRow(dst, y0, y1);
        if (src) source = OneRow(source, y0 + offsetY, y1 + offsetY);
        x1 = (x1 - x0) * (y1 - y0);
        x0 = y0 = offsetX = offsetY = 0;
        y1 = 1;
    }

    const int bitCount = dst.bitCount;
    const int n = static_cast<int>(x1 - x0);
    const int lead = static_cast<int>(x0 % PixelsPerByte(bitCount));
    const std::size_t byteStart = static_cast<std::size_t>(x0) * static_cast<std::size_t>(bitCount) / 8;
    const std::size_t byteCount = (static_cast<std::size_t>(lead + n) * static_cast<std::size_t>(bitCount) + 7) / 8;
    // Sub-byte formats: bits of the span's first and last bytes that belong to pixels outside it.
    std::uint8_t keepFirst = 0, keepLast = 0;
    if (bitCount < 8) {
        const int leadBits = lead * bitCount, endBits = ((lead + n) * bitCount) % 8;
        keepFirst = static_cast<std::uint8_t>(0xFF00u >> leadBits);
        keepLast = endBits ? static_cast<std::uint8_t>(0xFFu >> endBits) : 0;
    }
    const ResultMask mask = MaskForFormat(bitCount);
    const Kernels& kernels = ActiveKernels();

    std::optional<SourceRows> input;
    if (src) input.emplace(kernels, source, translation, *to, lead, n);
    Translation patternTranslation;
    std::optional<PatternRows> pattern;
    if (usesPattern) pattern.emplace(spec, *to, patternTranslation, static_cast<int>(x0), lead, n);

    // A plain copy that converts anyway writes its result straight into the destination.
    const bool convertInPlace = rop == 0xCC && src && !scaled && bitCount >= 8 &&
                                (translation.kind != Translation::Kind::None || mask.keepsAll);
    for (long long y = y0; y < y1; ++y) {
        std::uint8_t* d = target.Row(static_cast<int>(y)) + byteStart;
        if (convertInPlace) {
            const std::uint8_t* s = input->Span(static_cast<int>(y + offsetY), static_cast<int>(x0 + offsetX), d);
            if (s != d) std::memmove(d, s, byteCount);
            continue;
        }
        const std::uint8_t* s = nullptr;
        if (src)
            s = scaled ? input->Gathered(rows[static_cast<std::size_t>(y - y0)], columns)
                       : input->Span(static_cast<int>(y + offsetY), static_cast<int>(x0 + offsetX));
        const std::uint8_t* p = usesPattern ? pattern->Row(static_cast<int>(y)) : nullptr;
        const std::uint8_t first = d[0], last = d[byteCount - 1];
        if (rop == 0xCC && mask.keepsAll) {
            if (s != d) std::memcpy(d, s, byteCount);
        } else {
            kernels.ropRows[rop](d, s, p, byteCount, mask);
        }
        if (keepFirst) d[0] = static_cast<std::uint8_t>((d[0] & ~keepFirst) | (first & keepFirst));
        if (keepLast) d[byteCount - 1] = static_cast<std::uint8_t>((d[byteCount - 1] & ~keepLast) | (last & keepLast));
    }
    return true;
}

}  // namespace gdi32
