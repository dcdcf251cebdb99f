// Real X servers and window managers for tests, started here and stopped by process id.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

#include "session_environment.h"

namespace testsupport {

struct CommandResult {
    int exitCode = -1;
    std::string output;  // standard output only
};

// Runs argv[0] found on PATH, without a shell, and waits for it.
CommandResult RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {});

// Starts argv without a shell, in the background; returns its process id.
pid_t StartProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {});
// Sends SIGTERM, then SIGKILL after `graceMs`, and reaps.
void StopProcess(pid_t pid, int graceMs = 2000);
// Waits for the process to end by itself; returns its exit status or -1 on time-out.
int WaitProcess(pid_t pid, int timeoutMs);

// Xvfb (optionally with openbox) on a free display number. DISPLAY is set in this process while it lives.
class XSession {
public:
    struct Options {
        int width = 1280;
        int height = 1024;
        int depth = 24;
        bool windowManager = false;  // openbox
        bool randr = true;
    };
    XSession();
    explicit XSession(Options options);
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    const std::string& display() const { return display_; }
    bool ok() const { return !display_.empty(); }

private:
    testsupport::OwnSession ownSession_;
    pid_t server_ = -1;
    pid_t windowManager_ = -1;
    std::string display_;
    std::string previousDisplay_;
    bool hadDisplay_ = false;
};

// Polls `predicate` every 20 ms up to `timeoutMs`.
template <typename Predicate>
bool WaitUntil(Predicate predicate, int timeoutMs);

bool SleepMs(int ms);

}  // namespace testsupport

#include "x_session_wait.h"
