// The window table behind HWND: every form window the run time creates is registered here with
// its own window procedure, so the user32 calls can find, subclass, message, restyle and move it.
#pragma once

#include <QMargins>

#include <win32/user32.h>

#include "platform/window_table.h"

class QWidget;

namespace user32 {

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
// GWL_STYLE only stores the bits; they show at the next SetWindowPos with SWP_FRAMECHANGED.
LONG_PTR GetWindowLongA(HWND window, int index);
LONG_PTR SetWindowLongA(HWND window, int index, LONG_PTR value);
// X, Y, cx and cy are the outer geometry, frame included. SWP_FRAMECHANGED shows the stored style
// and keeps the window's outer place and size, so the client area takes what the frame gives up.
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);

}  // namespace user32
