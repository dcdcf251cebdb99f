// Our RIFF/WAVE walk on arbitrary bytes, then SDL's decoder and converter on the image it rebuilds:
// the same path a sound takes from a file or from memory to the audio device.
#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <span>

#include "winmm/wav_image.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> image(data, size);
    if (size >= 12) {
        if (const auto claimed = winmm::RiffImageSize(image.first<12>())) Check(*claimed >= 12 && *claimed <= winmm::kMaxWavBytes);
    }
    const auto layout = winmm::ParseWav(image);
    if (!layout) return 0;
    Check(layout->formatOffset + layout->formatSize <= size);
    Check(layout->factOffset + layout->factSize <= size);
    Check(layout->dataOffset + layout->dataSize <= size);
    Check(layout->dataSize % layout->format.blockAlign == 0);

    const auto canonical = winmm::CanonicalWav(image, *layout);
    const auto again = winmm::ParseWav(canonical);
    Check(again && again->dataSize == layout->dataSize && again->format.formatTag == layout->format.formatTag);

    SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "truncate");  // as the player reads them
    SDL_RWops* source = SDL_RWFromConstMem(canonical.data(), static_cast<int>(canonical.size()));
    SDL_AudioSpec spec{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(source, 1, &spec, &samples, &length) == nullptr) return 0;
    SDL_AudioStream* stream = SDL_NewAudioStream(spec.format, spec.channels, spec.freq, AUDIO_S16SYS, 2, 44100);
    if (stream != nullptr) {
        const Uint32 frame = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
        const Uint32 whole = length - length % frame;
        if (SDL_AudioStreamPut(stream, samples, static_cast<int>(whole)) == 0) {
            SDL_AudioStreamFlush(stream);
            Uint8 out[4096];
            while (SDL_AudioStreamGet(stream, out, sizeof out) > 0) {
            }
        }
        SDL_FreeAudioStream(stream);
    }
    SDL_FreeWAV(samples);
    return 0;
}
