#include "x_queries.h"

#include <cstdlib>
#include <sstream>

#include "x_session.h"

namespace testsupport {
namespace {

std::string Id(unsigned long window) { return std::to_string(window); }

int FieldAfter(const std::string& text, const std::string& label) {
    const size_t at = text.find(label);
    if (at == std::string::npos) return -1000000;
    return std::atoi(text.c_str() + at + label.size());
}

void Pause() { SleepMs(300); }

}  // namespace

bool WaitForWindowManager(int timeoutMs) {
    const bool ready = WaitUntil(
        [] {
            const auto theme = RunCommand({"xprop", "-root", "_OB_THEME"});
            return theme.exitCode == 0 && theme.output.find('=') != std::string::npos;
        },
        timeoutMs);
    SleepMs(300);
    return ready;
}

std::optional<Geometry> WindowGeometry(unsigned long window) {
    const auto info = RunCommand({"xwininfo", "-id", Id(window)});
    if (info.exitCode != 0) return std::nullopt;
    return Geometry{FieldAfter(info.output, "Absolute upper-left X:"),
                    FieldAfter(info.output, "Absolute upper-left Y:"), FieldAfter(info.output, "Width:"),
                    FieldAfter(info.output, "Height:")};
}

std::vector<long> FrameExtents(unsigned long window) {
    const auto prop = RunCommand({"xprop", "-id", Id(window), "_NET_FRAME_EXTENTS"});
    const size_t equals = prop.output.find('=');
    if (equals == std::string::npos) return {};
    std::vector<long> values;
    std::istringstream in(prop.output.substr(equals + 1));
    std::string item;
    while (std::getline(in, item, ',')) values.push_back(std::strtol(item.c_str(), nullptr, 10));
    return values;
}

std::vector<unsigned long> ClientList() {
    const auto prop = RunCommand({"xprop", "-root", "_NET_CLIENT_LIST"});
    std::vector<unsigned long> windows;
    for (size_t at = prop.output.find("0x"); at != std::string::npos; at = prop.output.find("0x", at + 2)) {
        windows.push_back(std::strtoul(prop.output.c_str() + at, nullptr, 16));
    }
    return windows;
}

unsigned long ActiveWindow() {
    const auto prop = RunCommand({"xprop", "-root", "_NET_ACTIVE_WINDOW"});
    const size_t at = prop.output.find("0x");
    return at == std::string::npos ? 0 : std::strtoul(prop.output.c_str() + at, nullptr, 16);
}

std::optional<unsigned long> WindowOfProcess(pid_t pid, int timeoutMs) {
    std::optional<unsigned long> found;
    WaitUntil(
        [&] {
            const auto search = RunCommand({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(pid)});
            if (search.exitCode != 0 || search.output.empty()) return false;
            found = std::strtoul(search.output.c_str(), nullptr, 10);
            return true;
        },
        timeoutMs);
    return found;
}

void Drag(int x0, int y0, int x1, int y1, int button) {
    const std::string b = std::to_string(button);
    RunCommand({"xdotool", "mousemove", std::to_string(x0), std::to_string(y0)});
    Pause();
    RunCommand({"xdotool", "mousedown", b});
    Pause();
    RunCommand({"xdotool", "mousemove", std::to_string((x0 + x1) / 2), std::to_string((y0 + y1) / 2)});
    Pause();
    RunCommand({"xdotool", "mousemove", std::to_string(x1), std::to_string(y1)});
    Pause();
    RunCommand({"xdotool", "mouseup", b});
    Pause();
}

void Click(int x, int y) {
    RunCommand({"xdotool", "mousemove", std::to_string(x), std::to_string(y)});
    Pause();
    RunCommand({"xdotool", "click", "1"});
}

void AltKey(const std::string& key) {
    RunCommand({"xdotool", "keydown", "alt"});
    SleepMs(100);
    RunCommand({"xdotool", "key", key});
    SleepMs(100);
    RunCommand({"xdotool", "keyup", "alt"});
}

std::string CaptureWindow(unsigned long window, const std::string& pngPath) {
    RunCommand({"import", "-window", Id(window), pngPath});
    return pngPath;
}

}  // namespace testsupport
