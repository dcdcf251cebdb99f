// Small colour and file helpers shared by the data generators.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace tools {

struct Colour {
    double red = 0;  // 0..1
    double green = 0;
    double blue = 0;
};

inline std::uint32_t Pack(Colour colour) {
    auto channel = [](double value) {
        return static_cast<std::uint32_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
    };
    return (channel(colour.red) << 16) | (channel(colour.green) << 8) | channel(colour.blue);
}

inline Colour Unpack(std::uint32_t rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

inline Colour Mix(Colour a, Colour b, double t) {
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t, a.blue + (b.blue - a.blue) * t};
}

// Hue 0..1 around the colour wheel, full saturation at the given value.
inline Colour Hue(double hue, double value = 1.0) {
    hue = (hue - std::floor(hue)) * 6.0;
    const double f = hue - std::floor(hue);
    switch (static_cast<int>(hue) % 6) {
        case 0: return {value, value * f, 0};
        case 1: return {value * (1 - f), value, 0};
        case 2: return {0, value, value * f};
        case 3: return {0, value * (1 - f), value};
        case 4: return {value * f, 0, value};
        default: return {value, 0, value * (1 - f)};
    }
}

inline double SmoothStep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

inline bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
    return true;
}

}  // namespace tools
