// The display layer on an X server with one mode and no timings: Xvfb at 1280 x 1024. Its depth
// comes from DISPLAY_TEST_DEPTH (24 when unset), so one run checks 24 -> 32 bits per pixel and
// another 16; DISPLAY_TEST_NO_RANDR=1 starts it without RandR.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "display_test_util.h"
#include "user32/display.h"
#include "x_session.h"

namespace {

int Depth() {
    const char* depth = std::getenv("DISPLAY_TEST_DEPTH");
    return depth != nullptr ? std::atoi(depth) : 24;
}
bool WithRandr() { return std::getenv("DISPLAY_TEST_NO_RANDR") == nullptr; }
int BitsPerPixel() { return Depth() == 24 ? 32 : Depth(); }

// Kept until exit: the layer keeps its connection to the server for the life of the process.
testsupport::XSession& Server() {
    static testsupport::XSession server({.width = 1280, .height = 1024, .depth = Depth(), .randr = WithRandr()});
    return server;
}

class XvfbDisplay : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Server().ok()); }
};

TEST_F(XvfbDisplay, ListsTheOneModeTheServerHas) {
    const auto xrandr = displaytest::QueryXrandr();
    std::string name = "\\\\.\\DISPLAY1";
    if (WithRandr()) {
        ASSERT_FALSE(xrandr.output.empty());
        ASSERT_EQ(xrandr.modes.size(), 1u);
        EXPECT_EQ(displaytest::ListedModes(), xrandr.modes);
        name = xrandr.output;
    } else {
        ASSERT_TRUE(xrandr.output.empty()) << "RandR is off";
        EXPECT_EQ(displaytest::ListedModes(), (std::vector<displaytest::ModeKey>{{1280, 1024, 0}}));
    }
    const auto bits = static_cast<std::uint32_t>(BitsPerPixel());
    for (DWORD number : {DWORD{0}, ENUM_CURRENT_SETTINGS}) {
        const std::string problems = displaytest::CheckDriverFill(
            [&](DEVMODEA& r) { EXPECT_TRUE(user32::EnumDisplaySettingsA(nullptr, number, &r)); },
            {name, bits, 1280, 1024, 0});
        EXPECT_EQ(problems, "") << number;
    }
    DEVMODEA record{};
    EXPECT_FALSE(user32::EnumDisplaySettingsA(nullptr, 1, &record));

    const gdi32::DisplayCaps caps = user32::ScreenDisplayCaps();
    EXPECT_EQ(caps.bitsPerPixel, BitsPerPixel());
    EXPECT_EQ(caps.width, 1280);
    EXPECT_EQ(caps.height, 1024);
    EXPECT_EQ(caps.refreshRate, 0) << "a mode without timings has no rate";
    user32::InstallDisplayCaps();
    EXPECT_EQ(gdi32::CurrentDisplayCaps().width, 1280);
}

TEST_F(XvfbDisplay, OnlyTheModeInUseCanBeSet) {
    DEVMODEA current{};
    ASSERT_TRUE(user32::EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&current, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&current, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(user32::ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);

    // With RandR the server's answer is the mode list; without, nothing can be changed at all.
    DEVMODEA other = current;
    other.dmPelsWidth = 800;
    other.dmPelsHeight = 600;
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&other, CDS_TEST), WithRandr() ? DISP_CHANGE_BADMODE : DISP_CHANGE_FAILED);
    DEVMODEA deeper = current;
    deeper.dmBitsPerPel = BitsPerPixel() == 32 ? 16 : 32;
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&deeper, 0), WithRandr() ? DISP_CHANGE_RESTART : DISP_CHANGE_FAILED);
    DEVMODEA zeros{};
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&zeros, 0), DISP_CHANGE_BADMODE);

    const auto xdpyinfo = displaytest::QueryXdpyinfo();
    EXPECT_EQ(xdpyinfo.width, 1280);
    EXPECT_EQ(xdpyinfo.height, 1024);
}

}  // namespace
