// A real Xorg server with the dummy video driver, for tests that switch display modes. It runs on
// a free display number with only the given configuration, and it never outlives the test
// process: stopped by the destructor, at exit, on SIGTERM/SIGINT/SIGHUP and on a crash, and told by
// the kernel to end when its parent dies.
#pragma once

#include <string>

#include <sys/types.h>

#include "session_environment.h"

namespace displaytest {

class XorgDummySession {
public:
    // Why no server can be started here (not root, no Xorg, no dummy driver); empty when one can.
    static std::string Unavailable();

    // Starts the server; DISPLAY is set in this process while it lives.
    explicit XorgDummySession(const std::string& configPath);
    ~XorgDummySession();
    XorgDummySession(const XorgDummySession&) = delete;
    XorgDummySession& operator=(const XorgDummySession&) = delete;

    bool ok() const { return !display_.empty(); }
    const std::string& display() const { return display_; }
    // The server's own output and the end of its log, to show when it would not start.
    std::string Diagnostics() const;

private:
    testsupport::OwnSession ownSession_;
    pid_t server_ = -1;
    std::string display_;
    std::string workDir_;
    std::string logPath_;
    std::string previousDisplay_;
    bool hadDisplay_ = false;
};

}  // namespace displaytest
