// What a sound goes through after our RIFF/WAVE walk: SDL's decoder and converter on the image the
// walk rebuilds, as the player sets them up.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <span>

#include "winmm/wav_image.h"

namespace fuzzwav {

inline void Check(bool condition) {
    if (!condition) std::abort();
}

inline void DecodeAsThePlayerDoes(std::span<const std::uint8_t> image) {
    const auto layout = winmm::ParseWav(image);
    if (!layout) return;
    Check(layout->formatOffset + layout->formatSize <= image.size());
    Check(layout->factOffset + layout->factSize <= image.size());
    Check(layout->dataOffset + layout->dataSize <= image.size());
    Check(layout->dataSize % layout->format.blockAlign == 0);

    const auto canonical = winmm::CanonicalWav(image, *layout);
    const auto again = winmm::ParseWav(canonical);
    Check(again && again->dataSize == layout->dataSize && again->format.formatTag == layout->format.formatTag);

    SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "truncate");
    SDL_RWops* source = SDL_RWFromConstMem(canonical.data(), static_cast<int>(canonical.size()));
    SDL_AudioSpec spec{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(source, 1, &spec, &samples, &length) == nullptr) return;
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
}

}  // namespace fuzzwav
