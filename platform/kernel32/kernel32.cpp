#include <cstring>

#include "kernel32/kernel32.h"

namespace kernel32 {

void RtlZeroMemory(void* destination, SIZE_T length) {
    if (destination != nullptr && length != 0) std::memset(destination, 0, length);
}

}  // namespace kernel32
