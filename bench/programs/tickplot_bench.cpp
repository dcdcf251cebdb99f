// How late the timer is: tickplot's own sequence (1, 2, 3, ... ms) for 200 ticks on an X server,
// the measured interval of each tick taken from the program's own clock readings. Prints the
// median and the 95th percentile of (measured - requested).
#include <frame/form.h>
#include <frame/testing.h>

#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "winmm/time.h"
#include "x_session.h"

int main() {
    testsupport::XSession x({.windowManager = true});
    if (!x.ok()) {
        std::printf("tickplot_bench: no X server\n");
        return 1;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "xcb", 1);
    constexpr size_t kTicks = 201;  // the first measures from the clock's origin, not from a tick
    std::vector<DWORD> readings;
    std::vector<int> requested;
    frame::testing::StartProgram();
    QEventLoop loop;
    const frame::Timer timer("Timer1");
    // The program reads the clock once per tick, first thing: record each reading (the real
    // time, as timeGetTime gives it) with the interval the timer was asked for.
    winmm::SetClockForTesting([&] {
        timespec now{};
        clock_gettime(CLOCK_BOOTTIME, &now);
        readings.push_back(static_cast<DWORD>(now.tv_sec * 1000LL + now.tv_nsec / 1000000));
        requested.push_back(timer.interval());
        if (readings.size() >= kTicks) QTimer::singleShot(0, &loop, &QEventLoop::quit);
        return readings.back();
    });
    QTest::mouseClick(frame::testing::Widget("Command1"), Qt::LeftButton);
    // A real event loop: QTest's waits sleep between their rounds and would make every tick late.
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    if (readings.size() < kTicks) {
        std::printf("tickplot_bench: the timer stopped ticking\n");
        return 1;
    }
    timer.setEnabled(false);
    std::vector<int> late;
    winmm::SetClockForTesting(nullptr);
    for (size_t i = 1; i < readings.size(); ++i)
        late.push_back(static_cast<int>(readings[i] - readings[i - 1]) - requested[i]);
    std::sort(late.begin(), late.end());
    const int median = late[late.size() / 2];
    const int p95 = late[late.size() * 95 / 100];
    std::printf("tickplot: %zu ticks of 2..%d ms: lateness median %d ms, 95th percentile %d ms, worst %d ms\n",
                late.size(), requested.back(), median, p95, late.back());
    frame::testing::Shutdown();
    return 0;
}
