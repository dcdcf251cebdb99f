// wavefile's module: the one winmm function it calls.
#pragma once

#include <frame/declare.h>
#include <win32/api.h>

inline const frame::Declare<BOOL(LPCSTR, UINT)> sndPlaySoundA{"winmm.dll", "sndPlaySoundA"};
