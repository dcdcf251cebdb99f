// Things that are no regular file, put where a program reads a file, and a watchdog for calls that
// must answer at once.
#pragma once

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

inline constexpr const char* kNoFileKinds[] = {"fifo", "link to /dev/zero", "directory", "socket"};

// Puts a `kind` (one of kNoFileKinds) at `path`; a socket stays bound while the returned
// descriptor is open (-1 for the other kinds).
inline int MakeNoFile(const std::string& kind, const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::remove_all(path);
    if (kind == "fifo") {
        if (::mkfifo(path.c_str(), 0600) != 0) std::perror("mkfifo");
    } else if (kind == "link to /dev/zero") {
        std::filesystem::create_symlink("/dev/zero", path);
    } else if (kind == "directory") {
        std::filesystem::create_directory(path);
    } else if (kind == "socket") {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) std::perror("bind");
        return fd;
    }
    return -1;
}

// Ends the test process with a message if it is still alive after `limit`: a call that hangs in
// open() cannot be taken back, and the test must not wait for ctest's timeout to say so.
class Watchdog {
public:
    explicit Watchdog(std::string what, std::chrono::seconds limit = std::chrono::seconds(10))
        : thread_([this, what = std::move(what), limit] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
                  std::fprintf(stderr, "FAILED: %s did not answer within %lld s\n", what.c_str(),
                               static_cast<long long>(limit.count()));
                  std::fflush(stderr);
                  std::_Exit(1);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;  // last, so it starts once the rest is there
};

}  // namespace testsupport
