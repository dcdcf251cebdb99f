#include "xorg_dummy_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "x_session.h"

namespace displaytest {
namespace {

std::atomic<pid_t> runningServer{-1};
struct sigaction previousActions[NSIG];

void KillRunningServer() {
    const pid_t pid = runningServer.exchange(-1);
    if (pid > 0) kill(pid, SIGTERM);
}

void OnTerminatingSignal(int signal) {
    KillRunningServer();
    sigaction(signal, &previousActions[signal], nullptr);
    raise(signal);
}

// A crash or SIGKILL is covered by the server's parent-death signal; these cover the endings that
// run code.
void InstallGuards() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    std::atexit(KillRunningServer);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = OnTerminatingSignal;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, &previousActions[signal]);
        // A signal this process was told to ignore stays ignored.
        if (previousActions[signal].sa_handler == SIG_IGN) sigaction(signal, &previousActions[signal], nullptr);
    }
}

// Work folders are named after the test process, so those of processes killed outright can go.
constexpr const char* kWorkDirPrefix = "/tmp/display-xorg-";

void RemoveStaleWorkDirs() {
    std::error_code error;
    const std::string prefix = std::filesystem::path(kWorkDirPrefix).filename();
    for (const auto& entry : std::filesystem::directory_iterator("/tmp", error)) {
        const std::string name = entry.path().filename();
        if (!name.starts_with(prefix)) continue;
        const pid_t owner = static_cast<pid_t>(std::atol(name.c_str() + prefix.size()));
        if (owner > 0 && kill(owner, 0) != 0 && errno == ESRCH) std::filesystem::remove_all(entry.path(), error);
    }
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

std::string XorgDummySession::Unavailable() {
    if (geteuid() != 0) return "Xorg with the dummy driver needs root here";
    if (!OnPath("Xorg")) return "Xorg is not installed (xserver-xorg-core)";
    if (access("/usr/lib/xorg/modules/drivers/dummy_drv.so", R_OK) != 0) {
        return "the dummy video driver is not installed (xserver-xorg-video-dummy)";
    }
    return {};
}

XorgDummySession::XorgDummySession(const std::string& configPath) {
    InstallGuards();
    if (const char* d = std::getenv("DISPLAY")) {
        hadDisplay_ = true;
        previousDisplay_ = d;
    }
    RemoveStaleWorkDirs();
    std::string pattern = std::string(kWorkDirPrefix) + std::to_string(getpid()) + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    workDir_ = pattern;
    // An empty directory of our own stands in for /etc/X11/xorg.conf.d.
    const std::string configDir = workDir_ + "/xorg.conf.d";
    std::filesystem::create_directory(configDir);
    logPath_ = workDir_ + "/Xorg.log";
    const std::string errorPath = workDir_ + "/stderr.txt";

    int pipefd[2];
    if (pipe(pipefd) != 0) return;
    fcntl(pipefd[0], F_SETFD, FD_CLOEXEC);
    std::vector<std::string> args = {
        "Xorg", "-config",     configPath,  "-configdir", configDir, "-noreset",   "-nolisten",
        "tcp",  "-novtswitch", "-sharevts", "-logfile",   logPath_,  "-displayfd", std::to_string(pipefd[1])};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        const int in = open("/dev/null", O_RDONLY);
        const int err = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in >= 0) dup2(in, 0);
        if (err >= 0) {
            dup2(err, 1);
            dup2(err, 2);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipefd[1]);
    if (child < 0) {
        close(pipefd[0]);
        return;
    }
    server_ = child;
    runningServer = child;

    // The server writes its display number once it accepts connections.
    std::string number;
    pollfd pfd{pipefd[0], POLLIN, 0};
    char c;
    while (poll(&pfd, 1, 15000) > 0 && read(pipefd[0], &c, 1) == 1 && c != '\n') number += c;
    close(pipefd[0]);
    if (number.empty()) return;
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
}

XorgDummySession::~XorgDummySession() {
    runningServer = -1;
    testsupport::StopProcess(server_, 3000);
    if (hadDisplay_) {
        setenv("DISPLAY", previousDisplay_.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
    std::error_code ignored;
    if (!workDir_.empty()) std::filesystem::remove_all(workDir_, ignored);
}

std::string XorgDummySession::Diagnostics() const {
    std::string text;
    for (const std::string& path : {workDir_ + "/stderr.txt", logPath_}) {
        std::ifstream in(path);
        const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        text += "== " + path + "\n" + (content.size() > 4000 ? content.substr(content.size() - 4000) : content);
    }
    return text;
}

}  // namespace displaytest
