#include "user32/display_xrandr.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <string_view>
#include <thread>

namespace user32::display {
namespace {

struct Connection {
    Display* display = nullptr;
    Window root = 0;
    bool randr = false;
    int bitsPerPixel = 32;
    double pixelsPerMm = 96.0 / 25.4;
};

// Bits per pixel of the screen's pixmap format for its depth: what Windows calls the colour depth
// (depth 24 is stored in 32 bits, depth 15 in 16).
int BitsPerPixelOf(Display* display, int screen) {
    const int depth = DefaultDepth(display, screen);
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    int bits = depth == 24 ? 32 : depth;
    for (int i = 0; formats != nullptr && i < count; ++i) {
        if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
    }
    if (formats != nullptr) XFree(formats);
    return bits;
}

Connection Open() {
    Connection c;
    c.display = XOpenDisplay(nullptr);
    if (c.display == nullptr) return c;
    const int screen = DefaultScreen(c.display);
    c.root = RootWindow(c.display, screen);
    c.bitsPerPixel = BitsPerPixelOf(c.display, screen);
    // The screen's resolution at start is kept through size changes, as xrandr does.
    if (DisplayWidthMM(c.display, screen) > 0 && DisplayWidth(c.display, screen) > 0) {
        c.pixelsPerMm = static_cast<double>(DisplayWidth(c.display, screen)) / DisplayWidthMM(c.display, screen);
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    c.randr = XRRQueryExtension(c.display, &eventBase, &errorBase) && XRRQueryVersion(c.display, &major, &minor) &&
              (major > 1 || (major == 1 && minor >= 3));
    if (c.randr) {
        // Let the server probe its outputs once; later reads take what it knows.
        if (XRRScreenResources* probed = XRRGetScreenResources(c.display, c.root)) XRRFreeScreenResources(probed);
    }
    return c;
}

Connection& State() {
    // Kept open for the life of the process on purpose: closing it at exit would talk to a server
    // that may be gone by then, and Xlib ends the process on a broken connection.
    static Connection connection = Open();
    return connection;
}

// X errors of our requests are answers here, not reasons to end the process: while a trap lives,
// errors on our connection are counted instead of reaching the default handler. Traps nest; the
// outermost one installs and restores the handler.
int trapDepth = 0;
int trappedErrors = 0;
Display* trappedDisplay = nullptr;
XErrorHandler previousHandler = nullptr;

int CountError(Display* display, XErrorEvent* event) {
    if (display == trappedDisplay) {
        ++trappedErrors;
        return 0;
    }
    return previousHandler != nullptr ? previousHandler(display, event) : 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display_(display) {
        XSync(display_, False);
        if (trapDepth++ == 0) {
            trappedDisplay = display_;
            previousHandler = XSetErrorHandler(CountError);
        }
        start_ = trappedErrors;
    }
    ~ErrorTrap() {
        XSync(display_, False);
        if (--trapDepth == 0) {
            XSetErrorHandler(previousHandler);
            trappedDisplay = nullptr;
        }
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    bool Failed() {
        XSync(display_, False);
        return trappedErrors != start_;
    }

private:
    Display* display_;
    int start_ = 0;
};

class ServerGrab {
public:
    explicit ServerGrab(Display* display) : display_(display) { XGrabServer(display_); }
    ~ServerGrab() {
        XUngrabServer(display_);
        XSync(display_, False);
    }
    ServerGrab(const ServerGrab&) = delete;
    ServerGrab& operator=(const ServerGrab&) = delete;

private:
    Display* display_;
};

struct FreeResources {
    void operator()(XRRScreenResources* r) const { XRRFreeScreenResources(r); }
};
struct FreeOutputInfo {
    void operator()(XRROutputInfo* o) const { XRRFreeOutputInfo(o); }
};
struct FreeCrtcInfo {
    void operator()(XRRCrtcInfo* c) const { XRRFreeCrtcInfo(c); }
};
using Resources = std::unique_ptr<XRRScreenResources, FreeResources>;
using OutputInfo = std::unique_ptr<XRROutputInfo, FreeOutputInfo>;
using CrtcInfo = std::unique_ptr<XRRCrtcInfo, FreeCrtcInfo>;

struct Primary {
    RROutput id = 0;
    OutputInfo info;
};

bool IsUsable(const XRROutputInfo* info) {
    return info != nullptr && info->connection == RR_Connected && info->nmode > 0;
}

Primary FindPrimary(Display* display, Window root, XRRScreenResources* resources) {
    if (const RROutput primary = XRRGetOutputPrimary(display, root); primary != 0) {
        OutputInfo info(XRRGetOutputInfo(display, resources, primary));
        if (IsUsable(info.get())) return {primary, std::move(info)};
    }
    for (int i = 0; i < resources->noutput; ++i) {
        OutputInfo info(XRRGetOutputInfo(display, resources, resources->outputs[i]));
        if (IsUsable(info.get())) return {resources->outputs[i], std::move(info)};
    }
    return {};
}

const XRRModeInfo* FindModeInfo(const XRRScreenResources* resources, RRMode id) {
    for (int i = 0; i < resources->nmode; ++i) {
        if (resources->modes[i].id == id) return &resources->modes[i];
    }
    return nullptr;
}

bool IsSideways(Rotation rotation) { return (rotation & (RR_Rotate_90 | RR_Rotate_270)) != 0; }

DisplayMode ModeOf(const XRRModeInfo& info, Rotation rotation, int bitsPerPixel) {
    DisplayMode mode;
    mode.width = static_cast<int>(IsSideways(rotation) ? info.height : info.width);
    mode.height = static_cast<int>(IsSideways(rotation) ? info.width : info.height);
    mode.refreshRate = RefreshRate(info.dotClock, info.hTotal, info.vTotal, (info.modeFlags & RR_DoubleScan) != 0,
                                   (info.modeFlags & RR_Interlace) != 0);
    mode.bitsPerPixel = bitsPerPixel;
    return mode;
}

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

Size RootSize(const Connection& c) {
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    XGetGeometry(c.display, c.root, &root, &x, &y, &width, &height, &border, &depth);
    return {static_cast<int>(width), static_cast<int>(height)};
}

void SetScreenSize(const Connection& c, Size size) {
    XRRSetScreenSize(c.display, c.root, size.width, size.height,
                     std::max(1, static_cast<int>(std::lround(size.width / c.pixelsPerMm))),
                     std::max(1, static_cast<int>(std::lround(size.height / c.pixelsPerMm))));
}

}  // namespace

bool HasXScreen() { return State().display != nullptr; }

DisplayMode XScreenMode() {
    Connection& c = State();
    DisplayMode mode;
    {
        ErrorTrap trap(c.display);
        const Size size = RootSize(c);
        mode.width = size.width;
        mode.height = size.height;
    }
    mode.bitsPerPixel = c.bitsPerPixel;
    if (const auto output = XPrimaryOutput(); output && output->current)
        mode.refreshRate = output->current->refreshRate;
    return mode;
}

std::optional<OutputModes> XPrimaryOutput() {
    Connection& c = State();
    if (c.display == nullptr || !c.randr) return std::nullopt;
    ErrorTrap trap(c.display);
    const Resources resources(XRRGetScreenResourcesCurrent(c.display, c.root));
    if (!resources) return std::nullopt;
    const Primary primary = FindPrimary(c.display, c.root, resources.get());
    if (!primary.info) return std::nullopt;

    Rotation rotation = RR_Rotate_0;
    const XRRModeInfo* currentInfo = nullptr;
    if (primary.info->crtc != 0) {
        const CrtcInfo crtc(XRRGetCrtcInfo(c.display, resources.get(), primary.info->crtc));
        if (crtc) {
            rotation = crtc->rotation;
            if (crtc->mode != 0) currentInfo = FindModeInfo(resources.get(), crtc->mode);
        }
    }
    OutputModes out;
    out.name.assign(primary.info->name, static_cast<std::size_t>(primary.info->nameLen));
    for (int i = 0; i < primary.info->nmode; ++i) {
        if (const XRRModeInfo* info = FindModeInfo(resources.get(), primary.info->modes[i])) {
            out.modes.push_back(ModeOf(*info, rotation, c.bitsPerPixel));
        }
    }
    if (currentInfo != nullptr) out.current = ModeOf(*currentInfo, rotation, c.bitsPerPixel);
    if (trap.Failed()) return std::nullopt;
    return out;
}

bool XSetMode(const DisplayMode& wanted) {
    Connection& c = State();
    if (c.display == nullptr || !c.randr) return false;
    Size final{};
    {
        ErrorTrap trap(c.display);  // outlives the grab, so errors of the ungrab's sync are caught too
        ServerGrab grab(c.display);
        const Resources resources(XRRGetScreenResourcesCurrent(c.display, c.root));
        if (!resources) return false;
        const Primary primary = FindPrimary(c.display, c.root, resources.get());
        if (!primary.info) return false;

        // The output's CRTC, or a free one it can use when it is dark.
        RRCrtc crtcId = primary.info->crtc;
        CrtcInfo crtc;
        if (crtcId != 0) {
            crtc.reset(XRRGetCrtcInfo(c.display, resources.get(), crtcId));
        } else {
            for (int i = 0; i < primary.info->ncrtc && !crtc; ++i) {
                CrtcInfo candidate(XRRGetCrtcInfo(c.display, resources.get(), primary.info->crtcs[i]));
                if (candidate && candidate->noutput == 0 && candidate->mode == 0) {
                    crtcId = primary.info->crtcs[i];
                    crtc = std::move(candidate);
                }
            }
        }
        if (!crtc) return false;
        const bool lit = crtc->mode != 0;
        const Rotation rotation = lit ? crtc->rotation : static_cast<Rotation>(RR_Rotate_0);
        const int x = lit ? crtc->x : 0;
        const int y = lit ? crtc->y : 0;

        // The output's mode of that size and rate; the one in use when it is that one.
        RRMode modeId = 0;
        for (int i = 0; i < primary.info->nmode; ++i) {
            const XRRModeInfo* info = FindModeInfo(resources.get(), primary.info->modes[i]);
            if (info == nullptr || ModeOf(*info, rotation, c.bitsPerPixel) != wanted) continue;
            if (modeId == 0 || info->id == crtc->mode) modeId = info->id;
        }
        if (modeId == 0) return false;

        // The screen must hold every lit CRTC once this one shows the new mode.
        final = {wanted.width + x, wanted.height + y};
        for (int i = 0; i < resources->ncrtc; ++i) {
            if (resources->crtcs[i] == crtcId) continue;
            const CrtcInfo other(XRRGetCrtcInfo(c.display, resources.get(), resources->crtcs[i]));
            if (!other || other->mode == 0) continue;
            final.width = std::max(final.width, other->x + static_cast<int>(other->width));
            final.height = std::max(final.height, other->y + static_cast<int>(other->height));
        }
        int minWidth = 0;
        int minHeight = 0;
        int maxWidth = 0;
        int maxHeight = 0;
        XRRGetScreenSizeRange(c.display, c.root, &minWidth, &minHeight, &maxWidth, &maxHeight);
        final.width = std::max(final.width, minWidth);
        final.height = std::max(final.height, minHeight);
        if (final.width > maxWidth || final.height > maxHeight) return false;

        // Grow the screen first if the mode needs more room, shrink it after the CRTC has changed.
        const Size before = RootSize(c);
        const Size during{std::max(before.width, final.width), std::max(before.height, final.height)};
        if (during != before) SetScreenSize(c, during);
        if (trap.Failed()) return false;
        std::vector<RROutput> outputs;
        if (lit) {
            outputs.assign(crtc->outputs, crtc->outputs + crtc->noutput);
        } else {
            outputs.push_back(primary.id);
        }
        const Status status = XRRSetCrtcConfig(c.display, resources.get(), crtcId, CurrentTime, x, y, modeId, rotation,
                                               outputs.data(), static_cast<int>(outputs.size()));
        if (status != RRSetConfigSuccess || trap.Failed()) {
            if (during != before) SetScreenSize(c, before);
            return false;
        }
        if (final != during) SetScreenSize(c, final);
        if (trap.Failed()) return false;
    }
    // The requests are done once synced; the wait covers a server that applies them late.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (true) {
        ErrorTrap trap(c.display);
        const auto output = XPrimaryOutput();
        const bool shown = RootSize(c) == final && output && output->current == wanted;
        if (shown) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool XIsXwayland() {
    Connection& c = State();
    if (c.display == nullptr) return false;
    int opcode = 0, event = 0, error = 0;
    // Newer Xwayland names itself by an extension; older ones by their outputs' names.
    if (XQueryExtension(c.display, "XWAYLAND", &opcode, &event, &error)) return true;
    if (!c.randr) return false;
    ErrorTrap trap(c.display);
    const Resources resources(XRRGetScreenResourcesCurrent(c.display, c.root));
    if (!resources) return false;
    for (int i = 0; i < resources->noutput; ++i) {
        const OutputInfo info(XRRGetOutputInfo(c.display, resources.get(), resources->outputs[i]));
        if (info && std::string_view(info->name, static_cast<std::size_t>(info->nameLen)).starts_with("XWAYLAND")) {
            return true;
        }
    }
    return false;
}

}  // namespace user32::display
