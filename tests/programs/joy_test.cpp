#include <frame/form.h>
#include <frame/testing.h>

#include <QTest>

#include <gtest/gtest.h>

#include "Module1.h"
#include "program_fixture.h"
#include "user32/windows.h"
#include "virtual_joystick.h"
#include "winmm/joystick.h"

namespace {

using testsupport::VirtualJoystick;

const frame::TextBox Text1{"Text1"};

class Joy : public testsupport::ProgramTest {
protected:
    Joy() : ProgramTest({.messages = Messages::NoneExpected}) {}
    static void SetUpTestSuite() { ASSERT_TRUE(VirtualJoystick::InitSubsystem()) << SDL_GetError(); }
    void SetUp() override {
        SDL_JoystickUpdate();
        if (SDL_NumJoysticks() != 0) GTEST_SKIP() << "a real joystick is plugged in";
        ProgramTest::SetUp();
    }
    void TearDown() override {
        if (!frame::testing::EndedWith()) frame::testing::CloseWindow();
        ProgramTest::TearDown();
        winmm::ResetJoysticksForTesting();
    }
    static void Search() { Click("Command1"); }
    static bool WaitForText(const std::string& text) {
        return QTest::qWaitFor([&] { return Text1.text() == text; }, 3000);
    }
    static HWND Window() { return frame::Form().hWnd(); }
};

TEST_F(Joy, WithoutAJoystickTheSearchSaysSoAndChangesNothingElse) {
    Search();
    EXPECT_EQ(Text1.text(), "ジョイステックが見つかりません！！");
    EXPECT_EQ(Caption(), "ジョイステックテスター");
}

TEST_F(Joy, CaptureMessagesShowButtonsAndPositionWithTheirExactBlanks) {
    VirtualJoystick stick;
    ASSERT_TRUE(stick.ok());
    Search();
    EXPECT_EQ(Caption(), "1");
    EXPECT_EQ(JoystickId, 0);
    EXPECT_EQ(winmm::JoystickThreshold(0), 100u);
    stick.MoveTo(32767, 65535);
    stick.Button(0, true);
    EXPECT_TRUE(WaitForText("ボタン1:-1     ボタン2:0   X:32767     y:65535")) << Text1.text();
    stick.Button(0, false);
    stick.Button(1, true);
    stick.MoveTo(0, 40000);  // y above 32767 shows as the whole high word
    EXPECT_TRUE(WaitForText("ボタン1:0     ボタン2:-1   X:0     y:40000")) << Text1.text();
}

TEST_F(Joy, BothPresentTheFirstWins) {
    VirtualJoystick first, second;
    Search();
    EXPECT_EQ(Caption(), "1");
    second.MoveTo(1000, 1000);  // not captured: no message
    QTest::qWait(300);
    EXPECT_EQ(Text1.text(), "");
}

TEST_F(Joy, OnlyTheSecondPresentItsMessagesAreDecoded) {
    VirtualJoystick first, second;
    ASSERT_TRUE(winmm::ReadJoystick(JOYSTICKID2));  // both are known: the second holds identifier 2
    first.Unplug();
    Search();
    EXPECT_EQ(Caption(), "2");
    EXPECT_EQ(JoystickId, 1);
    second.MoveTo(20000, 30000);
    EXPECT_TRUE(WaitForText("ボタン1:0     ボタン2:0   X:20000     y:30000")) << Text1.text();
}

TEST_F(Joy, OtherMessagesPassThroughUntouched) {
    const std::string before = Text1.text();
    const std::int32_t x = PositionX;
    for (UINT message : {MM_JOY1ZMOVE, MM_JOY2ZMOVE, WM_USER, WM_NULL}) {
        user32::SendMessageA(Window(), message, JOY_BUTTON1, MAKELPARAM(1, 2));
    }
    EXPECT_EQ(Text1.text(), before);
    EXPECT_EQ(PositionX, x);
    user32::SendMessageA(Window(), MM_JOY2BUTTONUP, JOY_BUTTON2, MAKELPARAM(65535, 32768));
    EXPECT_EQ(Text1.text(), "ボタン1:0     ボタン2:-1   X:65535     y:32768");
}

TEST_F(Joy, AFailedSearchAfterASuccessKeepsTheCapture) {
    auto stick = std::make_unique<VirtualJoystick>();
    Search();
    ASSERT_EQ(Caption(), "1");
    stick.reset();
    Search();
    EXPECT_EQ(Text1.text(), "ジョイステックが見つかりません！！");
    EXPECT_EQ(Caption(), "1");
    EXPECT_EQ(JoystickId, 0);
    stick = std::make_unique<VirtualJoystick>();  // back in slot 1: the old capture serves it again
    stick->MoveTo(5, 6);
    EXPECT_TRUE(WaitForText("ボタン1:0     ボタン2:0   X:5     y:6")) << Text1.text();
}

TEST_F(Joy, UnloadPutsTheFormsOwnProcedureBack) {
    const HWND window = Window();
    EXPECT_EQ(user32::GetWindowLongA(window, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&JoystickWndProc));
    const LONG_PTR own = OldWndProc;
    frame::testing::CloseWindow();
    EXPECT_EQ(user32::GetWindowLongA(window, GWL_WNDPROC), own);
}

}  // namespace
