// The millisecond clock as a list of readings, for tests of programs that time themselves.
#pragma once

#include <deque>

#include "winmm/time.h"

namespace testsupport {

// timeGetTime gives these readings in order, then keeps giving the last one.
inline void ScriptClock(std::deque<DWORD> readings) {
    winmm::SetClockForTesting([readings]() mutable {
        const DWORD value = readings.front();
        if (readings.size() > 1) readings.pop_front();
        return value;
    });
}

}  // namespace testsupport
