#include "winmm/joystick.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <mutex>

namespace winmm {
namespace {

struct OpenedJoystick {
    SDL_Joystick* joystick = nullptr;
    SDL_JoystickID instance = -1;
};

struct JoystickTable {
    std::mutex mutex;
    bool started = false;
    std::array<OpenedJoystick, kJoystickSlots> opened;
    std::array<UINT, kJoystickSlots> thresholds{};
};

JoystickTable& Table() {
    static JoystickTable table;
    return table;
}

// Starts SDL's joystick subsystem once; SDL counts starts, so a program or test that starts it too
// shares the same devices with us.
bool Start(JoystickTable& table) {
    if (table.started) return true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // the window toolkit owns SIGINT and SIGTERM
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    // We read state directly; queued joystick events would only pile up with nobody to take them.
    SDL_JoystickEventState(SDL_IGNORE);
    table.started = true;
    return true;
}

void Close(OpenedJoystick& slot) {
    if (slot.joystick != nullptr) SDL_JoystickClose(slot.joystick);
    slot = OpenedJoystick{};
}

DWORD AxisValue(SDL_Joystick* joystick, int axis) {
    if (axis >= SDL_JoystickNumAxes(joystick)) return 32768;
    return static_cast<DWORD>(static_cast<int>(SDL_JoystickGetAxis(joystick, axis)) + 32768);
}

DWORD PovValue(Uint8 hat) {
    switch (hat) {
        case SDL_HAT_UP: return JOY_POVFORWARD;
        case SDL_HAT_RIGHTUP: return 4500;
        case SDL_HAT_RIGHT: return JOY_POVRIGHT;
        case SDL_HAT_RIGHTDOWN: return 13500;
        case SDL_HAT_DOWN: return JOY_POVBACKWARD;
        case SDL_HAT_LEFTDOWN: return 22500;
        case SDL_HAT_LEFT: return JOY_POVLEFT;
        case SDL_HAT_LEFTUP: return 31500;
        default: return JOY_POVCENTERED;
    }
}

bool Attached(SDL_JoystickID instance) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == instance) return true;
    }
    return false;
}

// A joystick keeps the identifier it was given, as a Windows joystick keeps its slot: unplugging
// the first does not move the second into its place, and one plugged in takes the lowest free
// identifier. At start the identifiers follow SDL's order.
void AssignSlots(JoystickTable& table) {
    for (OpenedJoystick& slot : table.opened) {
        if (slot.joystick != nullptr && !(SDL_JoystickGetAttached(slot.joystick) && Attached(slot.instance)))
            Close(slot);
    }
    bool opened = false;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(i);
        const bool known = std::any_of(table.opened.begin(), table.opened.end(),
                                       [&](const OpenedJoystick& slot) { return slot.instance == instance; });
        if (known) continue;
        auto free = std::find_if(table.opened.begin(), table.opened.end(),
                                 [](const OpenedJoystick& slot) { return slot.joystick == nullptr; });
        if (free == table.opened.end()) break;
        free->joystick = SDL_JoystickOpen(i);
        if (free->joystick == nullptr) continue;
        free->instance = SDL_JoystickInstanceID(free->joystick);
        opened = true;
    }
    if (opened) SDL_JoystickUpdate();  // a fresh handle reads its first state on the next update
}

}  // namespace

std::optional<JoystickReading> ReadJoystick(UINT id) {
    if (id >= kJoystickSlots) return std::nullopt;
    JoystickTable& table = Table();
    std::lock_guard lock(table.mutex);
    if (!Start(table)) return std::nullopt;
    SDL_JoystickUpdate();  // also finds joysticks plugged in since the last call
    AssignSlots(table);
    SDL_Joystick* joystick = table.opened[id].joystick;
    if (joystick == nullptr) return std::nullopt;

    JoystickReading reading;
    reading.x = AxisValue(joystick, 0);
    reading.y = AxisValue(joystick, 1);
    reading.z = AxisValue(joystick, 2);
    reading.r = AxisValue(joystick, 3);
    reading.u = AxisValue(joystick, 4);
    reading.v = AxisValue(joystick, 5);
    const int buttons = std::min(SDL_JoystickNumButtons(joystick), 32);
    for (int i = 0; i < buttons; ++i) {
        if (SDL_JoystickGetButton(joystick, i) != 0) {
            reading.buttons |= DWORD{1} << i;
            ++reading.buttonCount;
        }
    }
    if (SDL_JoystickNumHats(joystick) > 0) reading.pov = PovValue(SDL_JoystickGetHat(joystick, 0));
    return reading;
}

UINT JoystickThreshold(UINT id) {
    if (id >= kJoystickSlots) return 0;
    JoystickTable& table = Table();
    std::lock_guard lock(table.mutex);
    return table.thresholds[id];
}

void ForgetJoysticks() {
    JoystickTable& table = Table();
    std::lock_guard lock(table.mutex);
    for (OpenedJoystick& slot : table.opened) Close(slot);
    table.thresholds.fill(0);
}

// Windows counts the joysticks its driver can serve, not those plugged in.
UINT joyGetNumDevs() {
    JoystickTable& table = Table();
    std::lock_guard lock(table.mutex);
    return Start(table) ? kJoystickSlots : 0;
}

MMRESULT joyGetPosEx(UINT uJoyID, JOYINFOEX* pji) {
    if (pji == nullptr || uJoyID >= kJoystickSlots || pji->dwSize != sizeof(JOYINFOEX)) return JOYERR_PARMS;
    const auto reading = ReadJoystick(uJoyID);
    if (!reading) return JOYERR_UNPLUGGED;
    const DWORD flags = pji->dwFlags;
    if (flags & JOY_RETURNX) pji->dwXpos = reading->x;
    if (flags & JOY_RETURNY) pji->dwYpos = reading->y;
    if (flags & JOY_RETURNZ) pji->dwZpos = reading->z;
    if (flags & JOY_RETURNR) pji->dwRpos = reading->r;
    if (flags & JOY_RETURNU) pji->dwUpos = reading->u;
    if (flags & JOY_RETURNV) pji->dwVpos = reading->v;
    if (flags & JOY_RETURNBUTTONS) {
        pji->dwButtons = reading->buttons;
        pji->dwButtonNumber = reading->buttonCount;
    }
    if (flags & (JOY_RETURNPOV | JOY_RETURNPOVCTS)) pji->dwPOV = reading->pov;
    return JOYERR_NOERROR;
}

MMRESULT joySetThreshold(UINT uJoyID, UINT uThreshold) {
    if (uJoyID >= kJoystickSlots) return JOYERR_PARMS;
    JoystickTable& table = Table();
    std::lock_guard lock(table.mutex);
    table.thresholds[uJoyID] = uThreshold;
    return JOYERR_NOERROR;
}

}  // namespace winmm
