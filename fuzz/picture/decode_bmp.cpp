// Feeds arbitrary bytes to the bitmap reader. A picture it accepts must be consistent, and a
// small one must survive a write and a second read unchanged.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <variant>

#include "picture/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using frame::picture::DecodeBmp;
    using frame::picture::Image;
    const auto result = DecodeBmp(std::span<const std::uint8_t>(data, size));
    const auto* image = std::get_if<Image>(&result);
    if (image == nullptr) {
        return 0;
    }
    if (image->width <= 0 || image->height <= 0 ||
        image->pixels.size() != static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height)) {
        std::abort();
    }
    for (std::uint32_t pixel : image->pixels) {
        if (pixel > 0x00FFFFFF) std::abort();
    }
    if (image->pixels.size() <= 4096) {
        const auto again = DecodeBmp(frame::picture::EncodeBmp(*image, 24));
        const auto* copy = std::get_if<Image>(&again);
        if (copy == nullptr || copy->pixels != image->pixels) std::abort();
    }
    return 0;
}
