// Joystick capture: a timer on the window's thread polls the joystick and sends the window
// MM_JOYnMOVE and MM_JOYnBUTTONDOWN/UP as Windows' joystick driver does.
#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

#include "platform/events.h"
#include "user32/windows.h"
#include "winmm/joystick.h"

namespace winmm {
namespace {

// Capture messages exist for the first two joysticks only.
constexpr UINT kCapturableJoysticks = 2;
constexpr UINT kMinPeriod = 10;
constexpr UINT kMaxPeriod = 1000;
constexpr DWORD kMessageButtons = JOY_BUTTON1 | JOY_BUTTON2 | JOY_BUTTON3 | JOY_BUTTON4;

struct Capture {
    HWND window = nullptr;
    bool changedOnly = true;
    DWORD lastX = 32768;
    DWORD lastY = 32768;
    DWORD lastButtons = 0;
    std::uint64_t serial = 0;
    int runningTicks = 0;  // ticks of this capture on the stack (a window procedure may end the capture)
    std::unique_ptr<QTimer> timer;
    QMetaObject::Connection windowGone;
};

struct CaptureTable {
    std::array<std::unique_ptr<Capture>, kCapturableJoysticks> captures;
    std::uint64_t nextSerial = 0;
    const QCoreApplication* watchedApplication = nullptr;
};

CaptureTable& Captures() {
    static CaptureTable table;
    return table;
}

Capture* Current(UINT id, std::uint64_t serial) {
    Capture* capture = Captures().captures[id].get();
    return capture != nullptr && capture->serial == serial ? capture : nullptr;
}

void EndCapture(UINT id) {
    std::unique_ptr<Capture> capture = std::move(Captures().captures[id]);
    if (!capture) return;
    QObject::disconnect(capture->windowGone);
    capture->timer->stop();
    // A timer must not be deleted inside its own timeout; the event loop deletes it afterwards.
    if (capture->runningTicks > 0) capture->timer.release()->deleteLater();
}

void EndAllCaptures() {
    for (UINT id = 0; id < kCapturableJoysticks; ++id) EndCapture(id);
}

// Timers must be gone before the application object that runs them.
void WatchApplication() {
    CaptureTable& table = Captures();
    const QCoreApplication* application = QCoreApplication::instance();
    if (table.watchedApplication == application) return;
    table.watchedApplication = application;
    QObject::connect(application, &QObject::destroyed, [] {
        EndAllCaptures();
        Captures().watchedApplication = nullptr;
    });
}

DWORD Distance(DWORD a, DWORD b) { return a > b ? a - b : b - a; }

void Tick(UINT id, std::uint64_t serial) {
    Capture* capture = Current(id, serial);
    if (capture == nullptr) return;
    ++capture->runningTicks;
    struct LeaveTick {
        UINT id;
        std::uint64_t serial;
        ~LeaveTick() {
            if (Capture* still = Current(id, serial)) --still->runningTicks;
        }
    } leave{id, serial};
    if (!user32::IsWindow(capture->window)) {
        EndCapture(id);
        return;
    }
    const auto reading = ReadJoystick(id);
    if (!reading) return;  // unplugged: quiet until a joystick answers for this id again

    struct Message {
        UINT message;
        WPARAM wParam;
    };
    std::array<Message, 5> messages{};
    std::size_t count = 0;
    const DWORD held = reading->buttons & kMessageButtons;
    const UINT threshold = JoystickThreshold(id);
    const bool moved =
        Distance(reading->x, capture->lastX) > threshold || Distance(reading->y, capture->lastY) > threshold;
    if (moved || !capture->changedOnly) {
        messages[count++] = {id == 0 ? MM_JOY1MOVE : MM_JOY2MOVE, held};
        capture->lastX = reading->x;
        capture->lastY = reading->y;
    }
    for (int n = 0; n < 4; ++n) {
        const DWORD bit = DWORD{1} << n;
        if (((held ^ capture->lastButtons) & bit) == 0) continue;
        const bool down = (held & bit) != 0;
        const UINT message =
            down ? (id == 0 ? MM_JOY1BUTTONDOWN : MM_JOY2BUTTONDOWN) : (id == 0 ? MM_JOY1BUTTONUP : MM_JOY2BUTTONUP);
        messages[count++] = {message, held | (JOY_BUTTON1CHG << n)};
    }
    capture->lastButtons = held;

    const HWND window = capture->window;
    const LPARAM position = MAKELPARAM(static_cast<WORD>(reading->x), static_cast<WORD>(reading->y));
    for (std::size_t i = 0; i < count; ++i) {
        // The program's window procedure runs here, outside any of its handlers.
        platform::RunGuarded([&] { user32::SendMessageA(window, messages[i].message, messages[i].wParam, position); });
        // The window procedure may have released or replaced the capture, or destroyed the window.
        if (Current(id, serial) == nullptr) return;
    }
}

}  // namespace

MMRESULT joySetCapture(HWND hwnd, UINT uJoyID, UINT uPeriod, BOOL fChanged) {
    if (uJoyID >= kCapturableJoysticks) return JOYERR_PARMS;
    if (!user32::IsWindow(hwnd) || QCoreApplication::instance() == nullptr) return JOYERR_NOCANDO;
    QWidget* widget = user32::WidgetOf(hwnd);
    if (widget->thread() != QThread::currentThread()) return JOYERR_NOCANDO;
    const auto reading = ReadJoystick(uJoyID);
    if (!reading) return JOYERR_UNPLUGGED;

    EndCapture(uJoyID);
    CaptureTable& table = Captures();
    auto capture = std::make_unique<Capture>();
    capture->window = hwnd;
    capture->changedOnly = fChanged != FALSE;
    capture->lastX = reading->x;
    capture->lastY = reading->y;
    capture->lastButtons = reading->buttons & kMessageButtons;
    capture->serial = ++table.nextSerial;
    capture->timer = std::make_unique<QTimer>();
    QTimer* timer = capture->timer.get();
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(static_cast<int>(std::clamp(uPeriod, kMinPeriod, kMaxPeriod)));
    const UINT id = uJoyID;
    const std::uint64_t serial = capture->serial;
    QObject::connect(timer, &QTimer::timeout, timer, [id, serial] { Tick(id, serial); });
    capture->windowGone = QObject::connect(widget, &QObject::destroyed, timer, [id, serial] {
        if (Current(id, serial) != nullptr) EndCapture(id);
    });
    WatchApplication();
    timer->start();
    table.captures[uJoyID] = std::move(capture);
    return JOYERR_NOERROR;
}

MMRESULT joyReleaseCapture(UINT uJoyID) {
    if (uJoyID >= kJoystickSlots) return JOYERR_PARMS;
    if (uJoyID < kCapturableJoysticks) EndCapture(uJoyID);
    return JOYERR_NOERROR;
}

void ResetJoysticksForTesting() {
    EndAllCaptures();
    ForgetJoysticks();
}

}  // namespace winmm
