// The window table behind HWND, as the form run time registers its forms in it: each with its own
// window procedure, so the user32 calls can find, subclass, message, restyle and move it.
#pragma once

#include "win32/user32.h"

class QWidget;

namespace user32 {

// Registers a top-level widget; `ownProcedure` is the run time's own handling of messages and
// stays at the end of the chain; `style` holds the WS_ bits that match how the window was made.
// Returns the window's handle.
HWND RegisterWindow(QWidget* widget, WNDPROC ownProcedure, LONG_PTR style);
void UnregisterWindow(HWND window);

// What a window procedure leaves to Windows: WM_NCLBUTTONDOWN with HTCAPTION moves the window with
// the pointer while the left button is held (the window manager's move where it offers one);
// WM_CLOSE closes the window.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace user32
