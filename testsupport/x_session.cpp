#include "x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (auto& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry(*e);
        const std::string key = entry.substr(0, entry.find('='));
        bool overridden = false;
        for (const auto& x : extra) overridden |= x.substr(0, x.find('=')) == key;
        if (!overridden) env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
            posix_spawn_file_actions_t* actions) {
    std::vector<std::string> args = argv;
    std::vector<std::string> env = EnvironmentWith(extraEnv);
    auto argp = Pointers(args);
    auto envp = Pointers(env);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argp[0], actions, nullptr, argp.data(), envp.data()) != 0) return -1;
    return pid;
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
    int pipefd[2];
    if (pipe2(pipefd, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipefd[1], 1);
    const pid_t pid = Spawn(argv, extraEnv, &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(pipefd[1]);
    CommandResult result;
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipefd[0], buffer, sizeof buffer)) > 0) result.output.append(buffer, static_cast<size_t>(n));
    close(pipefd[0]);
    if (pid < 0) return result;
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

pid_t StartProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
    return Spawn(argv, extraEnv, nullptr);
}

int WaitProcess(pid_t pid, int timeoutMs) {
    int status = 0;
    const bool done = WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs);
    if (!done) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void StopProcess(pid_t pid, int graceMs) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (WaitProcess(pid, graceMs) == -1) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

bool SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return true;
}

XSession::XSession() : XSession(Options{}) {}

XSession::XSession(Options options) {
    if (const char* d = std::getenv("DISPLAY")) {
        hadDisplay_ = true;
        previousDisplay_ = d;
    }
    const std::string screen =
        std::to_string(options.width) + "x" + std::to_string(options.height) + "x" + std::to_string(options.depth);
    // Servers started with -displayfd all search upwards from :0 and, started at the same moment by
    // parallel tests, can end up reporting one another's display. A random number far above theirs,
    // checked to be this server's own socket, cannot.
    std::mt19937 random(static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(time(nullptr)));
    std::string number;
    for (int attempt = 0; attempt < 8 && number.empty(); ++attempt) {
        const std::string candidate = std::to_string(200 + random() % 30000);
        if (access(("/tmp/.X" + candidate + "-lock").c_str(), F_OK) == 0) continue;
        // -noreset: by default the server starts over whenever its last client leaves, and a client
        // connecting in that moment is refused.
        server_ = Spawn({"Xvfb", ":" + candidate, "-noreset", "-screen", "0", screen, "-nolisten", "tcp",
                         options.randr ? "+extension" : "-extension", "RANDR"},
                        {}, nullptr);
        int status = 0;
        const bool listening = WaitUntil(
            [&] {
                return access(("/tmp/.X11-unix/X" + candidate).c_str(), F_OK) == 0 &&
                       RunCommand({"xdpyinfo", "-display", ":" + candidate}).exitCode == 0;
            },
            10000);
        if (listening && waitpid(server_, &status, WNOHANG) == 0) {
            number = candidate;
        } else {
            StopProcess(server_);
            server_ = -1;
        }
    }
    if (number.empty()) return;
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
    if (options.windowManager) {
        windowManager_ = Spawn({"openbox", "--sm-disable"}, {"DISPLAY=" + display_}, nullptr);
        // openbox announces itself with _NET_SUPPORTING_WM_CHECK but manages windows only once it
        // has loaded its theme (_OB_THEME); a window mapped before that stays unmanaged.
        WaitUntil(
            [&] {
                auto r = RunCommand({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK", "_OB_THEME"});
                return r.output.find("window id") != std::string::npos &&
                       r.output.find("_OB_THEME(") != std::string::npos;
            },
            5000);
    }
}

XSession::~XSession() {
    StopProcess(windowManager_);
    StopProcess(server_);
    if (hadDisplay_) {
        setenv("DISPLAY", previousDisplay_.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}

}  // namespace testsupport
