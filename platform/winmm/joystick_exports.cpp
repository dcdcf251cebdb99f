#include "tables.h"

namespace winmm {

// Placeholder until the library's entries land.
const platform::ExportTable& JoystickExports() {
    static const platform::ExportTable table{"winmm.dll", {}};
    return table;
}

}  // namespace winmm
