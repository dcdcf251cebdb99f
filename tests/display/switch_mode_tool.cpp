// Switches the display to the first listed mode of a size and exits, binding the entries by name as
// a program does. Usage: switch_mode_tool WIDTH HEIGHT. Exit status 0 when the switch succeeded.
#include <cstdio>
#include <cstdlib>

#include <platform/exports.h>
#include <win32/user32.h>

using EnumDisplaySettingsAFunction = BOOL(LPCSTR, DWORD, DEVMODEA*);
using ChangeDisplaySettingsAFunction = LONG(DEVMODEA*, DWORD);

template <typename Function>
Function* Bind(const char* entry) {
    const auto bound = platform::FindExport("user32", entry, typeid(Function));
    return reinterpret_cast<Function*>(bound.function);
}

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const DWORD width = static_cast<DWORD>(std::atoi(argv[1]));
    const DWORD height = static_cast<DWORD>(std::atoi(argv[2]));
    auto* enumSettings = Bind<EnumDisplaySettingsAFunction>("EnumDisplaySettingsA");
    auto* changeSettings = Bind<ChangeDisplaySettingsAFunction>("ChangeDisplaySettingsA");
    if (enumSettings == nullptr || changeSettings == nullptr) return 3;
    DEVMODEA record{};
    for (DWORD n = 0; enumSettings(nullptr, n, &record); ++n) {
        if (record.dmPelsWidth == width && record.dmPelsHeight == height) {
            const LONG result = changeSettings(&record, 0);
            std::printf("%ld\n", static_cast<long>(result));
            return result == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
        }
    }
    return 4;
}
