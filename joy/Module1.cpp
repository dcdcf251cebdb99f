#include "Module1.h"

#include <frame/form.h>

namespace {

const frame::TextBox Text1{"Text1"};

}  // namespace

std::int32_t JoystickId = 0;
std::int32_t Button1State = 0;
std::int32_t Button2State = 0;
std::int32_t PositionX = 0;
std::int32_t PositionY = 0;
LONG_PTR OldWndProc = 0;

// Shows the buttons and position of every joystick message, then passes each message on unchanged.
LRESULT JoystickWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
        case MM_JOY1BUTTONDOWN:
        case MM_JOY2BUTTONDOWN:
        case MM_JOY1BUTTONUP:
        case MM_JOY2BUTTONUP:
        case MM_JOY1MOVE:
        case MM_JOY2MOVE:
            Button1State = (wParam & JOY_BUTTON1) != 0 ? -1 : 0;
            Button2State = (wParam & JOY_BUTTON2) != 0 ? -1 : 0;
            SplitLowHighWord(static_cast<std::int32_t>(lParam), PositionX, PositionY);
            Text1.setText("ボタン1:" + frame::CStr(Button1State) + "     ボタン2:" + frame::CStr(Button2State) +
                          "   X:" + frame::CStr(PositionX) + "     y:" + frame::CStr(PositionY));
            break;
        default: break;
    }
    return CallWindowProcA(reinterpret_cast<WNDPROC>(OldWndProc), hWnd, uMsg, wParam, lParam);
}

// Each word as an unsigned number, 0 to 65535.
void SplitLowHighWord(std::int32_t value, std::int32_t& low, std::int32_t& high) {
    const auto bits = static_cast<std::uint32_t>(value);
    low = static_cast<std::int32_t>(bits & 0xFFFFu);
    high = static_cast<std::int32_t>(bits >> 16);
}
