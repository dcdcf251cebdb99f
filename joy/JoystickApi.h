// The joystick functions of winmm.dll, as joy declares them.
#pragma once

#include <frame/declare.h>
#include <win32/api.h>

inline const frame::Declare<UINT()> joyGetNumDevs{"winmm.dll", "joyGetNumDevs"};
inline const frame::Declare<MMRESULT(UINT, JOYINFOEX*)> joyGetPosEx{"winmm.dll", "joyGetPosEx"};
inline const frame::Declare<MMRESULT(UINT, UINT)> joySetThreshold{"winmm.dll", "joySetThreshold"};
inline const frame::Declare<MMRESULT(HWND, UINT, UINT, BOOL)> joySetCapture{"winmm.dll", "joySetCapture"};
