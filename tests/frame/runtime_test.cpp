#include <frame/form.h>
#include <frame/testing.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>

#include "fixture_program.h"
#include "program_fixture.h"

namespace {

class Runtime : public testsupport::ProgramTest {
protected:
    Runtime() : ProgramTest({.messages = Messages::TitleAndText}) {}
    void SetUp() override {
        fixture::events.clear();
        fixture::onCommand1 = nullptr;
        messages_.clear();
        ProgramTest::SetUp();
    }

    static void Wait(int ms) { QTest::qWait(ms); }
};

TEST_F(Runtime, BuildsTheFormFromItsDescription) {
    QWidget* form = frame::testing::Widget("Form1");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->size(), QSize(320, 240));  // client area: 4800 x 3600 twips
    EXPECT_EQ(form->windowTitle().toStdString(), "試験フォーム");
    EXPECT_EQ(frame::testing::Widget("Command1")->geometry(), QRect(8, 8, 81, 25));
    EXPECT_TRUE(frame::testing::Widget("Command1")->isEnabled());
    EXPECT_FALSE(frame::testing::Widget("Command2")->isEnabled());
    auto* label = qobject_cast<QLabel*>(frame::testing::Widget("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text().toStdString(), "一行目\n二行目");
    EXPECT_EQ(label->font().family().toStdString(), "IPAGothic");
    EXPECT_EQ(label->font().pixelSize(), 12);
    EXPECT_NE(frame::testing::Widget("Label2(3)"), nullptr);
    EXPECT_EQ(frame::testing::Widget("Text1")->font().family().toStdString(), "IPAPGothic");
    EXPECT_EQ(fixture::events, std::vector<std::string>{"Form_Load"});
}

TEST_F(Runtime, ClicksReachTheirHandlersAndDisabledButtonsStayQuiet) {
    Click("Command1");
    Click("Command2");
    EXPECT_EQ(fixture::events, (std::vector<std::string>{"Form_Load", "Command1_Click"}));
}

TEST_F(Runtime, CheckBoxRaisesClickAlsoWhenCodeChangesItsValue) {
    const frame::CheckBox check("Check1");
    check.setValue(1);
    check.setValue(1);  // no change, no event
    Click("Check1");    // the user unchecks
    check.setValue(0);  // already 0
    EXPECT_EQ(fixture::events, (std::vector<std::string>{"Form_Load", "Check1_Click 1", "Check1_Click 0"}));
}

TEST_F(Runtime, MouseDownCarriesButtonShiftAndPosition) {
    QTest::mousePress(frame::testing::Widget("Form1"), Qt::RightButton, Qt::ShiftModifier, QPoint(300, 200));
    QTest::mousePress(frame::testing::Widget("Label1"), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(fixture::events,
              (std::vector<std::string>{"Form_Load", "Form_MouseDown 2 1 300 200", "Label1_MouseDown 1"}));
}

TEST_F(Runtime, TextBoxAppendsThroughSelectionStartAndSelectedText) {
    const frame::TextBox multi("Text2");
    EXPECT_EQ(multi.textLength(), 5);
    multi.setSelStart(multi.textLength());
    multi.setSelText("line\r\nnext");
    EXPECT_EQ(multi.text(), "Text2line\r\nnext");
    EXPECT_EQ(multi.textLength(), 15);  // the break counts as CR LF
    multi.setSelStart(2);
    multi.setSelText("|");
    EXPECT_EQ(multi.text(), "Te|xt2line\r\nnext");
    multi.setSelStart(12);  // after the break
    multi.setSelText("^");
    EXPECT_EQ(multi.text(), "Te|xt2line\r\n^next");
    multi.setSelStart(multi.textLength());
    multi.setSelText("x\r");
    multi.setSelText("\ny");  // a CR LF split between two appends is one break
    EXPECT_EQ(multi.text(), "Te|xt2line\r\n^nextx\r\ny");
    multi.setText(std::string("a\0b<b>", 6));
    EXPECT_EQ(multi.text(), std::string("a\0b<b>", 6));  // plain text, NUL kept

    const frame::TextBox single("Text1");
    single.setSelStart(single.textLength());
    single.setSelText("!");
    EXPECT_EQ(single.text(), "Text1!");
}

TEST_F(Runtime, ListBoxIndexAndDoubleClick) {
    const frame::ListBox list("List1");
    EXPECT_EQ(list.listIndex(), -1);
    list.addItem("[0] 32bitカラー 640×480");
    list.addItem("[1] 32bitカラー 800×600");
    EXPECT_EQ(list.listIndex(), -1);
    auto* widget = qobject_cast<QListWidget*>(frame::testing::Widget("List1"));
    const QRect second = widget->visualItemRect(widget->item(1));
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(list.listIndex(), 1);
    QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(fixture::events.back(), "List1_DblClick");
    list.clear();
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(list.listCount(), 0);
}

TEST_F(Runtime, TimerTicksAtItsIntervalAndANewIntervalStartsANewCount) {
    const frame::Timer timer("Timer1");
    EXPECT_TRUE(timer.enabled());
    EXPECT_EQ(timer.interval(), 0);
    Wait(50);
    EXPECT_EQ(fixture::events.size(), 1u);  // no interval, no ticks

    QElapsedTimer clock;
    clock.start();
    timer.setInterval(300);
    Wait(200);
    timer.setInterval(300);  // restarts: the next tick is 300 ms from here
    while (fixture::events.size() < 2 && clock.elapsed() < 3000) Wait(5);
    EXPECT_GE(clock.elapsed(), 480);
    timer.setEnabled(false);
    const size_t ticks = fixture::events.size();
    Wait(400);
    EXPECT_EQ(fixture::events.size(), ticks);
}

TEST_F(Runtime, PictureBoxLinesLeaveOutTheirLastPoint) {
    const frame::PictureBox picture("Picture1");
    EXPECT_EQ(picture.point(0, 0), RGB(0x00, 0x80, 0xFF));  // &H00FF8000& is blue FF, green 80
    picture.lineStep(0, 10, 20, 0, RGB(0, 0, 0));
    EXPECT_EQ(picture.point(0, 10), 0u);
    EXPECT_EQ(picture.point(19, 10), 0u);
    EXPECT_NE(picture.point(20, 10), 0u);
    picture.lineStep(0, 39, 39, -39, RGB(0, 0, 255));
    EXPECT_EQ(picture.point(0, 39), RGB(0, 0, 255));
    EXPECT_EQ(picture.point(38, 1), RGB(0, 0, 255));
    picture.pset(5, 5, RGB(255, 0, 0));
    EXPECT_EQ(picture.point(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(picture.point(40, 0), static_cast<COLORREF>(-1));
}

TEST_F(Runtime, AnUncaughtErrorShowsItsMessageAndEndsTheProgram) {
    bool after = false;
    fixture::onCommand1 = [&] {
        frame::CLng("Text2");
        after = true;
    };
    Click("Command1");
    EXPECT_FALSE(after);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "fixture|実行時エラー '13':\n\n型が一致しません。");
    EXPECT_EQ(frame::testing::EndedWith(), 1);
}

TEST_F(Runtime, TheEndStatementEndsAtOnceWithoutUnload) {
    bool after = false;
    fixture::onCommand1 = [&] {
        frame::End();
        after = true;
    };
    Click("Command1");
    EXPECT_FALSE(after);
    EXPECT_EQ(frame::testing::EndedWith(), 0);
    EXPECT_EQ(fixture::events.back(), "Command1_Click");
}

TEST_F(Runtime, ClosingTheWindowRaisesUnloadAndEnds) {
    frame::testing::CloseWindow();
    EXPECT_EQ(fixture::events.back(), "Form_Unload");
    EXPECT_EQ(frame::testing::EndedWith(), 0);
}

TEST_F(Runtime, MessageBoxIsTitledWithTheProgramUnlessGivenATitle) {
    frame::MsgBox("本文");
    frame::MsgBox("本文", "題");
    EXPECT_EQ(messages_, (std::vector<std::string>{"fixture|本文", "題|本文"}));
}

TEST(RuntimeDeath, AnUncaughtErrorEndsTheProcessWithItsMessage) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            frame::testing::SetMessageBoxHook(
                [](const std::string&, const std::string& text) { std::cerr << text << std::endl; });
            frame::testing::StartProgram();
            frame::testing::EndForReal();
            fixture::onCommand1 = [] { frame::CLng("99999999999"); };
            QTest::mouseClick(frame::testing::Widget("Command1"), Qt::LeftButton);
        },
        ::testing::ExitedWithCode(1), "実行時エラー '6'");
}

}  // namespace
