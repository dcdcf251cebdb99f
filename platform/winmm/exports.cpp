#include "tables.h"
#include "winmm/joystick.h"
#include "winmm/sound.h"
#include "winmm/time.h"

namespace winmm {

const platform::ExportTable& Exports() {
    static const platform::Export entries[] = {
        PLATFORM_EXPORT(joyGetNumDevs), PLATFORM_EXPORT(joyGetPosEx),     PLATFORM_EXPORT(joyReleaseCapture),
        PLATFORM_EXPORT(joySetCapture), PLATFORM_EXPORT(joySetThreshold), PLATFORM_EXPORT(sndPlaySoundA),
        PLATFORM_EXPORT(timeGetTime),
    };
    static const platform::ExportTable table{"winmm.dll", entries};
    return table;
}

}  // namespace winmm
