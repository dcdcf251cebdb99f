// The window table behind HWND: every form window the run time creates is registered here with
// its own window procedure, so the user32 calls can find, subclass, message, restyle and move it.
#pragma once

#include <QMargins>

#include <win32/user32.h>

class QWidget;

namespace user32 {

// Registers a top-level widget; `ownProcedure` is the run time's own handling of messages and
// stays at the end of the chain; `style` holds the WS_ bits that match how the window was made.
// Returns the window's handle.
HWND RegisterWindow(QWidget* widget, WNDPROC ownProcedure, LONG_PTR style);
void UnregisterWindow(HWND window);
QWidget* WidgetOf(HWND window);
bool IsWindow(HWND window);

// The frame that Windows draws around a window of `style` at 96 dpi: caption 19 pixels, a sizing
// border 4 pixels a side, a fixed (dialog) border 3, a thin border 1. The form descriptions were laid
// out against these, so a window never gets less room than this for its frame.
QMargins StandardFrame(LONG_PTR style);

// The user32 entries, callable by the platform layer itself.
BOOL ReleaseCapture();
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_NCLBUTTONDOWN with HTCAPTION moves the window with the pointer while the left button is held
// (the window manager's move where it offers one); WM_CLOSE closes the window.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// GWL_STYLE only stores the bits; they show at the next SetWindowPos with SWP_FRAMECHANGED.
LONG_PTR GetWindowLongA(HWND window, int index);
LONG_PTR SetWindowLongA(HWND window, int index, LONG_PTR value);
// X, Y, cx and cy are the outer geometry, frame included. SWP_FRAMECHANGED shows the stored style
// and keeps the window's outer place and size, so the client area takes what the frame gives up.
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);

}  // namespace user32
