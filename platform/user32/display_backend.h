// Where the display modes come from: the session's own compositor or X server, chosen once per
// process at the first display call. Not thread-safe by itself: the caller serialises.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "user32/display_modes.h"

namespace user32::display {

struct OutputModes {
    std::string name;                    // the output's name, e.g. "DUMMY0" or "HDMI-1"
    std::vector<DisplayMode> modes;      // in any order; the caller orders them
    std::optional<DisplayMode> current;  // what it shows now, if it is lit
};

class Backend {
public:
    virtual ~Backend() = default;
    // The primary output as it is now; nothing when it cannot be read.
    virtual std::optional<OutputModes> PrimaryOutput() = 0;
    // The screen for GetDeviceCaps: the mode in use, in the mode's own pixels; nothing when unknown.
    virtual std::optional<DisplayMode> ScreenMode() = 0;
    // Whether SetMode can change anything at all.
    virtual bool CanChange() const = 0;
    // Asks for one of PrimaryOutput's modes: only whether it could be set (`testOnly`), or set it
    // for this session, returning once it shows. True when the answer is yes.
    virtual bool SetMode(const DisplayMode& mode, bool testOnly) = 0;
};

// The backend of this session: GNOME's display configuration on the session bus, a Wayland
// compositor's output management, or XRandR where an X server is the real display; a session
// offering none of them gets one that only reads what it can and changes nothing.
Backend& SessionBackend();

}  // namespace user32::display
