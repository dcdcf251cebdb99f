// linkopen in this process: whatever stands in Text1 when "起動" is pressed goes to the shell's
// opener unchanged, one argument per press, and the window shows nothing of its own.
#include <frame/form.h>
#include <frame/testing.h>

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "recording_opener.h"

namespace {

using Calls = std::vector<std::vector<std::string>>;

class Linkopen : public testsupport::ProgramTest {
protected:
    Linkopen() : ProgramTest({.messages = Messages::TitleAndText}) {}
    void SetUp() override {
        unsetenv("SUITE_OPENER");
        ProgramTest::SetUp();
    }

    static void Press() { Click("Command1"); }

    testsupport::RecordingOpener opener_;
    testsupport::PathPrefix path_{opener_.folder()};
    const frame::TextBox text1_{"Text1"};
};

TEST_F(Linkopen, TheInitialTextIsAWebPageThatOnePressOpens) {
    const std::string initial = text1_.text();
    EXPECT_TRUE(initial.starts_with("http://") || initial.starts_with("https://")) << initial;
    EXPECT_EQ(frame::testing::Widget("Form1")->windowTitle().toStdString(), "URLを指定してブラウザを起動");
    Press();
    ASSERT_TRUE(opener_.WaitForCalls(1, 5000));
    EXPECT_EQ(opener_.Calls(), (Calls{{initial}}));
}

TEST_F(Linkopen, EachPressHandsTheTextOnAsOneArgument) {
    struct Case {
        std::string text;
        bool opens;
    };
    const std::vector<Case> cases = {
        {"https://example.org/a b", true},
        {"it's \"quoted\"", true},
        {"$(touch " + opener_.folder() + "/ran)", true},
        {"a; b", true},
        {"line\nbreak", true},
        {"-n", false},  // no such file: never passed as an option
        {"/usr/share/doc/日本語のヘルプ.html", true},
        {"", false},
        {" https://example.org/ ", true},  // not trimmed
    };
    Calls expected;
    for (const Case& c : cases) {
        text1_.setText(c.text);
        Press();
        if (c.opens) {
            expected.push_back({c.text});
            ASSERT_TRUE(opener_.WaitForCalls(expected.size(), 5000)) << c.text;
        }
        EXPECT_EQ(text1_.text(), c.text);
    }
    QTest::qWait(200);  // room for a start that should not have happened
    EXPECT_EQ(opener_.Calls(), expected);
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(frame::testing::EndedWith(), std::nullopt);
}

TEST_F(Linkopen, TwoPressesAskTwice) {
    text1_.setText("https://example.org/");
    Press();
    Press();
    ASSERT_TRUE(opener_.WaitForCalls(2, 5000));
    EXPECT_EQ(opener_.Calls(), (Calls{{"https://example.org/"}, {"https://example.org/"}}));
}

}  // namespace
