#include "tables.h"
#include "winmm/joystick.h"

namespace winmm {

const platform::ExportTable& JoystickExports() {
    static const platform::Export entries[] = {
        PLATFORM_EXPORT(joyGetNumDevs),  PLATFORM_EXPORT(joyGetPosEx),      PLATFORM_EXPORT(joySetThreshold),
        PLATFORM_EXPORT(joySetCapture),  PLATFORM_EXPORT(joyReleaseCapture),
    };
    static const platform::ExportTable table{"winmm.dll", entries};
    return table;
}

}  // namespace winmm
