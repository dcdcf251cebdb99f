// A program of the suite started as the user starts it, in its own process on an X server of the
// test's own, with or without a window manager.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "x_queries.h"
#include "x_session.h"

namespace testsupport {

// A program in its own process, stopped by its id when the test is over.
class Program {
public:
    explicit Program(const std::string& path) : pid_(StartProcess({path})) {}
    ~Program() {
        if (pid_ > 0 && !ended_) StopProcess(pid_);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pid_t pid() const { return pid_; }
    // The exit status, or -1 when it is still running after `timeoutMs`.
    int WaitForEnd(int timeoutMs) {
        const int status = WaitProcess(pid_, timeoutMs);
        ended_ = status != -1;
        return status;
    }

private:
    pid_t pid_;
    bool ended_ = false;
};

class ProgramsOnX : public ::testing::Test {
protected:
    void StartSession(bool windowManager) {
        session_ = std::make_unique<XSession>(XSession::Options{.windowManager = windowManager});
        ASSERT_TRUE(session_->ok());
        if (windowManager) {
            ASSERT_TRUE(WaitForWindowManager(10000));
        }
    }

    // Starts the program and waits until its window shows, managed when there is a window manager.
    unsigned long Show(std::unique_ptr<Program>& program, const std::string& path, bool managed = true) {
        program = std::make_unique<Program>(path);
        const auto window = WindowOfProcess(program->pid(), 10000);
        EXPECT_TRUE(window);
        if (!window) return 0;
        if (managed) {
            EXPECT_TRUE(WaitUntil([&] { return FrameExtents(*window).size() == 4; }, 5000));
        }
        SleepMs(300);
        return *window;
    }

    std::unique_ptr<XSession> session_;
};

}  // namespace testsupport
