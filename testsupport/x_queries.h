// What the X server and the window manager say about windows, through the standard X tools, and
// pointer drags through xdotool.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;  // absolute, of the client window
    bool operator==(const Geometry&) const = default;
};

// openbox announces itself before it has finished starting; a window mapped in between may stay
// unmanaged. Waits for the theme it sets once started, and a little more.
bool WaitForWindowManager(int timeoutMs);

std::optional<Geometry> WindowGeometry(unsigned long window);
// _NET_FRAME_EXTENTS (left, right, top, bottom); empty when the property is missing.
std::vector<long> FrameExtents(unsigned long window);
std::vector<unsigned long> ClientList();
unsigned long ActiveWindow();
// The mapped top-level window of a process, waiting up to `timeoutMs` for it to show.
std::optional<unsigned long> WindowOfProcess(pid_t pid, int timeoutMs);
// Press at (x0, y0), move to (x1, y1), release, with pauses between the steps. Button 1 left,
// 2 middle, 3 right.
void Drag(int x0, int y0, int x1, int y1, int button);
void Click(int x, int y);
// Holds ALT while pressing `key`, as a user would.
void AltKey(const std::string& key);
// A screenshot of the window's own contents.
std::string CaptureWindow(unsigned long window, const std::string& pngPath);

}  // namespace testsupport
