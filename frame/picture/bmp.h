// Windows bitmap (.bmp) reading and writing for the picture loading service and the data tools.
// The reader takes every common form of the file and refuses, with a short reason, anything
// truncated, malformed or too large, without allocating more than the image it returns.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace frame::picture {

// Pixels run row by row from the top left, each 0x00RRGGBB.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

struct DecodeError {
    std::string reason;
};

// Limits on what a file may claim: beyond them the decoder refuses before allocating.
inline constexpr int kMaxBitmapDimension = 32768;
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t{64} * 1024 * 1024;

std::variant<Image, DecodeError> DecodeBmp(std::span<const std::uint8_t> bytes);

// Writes a bottom-up BI_RGB file with a BITMAPINFOHEADER. bitCount is 8, 24 or 32; for 8 the
// palette holds 1 to 256 colours (0x00RRGGBB) and every pixel must be one of them.
// Throws std::invalid_argument for a bit count, size or palette it cannot write.
std::vector<std::uint8_t> EncodeBmp(const Image& image, int bitCount, std::span<const std::uint32_t> palette = {});

}  // namespace frame::picture
