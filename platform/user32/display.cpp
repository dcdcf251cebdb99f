#include "user32/display.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "gdi32/gdi.h"
#include "user32/display_backend.h"
#include "user32/display_modes.h"
#include "user32/windows.h"

namespace user32 {
namespace {

using display::DisplayMode;

constexpr DWORD kKnownFlags = CDS_UPDATEREGISTRY | CDS_TEST | CDS_FULLSCREEN;
constexpr DWORD kModeFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
// The name Windows gives the first display; accepted as well as the output's own name.
constexpr std::string_view kFirstDisplayName = "\\\\.\\DISPLAY1";

std::mutex& DisplayLock() {
    static std::mutex lock;
    return lock;
}

// The display as one reading sees it.
struct Screen {
    std::string deviceName;
    std::vector<DisplayMode> modes;  // ordered, see display.h
    DisplayMode current;
    bool changeable = false;  // the session can set its modes
};

DisplayMode DefaultScreen() {
    const gdi32::DisplayCaps caps;
    return {caps.width, caps.height, caps.refreshRate, caps.bitsPerPixel};
}

Screen ReadScreen() {
    display::Backend& backend = display::SessionBackend();
    Screen screen;
    if (auto output = backend.PrimaryOutput()) {
        screen.deviceName = output->name.empty() ? std::string(kFirstDisplayName) : output->name;
        screen.modes = display::OrderedModes(std::move(output->modes));
        screen.current = output->current ? *output->current : backend.ScreenMode().value_or(DefaultScreen());
        screen.changeable = backend.CanChange();
        return screen;
    }
    screen.current = backend.ScreenMode().value_or(DefaultScreen());
    screen.deviceName = kFirstDisplayName;
    screen.modes = {screen.current};
    return screen;
}

// The mode at this process's first display call: where a null record returns to.
const DisplayMode& DefaultMode(const Screen& firstReading) {
    static const DisplayMode mode = firstReading.current;
    return mode;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool NamesScreen(LPCSTR deviceName, const Screen& screen) {
    if (deviceName == nullptr || *deviceName == '\0') return true;
    return EqualNoCase(deviceName, screen.deviceName) || EqualNoCase(deviceName, kFirstDisplayName);
}

std::set<HDC>& ScreenDcs() {
    static std::set<HDC> dcs;
    return dcs;
}

}  // namespace

void InstallDisplayCaps() {
    static std::once_flag once;
    std::call_once(once, [] { gdi32::SetDisplayCapsProvider(&ScreenDisplayCaps); });
}

gdi32::DisplayCaps ScreenDisplayCaps() {
    std::lock_guard guard(DisplayLock());
    const auto mode = display::SessionBackend().ScreenMode();
    if (!mode) return gdi32::DisplayCaps{};
    return {mode->bitsPerPixel, mode->width, mode->height, mode->refreshRate};
}

BOOL EnumDisplaySettingsA(LPCSTR lpszDeviceName, DWORD iModeNum, DEVMODEA* lpDevMode) {
    InstallDisplayCaps();
    if (lpDevMode == nullptr) return FALSE;
    std::lock_guard guard(DisplayLock());
    const Screen screen = ReadScreen();
    DefaultMode(screen);
    if (!NamesScreen(lpszDeviceName, screen)) return FALSE;
    DisplayMode mode;
    if (iModeNum == ENUM_CURRENT_SETTINGS || iModeNum == ENUM_REGISTRY_SETTINGS) {
        mode = screen.current;
    } else if (iModeNum < screen.modes.size()) {
        mode = screen.modes[iModeNum];
    } else {
        return FALSE;
    }
    display::FillDevMode(*lpDevMode, mode, screen.deviceName);
    return TRUE;
}

LONG ChangeDisplaySettingsA(DEVMODEA* lpDevMode, DWORD dwFlags) {
    InstallDisplayCaps();
    if ((dwFlags & ~kKnownFlags) != 0) return DISP_CHANGE_BADFLAGS;
    std::lock_guard guard(DisplayLock());
    const Screen screen = ReadScreen();
    const DisplayMode& defaultMode = DefaultMode(screen);

    display::ModeChoice choice;
    if (lpDevMode == nullptr) {
        const bool listed = std::find(screen.modes.begin(), screen.modes.end(), defaultMode) != screen.modes.end();
        choice = {listed ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADMODE, defaultMode};
    } else {
        choice = display::ChooseMode(*lpDevMode, screen.modes, screen.current);
    }
    if (choice.result == DISP_CHANGE_SUCCESSFUL && choice.mode == screen.current) return DISP_CHANGE_SUCCESSFUL;
    if (!screen.changeable) {
        // Only the mode in use exists here; asking for anything else that names a mode cannot be done.
        const bool namesMode = lpDevMode == nullptr || (lpDevMode->dmFields & kModeFields) != 0;
        return namesMode ? DISP_CHANGE_FAILED : DISP_CHANGE_BADMODE;
    }
    if (choice.result != DISP_CHANGE_SUCCESSFUL) return choice.result;
    const bool testOnly = (dwFlags & CDS_TEST) != 0;
    return display::SessionBackend().SetMode(choice.mode, testOnly) ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_FAILED;
}

HDC GetDC(HWND hWnd) {
    InstallDisplayCaps();
    if (hWnd != nullptr && !IsWindow(hWnd)) return nullptr;
    const HDC dc = gdi32::CreateCompatibleDC(nullptr);
    if (dc == nullptr) return nullptr;
    std::lock_guard guard(DisplayLock());
    ScreenDcs().insert(dc);
    return dc;
}

int ReleaseDC(HWND, HDC hDC) {
    InstallDisplayCaps();
    {
        std::lock_guard guard(DisplayLock());
        if (ScreenDcs().erase(hDC) == 0) return 0;
    }
    return gdi32::DeleteDC(hDC) ? 1 : 0;
}

}  // namespace user32
