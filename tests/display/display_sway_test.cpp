// The display layer on a wlroots compositor: sway on its headless backend, whose one output offers
// no modes of its own. Each test runs in its own process with its own compositor.
#include <gtest/gtest.h>

#include <memory>

#include "compositor_session.h"
#include "display_test_util.h"
#include "user32/display.h"

namespace {

using displaytest::ModeKey;
using testsupport::SwaySession;

class SwayDisplay : public testing::Test {
protected:
    void SetUp() override {
        const std::string why = SwaySession::Unavailable();
        if (!why.empty()) GTEST_SKIP() << why;
        session_ = std::make_unique<SwaySession>(SwaySession::Options{});
        ASSERT_TRUE(session_->ok()) << session_->Diagnostics();
    }
    std::unique_ptr<SwaySession> session_;
};

TEST_F(SwayDisplay, ListsTheCurrentModeAndFollowsAModeSetFromOutside) {
    const std::vector<ModeKey> listed = displaytest::ListedModes();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].width, 1280);
    EXPECT_EQ(listed[0].height, 1024);
    DEVMODEA current{};
    ASSERT_TRUE(user32::EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
    EXPECT_EQ(displaytest::KeyOf(current), listed[0]);
    EXPECT_STREQ(reinterpret_cast<const char*>(current.dmDeviceName), "HEADLESS-1");
    gdi32::DisplayCaps caps = user32::ScreenDisplayCaps();
    EXPECT_EQ(caps.bitsPerPixel, 32);
    EXPECT_EQ(caps.width, 1280);
    EXPECT_EQ(caps.height, 1024);
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&current, CDS_TEST), DISP_CHANGE_SUCCESSFUL) << "the mode in use";

    ASSERT_TRUE(session_->SetMode("1024x768"));
    caps = user32::ScreenDisplayCaps();
    EXPECT_EQ(caps.width, 1024);
    EXPECT_EQ(caps.height, 768);
    ASSERT_EQ(displaytest::ListedModes().size(), 1u);
    EXPECT_EQ(displaytest::ListedModes()[0].width, 1024);
    // The output offers no other mode to set.
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&current, 0), DISP_CHANGE_BADMODE);
    EXPECT_EQ(session_->CurrentMode(), "1024x768");
}

}  // namespace
