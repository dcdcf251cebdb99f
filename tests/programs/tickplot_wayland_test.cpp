// tickplot natively on a Wayland compositor (sway, headless) over a magenta desktop: the grid it
// draws in black shows black, started from the keyboard.
#include <frame/form.h>
#include <frame/testing.h>

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include "compositor_session.h"
#include "image_search.h"

namespace {

using testsupport::SwaySession;

TEST(TickplotOnWayland, TheGridShowsBlackWhereItDrewBlack) {
    const std::string why = SwaySession::Unavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    // The grid as drawn, in-process (offscreen); the timer's points come later and elsewhere.
    frame::testing::StartProgram();
    QTest::mouseClick(frame::testing::Widget("Command1"), Qt::LeftButton);
    const QImage drawn = frame::testing::PictureImage("Picture1");
    frame::testing::StopProgram();

    SwaySession session(SwaySession::Options{.mode = "1280x1024", .background = "#ff00ff"});
    ASSERT_TRUE(session.ok()) << session.Diagnostics();
    const pid_t program = session.StartNative(PROGRAM_EXECUTABLE, "タイマーオブジェクトの精度");
    ASSERT_GT(program, 0) << session.Diagnostics();
    ASSERT_TRUE(session.Type({"-s", "300", "-k", "space", "-s", "500"}));  // "開始" has the focus
    const std::string shot = session.dir() + "/screen.png";
    ASSERT_TRUE(session.Screenshot(shot));
    testsupport::StopProcess(program);

    const QImage screen(QString::fromStdString(shot));
    ASSERT_FALSE(screen.isNull());
    const testsupport::Found found = testsupport::BestMatch(screen, drawn);
    EXPECT_GT(found.matching, drawn.width() * drawn.height() * 99 / 100)
        << "at best at " << found.at.x() << "," << found.at.y();
    const testsupport::BlackCount black = testsupport::BlackShown(screen, drawn, found.at);
    EXPECT_GT(black.drawn, 5000);
    EXPECT_EQ(black.shown, black.drawn);
}

}  // namespace
