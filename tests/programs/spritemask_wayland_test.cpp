// spritemask natively on a Wayland compositor (sway, headless) over a magenta desktop: its
// drawing surface shows what it drew, black included, after the buttons are pressed from the
// keyboard.
#include <frame/form.h>
#include <frame/testing.h>

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

#include "compositor_session.h"
#include "image_search.h"

namespace {

using testsupport::SwaySession;

TEST(SpritemaskOnWayland, TheAndCompositionShowsBlackWhereItDrewBlack) {
    const std::string why = SwaySession::Unavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    // The same presses in-process (offscreen) give the surface as drawn.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(PROGRAM_SOURCE_DIR);  // the bitmaps are read from the working directory
    frame::testing::StartProgram();
    QTest::mouseClick(frame::testing::Widget("Command1"), Qt::LeftButton);
    QTest::mouseClick(frame::testing::Widget("Command2"), Qt::LeftButton);
    const QImage drawn = frame::testing::PictureImage("Picture4");
    frame::testing::StopProgram();
    std::filesystem::current_path(previous);

    SwaySession session(SwaySession::Options{.mode = "1280x1024", .background = "#ff00ff"});
    ASSERT_TRUE(session.ok()) << session.Diagnostics();
    const pid_t program = session.StartNative(PROGRAM_EXECUTABLE, "グラフィック作画サンプル");
    ASSERT_GT(program, 0) << session.Diagnostics();
    // Focus starts on the first button of the form (Command5); four tabs on is "背景作画" (Command1),
    // one back from there "マスクとＡＮＤ合成" (Command2).
    ASSERT_TRUE(session.Type({"-s", "300",   "-d", "50",    "-k", "Tab", "-k", "Tab",   "-k", "Tab",   "-k", "Tab",
                              "-k", "space", "-M", "shift", "-k", "Tab", "-m", "shift", "-k", "space", "-s", "300"}));
    const std::string shot = session.dir() + "/screen.png";
    ASSERT_TRUE(session.Screenshot(shot));
    testsupport::StopProcess(program);

    const QImage screen(QString::fromStdString(shot));
    ASSERT_FALSE(screen.isNull());
    const testsupport::Found found = testsupport::BestMatch(screen, drawn);
    EXPECT_EQ(found.matching, drawn.width() * drawn.height()) << "at best at " << found.at.x() << "," << found.at.y();
    const testsupport::BlackCount black = testsupport::BlackShown(screen, drawn, found.at);
    EXPECT_GT(black.drawn, 100);
    EXPECT_EQ(black.shown, black.drawn);
}

}  // namespace
