// sndPlaySoundA against SDL's disk audio driver: what reaches the "device" is read back from the file
// the driver writes and compared with the sound that was played.
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "disk_audio.h"
#include "platform/buffers.h"
#include "platform/codepage.h"
#include "winmm/sound.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using testsupport::DeviceFormatWav;
using testsupport::DistinctFrames;
using testsupport::Frame;
using testsupport::Heard;
using testsupport::kDeviceRate;
using testsupport::PcmWav;
using testsupport::ReadFile;

std::vector<std::uint8_t> SineWav(int rate, double seconds) {
    std::vector<std::uint8_t> data;
    const int count = static_cast<int>(rate * seconds);
    for (int i = 0; i < count; ++i) {
        // 8-bit unsigned, offset from the centre so that no converted sample is exactly silent
        data.push_back(static_cast<std::uint8_t>(128 + 60 + std::lround(50 * std::sin(i * 0.1))));
    }
    return PcmWav(1, rate, 8, data);
}

class SoundTest : public ::testing::Test {
protected:
    // Also called within a test, to start afresh between cases.
    void SetUp() override {
        audio_.reset();
        audio_.emplace();
    }
    void TearDown() override { audio_.reset(); }

    // Closes the device, so the driver's file is complete, and reads it back.
    Heard Listen() {
        const auto format = winmm::SoundDeviceFormatForTesting();
        EXPECT_TRUE(format.has_value());
        if (format) {
            EXPECT_EQ(format->frequency, kDeviceRate);
            EXPECT_EQ(format->format, AUDIO_S16SYS);
            EXPECT_EQ(format->channels, 2);
        }
        return audio_->Listen();
    }

    // Files are reached the way programs reach them: by Windows paths on drive C.
    std::string Put(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        return audio_->Put(name, bytes);
    }

    std::string PutSeed(const std::string& name) { return Put(name, ReadFile(std::string(WAV_SEEDS) + "/" + name)); }

    std::optional<testsupport::DiskAudio> audio_;
};

TEST_F(SoundTest, SoundInTheDeviceFormatReachesTheDeviceUnchanged) {
    const auto frames = DistinctFrames(kDeviceRate / 5);
    const std::string path = Put("exact.wav", DeviceFormatWav(frames));
    ASSERT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_SYNC | SND_NODEFAULT), TRUE);
    const Heard heard = Listen();
    ASSERT_EQ(heard.Length(), frames.size());
    EXPECT_TRUE(
        std::equal(frames.begin(), frames.end(), heard.frames.begin() + static_cast<std::ptrdiff_t>(heard.first)));
}

TEST_F(SoundTest, AnotherRateKeepsItsLength) {
    const std::string path = Put("slow.wav", SineWav(22050, 0.5));
    ASSERT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_SYNC | SND_NODEFAULT), TRUE);
    const Heard heard = Listen();
    EXPECT_NEAR(static_cast<double>(heard.Length()), 0.5 * kDeviceRate, 0.03 * 0.5 * kDeviceRate);
}

// Every encoding SDL decodes, at its own rate and channel count, plays for its own length.
TEST_F(SoundTest, EveryEncodingPlaysForItsLength) {
    const char* const seeds[] = {
        "pcm_u8_mono_11025.wav",    "pcm_s16_stereo_44100.wav", "pcm_s24_mono_48000.wav",
        "pcm_s32_stereo_22050.wav", "float32_mono_32000.wav",   "mulaw_mono_8000.wav",
        "alaw_mono_8000.wav",       "ima_adpcm_mono_22050.wav", "ms_adpcm_stereo_22050.wav",
    };
    for (const char* seed : seeds) {
        SCOPED_TRACE(seed);
        SetUp();
        const std::string path = PutSeed(seed);
        ASSERT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_SYNC | SND_NODEFAULT), TRUE);
        const Heard heard = Listen();
        // Each seed holds 0.2 s of tone (compressed ones say so in their "fact" chunk).
        EXPECT_NEAR(static_cast<double>(heard.Length()), 0.2 * kDeviceRate, 0.01 * 0.2 * kDeviceRate);
    }
}

TEST_F(SoundTest, AsyncReturnsAtOnceAndSyncWhenTheSoundHasEnded) {
    const std::string path = Put("long.wav", SineWav(22050, 0.6));
    const auto asyncStart = Clock::now();
    ASSERT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_ASYNC | SND_NODEFAULT), TRUE);
    EXPECT_LT(Clock::now() - asyncStart, 200ms);
    EXPECT_TRUE(winmm::IsSoundPlayingForTesting());
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));

    const auto syncStart = Clock::now();
    ASSERT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_SYNC | SND_NODEFAULT), TRUE);
    EXPECT_GE(Clock::now() - syncStart, 500ms);
    EXPECT_FALSE(winmm::IsSoundPlayingForTesting());
}

TEST_F(SoundTest, ASecondPlayStartsTheSoundAgainFromItsBeginning) {
    const auto frames = DistinctFrames(kDeviceRate);  // 1 s
    const std::string path = Put("restart.wav", DeviceFormatWav(frames));
    ASSERT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_ASYNC | SND_NODEFAULT), TRUE);
    std::this_thread::sleep_for(300ms);
    ASSERT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_ASYNC | SND_NODEFAULT), TRUE);
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    const Heard heard = Listen();

    // The opening frames are heard twice; the second time the whole sound follows to its end.
    const std::vector<Frame> opening(frames.begin(), frames.begin() + 64);
    std::vector<std::size_t> starts;
    for (auto it = heard.frames.begin();
         (it = std::search(it, heard.frames.end(), opening.begin(), opening.end())) != heard.frames.end(); ++it) {
        starts.push_back(static_cast<std::size_t>(it - heard.frames.begin()));
    }
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_NEAR(static_cast<double>(starts[1] - starts[0]), 0.3 * kDeviceRate, 0.1 * kDeviceRate);
    EXPECT_EQ(heard.last - starts[1], frames.size());
    EXPECT_TRUE(
        std::equal(frames.begin(), frames.end(), heard.frames.begin() + static_cast<std::ptrdiff_t>(starts[1])));
}

TEST_F(SoundTest, NullStopsTheSound) {
    const std::string path = Put("stop.wav", DeviceFormatWav(DistinctFrames(kDeviceRate)));
    ASSERT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_ASYNC | SND_NODEFAULT), TRUE);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(winmm::sndPlaySoundA(nullptr, 0), TRUE);
    EXPECT_FALSE(winmm::IsSoundPlayingForTesting());
    const Heard heard = Listen();
    EXPECT_GT(heard.Length(), 0u);
    EXPECT_LT(heard.Length(), static_cast<std::size_t>(0.5 * kDeviceRate));
}

TEST_F(SoundTest, NoStopLeavesAPlayingSoundAlone) {
    const std::string path = Put("nostop.wav", DeviceFormatWav(DistinctFrames(kDeviceRate / 2)));
    ASSERT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_ASYNC | SND_NODEFAULT), TRUE);
    EXPECT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_ASYNC | SND_NODEFAULT | SND_NOSTOP), FALSE);
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    EXPECT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_ASYNC | SND_NODEFAULT | SND_NOSTOP), TRUE);
}

TEST_F(SoundTest, LoopRepeatsUntilStopped) {
    const std::string path = Put("loop.wav", DeviceFormatWav(DistinctFrames(kDeviceRate / 10)));
    ASSERT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_ASYNC | SND_LOOP | SND_NODEFAULT), TRUE);
    std::this_thread::sleep_for(400ms);
    EXPECT_TRUE(winmm::IsSoundPlayingForTesting());
    winmm::sndPlaySoundA(nullptr, 0);
    const Heard heard = Listen();
    EXPECT_GT(heard.Length(), static_cast<std::size_t>(0.3 * kDeviceRate));
}

// The caller's buffer is copied during the call: overwriting and freeing it right after (ASan
// watches the freed block) changes nothing that is heard.
TEST_F(SoundTest, MemoryImageIsCopiedBeforeTheCallReturns) {
    const auto frames = DistinctFrames(kDeviceRate / 4);
    auto image = std::make_unique<std::vector<std::uint8_t>>(DeviceFormatWav(frames));
    platform::KnowBuffer(image->data(), image->size());
    ASSERT_EQ(winmm::sndPlaySoundA(reinterpret_cast<LPCSTR>(image->data()), SND_ASYNC | SND_MEMORY), TRUE);
    std::fill(image->begin(), image->end(), std::uint8_t{0x5A});
    image.reset();
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    const Heard heard = Listen();
    ASSERT_EQ(heard.Length(), frames.size());
    EXPECT_TRUE(
        std::equal(frames.begin(), frames.end(), heard.frames.begin() + static_cast<std::ptrdiff_t>(heard.first)));
}

// Without SND_NODEFAULT an unplayable sound gives our beep (about 0.22 s); with it, silence and FALSE.
TEST_F(SoundTest, UnplayableSoundGivesTheDefaultOrSilence) {
    const std::string garbage = Put("garbage.wav", std::vector<std::uint8_t>(300, 0x41));
    const std::string missing = "C:\\missing.wav";
    for (const std::string& path : {garbage, missing}) {
        SCOPED_TRACE(path);
        SetUp();
        EXPECT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_SYNC | SND_NODEFAULT), FALSE);
        EXPECT_TRUE(Listen().Silent());

        SetUp();
        EXPECT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_SYNC), TRUE);
        const Heard heard = Listen();
        EXPECT_NEAR(static_cast<double>(heard.Length()), 0.22 * kDeviceRate, 0.03 * kDeviceRate);
    }
}

TEST_F(SoundTest, BrokenImagesNeverCrash) {
    struct Case {
        const char* seed;
        BOOL played;
    };
    const Case cases[] = {
        {"garbage.bin", FALSE},        {"truncated_header.wav", FALSE}, {"truncated_data.wav", TRUE},
        {"list_before_fmt.wav", TRUE}, {"data_before_fmt.wav", TRUE},   {"huge_chunk.wav", FALSE},
        {"zero_channels.wav", FALSE},  {"zero_block_align.wav", FALSE}, {"riff_size_tiny.wav", FALSE},
        {"trailing_bytes.wav", TRUE},  {"short_fmt.wav", FALSE},        {"odd_data.wav", TRUE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seed);
        const std::string path = PutSeed(c.seed);
        EXPECT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_ASYNC | SND_NODEFAULT), c.played);
        // In memory the same image, in a block of exactly its length that the layer knows, plays
        // the same, whatever its RIFF size claims.
        const auto bytes = ReadFile(std::string(WAV_SEEDS) + "/" + c.seed);
        const auto block = std::make_unique<std::uint8_t[]>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), block.get());
        platform::KnowBuffer(block.get(), bytes.size());
        EXPECT_EQ(winmm::sndPlaySoundA(reinterpret_cast<LPCSTR>(block.get()), SND_ASYNC | SND_NODEFAULT | SND_MEMORY),
                  c.played);
        platform::KnowBuffer(block.get(), 0);
    }
    winmm::sndPlaySoundA(nullptr, 0);
}

TEST_F(SoundTest, CutOffDataPlaysWhatIsThere) {
    const auto frames = DistinctFrames(1000);
    auto image = DeviceFormatWav(frames);
    image.erase(image.end() - (400 * sizeof(Frame) + 2), image.end());  // also cuts one frame in half
    const std::string path = Put("cut.wav", image);
    ASSERT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_SYNC | SND_NODEFAULT), TRUE);
    const Heard heard = Listen();
    ASSERT_EQ(heard.Length(), 599u);
    EXPECT_TRUE(std::equal(frames.begin(), frames.begin() + 599,
                           heard.frames.begin() + static_cast<std::ptrdiff_t>(heard.first)));
}

TEST_F(SoundTest, WindowsPathsFindTheFileUnderDriveC) {
    const auto image = DeviceFormatWav(DistinctFrames(2000));
    Put("Windows/Media/The Microsoft Sound.wav", image);
    Put("効果音/ピン.wav", image);
    EXPECT_EQ(winmm::sndPlaySoundA("C:\\Windows\\Media\\The Microsoft Sound.wav", SND_SYNC | SND_NODEFAULT), TRUE);
    EXPECT_EQ(winmm::sndPlaySoundA("c:/WINDOWS/media/the microsoft sound.WAV", SND_SYNC | SND_NODEFAULT), TRUE);
    const std::string japanese = kernel32::Cp932FromUtf8("C:\\効果音\\ピン.wav");
    EXPECT_EQ(winmm::sndPlaySoundA(japanese.c_str(), SND_SYNC | SND_NODEFAULT), TRUE);
    EXPECT_EQ(winmm::sndPlaySoundA("D:\\Windows\\Media\\The Microsoft Sound.wav", SND_SYNC | SND_NODEFAULT), FALSE);
}

// The chime the suite ships under drive_c plays (found without SUITE_DRIVE_C, through the build's
// own drive C folder).
TEST_F(SoundTest, ShippedChimePlays) {
    unsetenv("SUITE_DRIVE_C");
    ASSERT_EQ(winmm::sndPlaySoundA("C:\\Windows\\Media\\The Microsoft Sound.wav", SND_ASYNC | SND_NODEFAULT), TRUE);
    EXPECT_TRUE(winmm::IsSoundPlayingForTesting());
    std::this_thread::sleep_for(100ms);
    winmm::sndPlaySoundA(nullptr, 0);
    EXPECT_FALSE(Listen().Silent());
}

TEST_F(SoundTest, NoDeviceReturnsFalseAtOnce) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    winmm::ResetSoundForTesting();
    const std::string path = Put("any.wav", DeviceFormatWav(DistinctFrames(100)));
    for (int i = 0; i < 3; ++i) {
        const auto start = Clock::now();
        EXPECT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_SYNC), FALSE);
        EXPECT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_ASYNC | SND_NODEFAULT), FALSE);
        EXPECT_LT(Clock::now() - start, 100ms);
    }
    EXPECT_FALSE(winmm::SoundDeviceFormatForTesting().has_value());
}

// SDL's dummy driver is a device that plays nothing audible; calls succeed there.
TEST_F(SoundTest, DummyDriverIsADevice) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    winmm::ResetSoundForTesting();
    const std::string path = Put("any.wav", DeviceFormatWav(DistinctFrames(1000)));
    EXPECT_EQ(winmm::sndPlaySoundA(path.c_str(), SND_SYNC | SND_NODEFAULT), TRUE);
}

}  // namespace
