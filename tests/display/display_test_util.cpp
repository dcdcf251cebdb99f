#include "display_test_util.h"

#include <cmath>
#include <regex>
#include <sstream>

#include "user32/display.h"
#include "x_session.h"

namespace displaytest {
namespace {

bool StartsWithSpace(const std::string& line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

}  // namespace

XrandrView QueryXrandr() {
    XrandrView view;
    const auto result = testsupport::RunCommand({"xrandr", "--verbose"});
    if (result.exitCode != 0) return view;
    std::istringstream in(result.output);
    std::string line;
    const std::regex screenLine(R"(^Screen \d+:.*current (\d+) x (\d+),)");
    const std::regex outputLine(R"(^(\S+) connected( primary)?)");
    const std::regex modeLine(R"(^  \S.*\(0x[0-9a-f]+\)\s+[0-9.]+MHz(.*)$)");
    const std::regex hLine(R"(^\s+h: width\s+(\d+))");
    const std::regex vLine(R"(^\s+v: height\s+(\d+).*clock\s+([0-9.]+)Hz)");
    bool inOutput = false;
    bool primaryFound = false;
    bool modeIsCurrent = false;
    ModeKey mode;
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, screenLine)) {
            view.screenWidth = std::stoi(m[1]);
            view.screenHeight = std::stoi(m[2]);
            continue;
        }
        if (!StartsWithSpace(line)) {
            inOutput = false;
            if (std::regex_search(line, m, outputLine)) {
                // The primary output wins over the first connected one.
                const bool primary = m[2].matched;
                if (view.output.empty() || (primary && !primaryFound)) {
                    view.modes.clear();
                    view.current.reset();
                    view.output = m[1];
                    inOutput = true;
                    primaryFound = primary;
                }
            }
            continue;
        }
        if (!inOutput) continue;
        if (std::regex_search(line, m, modeLine)) {
            modeIsCurrent = m[1].str().find("*current") != std::string::npos;
            mode = {};
        } else if (std::regex_search(line, m, hLine)) {
            mode.width = std::stoi(m[1]);
        } else if (std::regex_search(line, m, vLine)) {
            mode.height = std::stoi(m[1]);
            mode.rate = static_cast<int>(std::lround(std::stod(m[2])));
            view.modes.push_back(mode);
            if (modeIsCurrent) view.current = mode;
        }
    }
    return view;
}

XdpyinfoView QueryXdpyinfo() {
    XdpyinfoView view;
    const auto result = testsupport::RunCommand({"xdpyinfo"});
    std::smatch m;
    const std::regex dimensions(R"(dimensions:\s+(\d+)x(\d+) pixels \((\d+)x(\d+) millimeters\))");
    if (std::regex_search(result.output, m, dimensions)) {
        view.width = std::stoi(m[1]);
        view.height = std::stoi(m[2]);
        view.widthMm = std::stoi(m[3]);
        view.heightMm = std::stoi(m[4]);
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
