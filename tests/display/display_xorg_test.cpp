// The display layer against a real X server with several modes: Xorg with the dummy driver, whose
// own view (xrandr, xdpyinfo) is the reference. Every test in a process shares one server, and each
// leaves it in its start mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

#include <win32/gdi32.h>

#include "display_test_util.h"
#include "gdi32/gdi.h"
#include "user32/display.h"
#include "x_session.h"
#include "xorg_dummy_session.h"

namespace {

using displaytest::ModeKey;

// What a program reads through gdi32 for the screen: depth, width, height, refresh rate.
struct ScreenState {
    int bits = 0;
    int width = 0;
    int height = 0;
    int rate = 0;
    friend bool operator==(const ScreenState&, const ScreenState&) = default;
};

ScreenState ReadScreenState() {
    const HDC dc = user32::GetDC(nullptr);
    EXPECT_NE(dc, nullptr);
    const ScreenState state{gdi32::GetDeviceCaps(dc, BITSPIXEL), gdi32::GetDeviceCaps(dc, HORZRES),
                            gdi32::GetDeviceCaps(dc, VERTRES), gdi32::GetDeviceCaps(dc, VREFRESH)};
    EXPECT_EQ(user32::ReleaseDC(nullptr, dc), 1);
    return state;
}

constexpr DWORD kDriverFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFLAGS | DM_DISPLAYFREQUENCY;
// The server starts in the configuration's preferred mode.
constexpr ModeKey kStartMode{1024, 768, 75};

// The layer keeps its X connection for the life of the process, so the server must live as long:
// it is started by the first suite set-up and stopped at exit (or by its guards, see
// XorgDummySession), not at suite tear-down, which --gtest_repeat would follow with a new server.
displaytest::XorgDummySession* Server() {
    static const std::unique_ptr<displaytest::XorgDummySession> server = [] {
        auto session = std::make_unique<displaytest::XorgDummySession>(XORG_DUMMY_CONFIG);
        if (session->ok()) {
            // The first display call fixes the mode that a null record returns to.
            DEVMODEA record{};
            user32::EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &record);
        }
        return session;
    }();
    return server.get();
}

class XorgDisplay : public testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = displaytest::XorgDummySession::Unavailable(); !why.empty()) GTEST_SKIP() << why;
        ASSERT_TRUE(Server()->ok()) << "Xorg did not start\n" << Server()->Diagnostics();
        ASSERT_EQ(CurrentXrandrMode(), kStartMode);
    }
    void TearDown() override {
        if (IsSkipped() || !Server()->ok()) return;
        EXPECT_EQ(user32::ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
        EXPECT_EQ(CurrentXrandrMode(), kStartMode);
    }

    static ModeKey CurrentXrandrMode() { return displaytest::QueryXrandr().current.value_or(ModeKey{}); }
};

TEST_F(XorgDisplay, ListsEveryModeXrandrReportsOnceInOrder) {
    const auto xrandr = displaytest::QueryXrandr();
    ASSERT_EQ(xrandr.output, "DUMMY0");
    ASSERT_GE(xrandr.modes.size(), 5u);
    const std::vector<ModeKey> listed = displaytest::ListedModes();

    const std::set<ModeKey> expected(xrandr.modes.begin(), xrandr.modes.end());
    EXPECT_EQ(std::set<ModeKey>(listed.begin(), listed.end()), expected);
    EXPECT_EQ(listed.size(), expected.size()) << "a size and rate listed twice";
    EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));

    // One size at two rates: two modes.
    EXPECT_EQ(std::count_if(listed.begin(), listed.end(),
                            [](const ModeKey& m) { return m.width == 1024 && m.height == 768; }),
              2);
    DEVMODEA record{};
    for (DWORD n = 0; user32::EnumDisplaySettingsA(nullptr, n, &record); ++n) {
        EXPECT_EQ(record.dmBitsPerPel, 32u) << "an X depth of 24 is 32 bits per pixel";
        EXPECT_EQ(record.dmFields, kDriverFields);
    }
    EXPECT_FALSE(user32::EnumDisplaySettingsA(nullptr, static_cast<DWORD>(listed.size()), &record));
    EXPECT_FALSE(user32::EnumDisplaySettingsA(nullptr, 0x7FFFFFFF, &record));
    EXPECT_FALSE(user32::EnumDisplaySettingsA(nullptr, 0, nullptr));
}

TEST_F(XorgDisplay, CurrentSettingsDescribeTheModeInUse) {
    for (DWORD number : {ENUM_CURRENT_SETTINGS, static_cast<DWORD>(-1), ENUM_REGISTRY_SETTINGS}) {
        const std::string problems = displaytest::CheckDriverFill(
            [&](DEVMODEA& r) { EXPECT_TRUE(user32::EnumDisplaySettingsA(nullptr, number, &r)); },
            {"DUMMY0", 32, 1024, 768, 75});
        EXPECT_EQ(problems, "") << number;
    }
    EXPECT_EQ(ReadScreenState(), (ScreenState{32, 1024, 768, 75}));
}

TEST_F(XorgDisplay, DeviceNamesOfTheDisplay) {
    DEVMODEA record{};
    EXPECT_TRUE(user32::EnumDisplaySettingsA("DUMMY0", 0, &record));
    EXPECT_TRUE(user32::EnumDisplaySettingsA("\\\\.\\DISPLAY1", ENUM_CURRENT_SETTINGS, &record));
    EXPECT_TRUE(user32::EnumDisplaySettingsA("", 0, &record));
    EXPECT_FALSE(user32::EnumDisplaySettingsA("DUMMY7", 0, &record));
    EXPECT_FALSE(user32::EnumDisplaySettingsA("\\\\.\\DISPLAY2", 0, &record));
}

TEST_F(XorgDisplay, SwitchesTheScreenSizeAndBack) {
    const auto before = displaytest::QueryXdpyinfo();
    ASSERT_GT(before.widthMm, 0);
    const double pixelsPerMm = static_cast<double>(before.width) / before.widthMm;

    // Smaller, larger than the start, then smaller again from the larger one.
    for (const ModeKey target : {ModeKey{800, 600, 60}, ModeKey{1280, 1024, 60}, ModeKey{640, 480, 60}}) {
        SCOPED_TRACE(testing::Message() << target.width << "x" << target.height);
        auto record = displaytest::ListedRecord(target.width, target.height);
        ASSERT_TRUE(record);
        const ModeKey was = CurrentXrandrMode();

        EXPECT_EQ(user32::ChangeDisplaySettingsA(&*record, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
        EXPECT_EQ(CurrentXrandrMode(), was) << "a test changes nothing";

        EXPECT_EQ(user32::ChangeDisplaySettingsA(&*record, 0), DISP_CHANGE_SUCCESSFUL);
        const auto xrandr = displaytest::QueryXrandr();
        EXPECT_EQ(xrandr.current, target);
        EXPECT_EQ(xrandr.screenWidth, target.width);
        EXPECT_EQ(xrandr.screenHeight, target.height);
        const auto xdpyinfo = displaytest::QueryXdpyinfo();
        EXPECT_EQ(xdpyinfo.width, target.width);
        EXPECT_EQ(xdpyinfo.height, target.height);
        EXPECT_NEAR(xdpyinfo.widthMm, target.width / pixelsPerMm, 1.0) << "the resolution is kept";
        EXPECT_NEAR(xdpyinfo.heightMm, target.height / pixelsPerMm, 1.0);

        EXPECT_EQ(ReadScreenState(), (ScreenState{32, target.width, target.height, target.rate}));
        DEVMODEA current{};
        ASSERT_TRUE(user32::EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
        EXPECT_EQ(displaytest::KeyOf(current), target);
    }
    // A null record goes back to the mode of the first call; TearDown checks it.
}

TEST_F(XorgDisplay, SwitchesTheRateOfOneSize) {
    auto record = displaytest::ListedRecord(1024, 768, 60);
    ASSERT_TRUE(record);
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&*record, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(CurrentXrandrMode(), (ModeKey{1024, 768, 60}));
    EXPECT_EQ(ReadScreenState().rate, 60);

    // A size without a rate keeps the rate in use when it has that size, else takes the highest.
    DEVMODEA sizeOnly{};
    sizeOnly.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    sizeOnly.dmPelsWidth = 1024;
    sizeOnly.dmPelsHeight = 768;
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&sizeOnly, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(CurrentXrandrMode(), (ModeKey{1024, 768, 60}));
    auto small = displaytest::ListedRecord(800, 600);
    ASSERT_TRUE(small);
    ASSERT_EQ(user32::ChangeDisplaySettingsA(&*small, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&sizeOnly, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(CurrentXrandrMode(), (ModeKey{1024, 768, 75}));
}

TEST_F(XorgDisplay, RequestsThatCannotBeMetChangeNothing) {
    const auto listed = displaytest::ListedRecord(800, 600);
    ASSERT_TRUE(listed);
    const auto with = [&](auto change) {
        DEVMODEA record = *listed;
        change(record);
        return record;
    };
    struct Case {
        const char* what;
        DEVMODEA record;
        DWORD flags;
        LONG result;
    };
    const Case cases[] = {
        {"all zeros", DEVMODEA{}, 0, DISP_CHANGE_BADMODE},
        {"all zeros, test", DEVMODEA{}, CDS_TEST, DISP_CHANGE_BADMODE},
        {"no such size", with([](DEVMODEA& r) { r.dmPelsWidth = 1000; }), 0, DISP_CHANGE_BADMODE},
        {"no such rate", with([](DEVMODEA& r) { r.dmDisplayFrequency = 50; }), CDS_TEST, DISP_CHANGE_BADMODE},
        {"16 bits per pixel", with([](DEVMODEA& r) { r.dmBitsPerPel = 16; }), 0, DISP_CHANGE_RESTART},
        {"8 bits per pixel, test", with([](DEVMODEA& r) { r.dmBitsPerPel = 8; }), CDS_TEST, DISP_CHANGE_RESTART},
        {"unknown flag", *listed, 0x00000100, DISP_CHANGE_BADFLAGS},
        {"test and unknown flag", *listed, CDS_TEST | 0x08000000, DISP_CHANGE_BADFLAGS},
    };
    for (const Case& c : cases) {
        DEVMODEA record = c.record;
        EXPECT_EQ(user32::ChangeDisplaySettingsA(&record, c.flags), c.result) << c.what;
        EXPECT_EQ(CurrentXrandrMode(), kStartMode) << c.what;
    }
}

// The steps of the mode switcher, in its order and with its records.
TEST_F(XorgDisplay, ListingSwitchingAndRestoringAsTheSwitcherDoes) {
    ScreenState state = ReadScreenState();

    // Listing: one record for the whole run, never cleared between calls.
    DEVMODEA listing{};
    DEVMODEA restoreMode{};
    std::vector<ModeKey> items;
    for (DWORD n = 0; user32::EnumDisplaySettingsA(nullptr, n, &listing); ++n) {
        items.push_back(displaytest::KeyOf(listing));
        if (static_cast<int>(listing.dmBitsPerPel) == state.bits &&
            static_cast<int>(listing.dmPelsWidth) == state.width &&
            static_cast<int>(listing.dmPelsHeight) == state.height) {
            restoreMode = listing;
        }
    }
    EXPECT_EQ(displaytest::KeyOf(restoreMode), (ModeKey{1024, 768, 75})) << "the last match in list order";

    // Switching to the selected item.
    const auto selected = std::find(items.begin(), items.end(), ModeKey{640, 480, 60});
    ASSERT_NE(selected, items.end());
    DEVMODEA switching{};
    user32::EnumDisplaySettingsA(nullptr, static_cast<DWORD>(selected - items.begin()), &switching);
    ASSERT_EQ(user32::ChangeDisplaySettingsA(&switching, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
    user32::ChangeDisplaySettingsA(&switching, 0);
    state = ReadScreenState();
    EXPECT_EQ(state.width, 640);
    EXPECT_EQ(state.height, 480);

    // Nothing selected: index -1, the mode in use, which tests and sets as a no-op.
    DEVMODEA none{};
    const int noSelection = -1;
    user32::EnumDisplaySettingsA(nullptr, static_cast<DWORD>(noSelection), &none);
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&none, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&none, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(CurrentXrandrMode(), (ModeKey{640, 480, 60}));

    // Restoring.
    user32::ChangeDisplaySettingsA(&restoreMode, 0);
    state = ReadScreenState();
    EXPECT_EQ(state.width, 1024);
    EXPECT_EQ(state.height, 768);
    EXPECT_EQ(CurrentXrandrMode(), kStartMode);
}

TEST_F(XorgDisplay, FindsItsOutputWhenNotPrimaryAndLightsItWhenDark) {
    const std::vector<ModeKey> modes = displaytest::ListedModes();
    ASSERT_EQ(testsupport::RunCommand({"xrandr", "--noprimary"}).exitCode, 0);
    EXPECT_EQ(displaytest::ListedModes(), modes) << "the first connected output stands in";
    ASSERT_EQ(testsupport::RunCommand({"xrandr", "--output", "DUMMY0", "--off"}).exitCode, 0);
    ASSERT_FALSE(displaytest::QueryXrandr().current);
    EXPECT_EQ(displaytest::ListedModes(), modes);

    // A dark output takes a free CRTC.
    auto record = displaytest::ListedRecord(800, 600);
    ASSERT_TRUE(record);
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&*record, 0), DISP_CHANGE_SUCCESSFUL);
    const auto xrandr = displaytest::QueryXrandr();
    EXPECT_EQ(xrandr.current, (ModeKey{800, 600, 60}));
    EXPECT_EQ(xrandr.screenWidth, 800);
    EXPECT_EQ(ReadScreenState(), (ScreenState{32, 800, 600, 60}));
    EXPECT_EQ(testsupport::RunCommand({"xrandr", "--output", "DUMMY0", "--primary"}).exitCode, 0);
}

TEST_F(XorgDisplay, AChangeOutlivesTheProcessThatMadeIt) {
    const auto result = testsupport::RunCommand({SWITCH_MODE_TOOL, "800", "600"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(CurrentXrandrMode(), (ModeKey{800, 600, 60}));
    EXPECT_EQ(ReadScreenState().width, 800);
}

}  // namespace
