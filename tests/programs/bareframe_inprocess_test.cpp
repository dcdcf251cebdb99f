// bareframe's form in this process on Xvfb with openbox: the load takes caption and frame off before
// the window first shows, and each further RemoveCaptionBar flips them on and off again while the
// window keeps its outer place and size.
#include <frame/form.h>
#include <frame/testing.h>

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "Module1.h"
#include "program_fixture.h"
#include "user32/windows.h"
#include "x_queries.h"
#include "x_session.h"

namespace {

using testsupport::FrameExtents;
using testsupport::WindowGeometry;

// Polls while the application goes on handling its events.
template <typename Predicate>
bool WaitWithEvents(Predicate predicate, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (predicate()) return true;
        QTest::qWait(20);
    }
    return predicate();
}

bool Framed(unsigned long window) {
    const auto extents = FrameExtents(window);
    return extents.size() == 4 && extents[2] > 0;
}

std::string Describe(const std::optional<testsupport::Geometry>& g) {
    if (!g) return "no window";
    return std::to_string(g->width) + "x" + std::to_string(g->height) + "+" + std::to_string(g->x) + "+" +
           std::to_string(g->y);
}

bool Bare(unsigned long window) { return FrameExtents(window) == std::vector<long>{0, 0, 0, 0}; }

// One X server with openbox for the run; Qt talks to it through xcb. The application ends while its
// server and Qt's own statics still live.
class XServerForTheRun : public ::testing::Environment {
public:
    void SetUp() override {
        session_ = std::make_unique<testsupport::XSession>(testsupport::XSession::Options{.windowManager = true});
        ready_ = session_->ok() && testsupport::WaitForWindowManager(10000);
        if (ready_) setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    void TearDown() override {
        frame::testing::Shutdown();
        session_.reset();
    }
    bool ready() const { return ready_; }

private:
    std::unique_ptr<testsupport::XSession> session_;
    bool ready_ = false;
};

const auto* const xServer = static_cast<XServerForTheRun*>(::testing::AddGlobalTestEnvironment(new XServerForTheRun));

// Without the server the test fails: it is never skipped.
class BareframeInProcess : public testsupport::ProgramTest {
protected:
    BareframeInProcess() : ProgramTest({.messages = Messages::NoneExpected}) {}
    void SetUp() override {
        ASSERT_TRUE(xServer->ready()) << "no X server with a window manager";
        ProgramTest::SetUp();
    }
};

TEST_F(BareframeInProcess, LoadStripsTheFrameAndEachCallFlipsIt) {
    QWidget* form = frame::testing::Widget("Form1");
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    const frame::Form Form1;
    const LONG_PTR loaded = user32::GetWindowLongA(Form1.hWnd(), GWL_STYLE);
    EXPECT_EQ(loaded & (WS_CAPTION | WS_THICKFRAME), 0);
    EXPECT_EQ(loaded & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);

    // 310 x 112 client with a sizable Windows frame (4 a side, caption 19) around it.
    ASSERT_TRUE(WaitWithEvents([&] { return Bare(form->winId()); }, 5000));
    const auto bare = WindowGeometry(form->winId());
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->width, 318);
    EXPECT_EQ(bare->height, 139);
    EXPECT_LE(frame::testing::Widget("Command1")->geometry().bottom(), form->height() - 1);

    RemoveCaptionBar(Form1);
    EXPECT_EQ(user32::GetWindowLongA(Form1.hWnd(), GWL_STYLE), loaded ^ (WS_CAPTION | WS_THICKFRAME));
    ASSERT_TRUE(WaitWithEvents([&] { return Framed(form->winId()); }, 5000));
    // The client shrinks back to what it was designed as; openbox's frame is no thicker than Windows'.
    EXPECT_EQ(form->size(), QSize(310, 112));
    const auto extents = FrameExtents(form->winId());
    ASSERT_TRUE(WaitWithEvents(
        [&] {
            const auto framed = WindowGeometry(form->winId());
            return framed && framed->x - extents[0] == bare->x && framed->y - extents[2] == bare->y;
        },
        3000))
        << "the frame's corner stays where the bare window's was";

    RemoveCaptionBar(Form1);
    EXPECT_EQ(user32::GetWindowLongA(Form1.hWnd(), GWL_STYLE), loaded);
    ASSERT_TRUE(WaitWithEvents([&] { return Bare(form->winId()); }, 5000));
    ASSERT_TRUE(WaitWithEvents([&] { return WindowGeometry(form->winId()) == bare; }, 3000))
        << Describe(WindowGeometry(form->winId())) << " against " << Describe(bare);
    EXPECT_TRUE(form->isVisible());
}

}  // namespace
