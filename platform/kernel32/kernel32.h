// Our kernel32.dll entries, with the SDK's signatures.
#pragma once

#include <win32/kernel32.h>

namespace kernel32 {

void RtlZeroMemory(void* destination, SIZE_T length);

}  // namespace kernel32
