// The display layer on KDE: kwin on its virtual backend, one output of 1280 x 1024, read through
// the core protocol and KDE's output devices.
#include <gtest/gtest.h>

#include <algorithm>

#include "compositor_session.h"
#include "display_test_util.h"
#include "user32/display.h"

namespace {

using testsupport::KwinSession;

TEST(KwinDisplay, ListsTheOutputsModeAndFindsTheCurrentOne) {
    const std::string why = KwinSession::Unavailable();
    if (!why.empty()) GTEST_SKIP() << why;
    KwinSession session;
    ASSERT_TRUE(session.ok()) << session.Diagnostics();
    const auto listed = displaytest::ListedModes();
    ASSERT_FALSE(listed.empty()) << session.Diagnostics();
    DEVMODEA current{};
    ASSERT_TRUE(user32::EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
    EXPECT_EQ(current.dmPelsWidth, 1280u);
    EXPECT_EQ(current.dmPelsHeight, 1024u);
    EXPECT_EQ(current.dmBitsPerPel, 32u);
    EXPECT_NE(std::find(listed.begin(), listed.end(), displaytest::KeyOf(current)), listed.end())
        << "the current mode is listed";
    const gdi32::DisplayCaps caps = user32::ScreenDisplayCaps();
    EXPECT_EQ(caps.width, 1280);
    EXPECT_EQ(caps.height, 1024);
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&current, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&current, 0), DISP_CHANGE_SUCCESSFUL);
}

}  // namespace
