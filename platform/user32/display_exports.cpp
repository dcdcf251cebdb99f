#include "tables.h"

namespace user32 {

// Placeholder until the library's entries land.
const platform::ExportTable& DisplayExports() {
    static const platform::ExportTable table{"user32.dll", {}};
    return table;
}

}  // namespace user32
