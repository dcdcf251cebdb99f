// grabmove: a left drag anywhere on the client area moves the window, as a drag on its caption
// bar would: the press is handed to Windows as a press on the caption.
#include <cstdint>

#include <frame/declare.h>
#include <frame/form.h>

namespace {

const frame::Declare<BOOL()> ReleaseCapture{"user32.dll", "ReleaseCapture"};
const frame::Declare<LRESULT(HWND, UINT, WPARAM, LPARAM)> SendMessageA{"user32.dll", "SendMessageA"};

// SendMessageA as declared with its last parameter by reference: the address of lParam goes.
LRESULT SendMessageByRef(HWND hWnd, UINT wMsg, WPARAM wParam, std::int32_t& lParam) {
    return SendMessageA(hWnd, wMsg, wParam, reinterpret_cast<LPARAM>(&lParam));
}

const frame::Form Form1;

// The press becomes a press on the caption bar; the window then follows the mouse until the
// button comes up.
void DragWindow(short Button) {
    if ((Button & frame::vbLeftButton) == 0) return;
    ReleaseCapture();
    std::int32_t noPosition = 0;
    SendMessageByRef(Form1.hWnd(), WM_NCLBUTTONDOWN, HTCAPTION, noPosition);
}

void Form_MouseDown(short Button, short, float, float) { DragWindow(Button); }

void Label1_MouseDown(short Button, short, float, float) { DragWindow(Button); }

}  // namespace

const frame::Handlers Form1Handlers = {
    {"Form_MouseDown", Form_MouseDown},
    {"Label1_MouseDown", Label1_MouseDown},
};
