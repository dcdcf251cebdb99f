// grabmove and bareframe as the user meets them: started as programs on Xvfb with openbox and
// driven with the pointer and the keyboard through xdotool.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "x_queries.h"
#include "x_session.h"

namespace {

using user32test::Geometry;
using user32test::WindowGeometry;

// A program of the suite in its own process, stopped by its id when the test is over.
class Program {
public:
    explicit Program(const std::string& path) : pid_(testsupport::StartProcess({path})) {}
    ~Program() {
        if (pid_ > 0 && !ended_) testsupport::StopProcess(pid_);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pid_t pid() const { return pid_; }
    // The exit status, or -1 when it is still running after `timeoutMs`.
    int WaitForEnd(int timeoutMs) {
        const int status = testsupport::WaitProcess(pid_, timeoutMs);
        ended_ = status != -1;
        return status;
    }

private:
    pid_t pid_;
    bool ended_ = false;
};

class ProgramsOnX : public testing::Test {
protected:
    void StartSession(bool windowManager) {
        session_ = std::make_unique<testsupport::XSession>(testsupport::XSession::Options{.windowManager = windowManager});
        ASSERT_TRUE(session_->ok());
        if (windowManager) {
            ASSERT_TRUE(user32test::WaitForWindowManager(10000));
        }
    }

    // Starts the program and waits until its window shows, managed when there is a window manager.
    unsigned long Show(std::unique_ptr<Program>& program, const std::string& path, bool managed = true) {
        program = std::make_unique<Program>(path);
        const auto window = user32test::WindowOfProcess(program->pid(), 10000);
        EXPECT_TRUE(window);
        if (!window) return 0;
        if (managed) {
            EXPECT_TRUE(testsupport::WaitUntil([&] { return user32test::FrameExtents(*window).size() == 4; }, 5000));
        }
        testsupport::SleepMs(300);
        return *window;
    }

    std::unique_ptr<testsupport::XSession> session_;
};

struct DragCase {
    const char* where;
    int x, y;  // press point in the client area: on the label, or on the strip of form around it
    int button;
    bool moves;
};

void CheckDrags(unsigned long window, std::initializer_list<DragCase> cases) {
    for (const DragCase& c : cases) {
        const auto before = WindowGeometry(window);
        ASSERT_TRUE(before);
        const int dx = 60, dy = 40;
        user32test::Drag(before->x + c.x, before->y + c.y, before->x + c.x + dx, before->y + c.y + dy, c.button);
        Geometry expected = *before;
        if (c.moves) {
            expected.x += dx;
            expected.y += dy;
        }
        EXPECT_TRUE(testsupport::WaitUntil([&] { return WindowGeometry(window) == expected; }, 2000))
            << c.where << " button " << c.button << ": at " << WindowGeometry(window)->x << ","
            << WindowGeometry(window)->y << " from " << before->x << "," << before->y;
    }
}

TEST_F(ProgramsOnX, GrabmoveFollowsLeftDragsOnTheLabelAndTheFormOnly) {
    StartSession(true);
    std::unique_ptr<Program> grabmove;
    const unsigned long window = Show(grabmove, GRABMOVE_PROGRAM);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(WindowGeometry(window)->width, 312);   // 4680 twips
    EXPECT_EQ(WindowGeometry(window)->height, 112);  // 1680 twips
    // The label covers 8..304 x 8..96 of the 312 x 112 client area.
    CheckDrags(window, {
                           {"label", 100, 50, 1, true},
                           {"label", 100, 50, 3, false},
                           {"label", 100, 50, 2, false},
                           {"left strip", 3, 50, 1, true},
                           {"bottom strip", 150, 105, 1, true},
                           {"bottom strip", 150, 105, 3, false},
                       });
}

// Without a window manager to hand the move to, the window follows the pointer by itself.
TEST_F(ProgramsOnX, GrabmoveMovesAlsoWithoutAWindowManager) {
    StartSession(false);
    std::unique_ptr<Program> grabmove;
    const unsigned long window = Show(grabmove, GRABMOVE_PROGRAM, false);
    ASSERT_NE(window, 0u);
    CheckDrags(window, {{"label", 100, 50, 1, true}, {"label", 100, 50, 3, false}, {"bottom strip", 150, 105, 1, true}});
}

// Sizable Windows frame: 4 a side and a caption of 19 around the 310 x 112 designed client area.
constexpr int BareWidth = 310 + 8;
constexpr int BareHeight = 112 + 19 + 8;

TEST_F(ProgramsOnX, BareframeHasNoFrameButStaysAManagedWindowShowingItsButtonWhole) {
    StartSession(true);
    std::unique_ptr<Program> bareframe;
    const unsigned long window = Show(bareframe, BAREFRAME_PROGRAM);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(user32test::FrameExtents(window), (std::vector<long>{0, 0, 0, 0}));
    const auto clients = user32test::ClientList();
    EXPECT_NE(std::find(clients.begin(), clients.end(), window), clients.end());
    const auto geometry = WindowGeometry(window);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->width, BareWidth);
    EXPECT_EQ(geometry->height, BareHeight);

    // "閉じる" spans rows 104..136 (1560 + 495 twips): its bottom outline shows, the background below it.
    const std::string shot = (std::filesystem::temp_directory_path() / ("bareframe-" + std::to_string(bareframe->pid()) + ".png")).string();
    const QImage image(QString::fromStdString(user32test::CaptureWindow(window, shot)));
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
    const unsigned long bare = Show(bareframe, BAREFRAME_PROGRAM);
    const unsigned long other = Show(grabmove, GRABMOVE_PROGRAM);
    ASSERT_NE(bare, 0u);
    ASSERT_NE(other, 0u);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return user32test::ActiveWindow() == other; }, 3000));
    user32test::AltKey("Tab");
    EXPECT_TRUE(testsupport::WaitUntil([&] { return user32test::ActiveWindow() == bare; }, 3000));
    user32test::AltKey("F4");
    EXPECT_EQ(bareframe->WaitForEnd(5000), 0);
    EXPECT_EQ(grabmove->WaitForEnd(300), -1);
}

TEST_F(ProgramsOnX, BareframeEndsWithItsCloseButton) {
    StartSession(true);
    std::unique_ptr<Program> bareframe;
    const unsigned long window = Show(bareframe, BAREFRAME_PROGRAM);
    ASSERT_NE(window, 0u);
    const auto geometry = WindowGeometry(window);
    ASSERT_TRUE(geometry);
    user32test::Click(geometry->x + 244, geometry->y + 120);
    EXPECT_EQ(bareframe->WaitForEnd(5000), 0);
}

}  // namespace
