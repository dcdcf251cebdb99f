// stickpoll: every 50 ms the joystick's position and first two buttons, in the caption.
#include <frame/form.h>

#include "Module1.h"

namespace {

const frame::Form Form1;
const frame::Timer Timer1{"Timer1"};

void Form_Load() {
    Timer1.setInterval(50);
    DetectJoystick();
}

void Timer1_Timer() {
    std::int32_t x = 0, y = 0;
    bool button1 = false, button2 = false;
    PollJoystick(x, y, button1, button2);
    Form1.setCaption("X:" + frame::CStr(x) + "   Y:" + frame::CStr(y) + "   ボタン1:" + frame::CStr(button1) +
                     "   ボタン2:" + frame::CStr(button2));
}

}  // namespace

const frame::Handlers Form1Handlers = {
    {"Form_Load", Form_Load},
    {"Timer1_Timer", Timer1_Timer},
};
