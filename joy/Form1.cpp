// joy: finds joystick 1 or 2, captures it for the window and shows what its messages carry.
#include <frame/form.h>

#include "Module1.h"

namespace {

const frame::Form Form1;
const frame::TextBox Text1{"Text1"};

void Form_Load() {
    OldWndProc = SetWindowLongA(Form1.hWnd(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&JoystickWndProc));
}

// "ジョイステック初期化": joystick 1, else joystick 2; then threshold and capture.
void Command1_Click() {
    if (joyGetNumDevs() == 0) return;
    JOYINFOEX info;
    RtlZeroMemory(&info, sizeof info);
    info.dwSize = sizeof(JOYINFOEX);
    info.dwFlags = JOY_RETURNX | JOY_RETURNY | JOY_RETURNBUTTONS;
    if (joyGetPosEx(JOYSTICKID1, &info) == JOYERR_NOERROR) {
        JoystickId = 0;
        Form1.setCaption("1");
    } else if (joyGetPosEx(JOYSTICKID2, &info) == JOYERR_NOERROR) {
        JoystickId = 1;
        Form1.setCaption("2");
    } else {
        Text1.setText("ジョイステックが見つかりません！！");
        return;
    }
    joySetThreshold(static_cast<UINT>(JoystickId), 100);
    joySetCapture(Form1.hWnd(), static_cast<UINT>(JoystickId), 100, TRUE);
}

void Form_Unload() { SetWindowLongA(Form1.hWnd(), GWL_WNDPROC, OldWndProc); }

}  // namespace

const frame::Handlers Form1Handlers = {
    {"Form_Load", Form_Load},
    {"Command1_Click", Command1_Click},
    {"Form_Unload", Form_Unload},
};
