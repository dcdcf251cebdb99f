#include <array>

#include "gdi.h"
#include "tables.h"

namespace gdi32 {

const platform::ExportTable& Exports() {
    static const std::array entries = {
        PLATFORM_EXPORT(BitBlt),           PLATFORM_EXPORT(CreateCompatibleDC),
        PLATFORM_EXPORT(CreateDIBSection), PLATFORM_EXPORT(CreatePatternBrush),
        PLATFORM_EXPORT(CreateSolidBrush), PLATFORM_EXPORT(DeleteDC),
        PLATFORM_EXPORT(DeleteObject),     PLATFORM_EXPORT(GetDeviceCaps),
        PLATFORM_EXPORT(GetPixel),         PLATFORM_EXPORT(GetStockObject),
        PLATFORM_EXPORT(PatBlt),           PLATFORM_EXPORT(SelectObject),
        PLATFORM_EXPORT(SetBkColor),       PLATFORM_EXPORT(SetPixel),
        PLATFORM_EXPORT(SetTextColor),     PLATFORM_EXPORT(StretchDIBits),
    };
    static const platform::ExportTable table{"gdi32.dll", entries};
    return table;
}

}  // namespace gdi32
