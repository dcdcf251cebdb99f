// The window table behind HWND: every form window the run time creates is registered here with
// its own window procedure, so the user32 calls can find, subclass and message it.
#pragma once

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

// The user32 entries, callable by the platform layer itself.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LONG_PTR GetWindowLongA(HWND window, int index);
LONG_PTR SetWindowLongA(HWND window, int index, LONG_PTR value);

}  // namespace user32
