// The display part of user32: display modes through the session's own compositor or X server
// (display_backend.h), and the screen device context. Everything here is callable from any thread;
// requests to the session are serialised.
#pragma once

#include <win32/user32.h>

#include "gdi32/display_caps.h"

namespace user32 {

// Modes of the primary output (or the first connected one), at the screen's one colour depth,
// sorted by width, then height, then refresh rate, all ascending; a size and rate appears once.
// ENUM_CURRENT_SETTINGS and ENUM_REGISTRY_SETTINGS both describe the mode in use.
BOOL EnumDisplaySettingsA(LPCSTR lpszDeviceName, DWORD iModeNum, DEVMODEA* lpDevMode);
LONG ChangeDisplaySettingsA(DEVMODEA* lpDevMode, DWORD dwFlags);

// A device context for the whole screen (a gdi32 memory DC tracked as a screen DC); ReleaseDC
// deletes it and answers 1, or 0 for a DC that GetDC did not hand out.
HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hDC);

// Makes gdi32's GetDeviceCaps report the real screen (ScreenDisplayCaps). Every function above
// does this on its first call; the run time may do it at start. Calling it again does nothing.
void InstallDisplayCaps();

// What the screen is now, read afresh on each call: bits per pixel as Windows counts them (an X
// depth of 24 is 32), the screen's width and height (on X the X screen's, elsewhere the primary
// output's mode in its own pixels) and the primary output's refresh rate. Without a display,
// gdi32's defaults.
gdi32::DisplayCaps ScreenDisplayCaps();

}  // namespace user32
