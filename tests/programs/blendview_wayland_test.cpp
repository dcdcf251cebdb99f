// blendview natively on a Wayland compositor (sway, headless) over a magenta desktop: what the
// screen shows of Picture1 is its bitmap, pixel for pixel.
#include <frame/form.h>
#include <frame/testing.h>

#include <QImage>

#include <gtest/gtest.h>

#include "compositor_session.h"
#include "image_search.h"

namespace {

using testsupport::SwaySession;

TEST(BlendviewOnWayland, Picture1OnScreenIsItsBitmap) {
    const std::string why = SwaySession::Unavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    frame::testing::StartProgram();  // in-process (offscreen) for the bitmap itself
    const QImage bitmap = frame::testing::PictureImage("Picture1");
    frame::testing::StopProgram();
    ASSERT_EQ(bitmap.size(), QSize(200, 200));

    SwaySession session(SwaySession::Options{.mode = "1280x1024", .background = "#ff00ff"});
    ASSERT_TRUE(session.ok()) << session.Diagnostics();
    const pid_t program = session.StartNative(PROGRAM_EXECUTABLE, "半透明表示サンプル");
    ASSERT_GT(program, 0) << session.Diagnostics();
    const std::string shot = session.dir() + "/screen.png";
    ASSERT_TRUE(session.Screenshot(shot));
    testsupport::StopProcess(program);

    const QImage screen(QString::fromStdString(shot));
    ASSERT_FALSE(screen.isNull());
    const testsupport::Found found = testsupport::BestMatch(screen, bitmap);
    EXPECT_EQ(found.matching, 200 * 200) << "at best at " << found.at.x() << "," << found.at.y();
    // The form around it hides the desktop too.
    int desktop = 0;
    for (int i = 0; i < 200; ++i) desktop += (screen.pixel(found.at + QPoint(i, -4)) & 0xFFFFFFu) == 0xFF00FFu;
    EXPECT_EQ(desktop, 0);
}

}  // namespace
