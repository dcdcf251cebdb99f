// A careful reader of RIFF/WAVE images: it walks the chunk structure without trusting any size field
// and rebuilds a canonical image (header, format, fact, data, with exact sizes) for the decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace winmm {

// Largest WAV image we accept, in a file or in memory.
inline constexpr std::size_t kMaxWavBytes = 64u << 20;

struct WavFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint32_t averageBytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
};

// Where the chunks that matter lie inside the image; every range lies inside it.
struct WavLayout {
    WavFormat format;
    std::size_t formatOffset = 0;  // body of "fmt "
    std::size_t formatSize = 0;
    std::size_t factOffset = 0;  // body of "fact"; size 0 when absent
    std::size_t factSize = 0;
    std::size_t dataOffset = 0;  // body of "data", cut to the bytes present and to whole blocks
    std::size_t dataSize = 0;
};

// Reads the layout of a RIFF/WAVE image. The RIFF size may claim more than is present (a cut-off
// file: what is there is used) or less (trailing bytes are ignored). Fails on anything that is no
// RIFF/WAVE image, lacks "fmt " or "data", or has a format no decoder could make sense of.
std::optional<WavLayout> ParseWav(std::span<const std::uint8_t> image);

// The image rebuilt from its layout: "RIFF" size "WAVE", "fmt ", "fact" when present, "data".
std::vector<std::uint8_t> CanonicalWav(std::span<const std::uint8_t> image, const WavLayout& layout);

// The number of bytes a RIFF image in memory says it has (8 + the RIFF size), or nothing when the
// first twelve bytes are not "RIFF" size "WAVE" or the size is above kMaxWavBytes.
std::optional<std::size_t> RiffImageSize(std::span<const std::uint8_t, 12> header);

// The WAV image at the start of a buffer of known length: as many bytes as its RIFF header claims,
// but never more than the buffer holds (a claim beyond it plays what is there). Nothing when the
// buffer holds no RIFF/WAVE header or the image would be above kMaxWavBytes.
std::optional<std::span<const std::uint8_t>> WavImageInBuffer(std::span<const std::uint8_t> buffer);

}  // namespace winmm
