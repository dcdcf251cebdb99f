#include "tables.h"
#include "user32/display.h"
#include "user32/windows.h"

namespace user32 {

const platform::ExportTable& Exports() {
    static const platform::Export entries[] = {
        PLATFORM_EXPORT(CallWindowProcA), PLATFORM_EXPORT(ChangeDisplaySettingsA),
        PLATFORM_EXPORT(DefWindowProcA),  PLATFORM_EXPORT(EnumDisplaySettingsA),
        PLATFORM_EXPORT(GetDC),           PLATFORM_EXPORT(GetWindowLongA),
        PLATFORM_EXPORT(ReleaseCapture),  PLATFORM_EXPORT(ReleaseDC),
        PLATFORM_EXPORT(SendMessageA),    PLATFORM_EXPORT(SetWindowLongA),
        PLATFORM_EXPORT(SetWindowPos),
    };
    static const platform::ExportTable table{"user32.dll", entries};
    return table;
}

}  // namespace user32
