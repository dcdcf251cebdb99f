#include "Module1.h"

std::int32_t JoystickId = 0;

// Joystick 1, else joystick 2; no data is asked for, only whether one answers.
bool DetectJoystick() {
    JOYINFOEX info{};
    info.dwSize = sizeof(JOYINFOEX);
    if (joyGetNumDevs() == 0) return false;
    if (joyGetPosEx(JOYSTICKID1, &info) == JOYERR_NOERROR) {
        JoystickId = 0;
        return true;
    }
    if (joyGetPosEx(JOYSTICKID2, &info) == JOYERR_NOERROR) {
        JoystickId = 1;
        return true;
    }
    return false;
}

void PollJoystick(std::int32_t& x, std::int32_t& y, bool& button1, bool& button2) {
    JOYINFOEX info{};
    info.dwSize = sizeof(JOYINFOEX);
    info.dwFlags = JOY_RETURNX | JOY_RETURNY | JOY_RETURNBUTTONS;
    joyGetPosEx(static_cast<UINT>(JoystickId), &info);
    button1 = (info.dwButtons & JOY_BUTTON1) != 0;
    button2 = (info.dwButtons & JOY_BUTTON2) != 0;
    x = static_cast<std::int32_t>(info.dwXpos);
    y = static_cast<std::int32_t>(info.dwYpos);
}
