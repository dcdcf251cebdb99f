// Display modes as Windows describes them, apart from where they come from: ordering the list,
// filling a DEVMODEA and choosing the mode that a DEVMODEA asks for.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include <win32/user32.h>

namespace user32::display {

struct DisplayMode {
    int width = 0;
    int height = 0;
    int refreshRate = 0;  // whole hertz
    int bitsPerPixel = 0;
    friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

// Width, then height, then refresh rate, ascending (one depth per screen, so it does not order);
// modes equal in all four appear once.
std::vector<DisplayMode> OrderedModes(std::vector<DisplayMode> modes);

// The whole-hertz rate of a video timing, rounded to nearest; 0 when the timing gives none.
int RefreshRate(unsigned long dotClock, unsigned hTotal, unsigned vTotal, bool doubleScan, bool interlace);

// Writes what a display driver writes: the name (in code page 932, cut to fit with its NUL), spec
// version and size, dmFields, depth, size, flags and rate. Every other byte stays as it was.
void FillDevMode(DEVMODEA& record, const DisplayMode& mode, std::string_view deviceNameUtf8);

// Colour depths a Windows display could be switched to, given a restart.
bool IsDisplayDepth(DWORD bitsPerPixel);

struct ModeChoice {
    LONG result = DISP_CHANGE_BADMODE;  // DISP_CHANGE_SUCCESSFUL, _RESTART or _BADMODE
    DisplayMode mode;                   // the mode to set when result is DISP_CHANGE_SUCCESSFUL
};

// The mode a record asks for. Fields named in dmFields come from the record, the others from the
// current mode; a record naming none of depth, size and rate names no mode. A rate of 0 or 1
// (Windows' "default") or none named takes the current mode if it has the size, else the highest
// rate of that size. A size that no mode has is BADMODE; another display depth is RESTART.
ModeChoice ChooseMode(const DEVMODEA& record, std::span<const DisplayMode> modes, const DisplayMode& current);

}  // namespace user32::display
