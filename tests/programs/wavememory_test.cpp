#include <frame/form.h>
#include <frame/testing.h>

#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "Module1.h"
#include "disk_audio.h"
#include "program_fixture.h"

namespace {

using namespace std::chrono_literals;
using testsupport::DeviceFormatWav;
using testsupport::DistinctFrames;

constexpr const char* kSoundPath = "Windows/Media/The Microsoft Sound.wav";

class Wavememory : public testsupport::ProgramTest {
protected:
    void SetUp() override {
        audio_.emplace();
        WaveData.clear();
        ProgramTest::SetUp();
    }
    void TearDown() override {
        ProgramTest::TearDown();
        audio_.reset();
    }
    static void Load() { QTest::mouseClick(frame::testing::Widget("Command1"), Qt::LeftButton); }
    static void Play() { QTest::mouseClick(frame::testing::Widget("Command2"), Qt::LeftButton); }

    std::optional<testsupport::DiskAudio> audio_;
};

TEST_F(Wavememory, PlayBeforeLoadIsSilentAndSaysNothing) {
    audio_->Put(kSoundPath, DeviceFormatWav(DistinctFrames(1000)));
    Play();
    EXPECT_FALSE(winmm::IsSoundPlayingForTesting());
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(frame::testing::EndedWith(), std::nullopt);
}

TEST_F(Wavememory, LoadsTheWholeFileAndPlaysItFromMemoryEvenAfterTheFileIsGone) {
    const auto sound = DistinctFrames(testsupport::kDeviceRate / 4);
    const auto image = DeviceFormatWav(sound);
    const std::string path = audio_->Put(kSoundPath, image);
    Load();
    EXPECT_EQ(WaveData, image);  // element 0 is the RIFF header; nothing else is in the buffer
    std::filesystem::remove(audio_->DriveC() / kSoundPath);
    Play();
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    EXPECT_TRUE(audio_->Listen().Contains(sound));
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Wavememory, ALoadWhilePlayingReplacesTheBufferSafely) {
    const auto first = DistinctFrames(testsupport::kDeviceRate, 1);
    audio_->Put(kSoundPath, DeviceFormatWav(first));
    Load();
    Play();
    const auto second = DistinctFrames(testsupport::kDeviceRate / 10, 2);
    audio_->Put(kSoundPath, DeviceFormatWav(second));
    Load();  // the old buffer goes while its sound plays on (ASan watches it)
    EXPECT_EQ(WaveData.size(), DeviceFormatWav(second).size());
    Play();
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    const auto heard = audio_->Listen();
    // The first sound gave way to the second, heard whole at the end.
    ASSERT_GE(heard.Length(), second.size());
    EXPECT_TRUE(std::equal(second.begin(), second.end(),
                           heard.frames.begin() + static_cast<std::ptrdiff_t>(heard.last - second.size())));
}

TEST_F(Wavememory, AMissingFileLoadsAsEmptyAndThenPlaysNothing) {
    Load();
    EXPECT_TRUE(WaveData.empty());
    Play();
    EXPECT_FALSE(winmm::IsSoundPlayingForTesting());
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(frame::testing::EndedWith(), std::nullopt);
}

TEST_F(Wavememory, AnImageThatIsNoSoundPlaysTheDefaultSound) {
    audio_->Put(kSoundPath, std::vector<std::uint8_t>(400, 0x41));
    Load();
    Play();
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    EXPECT_FALSE(audio_->Listen().Silent());  // no SND_NODEFAULT: the layer's own beep
}

}  // namespace
