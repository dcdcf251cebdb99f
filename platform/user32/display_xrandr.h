// The X side of the display layer: one connection to the display named by DISPLAY, opened at first
// use and kept for the life of the process, and the primary output's modes through XRandR.
// Not thread-safe by itself: the caller serialises.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "user32/display_modes.h"

namespace user32::display {

struct OutputModes {
    std::string name;                    // the output's name, e.g. "DUMMY0"
    std::vector<DisplayMode> modes;      // as XRandR lists them for the output, rotation applied
    std::optional<DisplayMode> current;  // what its CRTC shows, if it is lit
};

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

}  // namespace user32::display
