// The display layer on GNOME: mutter nested on Xvfb with dummy monitors, its display configuration
// on a session bus of the test's own. Each test runs in its own process with its own compositor
// (the layer picks its backend once per process).
#include <gtest/gtest.h>

#include <memory>

#include "compositor_session.h"
#include "display_test_util.h"
#include "user32/display.h"

namespace {

using displaytest::ModeKey;
using testsupport::MutterSession;

class MutterDisplay : public testing::Test {
protected:
    void Start(MutterSession::Options options = {}) {
        const std::string why = MutterSession::Unavailable();
        if (!why.empty()) GTEST_SKIP() << why;
        session_ = std::make_unique<MutterSession>(options);
        ASSERT_TRUE(session_->ok()) << session_->Diagnostics();
    }
    static LONG Change(int width, int height, DWORD flags) {
        const auto record = displaytest::ListedRecord(width, height);
        if (!record) return 1000;
        DEVMODEA copy = *record;
        return user32::ChangeDisplaySettingsA(&copy, flags);
    }
    static ModeKey Caps() {
        const gdi32::DisplayCaps caps = user32::ScreenDisplayCaps();
        EXPECT_EQ(caps.bitsPerPixel, 32);
        return {caps.width, caps.height, caps.refreshRate};
    }

    std::unique_ptr<MutterSession> session_;
};

TEST_F(MutterDisplay, ListsThePrimaryMonitorsModesAndFindsTheCurrentOne) {
    Start();
    EXPECT_EQ(displaytest::ListedModes(), (std::vector<ModeKey>{{800, 600, 75}, {1024, 768, 60}, {1280, 1024, 60}}));
    EXPECT_EQ(displaytest::CheckDriverFill(
                  [](DEVMODEA& r) { EXPECT_TRUE(user32::EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &r)); },
                  {"LVDS1", 32, 1280, 1024, 60}),
              "");
    EXPECT_EQ(Caps(), (ModeKey{1280, 1024, 60}));
}

TEST_F(MutterDisplay, TestOnlyVerifiesAndAChangeSwitchesTheMonitorUntilChangedBack) {
    Start();
    EXPECT_EQ(Change(800, 600, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(session_->CurrentMode(), "1280x1024") << "a test changes nothing";
    EXPECT_EQ(Change(800, 600, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(session_->CurrentMode(), "800x600");
    EXPECT_EQ(Caps(), (ModeKey{800, 600, 75}));
    EXPECT_EQ(Change(1024, 768, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(session_->CurrentMode(), "1024x768");
    EXPECT_EQ(user32::ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL) << "back to the mode at start";
    EXPECT_EQ(session_->CurrentMode(), "1280x1024");
    EXPECT_EQ(Caps(), (ModeKey{1280, 1024, 60}));
}

TEST_F(MutterDisplay, AModeTheCompositorRefusesChangesNothing) {
    // A second monitor stands right of the first: a narrower first one would leave a gap.
    Start({.modeSpecs = MutterSession::Options{}.modeSpecs, .monitors = 2, .scales = ""});
    EXPECT_EQ(displaytest::ListedModes().size(), 3u);
    EXPECT_EQ(Change(800, 600, CDS_TEST), DISP_CHANGE_FAILED);
    EXPECT_EQ(Change(800, 600, 0), DISP_CHANGE_FAILED);
    EXPECT_EQ(session_->CurrentMode(), "1280x1024");
    EXPECT_EQ(session_->CurrentMode("LVDS2"), "1280x1024");
    EXPECT_EQ(Caps(), (ModeKey{1280, 1024, 60}));
}

TEST_F(MutterDisplay, AScaledMonitorSpeaksItsModesOwnPixels) {
    Start({.modeSpecs = "2560x1600:1280x1024", .monitors = 1, .scales = "2"});
    ASSERT_NE(session_->CurrentState().find("(0, 0, 2.0,"), std::string::npos) << session_->CurrentState();
    EXPECT_EQ(Caps(), (ModeKey{2560, 1600, 60}));
    EXPECT_EQ(displaytest::KeyOf(*displaytest::ListedRecord(2560, 1600)), (ModeKey{2560, 1600, 60}));
    // 1280 x 1024 allows no scale of 2; it takes its own.
    EXPECT_EQ(Change(1280, 1024, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(session_->CurrentMode(), "1280x1024");
    EXPECT_EQ(Caps(), (ModeKey{1280, 1024, 60}));
}

TEST_F(MutterDisplay, XwaylandAloneListsItsScreenAndChangesNothing) {
    // An X client of the session that sees neither the compositor nor the session bus: Xwayland's
    // RandR speaks for its clients only, so its screen is the one mode and no change is made.
    Start({.modeSpecs = MutterSession::Options{}.modeSpecs, .monitors = 1, .scales = "", .xwayland = true});
    setenv("DISPLAY", session_->XwaylandDisplay().c_str(), 1);
    setenv("XAUTHORITY", session_->XwaylandAuthority().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    const auto listed = displaytest::ListedModes();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].width, 1280);
    EXPECT_EQ(listed[0].height, 1024);
    DEVMODEA other{};
    other.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    other.dmPelsWidth = 800;
    other.dmPelsHeight = 600;
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&other, CDS_TEST), DISP_CHANGE_FAILED);
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&other, 0), DISP_CHANGE_FAILED);
    EXPECT_EQ(session_->CurrentMode(), "1280x1024");
    EXPECT_EQ(Caps().width, 1280);
    unsetenv("XAUTHORITY");
}

}  // namespace
