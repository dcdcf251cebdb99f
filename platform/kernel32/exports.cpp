#include "kernel32/kernel32.h"
#include "tables.h"

namespace kernel32 {

const platform::ExportTable& Exports() {
    static const platform::Export entries[] = {PLATFORM_EXPORT(RtlZeroMemory)};
    static const platform::ExportTable table{"kernel32.dll", entries};
    return table;
}

}  // namespace kernel32
