// bareframe's module: taking the caption bar and sizing frame off a form's window.
#pragma once

#include <frame/declare.h>
#include <frame/form.h>

// The Windows functions this program calls, bound by library and entry name at their first call.
inline const frame::Declare<LONG_PTR(HWND, int)> GetWindowLongA{"user32.dll", "GetWindowLongA"};
inline const frame::Declare<LONG_PTR(HWND, int, LONG_PTR)> SetWindowLongA{"user32.dll", "SetWindowLongA"};
inline const frame::Declare<BOOL(HWND, HWND, int, int, int, int, UINT)> SetWindowPos{"user32.dll", "SetWindowPos"};

// Flips the caption and sizing-frame bits of the form's window style and has the frame redrawn:
// on a sizable form they go, on a form already stripped they come back.
void RemoveCaptionBar(const frame::Form& form);
