// The set-up every in-process program test shares: message boxes recorded instead of shown, the
// program started before each test and stopped after it, and the few ways a test acts on its form.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>

#include <string>
#include <vector>

namespace testsupport {

class ProgramTest : public ::testing::Test {
protected:
    // How message boxes are taken: into messages_, each as its text or as "title|text", or as a
    // failure of the test where none is expected (a real box would block the test).
    enum class Messages { Text, TitleAndText, NoneExpected };
    struct Options {
        // Off for tests that start the program themselves, once their devices are in place.
        bool start = true;
        Messages messages = Messages::Text;
    };
    ProgramTest() : ProgramTest(Options{}) {}
    explicit ProgramTest(Options options) : options_(options) {}

    // A fixture that prepares something first calls these in the middle of its own.
    void SetUp() override;
    void TearDown() override;

    static void Click(const char* name);
    static QWidget* Widget(const char* name);
    static std::string Caption();
    static bool Enabled(const char* name);

    std::vector<std::string> messages_;

private:
    Options options_;
};

}  // namespace testsupport
