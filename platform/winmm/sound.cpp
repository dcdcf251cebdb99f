#include "winmm/sound.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include "platform/buffers.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/regular_file.h"
#include "winmm/wav_image.h"

namespace winmm {
namespace {

using Clock = std::chrono::steady_clock;

// Small buffers keep the delay from a call to the speaker short (512 frames at 44.1 kHz: 11.6 ms).
constexpr int kWantedRate = 44100;
constexpr int kWantedChannels = 2;
constexpr int kWantedFrames = 512;
constexpr std::size_t kFeedFrames = 1024;  // source frames converted at a time in the callback
constexpr auto kRetryAfterFailure = std::chrono::seconds(1);
constexpr auto kSyncSlack = std::chrono::seconds(2);

struct WavFree {
    void operator()(Uint8* samples) const { SDL_FreeWAV(samples); }
};

// Samples as SDL decoded them (or as we made them), before conversion to the device's format.
struct DecodedSound {
    SDL_AudioFormat format = AUDIO_S16SYS;
    Uint8 channels = 1;
    int rate = 22050;
    std::unique_ptr<Uint8, WavFree> decoded;
    std::vector<Uint8> generated;
    std::span<const Uint8> bytes;  // whole frames of one of the two above

    std::size_t FrameBytes() const { return SDL_AUDIO_BITSIZE(format) / 8 * std::size_t{channels}; }
    Clock::duration Length() const {
        const double seconds = static_cast<double>(bytes.size() / FrameBytes()) / rate;
        return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    }
};

struct StreamFree {
    void operator()(SDL_AudioStream* stream) const { SDL_FreeAudioStream(stream); }
};

// One sound on its way to the device: the callback converts it piece by piece, so a call never waits
// for a whole sound to be resampled.
struct Voice {
    std::shared_ptr<const DecodedSound> sound;
    std::unique_ptr<SDL_AudioStream, StreamFree> stream;
    std::uint64_t serial = 0;
    std::size_t fed = 0;         // source bytes put into the stream
    std::size_t paddingFed = 0;  // silence put after them
    std::size_t paddingBytes = 0;
    std::size_t expected = 0;  // device bytes the whole sound makes
    std::size_t delivered = 0;
    bool flushed = false;
    bool loop = false;
    bool started = false;
};

// SDL's resampler holds back the last stretch of its input until more arrives (a flush alone does
// not always release it), so silence is fed after the sound and the output cut at the sound's exact
// converted length.
std::size_t ResamplerPaddingFrames(int sourceRate, int deviceRate) {
    const std::size_t ratio = (static_cast<std::size_t>(sourceRate) + deviceRate - 1) / deviceRate;
    return 1024 * std::max<std::size_t>(1, ratio);
}

std::shared_ptr<const DecodedSound> DecodeWav(std::span<const std::uint8_t> image) {
    const auto layout = ParseWav(image);
    if (!layout) return nullptr;
    const std::vector<std::uint8_t> canonical = CanonicalWav(image, *layout);
    // Compressed data ends on a whole block; the "fact" sample count says where the sound ends.
    SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "truncate");
    SDL_RWops* source = SDL_RWFromConstMem(canonical.data(), static_cast<int>(canonical.size()));
    if (source == nullptr) return nullptr;
    SDL_AudioSpec spec{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(source, 1, &spec, &buffer, &length) == nullptr) return nullptr;
    auto sound = std::make_shared<DecodedSound>();
    sound->decoded.reset(buffer);
    sound->format = spec.format;
    sound->channels = spec.channels;
    sound->rate = spec.freq;
    if (sound->channels == 0 || sound->rate <= 0) return nullptr;
    sound->bytes = std::span<const Uint8>(buffer, length - length % sound->FrameBytes());
    return sound;
}

// Only a regular file is read, and only as far as the size it had when it was opened.
std::shared_ptr<const DecodedSound> ReadWavFile(LPCSTR pathCp932) {
    const std::string path = kernel32::LinuxPathOf(kernel32::Utf8FromCp932(std::string_view(pathCp932)));
    const auto file = kernel32::RegularFile::Open(path);
    if (!file.is_open() || file.size() > kMaxWavBytes) return nullptr;
    std::vector<std::uint8_t> image(static_cast<std::size_t>(file.size()));
    const std::int64_t got = file.ReadAt(0, image);
    if (got < 0) return nullptr;
    image.resize(static_cast<std::size_t>(got));
    return DecodeWav(image);
}

// The caller's image is read during the call and never again (decoding works on a rebuilt copy and
// keeps only its own samples), so a buffer that the caller replaces or frees while the sound plays
// cannot reach it. Only a buffer whose length is known is read, and never past its end.
std::shared_ptr<const DecodedSound> ReadWavMemory(const void* address) {
    const auto known = platform::KnownBytesFrom(address);
    if (!known) return nullptr;
    const auto image = WavImageInBuffer(std::span(static_cast<const std::uint8_t*>(address), *known));
    if (!image) return nullptr;
    return DecodeWav(*image);
}

// Our own stand-in for a sound that cannot be played: a short two-tone ding.
std::shared_ptr<const DecodedSound> DefaultSound() {
    static const std::shared_ptr<const DecodedSound> sound = [] {
        auto beep = std::make_shared<DecodedSound>();
        beep->format = AUDIO_S16SYS;
        beep->channels = 1;
        beep->rate = 22050;
        const int frames = beep->rate * 22 / 100;
        std::vector<Sint16> samples(static_cast<std::size_t>(frames));
        for (int i = 0; i < frames; ++i) {
            const double t = static_cast<double>(i) / beep->rate;
            const double attack = std::min(1.0, t / 0.005);
            const double envelope = attack * std::exp(-t * 18.0);
            const double tone =
                0.7 * std::sin(2 * std::numbers::pi * 880.0 * t) + 0.3 * std::sin(2 * std::numbers::pi * 1320.0 * t);
            samples[static_cast<std::size_t>(i)] = static_cast<Sint16>(std::lround(tone * envelope * 12000.0));
        }
        const auto* raw = reinterpret_cast<const Uint8*>(samples.data());
        beep->generated.assign(raw, raw + samples.size() * sizeof(Sint16));
        beep->bytes = beep->generated;
        return beep;
    }();
    return sound;
}

class SoundEngine {
public:
    SoundEngine() = default;
    SoundEngine(const SoundEngine&) = delete;
    SoundEngine& operator=(const SoundEngine&) = delete;
    // Closing the device stops SDL's audio thread before any member goes away.
    ~SoundEngine() { CloseDevice(); }

    BOOL Play(LPCSTR sound, UINT flags) {
        std::unique_lock control(control_);
        if (sound == nullptr) {
            Stop();
            return TRUE;
        }
        if ((flags & SND_NOSTOP) != 0 && Playing()) return FALSE;

        auto decoded = (flags & SND_MEMORY) != 0 ? ReadWavMemory(sound) : ReadWavFile(sound);
        if (!OpenDevice()) return FALSE;
        std::unique_ptr<Voice> voice = decoded ? MakeVoice(std::move(decoded)) : nullptr;
        if (!voice && (flags & SND_NODEFAULT) == 0) voice = MakeVoice(DefaultSound());
        if (!voice) {
            Stop();
            return FALSE;
        }
        const bool async = (flags & SND_ASYNC) != 0;
        voice->loop = async && (flags & SND_LOOP) != 0;
        const std::uint64_t serial = voice->serial;
        const Clock::time_point deadline = Clock::now() + voice->sound->Length() + kSyncSlack;

        std::unique_lock lock(voiceMutex_);
        std::swap(voice, voice_);
        lastStart_.reset();
        voiceChanged_.notify_all();
        control.unlock();
        if (!async) {
            voiceChanged_.wait_until(lock, deadline, [&] { return !voice_ || voice_->serial != serial; });
        }
        lock.unlock();
        return TRUE;  // the sound given way to is freed here, outside the callback's lock
    }

    bool WaitIdle(std::chrono::milliseconds timeout) {
        std::unique_lock lock(voiceMutex_);
        return voiceChanged_.wait_for(lock, timeout, [&] { return !voice_; });
    }

    bool Playing() {
        std::lock_guard lock(voiceMutex_);
        return voice_ != nullptr;
    }

    void Reset() {
        std::lock_guard control(control_);
        CloseDevice();
        if (audioStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioStarted_ = false;
        lastFailure_.reset();
    }

    std::optional<SoundDeviceFormat> DeviceFormat() {
        std::lock_guard control(control_);
        if (device_ == 0) return std::nullopt;
        return SoundDeviceFormat{have_.freq, have_.format, have_.channels, have_.samples};
    }

    std::optional<Clock::time_point> LastStart() {
        std::lock_guard lock(voiceMutex_);
        return lastStart_;
    }

private:
    static void SDLCALL Callback(void* engine, Uint8* out, int length) {
        static_cast<SoundEngine*>(engine)->Fill(out, length);
    }

    void Fill(Uint8* out, int length) {
        std::lock_guard lock(voiceMutex_);
        int written = 0;
        while (voice_ && written < length) {
            Voice& v = *voice_;
            if (v.delivered >= v.expected) {
                if (!v.loop || v.expected == 0) {
                    EndVoice();
                    break;
                }
                SDL_AudioStreamClear(v.stream.get());
                v.fed = v.paddingFed = v.delivered = 0;
                v.flushed = false;
            }
            const int wanted = static_cast<int>(std::min<std::size_t>(length - written, v.expected - v.delivered));
            const int got = SDL_AudioStreamGet(v.stream.get(), out + written, wanted);
            if (got > 0) {
                if (!v.started) {
                    v.started = true;
                    lastStart_ = Clock::now();
                }
                written += got;
                v.delivered += static_cast<std::size_t>(got);
                continue;
            }
            if (got < 0 || !Feed(v)) EndVoice();
        }
        if (written < length) std::memset(out + written, have_.silence, static_cast<std::size_t>(length - written));
    }

    // Puts the next piece of the sound (or of the silence after it) into the stream; false once
    // there is nothing left to put.
    static bool Feed(Voice& v) {
        const DecodedSound& sound = *v.sound;
        const std::size_t pieceBytes = kFeedFrames * sound.FrameBytes();
        if (v.fed < sound.bytes.size()) {
            const std::size_t piece = std::min(sound.bytes.size() - v.fed, pieceBytes);
            if (SDL_AudioStreamPut(v.stream.get(), sound.bytes.data() + v.fed, static_cast<int>(piece)) != 0)
                return false;
            v.fed += piece;
            return true;
        }
        if (v.paddingFed < v.paddingBytes) {
            std::array<Uint8, 4096> silence;
            silence.fill(sound.format == AUDIO_U8 ? 0x80 : 0);
            std::size_t piece = std::min(v.paddingBytes - v.paddingFed, silence.size());
            piece -= piece % sound.FrameBytes();
            if (piece == 0 || SDL_AudioStreamPut(v.stream.get(), silence.data(), static_cast<int>(piece)) != 0)
                return false;
            v.paddingFed += piece;
            return true;
        }
        if (v.flushed) return false;
        SDL_AudioStreamFlush(v.stream.get());
        v.flushed = true;
        return true;
    }

    // Called with voiceMutex_ held.
    void EndVoice() {
        voice_.reset();
        voiceChanged_.notify_all();
    }

    void Stop() {
        std::unique_ptr<Voice> old;
        std::lock_guard lock(voiceMutex_);
        std::swap(old, voice_);
        voiceChanged_.notify_all();
    }

    std::unique_ptr<Voice> MakeVoice(std::shared_ptr<const DecodedSound> sound) {
        SDL_AudioStream* stream =
            SDL_NewAudioStream(sound->format, sound->channels, sound->rate, have_.format, have_.channels, have_.freq);
        if (stream == nullptr) return nullptr;
        auto voice = std::make_unique<Voice>();
        const std::size_t frames = sound->bytes.size() / sound->FrameBytes();
        const std::size_t deviceFrameBytes = SDL_AUDIO_BITSIZE(have_.format) / 8 * std::size_t{have_.channels};
        voice->expected =
            frames * static_cast<std::size_t>(have_.freq) / static_cast<std::size_t>(sound->rate) * deviceFrameBytes;
        voice->paddingBytes = ResamplerPaddingFrames(sound->rate, have_.freq) * sound->FrameBytes();
        voice->sound = std::move(sound);
        voice->stream.reset(stream);
        voice->serial = ++nextSerial_;
        return voice;
    }

    // Opens the device on first use (and again after it was lost). After a failure no new attempt
    // is made for a while, so that calls without a sound device stay fast.
    bool OpenDevice() {
        if (device_ != 0) {
            if (SDL_GetAudioDeviceStatus(device_) != SDL_AUDIO_STOPPED) return true;
            CloseDevice();
        }
        if (lastFailure_ && Clock::now() - *lastFailure_ < kRetryAfterFailure) return false;
        if (!audioStarted_) {
            SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
            if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
                lastFailure_ = Clock::now();
                return false;
            }
            audioStarted_ = true;
        }
        SDL_AudioSpec want{};
        want.freq = kWantedRate;
        want.format = AUDIO_S16SYS;
        want.channels = kWantedChannels;
        want.samples = kWantedFrames;
        want.callback = &SoundEngine::Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_ANY_CHANGE);
        if (device == 0) {
            lastFailure_ = Clock::now();
            return false;
        }
        have_ = have;
        device_ = device;
        lastFailure_.reset();
        SDL_PauseAudioDevice(device_, 0);  // runs from now on, so a sound starts within one buffer
        return true;
    }

    void CloseDevice() {
        if (device_ != 0) SDL_CloseAudioDevice(device_);  // waits for the callback to return
        device_ = 0;
        Stop();
    }

    std::mutex control_;  // device and calls, one at a time
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec have_{};
    bool audioStarted_ = false;
    std::optional<Clock::time_point> lastFailure_;
    std::uint64_t nextSerial_ = 0;

    std::mutex voiceMutex_;  // what the callback reads
    std::condition_variable voiceChanged_;
    std::unique_ptr<Voice> voice_;
    std::optional<Clock::time_point> lastStart_;
};

SoundEngine& Engine() {
    static SoundEngine engine;
    return engine;
}

}  // namespace

BOOL sndPlaySoundA(LPCSTR pszSound, UINT fuSound) { return Engine().Play(pszSound, fuSound); }

bool WaitForSoundIdleForTesting(std::chrono::milliseconds timeout) { return Engine().WaitIdle(timeout); }
bool IsSoundPlayingForTesting() { return Engine().Playing(); }
void ResetSoundForTesting() { Engine().Reset(); }
std::optional<SoundDeviceFormat> SoundDeviceFormatForTesting() { return Engine().DeviceFormat(); }
std::optional<std::chrono::steady_clock::time_point> LastSoundStartForTesting() { return Engine().LastStart(); }

}  // namespace winmm
