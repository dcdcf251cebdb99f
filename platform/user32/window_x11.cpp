#include "user32/window_x11.h"

#include <QGuiApplication>
#include <QWidget>

// Xlib's macros (None, Bool, Status) stay below every Qt header.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace user32::x11 {
namespace {

// Only where the toolkit talks to an X server itself; under Wayland there are no X window ids.
Display* DisplayOfApplication() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* application = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return application ? application->display() : nullptr;
}

std::optional<QMargins> FrameExtents(Display* display, ::Window window) {
    const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", True);
    if (extents == None) return std::nullopt;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, window, extents, 0, 4, False, XA_CARDINAL, &type, &format, &count,
                                          &remaining, &data);
    std::optional<QMargins> result;
    if (status == Success && type == XA_CARDINAL && format == 32 && count == 4) {
        const auto* values = reinterpret_cast<const long*>(data);  // format 32 comes as longs
        // left, right, top, bottom
        result = QMargins(static_cast<int>(values[0]), static_cast<int>(values[2]), static_cast<int>(values[1]),
                          static_cast<int>(values[3]));
    }
    if (data != nullptr) XFree(data);
    return result;
}

}  // namespace

std::optional<Placement> QueryPlacement(QWidget* window) {
    Display* display = DisplayOfApplication();
    if (display == nullptr || !window->isVisible()) return std::nullopt;
    const auto id = static_cast<::Window>(window->winId());
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, id, &attributes) == 0) return std::nullopt;
    int x = 0, y = 0;
    ::Window child = 0;
    if (!XTranslateCoordinates(display, id, attributes.root, 0, 0, &x, &y, &child)) return std::nullopt;
    return Placement{QRect(x, y, attributes.width, attributes.height), FrameExtents(display, id).value_or(QMargins())};
}

bool PlaceWindow(QWidget* window, QPoint outerTopLeft, QSize clientSize, QMargins expectedFrame) {
    Display* display = DisplayOfApplication();
    if (display == nullptr) return false;
    const auto id = static_cast<::Window>(window->winId());
    XSizeHints hints{};
    long supplied = 0;
    int gravity = NorthWestGravity;
    if (XGetWMNormalHints(display, id, &hints, &supplied) != 0 && (hints.flags & PWinGravity))
        gravity = hints.win_gravity;
    QPoint place = outerTopLeft;
    if (gravity == StaticGravity) place += QPoint(expectedFrame.left(), expectedFrame.top());
    XMoveResizeWindow(display, id, place.x(), place.y(), static_cast<unsigned>(std::max(1, clientSize.width())),
                      static_cast<unsigned>(std::max(1, clientSize.height())));
    XFlush(display);
    return true;
}

}  // namespace user32::x11
