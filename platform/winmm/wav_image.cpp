#include "winmm/wav_image.h"

#include <algorithm>
#include <cstring>

namespace winmm {
namespace {

constexpr std::size_t kMaxChunks = 4096;
constexpr std::uint32_t kMinRate = 1000;
constexpr std::uint32_t kMaxRate = 768000;
constexpr std::uint16_t kMaxChannels = 8;

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

bool IdAt(std::span<const std::uint8_t> bytes, std::size_t at, const char (&id)[5]) {
    return std::memcmp(bytes.data() + at, id, 4) == 0;
}

void Append32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendChunk(std::vector<std::uint8_t>& out, const char (&id)[5], std::span<const std::uint8_t> body) {
    out.insert(out.end(), id, id + 4);
    Append32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 != 0) out.push_back(0);
}

}  // namespace

std::optional<std::size_t> RiffImageSize(std::span<const std::uint8_t, 12> header) {
    if (!IdAt(header, 0, "RIFF") || !IdAt(header, 8, "WAVE")) return std::nullopt;
    const std::size_t size = std::size_t{8} + Read32(header, 4);
    if (size > kMaxWavBytes || size < 12) return std::nullopt;
    return size;
}

std::optional<std::span<const std::uint8_t>> WavImageInBuffer(std::span<const std::uint8_t> buffer) {
    if (buffer.size() < 12 || !IdAt(buffer, 0, "RIFF") || !IdAt(buffer, 8, "WAVE")) return std::nullopt;
    const std::size_t claimed = std::size_t{8} + Read32(buffer, 4);
    const std::size_t size = std::max<std::size_t>(12, std::min(claimed, buffer.size()));
    if (size > kMaxWavBytes) return std::nullopt;
    return buffer.first(size);
}

std::optional<WavLayout> ParseWav(std::span<const std::uint8_t> image) {
    if (image.size() < 12 || image.size() > kMaxWavBytes) return std::nullopt;
    if (!IdAt(image, 0, "RIFF") || !IdAt(image, 8, "WAVE")) return std::nullopt;
    const std::size_t end = std::min(image.size(), std::size_t{8} + Read32(image, 4));
    if (end < 12) return std::nullopt;

    WavLayout layout;
    bool haveFormat = false;
    bool haveData = false;
    std::size_t at = 12;
    for (std::size_t chunks = 0; chunks < kMaxChunks && end - at >= 8 && !(haveFormat && haveData); ++chunks) {
        const std::size_t body = at + 8;
        const std::size_t declared = Read32(image, at + 4);
        const std::size_t present = std::min(declared, end - body);
        if (IdAt(image, at, "fmt ") && !haveFormat) {
            if (declared < 16 || present < declared) return std::nullopt;
            layout.formatOffset = body;
            layout.formatSize = declared;
            layout.format.formatTag = Read16(image, body);
            layout.format.channels = Read16(image, body + 2);
            layout.format.samplesPerSecond = Read32(image, body + 4);
            layout.format.averageBytesPerSecond = Read32(image, body + 8);
            layout.format.blockAlign = Read16(image, body + 12);
            layout.format.bitsPerSample = Read16(image, body + 14);
            haveFormat = true;
        } else if (IdAt(image, at, "fact") && layout.factSize == 0 && !haveData) {
            if (present >= 4) {  // only the sample count is read from it
                layout.factOffset = body;
                layout.factSize = 4;
            }
        } else if (IdAt(image, at, "data") && !haveData) {
            layout.dataOffset = body;
            layout.dataSize = present;
            haveData = true;
        }
        // Chunks are padded to even sizes; a size that runs past the end simply ends the walk.
        const std::size_t padded = declared + (declared & 1);
        if (padded > end - body) break;
        at = body + padded;
    }
    if (!haveFormat || !haveData) return std::nullopt;

    const WavFormat& f = layout.format;
    if (f.channels == 0 || f.channels > kMaxChannels) return std::nullopt;
    if (f.samplesPerSecond < kMinRate || f.samplesPerSecond > kMaxRate) return std::nullopt;
    if (f.blockAlign == 0) return std::nullopt;
    layout.dataSize -= layout.dataSize % f.blockAlign;
    return layout;
}

std::vector<std::uint8_t> CanonicalWav(std::span<const std::uint8_t> image, const WavLayout& layout) {
    std::vector<std::uint8_t> out;
    out.reserve(12 + 8 + layout.formatSize + 1 + 8 + layout.factSize + 1 + 8 + layout.dataSize + 1);
    out.resize(12);
    std::memcpy(out.data(), "RIFF\0\0\0\0WAVE", 12);
    AppendChunk(out, "fmt ", image.subspan(layout.formatOffset, layout.formatSize));
    if (layout.factSize != 0) AppendChunk(out, "fact", image.subspan(layout.factOffset, layout.factSize));
    AppendChunk(out, "data", image.subspan(layout.dataOffset, layout.dataSize));
    const auto riffSize = static_cast<std::uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    return out;
}

}  // namespace winmm
