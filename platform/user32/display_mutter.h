// GNOME's display configuration (org.gnome.Mutter.DisplayConfig on the session bus): the primary
// logical monitor's modes, verified and applied for this session only.
#pragma once

#include <memory>

#include "user32/display_backend.h"

namespace user32::display {

// A backend when the session bus named by DBUS_SESSION_BUS_ADDRESS has mutter's display
// configuration; nothing otherwise.
std::unique_ptr<Backend> ConnectMutter();

}  // namespace user32::display
