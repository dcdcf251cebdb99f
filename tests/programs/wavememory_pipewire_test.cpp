// wavememory through a real sound server: a PipeWire session of the test's own, whose default sink's
// monitor is recorded while the program loads the shipped chime into memory and plays it.
#include <frame/form.h>
#include <frame/testing.h>

#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

#include "sound_session.h"
#include "winmm/sound.h"

namespace {

using namespace std::chrono_literals;

TEST(WavememoryOnPipewire, TheChimeReachesTheServer) {
    const std::string why = testsupport::PipewireSession::Unavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    testsupport::PipewireSession session;
    ASSERT_TRUE(session.ok()) << session.Diagnostics();
    setenv("SDL_AUDIODRIVER", "pipewire", 1);
    unsetenv("SUITE_DRIVE_C");  // the chime the suite ships
    const testsupport::WavSound chime =
        testsupport::ReadWav16(PROJECT_DRIVE_C "/Windows/Media/The Microsoft Sound.wav");
    ASSERT_GT(chime.rate, 0);
    const testsupport::Loudness played = testsupport::Measure(chime.samples);

    ASSERT_TRUE(session.StartRecording());
    frame::testing::StartProgram();
    QTest::mouseClick(frame::testing::Widget("Command1"), Qt::LeftButton);  // load
    QTest::mouseClick(frame::testing::Widget("Command2"), Qt::LeftButton);  // play
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(10s));
    frame::testing::StopProgram();
    const auto recorded = session.StopRecording();

    const testsupport::Loudness heard = testsupport::Measure(recorded);
    EXPECT_GT(heard.peak, played.peak / 3) << session.Diagnostics();
    // As long from its first loud moment to its last as the chime itself, within a tenth.
    const double playedSeconds = static_cast<double>(played.last - played.first) / chime.rate;
    const double heardSeconds =
        static_cast<double>(heard.last - heard.first) / testsupport::PipewireSession::kRecordRate;
    EXPECT_NEAR(heardSeconds, playedSeconds, playedSeconds / 10);
}

}  // namespace
