// One of SDL's virtual joysticks, for tests of the joystick calls and the programs that use them.
#pragma once

#include <SDL.h>

namespace testsupport {

class VirtualJoystick {
public:
    // Joystick tests share SDL's joystick subsystem with the layer under test.
    static bool InitSubsystem() {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        return SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    }

    VirtualJoystick(int axes = 6, int buttons = 8, int hats = 1) {
        const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, axes, buttons, hats);
        if (index >= 0) joystick_ = SDL_JoystickOpen(index);
        if (joystick_ != nullptr) instance_ = SDL_JoystickInstanceID(joystick_);
    }
    VirtualJoystick(const VirtualJoystick&) = delete;
    VirtualJoystick& operator=(const VirtualJoystick&) = delete;
    ~VirtualJoystick() { Unplug(); }

    bool ok() const { return joystick_ != nullptr; }
    void Axis(int axis, Sint16 value) { SDL_JoystickSetVirtualAxis(joystick_, axis, value); }
    void Button(int button, bool down) { SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0); }
    void Hat(Uint8 value) { SDL_JoystickSetVirtualHat(joystick_, 0, value); }
    // Position in Windows units, 0 to 65535 with 32768 at rest.
    void MoveTo(int x, int y) {
        Axis(0, static_cast<Sint16>(x - 32768));
        Axis(1, static_cast<Sint16>(y - 32768));
    }

    void Unplug() {
        if (joystick_ == nullptr) return;
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == instance_) SDL_JoystickDetachVirtual(i);
        }
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
    }

private:
    SDL_Joystick* joystick_ = nullptr;
    SDL_JoystickID instance_ = -1;
};

}  // namespace testsupport
