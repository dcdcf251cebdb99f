// The X side of the display layer: one connection to the display named by DISPLAY, opened at first
// use and kept for the life of the process, and the primary output's modes through XRandR.
// Not thread-safe by itself: the caller serialises.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "user32/display_backend.h"

namespace user32::display {

// Opens the connection on the first call; false when no X server answered then.
bool HasXScreen();

// The X screen as it is now: its size, its depth in Windows' bits per pixel, and the primary
// output's refresh rate (0 when unknown). Requires HasXScreen().
DisplayMode XScreenMode();

// The primary output (XRRGetOutputPrimary, else the first connected one); nothing when there is no
// X screen, the server has no RandR 1.3 or later, or no output is connected.
std::optional<OutputModes> XPrimaryOutput();

// Sets the primary output's CRTC to the mode of that size and rate, resizing the screen to hold it,
// under a server grab; returns once the server reports the new configuration.
bool XSetMode(const DisplayMode& mode);

// Whether the X server is Xwayland, whose RandR only pretends for its own clients.
bool XIsXwayland();

}  // namespace user32::display
