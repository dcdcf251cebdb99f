#include "user32/display_backend.h"

#include <memory>

#include "user32/display_mutter.h"
#include "user32/display_wayland.h"
#include "user32/display_xrandr.h"

namespace user32::display {
namespace {

class XrandrBackend : public Backend {
public:
    std::optional<OutputModes> PrimaryOutput() override { return XPrimaryOutput(); }
    std::optional<DisplayMode> ScreenMode() override { return XScreenMode(); }
    bool CanChange() const override { return true; }
    // RandR has no dry run; a listed mode of the output can be set.
    bool SetMode(const DisplayMode& mode, bool testOnly) override { return testOnly || XSetMode(mode); }
};

// An X server that is not the real display (Xwayland): its screen is what its clients see, and
// its modes are not the monitor's.
class XScreenOnlyBackend : public Backend {
public:
    std::optional<OutputModes> PrimaryOutput() override { return std::nullopt; }
    std::optional<DisplayMode> ScreenMode() override { return XScreenMode(); }
    bool CanChange() const override { return false; }
    bool SetMode(const DisplayMode&, bool) override { return false; }
};

class NothingBackend : public Backend {
public:
    std::optional<OutputModes> PrimaryOutput() override { return std::nullopt; }
    std::optional<DisplayMode> ScreenMode() override { return std::nullopt; }
    bool CanChange() const override { return false; }
    bool SetMode(const DisplayMode&, bool) override { return false; }
};

std::unique_ptr<Backend> Choose() {
    if (auto mutter = ConnectMutter()) return mutter;
    if (auto wayland = ConnectWayland()) return wayland;
    if (HasXScreen()) {
        if (XIsXwayland()) return std::make_unique<XScreenOnlyBackend>();
        return std::make_unique<XrandrBackend>();
    }
    return std::make_unique<NothingBackend>();
}

}  // namespace

Backend& SessionBackend() {
    // Kept for the life of the process, like the connections behind it.
    static Backend* backend = Choose().release();
    return *backend;
}

}  // namespace user32::display
