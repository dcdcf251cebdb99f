// Joystick calls against SDL's virtual joysticks, and capture messages delivered to a registered
// window through its window procedure.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <SDL.h>

#include <memory>
#include <vector>

#include "user32/windows.h"
#include "virtual_joystick.h"
#include "winmm/joystick.h"

namespace {

struct Message {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Message>& Received() {
    static std::vector<Message> received;
    return received;
}

bool IsJoystickMessage(UINT message) {
    return (message >= MM_JOY1MOVE && message <= MM_JOY2ZMOVE) ||
           (message >= MM_JOY1BUTTONDOWN && message <= MM_JOY2BUTTONUP);
}

LRESULT RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsJoystickMessage(message)) Received().push_back({window, message, wParam, lParam});
    return 0;
}

// A window procedure that gives the capture up on the first message it gets.
LRESULT ReleasingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RecordingProcedure(window, message, wParam, lParam);
    if (IsJoystickMessage(message))
        winmm::joyReleaseCapture(message == MM_JOY1MOVE || message == MM_JOY1BUTTONDOWN ? 0 : 1);
    return 0;
}

// Six axes, eight buttons, one hat; Move takes SDL's own axis values.
class VirtualStick : public testsupport::VirtualJoystick {
public:
    VirtualStick() { EXPECT_TRUE(ok()) << SDL_GetError(); }
    void Move(Sint16 x, Sint16 y) {
        Axis(0, x);
        Axis(1, y);
    }
};

JOYINFOEX Info(DWORD flags) {
    JOYINFOEX info{};
    info.dwSize = sizeof(JOYINFOEX);
    info.dwFlags = flags;
    return info;
}

JOYINFOEX Read(UINT id, MMRESULT expected = JOYERR_NOERROR) {
    JOYINFOEX info = Info(JOY_RETURNALL);
    EXPECT_EQ(winmm::joyGetPosEx(id, &info), expected);
    return info;
}

class JoystickTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(testsupport::VirtualJoystick::InitSubsystem()) << SDL_GetError(); }

    void SetUp() override {
        SDL_JoystickUpdate();
        if (SDL_NumJoysticks() != 0) GTEST_SKIP() << "a real joystick is plugged in";
        Received().clear();
    }

    void TearDown() override {
        winmm::ResetJoysticksForTesting();
        for (auto& window : windows_) user32::UnregisterWindow(window.second);
        windows_.clear();
    }

    HWND NewWindow(WNDPROC procedure = &RecordingProcedure) {
        auto widget = std::make_unique<QWidget>();
        const HWND handle = user32::RegisterWindow(widget.get(), procedure, 0);
        windows_.emplace_back(std::move(widget), handle);
        return handle;
    }

    std::vector<std::pair<std::unique_ptr<QWidget>, HWND>> windows_;
};

TEST_F(JoystickTest, DriverServesSixteenJoysticks) { EXPECT_EQ(winmm::joyGetNumDevs(), 16u); }

TEST_F(JoystickTest, AxesButtonsAndHatInWindowsUnits) {
    VirtualStick stick;
    const Sint16 axes[] = {-32768, 32767, 0, -1, 1, 1000};
    const DWORD expected[] = {0, 65535, 32768, 32767, 32769, 33768};
    for (int i = 0; i < 6; ++i) stick.Axis(i, axes[i]);
    stick.Button(0, true);
    stick.Button(2, true);
    stick.Button(7, true);
    stick.Hat(SDL_HAT_RIGHTDOWN);
    const JOYINFOEX info = Read(JOYSTICKID1);
    EXPECT_EQ(info.dwXpos, expected[0]);
    EXPECT_EQ(info.dwYpos, expected[1]);
    EXPECT_EQ(info.dwZpos, expected[2]);
    EXPECT_EQ(info.dwRpos, expected[3]);
    EXPECT_EQ(info.dwUpos, expected[4]);
    EXPECT_EQ(info.dwVpos, expected[5]);
    EXPECT_EQ(info.dwButtons, JOY_BUTTON1 | JOY_BUTTON3 | 0x80u);
    EXPECT_EQ(info.dwButtonNumber, 3u);
    EXPECT_EQ(info.dwPOV, 13500u);

    const struct {
        Uint8 hat;
        DWORD pov;
    } hats[] = {{SDL_HAT_CENTERED, JOY_POVCENTERED}, {SDL_HAT_UP, JOY_POVFORWARD}, {SDL_HAT_RIGHT, JOY_POVRIGHT},
                {SDL_HAT_DOWN, JOY_POVBACKWARD},     {SDL_HAT_LEFT, JOY_POVLEFT},  {SDL_HAT_LEFTUP, 31500}};
    for (const auto& h : hats) {
        stick.Hat(h.hat);
        EXPECT_EQ(Read(JOYSTICKID1).dwPOV, h.pov) << int{h.hat};
    }
}

TEST_F(JoystickTest, OnlyWhatTheFlagsAskForIsWritten) {
    VirtualStick stick;
    stick.Move(100, 200);
    stick.Button(1, true);
    const DWORD untouched = 0xDEADBEEF;
    const DWORD flagSets[] = {0, JOY_RETURNX | JOY_RETURNY | JOY_RETURNBUTTONS, JOY_RETURNY, JOY_RETURNPOV};
    for (DWORD flags : flagSets) {
        JOYINFOEX info;
        std::fill_n(reinterpret_cast<DWORD*>(&info), sizeof info / sizeof(DWORD), untouched);
        info.dwSize = sizeof(JOYINFOEX);
        info.dwFlags = flags;
        ASSERT_EQ(winmm::joyGetPosEx(JOYSTICKID1, &info), JOYERR_NOERROR);
        EXPECT_EQ(info.dwFlags, flags);
        EXPECT_EQ(info.dwXpos, flags & JOY_RETURNX ? 32868u : untouched);
        EXPECT_EQ(info.dwYpos, flags & JOY_RETURNY ? 32968u : untouched);
        EXPECT_EQ(info.dwZpos, untouched);
        EXPECT_EQ(info.dwButtons, flags & JOY_RETURNBUTTONS ? JOY_BUTTON2 : untouched);
        EXPECT_EQ(info.dwButtonNumber, flags & JOY_RETURNBUTTONS ? 1u : untouched);
        EXPECT_EQ(info.dwPOV, flags & JOY_RETURNPOV ? JOY_POVCENTERED : untouched);
        EXPECT_EQ(info.dwReserved1, untouched);
        EXPECT_EQ(info.dwReserved2, untouched);
    }
}

TEST_F(JoystickTest, BadArgumentsAndMissingJoysticks) {
    JOYINFOEX info = Info(JOY_RETURNALL);
    EXPECT_EQ(winmm::joyGetPosEx(JOYSTICKID1, nullptr), JOYERR_PARMS);
    EXPECT_EQ(winmm::joyGetPosEx(16, &info), JOYERR_PARMS);
    info.dwSize = 48;
    EXPECT_EQ(winmm::joyGetPosEx(JOYSTICKID1, &info), JOYERR_PARMS);
    for (UINT id : {0u, 1u, 15u}) Read(id, JOYERR_UNPLUGGED);
    EXPECT_EQ(winmm::joySetThreshold(16, 100), JOYERR_PARMS);
    EXPECT_EQ(winmm::joyReleaseCapture(16), JOYERR_PARMS);
}

TEST_F(JoystickTest, JoysticksKeepTheirIdentifiersWhileTheyArePluggedIn) {
    auto first = std::make_unique<VirtualStick>();
    VirtualStick second;
    first->Move(-32768, 0);
    second.Move(32767, 0);
    EXPECT_EQ(Read(JOYSTICKID1).dwXpos, 0u);
    EXPECT_EQ(Read(JOYSTICKID2).dwXpos, 65535u);

    // With the first one gone the second stays joystick 2, and joystick 1 is free...
    first.reset();
    Read(JOYSTICKID1, JOYERR_UNPLUGGED);
    EXPECT_EQ(Read(JOYSTICKID2).dwXpos, 65535u);

    // ...until another is plugged in: it takes the lowest free identifier.
    VirtualStick third;
    third.Move(0, 0);
    EXPECT_EQ(Read(JOYSTICKID1).dwXpos, 32768u);
    EXPECT_EQ(Read(JOYSTICKID2).dwXpos, 65535u);
}

TEST_F(JoystickTest, JoystickPluggedInLaterIsFoundAndAReplugIsReopened) {
    Read(JOYSTICKID1, JOYERR_UNPLUGGED);
    auto stick = std::make_unique<VirtualStick>();
    stick->Move(0, 5000);
    EXPECT_EQ(Read(JOYSTICKID1).dwYpos, 37768u);

    stick.reset();
    Read(JOYSTICKID1, JOYERR_UNPLUGGED);
    stick = std::make_unique<VirtualStick>();
    stick->Move(0, -5000);
    EXPECT_EQ(Read(JOYSTICKID1).dwYpos, 27768u);
}

TEST_F(JoystickTest, CaptureRefusesBadWindowsIdsAndMissingJoysticks) {
    const HWND window = NewWindow();
    EXPECT_EQ(winmm::joySetCapture(window, JOYSTICKID1, 10, TRUE), JOYERR_UNPLUGGED);
    VirtualStick stick;
    EXPECT_EQ(winmm::joySetCapture(reinterpret_cast<HWND>(0x1234), JOYSTICKID1, 10, TRUE), JOYERR_NOCANDO);
    EXPECT_EQ(winmm::joySetCapture(window, 2, 10, TRUE), JOYERR_PARMS);
    EXPECT_EQ(winmm::joySetCapture(window, JOYSTICKID2, 10, TRUE), JOYERR_UNPLUGGED);
    EXPECT_EQ(winmm::joySetCapture(window, JOYSTICKID1, 10, TRUE), JOYERR_NOERROR);
}

TEST_F(JoystickTest, MovesBeyondTheThresholdOnly) {
    VirtualStick stick;
    const HWND window = NewWindow();
    ASSERT_EQ(winmm::joySetThreshold(JOYSTICKID1, 100), JOYERR_NOERROR);
    ASSERT_EQ(winmm::joySetCapture(window, JOYSTICKID1, 10, TRUE), JOYERR_NOERROR);
    QTest::qWait(60);
    EXPECT_TRUE(Received().empty());  // at rest: nothing

    stick.Move(100, -100);  // exactly the threshold: not more than it
    QTest::qWait(60);
    EXPECT_TRUE(Received().empty());

    stick.Move(101, 0);
    QTest::qWait(60);
    ASSERT_EQ(Received().size(), 1u);
    EXPECT_EQ(Received()[0].window, window);
    EXPECT_EQ(Received()[0].message, MM_JOY1MOVE);
    EXPECT_EQ(Received()[0].wParam, 0u);
    EXPECT_EQ(LOWORD(Received()[0].lParam), 32869);
    EXPECT_EQ(HIWORD(Received()[0].lParam), 32768);

    // Measured from the last position sent, not from the start.
    Received().clear();
    stick.Move(150, 0);
    QTest::qWait(60);
    EXPECT_TRUE(Received().empty());
    stick.Move(150, 32767);
    QTest::qWait(60);
    ASSERT_EQ(Received().size(), 1u);
    EXPECT_EQ(LOWORD(Received()[0].lParam), 32918);
    EXPECT_EQ(HIWORD(Received()[0].lParam), 65535);  // the sign bit of lParam's low 32 bits
}

TEST_F(JoystickTest, WithoutChangedOnlyEveryPeriodSendsAMove) {
    VirtualStick stick;
    const HWND window = NewWindow();
    ASSERT_EQ(winmm::joySetCapture(window, JOYSTICKID1, 20, FALSE), JOYERR_NOERROR);
    QTest::qWait(210);
    EXPECT_GE(Received().size(), 5u);
    EXPECT_LE(Received().size(), 12u);
    for (const Message& m : Received()) EXPECT_EQ(m.message, MM_JOY1MOVE);
}

TEST_F(JoystickTest, ButtonChangesAreDecodedOneMessageEach) {
    VirtualStick stick;
    stick.Move(-32768, 32767);
    const HWND window = NewWindow();
    ASSERT_EQ(winmm::joySetCapture(window, JOYSTICKID1, 10, TRUE), JOYERR_NOERROR);
    const LPARAM corner = MAKELPARAM(0, 65535);

    stick.Button(0, true);
    QTest::qWait(50);
    stick.Button(1, true);
    QTest::qWait(50);
    stick.Button(0, false);
    QTest::qWait(50);
    stick.Button(1, false);
    stick.Button(3, true);  // two changes in one poll: two messages
    QTest::qWait(50);
    stick.Button(6, true);  // beyond the four buttons the messages carry
    QTest::qWait(50);

    const std::vector<Message> expected = {
        {window, MM_JOY1BUTTONDOWN, JOY_BUTTON1 | JOY_BUTTON1CHG, corner},
        {window, MM_JOY1BUTTONDOWN, JOY_BUTTON1 | JOY_BUTTON2 | JOY_BUTTON2CHG, corner},
        {window, MM_JOY1BUTTONUP, JOY_BUTTON2 | JOY_BUTTON1CHG, corner},
        {window, MM_JOY1BUTTONUP, JOY_BUTTON4 | JOY_BUTTON2CHG, corner},
        {window, MM_JOY1BUTTONDOWN, JOY_BUTTON4 | JOY_BUTTON4CHG, corner},
    };
    ASSERT_EQ(Received().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Received()[i].message, expected[i].message) << i;
        EXPECT_EQ(Received()[i].wParam, expected[i].wParam) << i;
        EXPECT_EQ(Received()[i].lParam, expected[i].lParam) << i;
    }
}

TEST_F(JoystickTest, SecondJoystickSendsItsOwnMessages) {
    VirtualStick first;
    VirtualStick second;
    const HWND window = NewWindow();
    ASSERT_EQ(winmm::joySetCapture(window, JOYSTICKID2, 10, TRUE), JOYERR_NOERROR);
    first.Move(20000, 20000);
    first.Button(0, true);
    QTest::qWait(50);
    EXPECT_TRUE(Received().empty());
    second.Move(20000, 0);
    second.Button(1, true);
    QTest::qWait(50);
    ASSERT_EQ(Received().size(), 2u);
    EXPECT_EQ(Received()[0].message, MM_JOY2MOVE);
    EXPECT_EQ(Received()[1].message, MM_JOY2BUTTONDOWN);
    EXPECT_EQ(Received()[1].wParam, JOY_BUTTON2 | JOY_BUTTON2CHG);
    EXPECT_EQ(LOWORD(Received()[1].lParam), 52768);
}

TEST_F(JoystickTest, UnpluggedJoystickFallsSilentAndCanComeBack) {
    auto stick = std::make_unique<VirtualStick>();
    const HWND window = NewWindow();
    ASSERT_EQ(winmm::joySetCapture(window, JOYSTICKID1, 10, FALSE), JOYERR_NOERROR);
    QTest::qWait(50);
    EXPECT_FALSE(Received().empty());
    stick.reset();
    QTest::qWait(30);
    Received().clear();
    QTest::qWait(60);
    EXPECT_TRUE(Received().empty());

    stick = std::make_unique<VirtualStick>();
    QTest::qWait(60);
    EXPECT_FALSE(Received().empty());
}

TEST_F(JoystickTest, DestroyedOrUnregisteredWindowEndsTheCapture) {
    VirtualStick stick;
    const HWND window = NewWindow();
    ASSERT_EQ(winmm::joySetCapture(window, JOYSTICKID1, 10, FALSE), JOYERR_NOERROR);
    QTest::qWait(30);
    windows_.front().first.reset();  // the widget goes; the handle stays registered
    Received().clear();
    QTest::qWait(50);
    EXPECT_TRUE(Received().empty());

    const HWND other = NewWindow();
    ASSERT_EQ(winmm::joySetCapture(other, JOYSTICKID1, 10, FALSE), JOYERR_NOERROR);
    user32::UnregisterWindow(other);
    QTest::qWait(50);
    EXPECT_TRUE(Received().empty());
}

TEST_F(JoystickTest, CapturingAgainMovesTheMessagesToTheNewWindow) {
    VirtualStick stick;
    const HWND first = NewWindow();
    const HWND second = NewWindow();
    ASSERT_EQ(winmm::joySetCapture(first, JOYSTICKID1, 10, FALSE), JOYERR_NOERROR);
    ASSERT_EQ(winmm::joySetCapture(second, JOYSTICKID1, 10, FALSE), JOYERR_NOERROR);
    QTest::qWait(60);
    ASSERT_FALSE(Received().empty());
    for (const Message& m : Received()) EXPECT_EQ(m.window, second);

    Received().clear();
    EXPECT_EQ(winmm::joyReleaseCapture(JOYSTICKID1), JOYERR_NOERROR);
    QTest::qWait(40);
    EXPECT_TRUE(Received().empty());
}

TEST_F(JoystickTest, WindowProcedureMayReleaseTheCaptureItIsServing) {
    VirtualStick stick;
    const HWND window = NewWindow(&ReleasingProcedure);
    ASSERT_EQ(winmm::joySetCapture(window, JOYSTICKID1, 10, TRUE), JOYERR_NOERROR);
    stick.Move(30000, 30000);
    stick.Button(0, true);  // a move and a button change due in the same poll
    QTest::qWait(60);
    ASSERT_EQ(Received().size(), 1u);  // the release stops the rest at once
    EXPECT_EQ(Received()[0].message, MM_JOY1MOVE);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
