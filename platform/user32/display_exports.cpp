#include "tables.h"
#include "user32/display.h"

namespace user32 {

const platform::ExportTable& DisplayExports() {
    static const platform::Export entries[] = {
        PLATFORM_EXPORT(EnumDisplaySettingsA),
        PLATFORM_EXPORT(ChangeDisplaySettingsA),
        PLATFORM_EXPORT(GetDC),
        PLATFORM_EXPORT(ReleaseDC),
    };
    static const platform::ExportTable table{"user32.dll", entries};
    return table;
}

}  // namespace user32
