// Writes blendview's two embedded pictures into the folder given on the command line:
//   Picture1.bmp  200 x 200, 8 bits, a full 256-entry colour table: a rainbow spiral of rings
//   Picture2.bmp  200 x 200, 24 bits: a sunset landscape with hills, a ball and a checker floor
// They differ in colour and shape everywhere, so a 50 % blend of the two is plain to see; both
// hold pure white and pure black areas.
#include <cmath>
#include <cstdio>
#include <numbers>

#include "drawing.h"
#include "picture/bmp.h"

namespace {

using frame::picture::EncodeBmp;
using frame::picture::Image;
using tools::Colour;

constexpr int kSize = 200;
constexpr int kBlack = 0;
constexpr int kWhite = 1;
constexpr int kFirstHue = 2;
constexpr int kHueCount = 254;

std::vector<std::uint32_t> RainbowPalette() {
    std::vector<std::uint32_t> palette = {0x000000, 0xFFFFFF};
    for (int i = 0; i < kHueCount; ++i) {
        palette.push_back(tools::Pack(tools::Hue(static_cast<double>(i) / kHueCount)));
    }
    return palette;
}

// Rainbow arms spiral out from a white centre, cut by black rings; outside the last ring the
// corners are white at the top and black at the bottom.
Image SpiralPicture(const std::vector<std::uint32_t>& palette) {
    Image image{kSize, kSize, {}};
    image.pixels.reserve(kSize * kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double dx = x - 99.5;
            const double dy = y - 99.5;
            const double radius = std::hypot(dx, dy);
            const double turn = std::atan2(dy, dx) / (2 * std::numbers::pi);
            int index;
            if (radius < 16) {
                index = kWhite;
            } else if (radius >= 96) {
                index = y < 100 ? kWhite : kBlack;
            } else if (std::fmod(radius - 16, 20) < 3) {
                index = kBlack;
            } else {
                double hue = 2 * turn + radius / 60.0;
                hue -= std::floor(hue);
                index = kFirstHue + static_cast<int>(hue * kHueCount) % kHueCount;
            }
            image.pixels.push_back(palette[index]);
        }
    }
    return image;
}

Colour At(const Image& image, int x, int y) { return tools::Unpack(image.pixels[y * image.width + x]); }

void Set(Image& image, int x, int y, Colour colour) { image.pixels[y * image.width + x] = tools::Pack(colour); }

// Height of a ridge line at x, built from a few sine waves.
double Ridge(double x, double base, double a, double b) {
    return base + a * std::sin(x * 0.045 + 1.3) + b * std::sin(x * 0.11 + 0.4) + 3 * std::sin(x * 0.27);
}

Image LandscapePicture() {
    Image image{kSize, kSize, std::vector<std::uint32_t>(kSize * kSize, 0)};
    const Colour skyTop{0.05, 0.10, 0.40};
    const Colour skyMiddle{0.55, 0.30, 0.65};
    const Colour horizon{1.00, 0.65, 0.30};
    const Colour sunCore{1.00, 0.97, 0.75};
    const Colour sunEdge{1.00, 0.80, 0.20};
    const Colour farHills{0.35, 0.22, 0.45};
    const Colour nearHillLit{0.45, 0.80, 0.25};
    const Colour nearHillShade{0.05, 0.35, 0.15};
    const double sunX = 140;
    const double sunY = 62;
    const double sunRadius = 24;
    constexpr int kFloorTop = 158;

    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double t = y / 130.0;
            Colour colour = t < 0.5 ? tools::Mix(skyTop, skyMiddle, t * 2) : tools::Mix(skyMiddle, horizon, t * 2 - 1);
            // Sun with a soft glow around it.
            const double sunDistance = std::hypot(x - sunX, y - sunY);
            colour = tools::Mix(colour, {1.0, 0.85, 0.5}, 0.55 * (1 - tools::SmoothStep(sunRadius, 60, sunDistance)));
            if (sunDistance < sunRadius + 1) {
                const Colour disc = tools::Mix(sunCore, sunEdge, sunDistance / sunRadius);
                colour = tools::Mix(colour, disc, 1 - tools::SmoothStep(sunRadius - 0.5, sunRadius + 0.5, sunDistance));
            }
            // Far ridge, then two rounded near hills, each edge softened over a pixel.
            const double far = Ridge(x, 112, 8, 5);
            colour = tools::Mix(colour, tools::Mix(farHills, {0.25, 0.15, 0.35}, (y - far) / 50),
                                tools::SmoothStep(far - 0.5, far + 0.5, y));
            for (const auto& [cx, cy, rx, ry] :
                 {std::array{55.0, 175.0, 90.0, 55.0}, std::array{170.0, 185.0, 75.0, 60.0}}) {
                const double e = std::hypot((x - cx) / rx, (y - cy) / ry);
                if (e < 1.02) {
                    // Lit from the sun's side, upper right.
                    const double light = std::clamp(0.5 + 0.6 * ((x - cx) / rx - (y - cy) / ry) * 0.7, 0.0, 1.0);
                    const Colour hill = tools::Mix(nearHillShade, nearHillLit, light);
                    colour = tools::Mix(colour, hill, 1 - tools::SmoothStep(0.99, 1.01, e));
                }
            }
            Set(image, x, y, colour);
        }
    }

    // Checker floor in perspective, pure black and white.
    for (int y = kFloorTop; y < kSize; ++y) {
        const double depth = 100.0 / (y - kFloorTop + 20);
        for (int x = 0; x < kSize; ++x) {
            const double u = (x - 100) * depth / 22.0;
            const double v = depth * 1.5;
            const bool dark = (static_cast<int>(std::floor(u)) + static_cast<int>(std::floor(v))) & 1;
            Set(image, x, y, dark ? Colour{0, 0, 0} : Colour{1, 1, 1});
        }
    }

    // A red ball resting on the floor, shaded from the upper right, with its shadow.
    const double ballX = 62;
    const double ballY = 160;
    const double ballRadius = 19;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double shadow = std::hypot((x - ballX - 6) / 24.0, (y - ballY - 19) / 5.0);
            if (y >= kFloorTop && shadow < 1) {
                Set(image, x, y, tools::Mix(At(image, x, y), {0.1, 0.1, 0.1}, 0.6 * (1 - shadow * shadow)));
            }
            const double dx = (x - ballX) / ballRadius;
            const double dy = (y - ballY) / ballRadius;
            const double d = std::hypot(dx, dy);
            if (d < 1.05) {
                const double dz = std::sqrt(std::max(0.0, 1 - d * d));
                const double light = std::clamp(0.6 * dx - 0.6 * dy + 0.55 * dz, 0.0, 1.0);
                Colour ball = tools::Mix({0.35, 0.0, 0.05}, {0.95, 0.1, 0.15}, light);
                ball = tools::Mix(ball, {1, 1, 1}, std::pow(light, 12));
                Set(image, x, y, tools::Mix(At(image, x, y), ball, 1 - tools::SmoothStep(0.97, 1.03, d)));
            }
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <blendview folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    const auto palette = RainbowPalette();
    const bool written = tools::WriteFile(folder / "Picture1.bmp", EncodeBmp(SpiralPicture(palette), 8, palette)) &&
                         tools::WriteFile(folder / "Picture2.bmp", EncodeBmp(LandscapePicture(), 24));
    return written ? 0 : 1;
}
