// bareframe as the user meets it: started as a program on Xvfb with openbox and driven with the
// pointer and the keyboard through xdotool; grabmove is the other window to switch from.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "x_program.h"

namespace {

using testsupport::Program;
using testsupport::ProgramsOnX;
using testsupport::WindowGeometry;

// Sizable Windows frame: 4 a side and a caption of 19 around the 310 x 112 designed client area.
constexpr int BareWidth = 310 + 8;
constexpr int BareHeight = 112 + 19 + 8;

TEST_F(ProgramsOnX, BareframeHasNoFrameButStaysAManagedWindowShowingItsButtonWhole) {
    StartSession(true);
    std::unique_ptr<Program> bareframe;
    const unsigned long window = Show(bareframe, PROGRAM_EXECUTABLE);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(testsupport::FrameExtents(window), (std::vector<long>{0, 0, 0, 0}));
    const auto clients = testsupport::ClientList();
    EXPECT_NE(std::find(clients.begin(), clients.end(), window), clients.end());
    const auto geometry = WindowGeometry(window);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->width, BareWidth);
    EXPECT_EQ(geometry->height, BareHeight);

    // "閉じる" spans rows 104..136 (1560 + 495 twips): its bottom outline shows, the background below it.
    const std::string shot =
        (std::filesystem::temp_directory_path() / ("bareframe-" + std::to_string(bareframe->pid()) + ".png")).string();
    const QImage image(QString::fromStdString(testsupport::CaptureWindow(window, shot)));
    std::filesystem::remove(shot);
    ASSERT_EQ(image.size(), QSize(BareWidth, BareHeight));
    const QRgb background = qRgb(255, 128, 128);  // &H008080FF&
    for (int y = 104; y <= 136; ++y) EXPECT_NE(image.pixel(244, y) & 0xFFFFFF, background & 0xFFFFFF) << "row " << y;
    EXPECT_EQ(image.pixel(244, 137) & 0xFFFFFF, background & 0xFFFFFF);
    EXPECT_EQ(image.pixel(244, 138) & 0xFFFFFF, background & 0xFFFFFF);
}

TEST_F(ProgramsOnX, BareframeTakesPartInAltTabAndClosesWithAltF4) {
    StartSession(true);
    std::unique_ptr<Program> bareframe, grabmove;
    const unsigned long bare = Show(bareframe, PROGRAM_EXECUTABLE);
    const unsigned long other = Show(grabmove, GRABMOVE_PROGRAM);
    ASSERT_NE(bare, 0u);
    ASSERT_NE(other, 0u);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return testsupport::ActiveWindow() == other; }, 3000));
    testsupport::AltKey("Tab");
    EXPECT_TRUE(testsupport::WaitUntil([&] { return testsupport::ActiveWindow() == bare; }, 3000));
    testsupport::AltKey("F4");
    EXPECT_EQ(bareframe->WaitForEnd(5000), 0);
    EXPECT_EQ(grabmove->WaitForEnd(300), -1);
}

TEST_F(ProgramsOnX, BareframeEndsWithItsCloseButton) {
    StartSession(true);
    std::unique_ptr<Program> bareframe;
    const unsigned long window = Show(bareframe, PROGRAM_EXECUTABLE);
    ASSERT_NE(window, 0u);
    const auto geometry = WindowGeometry(window);
    ASSERT_TRUE(geometry);
    testsupport::Click(geometry->x + 244, geometry->y + 120);
    EXPECT_EQ(bareframe->WaitForEnd(5000), 0);
}

}  // namespace
