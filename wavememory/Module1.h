// wavememory's module: the winmm function it calls and the sound it holds.
#pragma once

#include <cstdint>
#include <vector>

#include <frame/declare.h>
#include <win32/api.h>

inline const frame::Declare<BOOL(LPCSTR, UINT)> sndPlaySoundA{"winmm.dll", "sndPlaySoundA"};

// A whole WAV file, byte for byte, from its RIFF header on.
extern std::vector<std::uint8_t> WaveData;
