// stickpoll's module: the joystick found at start and one reading of it.
#pragma once

#include <cstdint>

extern std::int32_t JoystickId;

bool DetectJoystick();
void PollJoystick(std::int32_t& x, std::int32_t& y, bool& button1, bool& button2);
