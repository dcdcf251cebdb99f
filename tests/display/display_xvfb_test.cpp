// The display layer on an X server with one mode and no timings: Xvfb. Its depth comes from
// DISPLAY_TEST_DEPTH (24 when unset), so one run checks 24 -> 32 bits per pixel and another 16.
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

class XvfbDisplay : public testing::Test {
protected:
    static void SetUpTestSuite() {
        testsupport::XSession::Options options;
        options.width = 1280;
        options.height = 1024;
        options.depth = Depth();
        server_ = std::make_unique<testsupport::XSession>(options);
    }
    static void TearDownTestSuite() { server_.reset(); }
    void SetUp() override { ASSERT_TRUE(server_->ok()); }

    static int BitsPerPixel() { return Depth() == 24 ? 32 : Depth(); }

    static std::unique_ptr<testsupport::XSession> server_;
};

std::unique_ptr<testsupport::XSession> XvfbDisplay::server_;

TEST_F(XvfbDisplay, ListsTheOneModeTheServerHas) {
    const auto xrandr = displaytest::QueryXrandr();
    ASSERT_FALSE(xrandr.output.empty());
    ASSERT_EQ(xrandr.modes.size(), 1u);
    EXPECT_EQ(displaytest::ListedModes(), xrandr.modes);

    const auto bits = static_cast<std::uint32_t>(BitsPerPixel());
    for (DWORD number : {DWORD{0}, ENUM_CURRENT_SETTINGS}) {
        const std::string problems = displaytest::CheckDriverFill(
            [&](DEVMODEA& r) { EXPECT_TRUE(user32::EnumDisplaySettingsA(nullptr, number, &r)); },
            {xrandr.output, bits, 1280, 1024, 0});
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

    DEVMODEA other = current;
    other.dmPelsWidth = 800;
    other.dmPelsHeight = 600;
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&other, CDS_TEST), DISP_CHANGE_BADMODE);
    DEVMODEA deeper = current;
    deeper.dmBitsPerPel = BitsPerPixel() == 32 ? 16 : 32;
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&deeper, 0), DISP_CHANGE_RESTART);
    DEVMODEA zeros{};
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&zeros, 0), DISP_CHANGE_BADMODE);

    const auto xrandr = displaytest::QueryXrandr();
    EXPECT_EQ(xrandr.screenWidth, 1280);
    EXPECT_EQ(xrandr.screenHeight, 1024);
}

}  // namespace
