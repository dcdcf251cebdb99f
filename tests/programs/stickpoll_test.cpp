#include <frame/form.h>
#include <frame/testing.h>

#include <QTest>

#include <gtest/gtest.h>

#include "Module1.h"
#include "program_fixture.h"
#include "virtual_joystick.h"
#include "winmm/joystick.h"

namespace {

using testsupport::VirtualJoystick;

// Each test plugs its joysticks in before it starts the program.
class Stickpoll : public testsupport::ProgramTest {
protected:
    Stickpoll() : ProgramTest({.start = false, .messages = Messages::NoneExpected}) {}
    static void SetUpTestSuite() { ASSERT_TRUE(VirtualJoystick::InitSubsystem()) << SDL_GetError(); }
    void SetUp() override {
        SDL_JoystickUpdate();
        if (SDL_NumJoysticks() != 0) GTEST_SKIP() << "a real joystick is plugged in";
        JoystickId = 0;
        ProgramTest::SetUp();
    }
    void TearDown() override {
        ProgramTest::TearDown();
        winmm::ResetJoysticksForTesting();
    }
    static bool WaitForCaption(const std::string& caption) {
        return QTest::qWaitFor([&] { return Caption() == caption; }, 3000);
    }
};

TEST_F(Stickpoll, TheCaptionFollowsTheStickEvery50Milliseconds) {
    VirtualJoystick stick;
    stick.MoveTo(32767, 32767);
    stick.Button(1, true);
    frame::testing::StartProgram();
    EXPECT_EQ(Caption(), "Form1");  // until the first tick
    EXPECT_EQ(frame::Timer("Timer1").interval(), 50);
    EXPECT_TRUE(WaitForCaption("X:32767   Y:32767   ボタン1:False   ボタン2:True")) << Caption();
    stick.MoveTo(0, 65535);
    stick.Button(0, true);
    stick.Button(1, false);
    EXPECT_TRUE(WaitForCaption("X:0   Y:65535   ボタン1:True   ボタン2:False")) << Caption();
}

TEST_F(Stickpoll, OnlyTheSecondPresentTheTicksReadIt) {
    VirtualJoystick first, second;
    ASSERT_TRUE(winmm::ReadJoystick(JOYSTICKID2));  // both are known: the second holds identifier 2
    first.Unplug();
    second.MoveTo(100, 200);
    frame::testing::StartProgram();
    EXPECT_EQ(JoystickId, 1);
    EXPECT_TRUE(WaitForCaption("X:100   Y:200   ボタン1:False   ボタン2:False")) << Caption();
}

TEST_F(Stickpoll, BothPresentTheFirstIsRead) {
    VirtualJoystick first, second;
    first.MoveTo(1, 2);
    second.MoveTo(3, 4);
    frame::testing::StartProgram();
    EXPECT_EQ(JoystickId, 0);
    EXPECT_TRUE(WaitForCaption("X:1   Y:2   ボタン1:False   ボタン2:False")) << Caption();
}

TEST_F(Stickpoll, WithNoneAtLoadAJoystickThatComesAsTheFirstIsShown) {
    frame::testing::StartProgram();
    EXPECT_TRUE(QTest::qWaitFor([] { return Caption() != "Form1"; }, 3000));
    const std::string nothing = Caption();
    EXPECT_EQ(nothing.rfind("X:", 0), 0u) << nothing;
    VirtualJoystick stick;
    stick.MoveTo(1234, 4321);
    EXPECT_TRUE(WaitForCaption("X:1234   Y:4321   ボタン1:False   ボタン2:False")) << Caption();
}

}  // namespace
