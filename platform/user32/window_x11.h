// The X server's own word on a top-level window, for the moments when the toolkit's picture lags
// behind: right after a frame change its cached frame extents and place can be stale.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

namespace user32::x11 {

struct Placement {
    QRect client;    // in root coordinates
    QMargins frame;  // _NET_FRAME_EXTENTS; empty when the window manager sets none
};

// Nothing when the window is not shown or the application does not run on X11.
std::optional<Placement> QueryPlacement(QWidget* window);

// Puts the frame's corner at `outerTopLeft` and sizes the client area, as the window's gravity
// asks: with static gravity the client's corner goes where the frame `expectedFrame` leaves it.
// False when the application does not run on X11.
bool PlaceWindow(QWidget* window, QPoint outerTopLeft, QSize clientSize, QMargins expectedFrame);

}  // namespace user32::x11
