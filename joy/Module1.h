// joy's window procedure, which reads the joystick messages before the form sees them.
#pragma once

#include <cstdint>

#include <frame/declare.h>
#include <win32/api.h>

// The Windows functions this program calls, bound by library and entry name at their first call.
inline const frame::Declare<UINT()> joyGetNumDevs{"winmm.dll", "joyGetNumDevs"};
inline const frame::Declare<MMRESULT(UINT, JOYINFOEX*)> joyGetPosEx{"winmm.dll", "joyGetPosEx"};
inline const frame::Declare<MMRESULT(UINT, UINT)> joySetThreshold{"winmm.dll", "joySetThreshold"};
inline const frame::Declare<MMRESULT(HWND, UINT, UINT, BOOL)> joySetCapture{"winmm.dll", "joySetCapture"};
inline const frame::Declare<LONG_PTR(HWND, int, LONG_PTR)> SetWindowLongA{"user32.dll", "SetWindowLongA"};
inline const frame::Declare<LRESULT(WNDPROC, HWND, UINT, WPARAM, LPARAM)> CallWindowProcA{"user32.dll",
                                                                                          "CallWindowProcA"};
inline const frame::Declare<void(void*, SIZE_T)> RtlZeroMemory{"kernel32.dll", "RtlZeroMemory"};

extern std::int32_t JoystickId;
extern std::int32_t Button1State;
extern std::int32_t Button2State;
extern std::int32_t PositionX;
extern std::int32_t PositionY;
extern LONG_PTR OldWndProc;

LRESULT JoystickWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
void SplitLowHighWord(std::int32_t value, std::int32_t& low, std::int32_t& high);
