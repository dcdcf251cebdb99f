// stickpoll's module: the joystick found at start and one reading of it.
#pragma once

#include <cstdint>

#include <frame/declare.h>
#include <win32/api.h>

// The Windows functions this program calls, bound by library and entry name at their first call.
inline const frame::Declare<UINT()> joyGetNumDevs{"winmm.dll", "joyGetNumDevs"};
inline const frame::Declare<MMRESULT(UINT, JOYINFOEX*)> joyGetPosEx{"winmm.dll", "joyGetPosEx"};

extern std::int32_t JoystickId;

bool DetectJoystick();
void PollJoystick(std::int32_t& x, std::int32_t& y, bool& button1, bool& button2);
