#include "tables.h"

namespace gdi32 {

// Placeholder until the library's entries land.
const platform::ExportTable& Exports() {
    static const platform::ExportTable table{"gdi32.dll", {}};
    return table;
}

}  // namespace gdi32
