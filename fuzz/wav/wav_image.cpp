// Our RIFF/WAVE walk on arbitrary bytes, then SDL's decoder and converter on the image it rebuilds:
// the same path a sound takes from a file to the audio device.
#include <cstdint>
#include <span>

#include "player_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> image(data, size);
    if (size >= 12) {
        if (const auto claimed = winmm::RiffImageSize(image.first<12>())) {
            fuzzwav::Check(*claimed >= 12 && *claimed <= winmm::kMaxWavBytes);
        }
    }
    fuzzwav::DecodeAsThePlayerDoes(image);
    return 0;
}
