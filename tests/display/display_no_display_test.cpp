// The display layer with no X server: DISPLAY unset, or (DISPLAY_TEST_NOWHERE) naming a display
// that does not exist. One mode, gdi32's default screen, and no change but to the mode in use.
#include <gtest/gtest.h>

#include <cstdlib>
#include <typeinfo>

#include <platform/exports.h>

#include "display_test_util.h"
#include "user32/display.h"

namespace {

class NoDisplay : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // No Wayland display or session bus either.
        for (const char* name : {"WAYLAND_DISPLAY", "WAYLAND_SOCKET", "DBUS_SESSION_BUS_ADDRESS"}) unsetenv(name);
        if (const char* nowhere = std::getenv("DISPLAY_TEST_NOWHERE")) {
            setenv("DISPLAY", nowhere, 1);
        } else {
            unsetenv("DISPLAY");
        }
    }
};

TEST_F(NoDisplay, ListsGdiDefaultScreenAlone) {
    const gdi32::DisplayCaps defaults;
    const auto expected = displaytest::DriverFields{
        "\\\\.\\DISPLAY1", static_cast<std::uint32_t>(defaults.bitsPerPixel),
        static_cast<std::uint32_t>(defaults.width), static_cast<std::uint32_t>(defaults.height),
        static_cast<std::uint32_t>(defaults.refreshRate)};
    for (DWORD number : {DWORD{0}, ENUM_CURRENT_SETTINGS, ENUM_REGISTRY_SETTINGS}) {
        EXPECT_EQ(displaytest::CheckDriverFill(
                      [&](DEVMODEA& r) { EXPECT_TRUE(user32::EnumDisplaySettingsA(nullptr, number, &r)); }, expected),
                  "")
            << number;
    }
    DEVMODEA record{};
    EXPECT_FALSE(user32::EnumDisplaySettingsA(nullptr, 1, &record));
    EXPECT_FALSE(user32::EnumDisplaySettingsA(nullptr, 0, nullptr));

    const gdi32::DisplayCaps caps = user32::ScreenDisplayCaps();
    EXPECT_EQ(caps.width, defaults.width);
    EXPECT_EQ(caps.height, defaults.height);
    EXPECT_EQ(caps.bitsPerPixel, defaults.bitsPerPixel);
    EXPECT_EQ(caps.refreshRate, defaults.refreshRate);
}

TEST_F(NoDisplay, ChangesFailButTheModeInUseStands) {
    DEVMODEA current{};
    ASSERT_TRUE(user32::EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&current, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(user32::ChangeDisplaySettingsA(&current, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(user32::ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);

    struct Case {
        const char* what;
        DWORD fields;
        DWORD bits, width, height;
        DWORD flags;
        LONG result;
    };
    const Case cases[] = {
        {"another size", current.dmFields, current.dmBitsPerPel, 800, 600, 0, DISP_CHANGE_FAILED},
        {"another size, test", current.dmFields, current.dmBitsPerPel, 800, 600, CDS_TEST, DISP_CHANGE_FAILED},
        {"another depth", current.dmFields, 16, current.dmPelsWidth, current.dmPelsHeight, 0, DISP_CHANGE_FAILED},
        {"all zeros", 0, 0, 0, 0, 0, DISP_CHANGE_BADMODE},
        {"unknown flag", current.dmFields, current.dmBitsPerPel, current.dmPelsWidth, current.dmPelsHeight, 0x00000040,
         DISP_CHANGE_BADFLAGS},
    };
    for (const Case& c : cases) {
        DEVMODEA record{};
        record.dmFields = c.fields;
        record.dmBitsPerPel = c.bits;
        record.dmPelsWidth = c.width;
        record.dmPelsHeight = c.height;
        EXPECT_EQ(user32::ChangeDisplaySettingsA(&record, c.flags), c.result) << c.what;
    }
}

TEST_F(NoDisplay, ScreenDcsComeAndGo) {
    const HDC first = user32::GetDC(nullptr);
    const HDC second = user32::GetDC(nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(user32::ReleaseDC(nullptr, first), 1);
    EXPECT_EQ(user32::ReleaseDC(nullptr, first), 0) << "released twice";
    EXPECT_EQ(user32::ReleaseDC(nullptr, second), 1);
    EXPECT_EQ(user32::ReleaseDC(nullptr, reinterpret_cast<HDC>(0x1234)), 0);
    EXPECT_EQ(user32::ReleaseDC(nullptr, nullptr), 0);
    EXPECT_EQ(user32::GetDC(reinterpret_cast<HWND>(0x4321)), nullptr) << "not a window";
}

template <typename Function>
void ExpectBound(const char* entry, Function* implementation) {
    const auto bound = platform::FindExport("USER32.DLL", entry, typeid(Function));
    EXPECT_EQ(bound.failure, platform::BindFailure::None) << entry;
    EXPECT_EQ(bound.function, reinterpret_cast<platform::AnyFunction>(implementation)) << entry;
}

TEST_F(NoDisplay, EntriesBindByNameWithTheirSdkSignatures) {
    ExpectBound<BOOL(LPCSTR, DWORD, DEVMODEA*)>("EnumDisplaySettingsA", &user32::EnumDisplaySettingsA);
    ExpectBound<LONG(DEVMODEA*, DWORD)>("ChangeDisplaySettingsA", &user32::ChangeDisplaySettingsA);
    ExpectBound<HDC(HWND)>("GetDC", &user32::GetDC);
    ExpectBound<int(HWND, HDC)>("ReleaseDC", &user32::ReleaseDC);
    // A program that declares the mode number as a signed 32-bit value does not bind.
    EXPECT_EQ(platform::FindExport("user32", "EnumDisplaySettingsA", typeid(BOOL(LPCSTR, int, DEVMODEA*))).failure,
              platform::BindFailure::WrongSignature);
}

}  // namespace
