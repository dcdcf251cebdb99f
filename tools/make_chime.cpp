// Writes the suite's start-up chime: three bell strikes rising through an E major chord, each with a
// few inharmonic partials that die away exponentially. 44.1 kHz, 16-bit stereo PCM, about 1.8 s.
// Usage: make_chime <output.wav>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kSeconds = 1.8;
constexpr double kPeak = 0.70;  // about -3 dBFS

struct Strike {
    double start;      // seconds
    double frequency;  // of the fundamental, Hz
    double pan;        // -1 left .. 1 right
    double level;
};

struct Partial {
    double ratio;
    double level;
    double decay;  // per second
};

// A struck bell's overtones are not whole multiples of the fundamental; these ratios give the
// familiar bright, slightly metallic ring without sounding out of tune.
constexpr std::array<Partial, 5> kPartials = {{
    {1.00, 1.00, 2.4},
    {2.00, 0.45, 3.6},
    {2.76, 0.22, 5.5},
    {4.07, 0.10, 8.0},
    {5.40, 0.05, 11.0},
}};

constexpr std::array<Strike, 4> kStrikes = {{
    {0.00, 659.26, -0.35, 1.00},  // E5
    {0.13, 830.61, 0.00, 0.85},   // G#5
    {0.26, 987.77, 0.35, 0.80},   // B5
    {0.26, 329.63, 0.00, 0.35},   // E4 underneath the last strike, for warmth
}};

void Put16(std::ofstream& out, std::uint16_t v) {
    const char bytes[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out.write(bytes, 2);
}

void Put32(std::ofstream& out, std::uint32_t v) {
    Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.wav>\n", argv[0]);
        return 2;
    }
    const int frames = static_cast<int>(kSeconds * kRate);
    std::vector<double> left(static_cast<std::size_t>(frames)), right(static_cast<std::size_t>(frames));
    for (const Strike& strike : kStrikes) {
        // Equal-power panning keeps the loudness steady across the stereo field.
        const double angle = (strike.pan + 1.0) * std::numbers::pi / 4.0;
        const double toLeft = std::cos(angle), toRight = std::sin(angle);
        for (int i = static_cast<int>(strike.start * kRate); i < frames; ++i) {
            const double t = static_cast<double>(i) / kRate - strike.start;
            const double attack = std::min(1.0, t / 0.004);  // 4 ms onset: a soft mallet, no click
            double sample = 0.0;
            for (const Partial& p : kPartials) {
                sample += p.level * std::exp(-p.decay * t) *
                          std::sin(2.0 * std::numbers::pi * strike.frequency * p.ratio * t);
            }
            sample *= attack * strike.level;
            left[static_cast<std::size_t>(i)] += sample * toLeft;
            right[static_cast<std::size_t>(i)] += sample * toRight;
        }
    }
    // Fade the tail to exact silence so the sound ends without a click.
    const int fade = kRate * 15 / 100;
    for (int i = frames - fade; i < frames; ++i) {
        const double gain = 0.5 * (1.0 + std::cos(std::numbers::pi * (i - (frames - fade)) / fade));
        left[static_cast<std::size_t>(i)] *= gain;
        right[static_cast<std::size_t>(i)] *= gain;
    }
    double peak = 0.0;
    for (int i = 0; i < frames; ++i) {
        peak =
            std::max({peak, std::abs(left[static_cast<std::size_t>(i)]), std::abs(right[static_cast<std::size_t>(i)])});
    }
    const double scale = kPeak * 32767.0 / peak;

    std::ofstream out(argv[1], std::ios::binary);
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(frames) * 4;
    out.write("RIFF", 4);
    Put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 2);
    Put32(out, kRate);
    Put32(out, kRate * 4);
    Put16(out, 4);
    Put16(out, 16);
    out.write("data", 4);
    Put32(out, dataBytes);
    for (int i = 0; i < frames; ++i) {
        Put16(out, static_cast<std::uint16_t>(
                       static_cast<std::int16_t>(std::lround(left[static_cast<std::size_t>(i)] * scale))));
        Put16(out, static_cast<std::uint16_t>(
                       static_cast<std::int16_t>(std::lround(right[static_cast<std::size_t>(i)] * scale))));
    }
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
