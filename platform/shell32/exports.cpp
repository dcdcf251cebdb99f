#include "shell32/shell32.h"
#include "tables.h"

namespace shell32 {

const platform::ExportTable& Exports() {
    static const platform::Export entries[] = {PLATFORM_EXPORT(ShellExecuteA)};
    static const platform::ExportTable table{"shell32.dll", entries};
    return table;
}

}  // namespace shell32
