#include "display_test_util.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "user32/display.h"
#include "x_session.h"

namespace displaytest {
namespace {

bool StartsWithSpace(const std::string& line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

// The number that follows `word` in `line`, or -1.
double NumberAfter(const std::string& line, const std::string& word) {
    const std::size_t at = line.find(word);
    if (at == std::string::npos) return -1;
    double value = -1;
    return std::sscanf(line.c_str() + at + word.size(), "%lf", &value) == 1 ? value : -1;
}

}  // namespace

XrandrView QueryXrandr() {
    XrandrView view;
    const auto result = testsupport::RunCommand({"xrandr", "--verbose"});
    if (result.exitCode != 0) return view;
    std::istringstream in(result.output);
    std::string line;
    bool inOutput = false;
    bool primaryFound = false;
    bool modeIsCurrent = false;
    ModeKey mode;
    while (std::getline(in, line)) {
        if (line.starts_with("Screen ")) {
            const std::size_t at = line.find("current ");
            if (at != std::string::npos)
                std::sscanf(line.c_str() + at, "current %d x %d", &view.screenWidth, &view.screenHeight);
            continue;
        }
        if (!StartsWithSpace(line)) {
            inOutput = false;
            std::istringstream words(line);
            std::string name, state, third;
            words >> name >> state >> third;
            if (state != "connected") continue;
            // The primary output wins over the first connected one.
            const bool primary = third == "primary";
            if (view.output.empty() || (primary && !primaryFound)) {
                view.modes.clear();
                view.current.reset();
                view.output = name;
                inOutput = true;
                primaryFound = primary;
            }
            continue;
        }
        if (!inOutput) continue;
        const std::size_t text = line.find_first_not_of(" \t");
        if (line.starts_with("  ") && line[2] != ' ' && line.find("(0x") != std::string::npos &&
            line.find("MHz") != std::string::npos) {
            modeIsCurrent = line.find("*current") != std::string::npos;
            mode = {};
        } else if (line.compare(text, 2, "h:") == 0) {
            mode.width = static_cast<int>(NumberAfter(line, "width"));
        } else if (line.compare(text, 2, "v:") == 0) {
            mode.height = static_cast<int>(NumberAfter(line, "height"));
            mode.rate = static_cast<int>(std::lround(NumberAfter(line, "clock")));
            view.modes.push_back(mode);
            if (modeIsCurrent) view.current = mode;
        }
    }
    return view;
}

XdpyinfoView QueryXdpyinfo() {
    XdpyinfoView view;
    const auto result = testsupport::RunCommand({"xdpyinfo"});
    const std::size_t at = result.output.find("dimensions:");
    if (at != std::string::npos) {
        std::sscanf(result.output.c_str() + at, "dimensions: %dx%d pixels (%dx%d millimeters)", &view.width,
                    &view.height, &view.widthMm, &view.heightMm);
    }
    return view;
}

ModeKey KeyOf(const DEVMODEA& record) {
    return {static_cast<int>(record.dmPelsWidth), static_cast<int>(record.dmPelsHeight),
            static_cast<int>(record.dmDisplayFrequency)};
}

std::vector<ModeKey> ListedModes() {
    std::vector<ModeKey> modes;
    DEVMODEA record{};
    for (DWORD n = 0; user32::EnumDisplaySettingsA(nullptr, n, &record); ++n) modes.push_back(KeyOf(record));
    return modes;
}

std::optional<DEVMODEA> ListedRecord(int width, int height, int rate) {
    DEVMODEA record{};
    for (DWORD n = 0; user32::EnumDisplaySettingsA(nullptr, n, &record); ++n) {
        const ModeKey key = KeyOf(record);
        if (key.width == width && key.height == height && (rate == 0 || key.rate == rate)) return record;
    }
    return std::nullopt;
}

std::string CheckDriverBytes(const unsigned char (&bytes)[sizeof(DEVMODEA)], unsigned char filler,
                             const DriverFields& expected) {
    std::ostringstream problems;
    const auto expect32 = [&](std::size_t offset, std::uint32_t value, const char* field) {
        if (ReadU32(bytes, offset) != value) {
            problems << field << " at " << offset << " is " << ReadU32(bytes, offset) << ", not " << value << "; ";
        }
    };
    const auto expect16 = [&](std::size_t offset, std::uint16_t value, const char* field) {
        if (ReadU16(bytes, offset) != value) {
            problems << field << " at " << offset << " is " << ReadU16(bytes, offset) << ", not " << value << "; ";
        }
    };
    // dmDeviceName: the name, then NULs to the end of its 32 bytes.
    for (std::size_t i = 0; i < 32; ++i) {
        const unsigned char want = i < expected.deviceName.size() ? expected.deviceName[i] : 0;
        if (bytes[i] != want) {
            problems << "dmDeviceName byte " << i << " is " << int(bytes[i]) << "; ";
            break;
        }
    }
    expect16(32, 0x0401, "dmSpecVersion");
    expect16(36, 124, "dmSize");
    expect16(38, 0, "dmDriverExtra");
    expect32(40, 0x00040000 | 0x00080000 | 0x00100000 | 0x00200000 | 0x00400000, "dmFields");
    expect32(104, expected.bitsPerPel, "dmBitsPerPel");
    expect32(108, expected.width, "dmPelsWidth");
    expect32(112, expected.height, "dmPelsHeight");
    expect32(116, 0, "dmDisplayFlags");
    expect32(120, expected.frequency, "dmDisplayFrequency");
    // dmDriverVersion and everything from dmOrientation to dmLogPixels stay as the caller left them.
    for (std::size_t i = 0; i < sizeof(DEVMODEA); ++i) {
        const bool written = i < 34 || (i >= 36 && i < 44) || i >= 104;
        if (!written && bytes[i] != filler) problems << "byte " << i << " changed; ";
    }
    return problems.str();
}

}  // namespace displaytest
