// wavefile with a sound file that lies about its size, is cut short, or is no file at all: every
// press answers at once, silently when nothing can be played, and the program goes on.
#include <frame/form.h>
#include <frame/testing.h>

#include <QTest>

#include <gtest/gtest.h>

#include <optional>

#include "bad_files.h"
#include "disk_audio.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kSoundPath = "Windows/Media/The Microsoft Sound.wav";

class WavefileBadFile : public ::testing::Test {
protected:
    void SetUp() override {
        audio_.emplace();
        frame::testing::SetMessageBoxHook(
            [this](const std::string&, const std::string& text) { messages_.push_back(text); });
        frame::testing::StartProgram();
    }
    void TearDown() override {
        frame::testing::StopProgram();
        audio_.reset();
    }
    static void Play() { QTest::mouseClick(frame::testing::Widget("Command1"), Qt::LeftButton); }

    std::optional<testsupport::DiskAudio> audio_;
    std::vector<std::string> messages_;
};

TEST_F(WavefileBadFile, ASoundFileThatIsNoFileIsSilentAtOnce) {
    for (const char* kind : testsupport::kNoFileKinds) {
        SCOPED_TRACE(kind);
        const int socket = testsupport::MakeNoFile(kind, audio_->DriveC() / kSoundPath);
        {
            testsupport::Watchdog watchdog(std::string("a press with a ") + kind);
            Play();
            Play();
        }
        if (socket >= 0) ::close(socket);
        EXPECT_FALSE(winmm::IsSoundPlayingForTesting());
    }
    EXPECT_TRUE(audio_->Listen().Silent());
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(frame::testing::EndedWith(), std::nullopt);
}

TEST_F(WavefileBadFile, FilesThatLieAboutTheirSizePlayWhatIsThereOrNothing) {
    const auto frames = testsupport::DistinctFrames(1000);
    Bytes claim = testsupport::DeviceFormatWav(frames);  // 1 KiB whose sizes claim 1 MiB
    claim.resize(1024);
    for (int i = 0; i < 4; ++i)
        claim[4 + static_cast<std::size_t>(i)] = claim[40 + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>((1u << 20) >> (8 * i));
    audio_->Put(kSoundPath, claim);
    Play();
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    EXPECT_TRUE(audio_->Listen().Contains({frames.begin(), frames.begin() + (1024 - 44) / 4}));

    audio_->Put(kSoundPath, {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF});
    Play();
    Play();
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    EXPECT_TRUE(audio_->Listen().Silent());
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(frame::testing::EndedWith(), std::nullopt);
}

}  // namespace
