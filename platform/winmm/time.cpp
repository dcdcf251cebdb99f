#include "winmm/time.h"

#include <time.h>

namespace winmm {
namespace {

std::function<DWORD()>& TestClock() {
    static std::function<DWORD()> clock;
    return clock;
}

}  // namespace

// Milliseconds since the system started, like the Windows count: CLOCK_BOOTTIME keeps counting
// through suspend. Truncation to 32 bits gives the same wrap every 2^32 ms.
DWORD timeGetTime() {
    if (TestClock()) return TestClock()();
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const auto ms = static_cast<unsigned long long>(now.tv_sec) * 1000ULL +
                    static_cast<unsigned long long>(now.tv_nsec) / 1000000ULL;
    return static_cast<DWORD>(ms);
}

void SetClockForTesting(std::function<DWORD()> clock) { TestClock() = std::move(clock); }

}  // namespace winmm
