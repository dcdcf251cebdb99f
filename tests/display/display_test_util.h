// What the display tests share: the X server's own view of the screen (xrandr, xdpyinfo), the
// layer's list of modes, and a byte-level check of a DEVMODEA as a driver fills it.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <win32/user32.h>

namespace displaytest {

struct ModeKey {
    int width = 0;
    int height = 0;
    int rate = 0;
    friend auto operator<=>(const ModeKey&, const ModeKey&) = default;
};

struct XrandrView {
    std::string output;          // the primary (or first connected) output
    std::vector<ModeKey> modes;  // its modes as xrandr --verbose lists them, rates rounded
    std::optional<ModeKey> current;
    int screenWidth = 0;  // "current W x H" of the screen
    int screenHeight = 0;
};

// Parses `xrandr --verbose` on DISPLAY; empty output name when xrandr fails.
XrandrView QueryXrandr();

struct XdpyinfoView {
    int width = 0;
    int height = 0;
    int widthMm = 0;
    int heightMm = 0;
};
XdpyinfoView QueryXdpyinfo();

// Every mode the layer lists, in its order (EnumDisplaySettingsA from 0 until it answers FALSE).
std::vector<ModeKey> ListedModes();
ModeKey KeyOf(const DEVMODEA& record);
// The listed record of that size and rate (rate 0: the first of that size), or nothing.
std::optional<DEVMODEA> ListedRecord(int width, int height, int rate = 0);

// Fills the record with `filler`, lets `fill` write it, and checks through the bytes that exactly
// the fields a display driver writes changed, each at its SDK offset, and hold `expected`.
struct DriverFields {
    std::string deviceName;
    std::uint32_t bitsPerPel = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t frequency = 0;
};
template <typename Fill>
std::string CheckDriverFill(Fill fill, const DriverFields& expected);

// Little-endian reads at a byte offset, independent of the structure's declaration.
inline std::uint32_t ReadU32(const unsigned char* bytes, std::size_t offset) {
    return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}
inline std::uint16_t ReadU16(const unsigned char* bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::string CheckDriverBytes(const unsigned char (&bytes)[sizeof(DEVMODEA)], unsigned char filler,
                             const DriverFields& expected);

template <typename Fill>
std::string CheckDriverFill(Fill fill, const DriverFields& expected) {
    constexpr unsigned char filler = 0xA5;
    unsigned char bytes[sizeof(DEVMODEA)];
    std::memset(bytes, filler, sizeof bytes);
    DEVMODEA record;
    std::memcpy(&record, bytes, sizeof record);
    fill(record);
    std::memcpy(bytes, &record, sizeof record);
    return CheckDriverBytes(bytes, filler, expected);
}

}  // namespace displaytest
