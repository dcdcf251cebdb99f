#include "tables.h"

namespace shell32 {

// Placeholder until the library's entries land.
const platform::ExportTable& Exports() {
    static const platform::ExportTable table{"shell32.dll", {}};
    return table;
}

}  // namespace shell32
