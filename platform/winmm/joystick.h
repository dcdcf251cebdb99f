// Joysticks over SDL's joystick subsystem: polling (joyGetPosEx) and capture messages to a window.
#pragma once

#include <optional>

#include <win32/winmm.h>

namespace winmm {

// Joystick identifiers 0..15 are slots: at start JOYSTICKID1 is the first joystick SDL reports and
// JOYSTICKID2 the second; a joystick keeps its slot while it stays plugged in, and one plugged in
// later takes the lowest free slot.
inline constexpr UINT kJoystickSlots = 16;

UINT joyGetNumDevs();
MMRESULT joyGetPosEx(UINT uJoyID, JOYINFOEX* pji);
MMRESULT joySetThreshold(UINT uJoyID, UINT uThreshold);
MMRESULT joySetCapture(HWND hwnd, UINT uJoyID, UINT uPeriod, BOOL fChanged);
MMRESULT joyReleaseCapture(UINT uJoyID);

// One reading of a joystick, in the units of JOYINFOEX (axes 0..65535, centre 32768).
struct JoystickReading {
    DWORD x = 32768, y = 32768, z = 32768, r = 32768, u = 32768, v = 32768;
    DWORD buttons = 0;      // bit n: button n + 1 held
    DWORD buttonCount = 0;  // how many are held
    DWORD pov = JOY_POVCENTERED;
};

// Brings SDL's joystick state up to date and reads joystick `id`; empty when none answers for it.
std::optional<JoystickReading> ReadJoystick(UINT id);

// The threshold joySetThreshold set for `id` (0 for an id out of range).
UINT JoystickThreshold(UINT id);

// Closes the joysticks we opened (the next reading opens them again) and sets thresholds back to 0.
void ForgetJoysticks();

// Ends every capture, closes every joystick we opened and sets the thresholds back to 0 (for tests
// between cases).
void ResetJoysticksForTesting();

}  // namespace winmm
