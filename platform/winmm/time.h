#pragma once

#include <functional>

#include <win32/winmm.h>

namespace winmm {

DWORD timeGetTime();

// Lets a test stand in for the system clock; an empty function restores it.
void SetClockForTesting(std::function<DWORD()> clock);

}  // namespace winmm
