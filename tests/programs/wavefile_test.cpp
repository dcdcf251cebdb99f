#include <frame/form.h>
#include <frame/testing.h>

#include <QTest>

#include <gtest/gtest.h>

#include <optional>

#include "disk_audio.h"
#include "program_fixture.h"

namespace {

using namespace std::chrono_literals;
using testsupport::DeviceFormatWav;
using testsupport::DistinctFrames;

constexpr const char* kSoundPath = "Windows/Media/The Microsoft Sound.wav";

class Wavefile : public testsupport::ProgramTest {
protected:
    void SetUp() override {
        audio_.emplace();
        ProgramTest::SetUp();
    }
    void TearDown() override {
        ProgramTest::TearDown();
        audio_.reset();
    }
    static void Play() { QTest::mouseClick(frame::testing::Widget("Command1"), Qt::LeftButton); }

    std::optional<testsupport::DiskAudio> audio_;
};

TEST_F(Wavefile, PlaysTheFileInTheBackground) {
    const auto sound = DistinctFrames(testsupport::kDeviceRate / 2);
    audio_->Put(kSoundPath, DeviceFormatWav(sound));
    Play();
    EXPECT_TRUE(winmm::IsSoundPlayingForTesting());  // the press returned while the sound plays on
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    EXPECT_TRUE(audio_->Listen().Contains(sound));
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Wavefile, APressWhileItPlaysStartsItAgain) {
    const auto sound = DistinctFrames(testsupport::kDeviceRate);
    audio_->Put(kSoundPath, DeviceFormatWav(sound));
    Play();
    const auto first = winmm::LastSoundStartForTesting();
    QTest::qWait(200);
    Play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return winmm::LastSoundStartForTesting().has_value(); }, 2000));
    EXPECT_NE(winmm::LastSoundStartForTesting(), first);
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    // Part of the first play, then the whole sound from its beginning.
    const auto heard = audio_->Listen();
    ASSERT_GT(heard.Length(), sound.size());
    EXPECT_TRUE(std::equal(sound.begin(), sound.end(),
                           heard.frames.begin() + static_cast<std::ptrdiff_t>(heard.last - sound.size())));
    EXPECT_TRUE(std::equal(sound.begin(), sound.begin() + 100,
                           heard.frames.begin() + static_cast<std::ptrdiff_t>(heard.first)));
}

TEST_F(Wavefile, WithoutTheFileAPressGivesNeitherSoundNorMessage) {
    Play();
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    EXPECT_TRUE(audio_->Listen().Silent());
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(frame::testing::EndedWith(), std::nullopt);
}

TEST_F(Wavefile, TheShippedChimeIsFoundAndPlays) {
    unsetenv("SUITE_DRIVE_C");
    Play();
    EXPECT_TRUE(winmm::IsSoundPlayingForTesting());
}

}  // namespace
