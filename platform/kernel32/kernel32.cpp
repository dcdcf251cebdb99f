#include <cstring>

#include <win32/kernel32.h>

#include "tables.h"

namespace kernel32 {

void RtlZeroMemory(void* destination, SIZE_T length) {
    if (destination != nullptr && length != 0) std::memset(destination, 0, length);
}

const platform::ExportTable& Exports() {
    static const platform::Export entries[] = {PLATFORM_EXPORT(RtlZeroMemory)};
    static const platform::ExportTable table{"kernel32.dll", entries};
    return table;
}

}  // namespace kernel32
