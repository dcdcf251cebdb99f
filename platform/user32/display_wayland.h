// A Wayland compositor's outputs, on a connection of our own to the display named by
// WAYLAND_DISPLAY: the first lit output's current mode from the core protocol, and the modes to
// set through wlroots' output management where the compositor offers it (else none to set).
#pragma once

#include <memory>

#include "user32/display_backend.h"

namespace user32::display {

// A backend when WAYLAND_DISPLAY names a compositor that answers; nothing otherwise.
std::unique_ptr<Backend> ConnectWayland();

}  // namespace user32::display
