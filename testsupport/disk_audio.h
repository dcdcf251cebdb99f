// SDL's disk audio driver as a test's ears: the sound layer plays into a file that is read back
// and compared with what was played. Also builds WAV images and puts files on a drive C of the
// test's own.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "winmm/sound.h"

namespace testsupport {

// The device format the sound layer opens with the disk driver.
inline constexpr int kDeviceRate = 44100;

struct Frame {
    std::int16_t left;
    std::int16_t right;
    bool operator==(const Frame&) const = default;
};

inline void Append16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void Append32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Append16(out, static_cast<std::uint16_t>(v));
    Append16(out, static_cast<std::uint16_t>(v >> 16));
}

inline std::vector<std::uint8_t> PcmWav(int channels, int rate, int bits, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> wav;
    const int align = channels * bits / 8;
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    Append32(wav, static_cast<std::uint32_t>(36 + data.size()));
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Append32(wav, 16);
    Append16(wav, 1);
    Append16(wav, static_cast<std::uint16_t>(channels));
    Append32(wav, static_cast<std::uint32_t>(rate));
    Append32(wav, static_cast<std::uint32_t>(rate * align));
    Append16(wav, static_cast<std::uint16_t>(align));
    Append16(wav, static_cast<std::uint16_t>(bits));
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    Append32(wav, static_cast<std::uint32_t>(data.size()));
    wav.insert(wav.end(), data.begin(), data.end());
    return wav;
}

// Stereo 16-bit frames at the device's own rate, never zero, so the start and end of the sound can
// be found in the driver's output.
inline std::vector<Frame> DistinctFrames(int count, std::uint32_t seed = 12345) {
    std::vector<Frame> frames;
    std::uint32_t state = seed;
    for (int i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        const auto left = static_cast<std::int16_t>(((state >> 16) % 16000) + 1);
        const auto right = static_cast<std::int16_t>(-static_cast<int>((state >> 8) % 16000) - 1);
        frames.push_back({left, right});
    }
    return frames;
}

inline std::vector<std::uint8_t> DeviceFormatWav(const std::vector<Frame>& frames) {
    std::vector<std::uint8_t> data;
    for (const Frame& f : frames) {
        Append16(data, static_cast<std::uint16_t>(f.left));
        Append16(data, static_cast<std::uint16_t>(f.right));
    }
    return PcmWav(2, kDeviceRate, 16, data);
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Heard {
    std::vector<Frame> frames;  // everything the device got
    std::size_t first = 0;      // first frame that is not silence
    std::size_t last = 0;       // one past the last frame that is not silence
    std::size_t Length() const { return last - first; }
    bool Silent() const { return last == first; }
    // Whether `sound` was heard whole, from its first frame on.
    bool Contains(const std::vector<Frame>& sound) const {
        return Length() == sound.size() &&
               std::equal(sound.begin(), sound.end(), frames.begin() + static_cast<std::ptrdiff_t>(first));
    }
};

// While it lives, the sound layer plays into a file of its own and drive C is a folder of its own.
class DiskAudio {
public:
    DiskAudio() {
        folder_ = std::filesystem::temp_directory_path() / ("disk_audio_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        output_ = folder_ / "device.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
        setenv("SUITE_DRIVE_C", (folder_ / "drive_c").c_str(), 1);
        winmm::ResetSoundForTesting();
    }
    ~DiskAudio() {
        winmm::ResetSoundForTesting();
        unsetenv("SUITE_DRIVE_C");
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    DiskAudio(const DiskAudio&) = delete;
    DiskAudio& operator=(const DiskAudio&) = delete;

    // Closes the device, so the driver's file is complete, and reads it back; the next sound opens
    // a fresh device and file.
    Heard Listen() const {
        winmm::ResetSoundForTesting();
        const auto bytes = ReadFile(output_);
        Heard heard;
        heard.frames.resize(bytes.size() / sizeof(Frame));
        if (!heard.frames.empty()) std::memcpy(heard.frames.data(), bytes.data(), heard.frames.size() * sizeof(Frame));
        const Frame quiet{0, 0};
        std::size_t i = 0;
        while (i < heard.frames.size() && heard.frames[i] == quiet) ++i;
        heard.first = heard.last = i;
        for (std::size_t j = i; j < heard.frames.size(); ++j) {
            if (!(heard.frames[j] == quiet)) heard.last = j + 1;
        }
        return heard;
    }

    // Puts a file on drive C; returns its Windows path.
    std::string Put(const std::string& relativePath, const std::vector<std::uint8_t>& bytes) const {
        WriteFile(DriveC() / relativePath, bytes);
        std::string windowsPath = "C:\\" + relativePath;
        for (char& c : windowsPath) {
            if (c == '/') c = '\\';
        }
        return windowsPath;
    }
    std::filesystem::path DriveC() const { return folder_ / "drive_c"; }

private:
    std::filesystem::path folder_;
    std::filesystem::path output_;
};

}  // namespace testsupport
