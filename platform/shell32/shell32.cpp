#include "shell32/shell32.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

extern char** environ;

namespace shell32 {
namespace {

// Any value above 32 tells the caller that the open started.
constexpr std::intptr_t OpenStarted = 42;

HINSTANCE Answer(std::intptr_t value) { return reinterpret_cast<HINSTANCE>(value); }

bool IsOpenVerb(LPCSTR verb) {
    if (verb == nullptr || *verb == '\0') return true;
    const std::string_view text(verb);
    const std::string_view open = "open";
    if (text.size() != open.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((text[i] | 0x20) != open[i]) return false;
    }
    return true;
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string OpenerName() {
    const char* setting = std::getenv("SUITE_OPENER");
    return setting != nullptr && *setting != '\0' ? setting : "xdg-open";
}

std::string Absolute(const std::string& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

// The opener's absolute path, looked up the way a shell would, so that a missing one is known
// before anything is started (and the child's change of folder cannot lose it).
std::optional<std::string> FindOnPath(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        if (IsExecutableFile(name)) return Absolute(name);
        return std::nullopt;
    }
    const char* setting = std::getenv("PATH");
    const std::string path = setting != nullptr ? setting : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        // An empty entry stands for the working folder.
        const std::string folder = end > start ? path.substr(start, end - start) : std::string(".");
        const std::string candidate = folder + "/" + name;
        if (IsExecutableFile(candidate)) return Absolute(candidate);
        start = end + 1;
    }
    return std::nullopt;
}

[[noreturn]] void ReportAndExit(int pipe, int error) {
    [[maybe_unused]] const ssize_t written = write(pipe, &error, sizeof error);
    _exit(127);
}

// Starts `program` with one argument through a double fork: the grandchild, in its own session,
// belongs to init once the middle child has ended, so nobody has to wait for it. A pipe that closes
// on exec tells whether the exec worked. Returns 0 or the errno of the failed step.
int StartDetached(const std::string& program, const std::string& argument, const std::string& directory) {
    std::string programCopy = program;
    std::string argumentCopy = argument;
    char* argv[] = {programCopy.data(), argumentCopy.data(), nullptr};
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return errno;

    // Between fork and exec only async-signal-safe calls.
    const pid_t middle = fork();
    if (middle < 0) {
        const int error = errno;
        close(report[0]);
        close(report[1]);
        return error;
    }
    if (middle == 0) {
        close(report[0]);
        const pid_t child = fork();
        if (child < 0) ReportAndExit(report[1], errno);
        if (child > 0) _exit(0);
        setsid();
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        sigaction(SIGPIPE, &standard, nullptr);
        sigaction(SIGCHLD, &standard, nullptr);
        const int null = open("/dev/null", O_RDONLY);
        if (null > 0) {
            dup2(null, 0);
            close(null);
        }
        if (!directory.empty() && chdir(directory.c_str()) != 0) ReportAndExit(report[1], errno);
        execve(program.c_str(), argv, environ);
        ReportAndExit(report[1], errno);
    }

    close(report[1]);
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) return error;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return ECHILD;
    return 0;
}

std::intptr_t FailureFor(int error) {
    switch (error) {
        case ENOENT: return SE_ERR_FNF;
        case EACCES:
        case EPERM: return SE_ERR_ACCESSDENIED;
        case ENOMEM:
        case EAGAIN: return SE_ERR_OOM;
        default: return SE_ERR_NOASSOC;
    }
}

}  // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR, LPCSTR lpDirectory, INT) {
    if (!IsOpenVerb(lpOperation)) return Answer(SE_ERR_NOASSOC);
    if (lpFile == nullptr || *lpFile == '\0') return Answer(SE_ERR_FNF);
    std::string file = kernel32::Utf8FromCp932(std::string_view(lpFile));
    const std::string directory =
        lpDirectory != nullptr && *lpDirectory != '\0' ? kernel32::Utf8FromCp932(std::string_view(lpDirectory)) : "";
    if (!directory.empty() && !IsDirectory(directory)) return Answer(SE_ERR_PNF);

    // xdg-open takes no "--": a leading '-' would be read as an option. No URL starts with one, so
    // only a file of that name in the working folder can be meant.
    if (file.front() == '-') {
        if (!Exists((directory.empty() ? std::string(".") : directory) + "/" + file)) return Answer(SE_ERR_FNF);
        file = "./" + file;
    }

    const auto opener = FindOnPath(OpenerName());
    if (!opener) return Answer(SE_ERR_NOASSOC);
    const int error = StartDetached(*opener, file, directory);
    return Answer(error == 0 ? OpenStarted : FailureFor(error));
}

}  // namespace shell32
