#include "program_fixture.h"

#include <frame/testing.h>

#include <QTest>

namespace testsupport {

void ProgramTest::SetUp() {
    frame::testing::SetMessageBoxHook([this](const std::string& title, const std::string& text) {
        switch (options_.messages) {
            case Messages::Text: messages_.push_back(text); break;
            case Messages::TitleAndText: messages_.push_back(title + "|" + text); break;
            case Messages::NoneExpected: ADD_FAILURE() << "message box " << title << "|" << text; break;
        }
    });
    if (options_.start) frame::testing::StartProgram();
}

void ProgramTest::TearDown() {
    frame::testing::StopProgram();
    // The hook points into this test, which is about to go.
    frame::testing::SetMessageBoxHook(nullptr);
}

void ProgramTest::Click(const char* name) { QTest::mouseClick(Widget(name), Qt::LeftButton); }

QWidget* ProgramTest::Widget(const char* name) { return frame::testing::Widget(name); }

std::string ProgramTest::Caption() { return Widget("Form1")->windowTitle().toStdString(); }

bool ProgramTest::Enabled(const char* name) { return Widget(name)->isEnabled(); }

}  // namespace testsupport
