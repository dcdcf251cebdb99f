// joy's window procedure, which reads the joystick messages before the form sees them.
#pragma once

#include <cstdint>

#include <win32/api.h>

extern std::int32_t JoystickId;
extern std::int32_t Button1State;
extern std::int32_t Button2State;
extern std::int32_t PositionX;
extern std::int32_t PositionY;
extern LONG_PTR OldWndProc;

LRESULT JoystickWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
void SplitLowHighWord(std::int32_t value, std::int32_t& low, std::int32_t& high);
