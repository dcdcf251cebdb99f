// Sound playback (sndPlaySoundA) over the SDL audio device, and the hooks its tests use.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include <win32/winmm.h>

namespace winmm {

// Plays a WAV file (path in code page 932; only a regular file is opened, and read only as far as
// its size at the open) or, with SND_MEMORY, a whole WAV image in memory, which is copied before the
// call returns. The image is read only from a buffer whose length the layer knows (platform/buffers.h)
// and never past its end, whatever its RIFF header claims; any other address counts as unplayable.
// A new sound stops the one playing; a null pszSound stops it.
// SND_ASYNC returns at once; without it the call returns when the sound has ended. An unplayable
// sound plays a short beep of our own instead, or nothing with SND_NODEFAULT (then FALSE).
// SND_LOOP (with SND_ASYNC) repeats until the next call; SND_NOSTOP gives FALSE while a sound plays.
// FALSE at once when no audio device can be opened.
BOOL sndPlaySoundA(LPCSTR pszSound, UINT fuSound);

// --- For tests and benchmarks ---------------------------------------------------------------------

// True once nothing plays; false if a sound still plays when the timeout passes.
bool WaitForSoundIdleForTesting(std::chrono::milliseconds timeout);
bool IsSoundPlayingForTesting();

// Stops the sound, closes the device and shuts SDL's audio down, so that the next call opens a device
// afresh under the current SDL_AUDIODRIVER (and the disk driver's file is complete).
void ResetSoundForTesting();

struct SoundDeviceFormat {
    int frequency = 0;
    std::uint16_t format = 0;  // an SDL_AudioFormat
    int channels = 0;
    int samples = 0;  // frames per callback
};
// The format of the open device, if one is open.
std::optional<SoundDeviceFormat> SoundDeviceFormatForTesting();

// When the latest sound's first samples were handed to the device; empty until then (each
// sndPlaySoundA clears it).
std::optional<std::chrono::steady_clock::time_point> LastSoundStartForTesting();

}  // namespace winmm
