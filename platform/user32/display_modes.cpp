#include "user32/display_modes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

#include "platform/codepage.h"

namespace user32::display {
namespace {

constexpr WORD kSpecVersion = 0x0401;
constexpr DWORD kNamedModeFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;

bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

std::vector<DisplayMode> OrderedModes(std::vector<DisplayMode> modes) {
    const auto key = [](const DisplayMode& m) { return std::tie(m.width, m.height, m.refreshRate, m.bitsPerPixel); };
    std::sort(modes.begin(), modes.end(), [&](const DisplayMode& a, const DisplayMode& b) { return key(a) < key(b); });
    modes.erase(std::unique(modes.begin(), modes.end()), modes.end());
    return modes;
}

int RefreshRate(unsigned long dotClock, unsigned hTotal, unsigned vTotal, bool doubleScan, bool interlace) {
    double lines = vTotal;
    if (doubleScan) lines *= 2;
    if (interlace) lines /= 2;
    if (dotClock == 0 || hTotal == 0 || lines <= 0) return 0;
    return static_cast<int>(std::lround(static_cast<double>(dotClock) / (hTotal * lines)));
}

void FillDevMode(DEVMODEA& record, const DisplayMode& mode, std::string_view deviceNameUtf8) {
    const std::string name = kernel32::Cp932FromUtf8(deviceNameUtf8);
    std::size_t length = 0;
    // Keep room for the NUL and never split a double-byte character.
    while (length < name.size()) {
        const std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(name[length])) ? 2 : 1;
        if (length + width > CCHDEVICENAME - 1) break;
        length += width;
    }
    std::memset(record.dmDeviceName, 0, sizeof record.dmDeviceName);
    std::memcpy(record.dmDeviceName, name.data(), length);
    record.dmSpecVersion = kSpecVersion;
    record.dmSize = sizeof(DEVMODEA);
    // No driver-private bytes follow the record.
    record.dmDriverExtra = 0;
    record.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFLAGS | DM_DISPLAYFREQUENCY;
    record.dmBitsPerPel = static_cast<DWORD>(mode.bitsPerPixel);
    record.dmPelsWidth = static_cast<DWORD>(mode.width);
    record.dmPelsHeight = static_cast<DWORD>(mode.height);
    record.dmDisplayFlags = 0;
    record.dmDisplayFrequency = static_cast<DWORD>(mode.refreshRate);
}

bool IsDisplayDepth(DWORD bitsPerPixel) {
    return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 ||
           bitsPerPixel == 32;
}

ModeChoice ChooseMode(const DEVMODEA& record, std::span<const DisplayMode> modes, const DisplayMode& current) {
    const DWORD fields = record.dmFields;
    if ((fields & kNamedModeFields) == 0) return {};
    const DWORD width = (fields & DM_PELSWIDTH) ? record.dmPelsWidth : static_cast<DWORD>(current.width);
    const DWORD height = (fields & DM_PELSHEIGHT) ? record.dmPelsHeight : static_cast<DWORD>(current.height);
    const DWORD depth = (fields & DM_BITSPERPEL) ? record.dmBitsPerPel : static_cast<DWORD>(current.bitsPerPixel);
    const DWORD rate = (fields & DM_DISPLAYFREQUENCY) ? record.dmDisplayFrequency : 0;
    const bool anyRate = rate <= 1;

    const DisplayMode* best = nullptr;
    for (const DisplayMode& m : modes) {
        if (static_cast<DWORD>(m.width) != width || static_cast<DWORD>(m.height) != height) continue;
        if (!anyRate && static_cast<DWORD>(m.refreshRate) != rate) continue;
        if (m == current) {
            best = &m;
            break;
        }
        if (best == nullptr || m.refreshRate > best->refreshRate) best = &m;
    }
    if (best == nullptr) return {};
    if (depth != static_cast<DWORD>(best->bitsPerPixel)) {
        return {IsDisplayDepth(depth) ? DISP_CHANGE_RESTART : DISP_CHANGE_BADMODE, {}};
    }
    return {DISP_CHANGE_SUCCESSFUL, *best};
}

}  // namespace user32::display
