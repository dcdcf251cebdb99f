// sndPlaySoundA's memory path on arbitrary bytes: each input lies at the very end of a block of its
// own, known to the layer with its length as the form run time's arrays are, so that a read past
// the buffer, whatever the image's sizes claim, is seen by ASan.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "platform/buffers.h"
#include "player_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto* block = static_cast<std::uint8_t*>(std::calloc(size, 1));
    if (block == nullptr) return 0;
    if (size != 0) std::memcpy(block, data, size);
    platform::KnowBuffer(block, size);
    const auto known = platform::KnownBytesFrom(block);
    fuzzwav::Check(size == 0 ? !known : known && *known == size);
    if (known) {
        if (const auto image = winmm::WavImageInBuffer(std::span<const std::uint8_t>(block, *known))) {
            fuzzwav::Check(image->data() == block && image->size() <= size);
            fuzzwav::DecodeAsThePlayerDoes(*image);
        }
    }
    platform::KnowBuffer(block, 0);
    std::free(block);
    return 0;
}
