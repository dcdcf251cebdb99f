// wavememory with a sound file that lies about its size, is cut short, or is no file at all.
#include <frame/form.h>
#include <frame/testing.h>

#include <QTest>

#include <gtest/gtest.h>

#include <optional>

#include "Module1.h"
#include "bad_files.h"
#include "disk_audio.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kSoundPath = "Windows/Media/The Microsoft Sound.wav";

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

class WavememoryBadFile : public ::testing::Test {
protected:
    void SetUp() override {
        audio_.emplace();
        WaveData.clear();
        frame::testing::SetMessageBoxHook(
            [this](const std::string&, const std::string& text) { messages_.push_back(text); });
        frame::testing::StartProgram();
    }
    void TearDown() override {
        frame::testing::StopProgram();
        audio_.reset();
    }
    static void Load() { QTest::mouseClick(frame::testing::Widget("Command1"), Qt::LeftButton); }
    static void Play() { QTest::mouseClick(frame::testing::Widget("Command2"), Qt::LeftButton); }

    std::optional<testsupport::DiskAudio> audio_;
    std::vector<std::string> messages_;
};

TEST_F(WavememoryBadFile, ImagesThatLieAboutTheirSizeLoadAndPlayTwiceAndTheProgramGoesOn) {
    Bytes lie = testsupport::PcmWav(2, 44100, 16, {});  // 44 bytes whose RIFF size says 64 MiB
    Put32(lie, 4, 64u << 20);
    Bytes claim = testsupport::DeviceFormatWav(testsupport::DistinctFrames(1000));  // 1 KiB claiming 1 MiB
    claim.resize(1024);
    Put32(claim, 4, 1u << 20);
    Put32(claim, 40, 1u << 20);
    const Bytes seven{'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF};
    const std::pair<const char*, const Bytes*> cases[] = {
        {"44-byte lie", &lie}, {"1 MiB on 1 KiB", &claim}, {"7 bytes", &seven}};
    for (const auto& [name, image] : cases) {
        SCOPED_TRACE(name);
        audio_->Put(kSoundPath, *image);
        Load();
        EXPECT_EQ(WaveData, *image);
        Play();
        Play();
        ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
        EXPECT_TRUE(messages_.empty());
        EXPECT_EQ(frame::testing::EndedWith(), std::nullopt);
    }
    // Still working: a real sound loads and plays.
    const auto sound = testsupport::DistinctFrames(testsupport::kDeviceRate / 10);
    audio_->Listen();
    audio_->Put(kSoundPath, testsupport::DeviceFormatWav(sound));
    Load();
    Play();
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    EXPECT_TRUE(audio_->Listen().Contains(sound));
}

TEST_F(WavememoryBadFile, TheLieIsPlayedOnlyAsFarAsTheBufferGoes) {
    const auto frames = testsupport::DistinctFrames(1000);
    Bytes claim = testsupport::DeviceFormatWav(frames);
    claim.resize(1024);
    Put32(claim, 4, 1u << 20);
    Put32(claim, 40, 1u << 20);
    audio_->Put(kSoundPath, claim);
    Load();
    Play();
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    EXPECT_TRUE(audio_->Listen().Contains({frames.begin(), frames.begin() + (1024 - 44) / 4}));
}

// The load has no handler of its own: what is no file stops the program with the run time's file
// error, at once. Each kind runs in a fresh program.
TEST_F(WavememoryBadFile, ASoundFileThatIsNoFileStopsTheLoadAtOnceWithTheFileError) {
    for (const char* kind : testsupport::kNoFileKinds) {
        SCOPED_TRACE(kind);
        frame::testing::StopProgram();
        messages_.clear();
        frame::testing::StartProgram();
        const int socket = testsupport::MakeNoFile(kind, audio_->DriveC() / kSoundPath);
        {
            testsupport::Watchdog watchdog(std::string("the load from a ") + kind);
            Load();
        }
        if (socket >= 0) ::close(socket);
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_EQ(messages_[0].rfind("実行時エラー '75':", 0), 0u) << messages_[0];
        EXPECT_EQ(frame::testing::EndedWith(), 1);
        EXPECT_TRUE(WaveData.empty());
    }
}

}  // namespace
