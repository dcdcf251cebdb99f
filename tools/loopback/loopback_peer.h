// A TCP peer on 127.0.0.1 for the Winsock control's tests and benchmark: plain blocking sockets
// on a thread of its own, so it runs independently of the event loop under test.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace winsocktest {

// A listening socket bound to 127.0.0.1 on a port the system picks.
inline int ListenOnLoopback(std::uint16_t& port, int backlog = 8) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 || ::listen(fd, backlog) != 0) {
        ::close(fd);
        throw std::runtime_error("bind/listen");
    }
    port = ntohs(address.sin_port);
    return fd;
}

inline bool WaitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) > 0;
}

inline bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
    return true;
}

inline bool WriteAll(int fd, const std::string& text) {
    return WriteAll(fd, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// Reads until `count` bytes came, the peer closed, or `timeoutMs` passed without a byte.
inline std::string ReadBytes(int fd, std::size_t count, int timeoutMs = 5000) {
    std::string result;
    char buffer[65536];
    while (result.size() < count && WaitReadable(fd, timeoutMs)) {
        const ssize_t got = ::recv(fd, buffer, std::min(sizeof buffer, count - result.size()), 0);
        if (got <= 0) break;
        result.append(buffer, static_cast<std::size_t>(got));
    }
    return result;
}

// True once the other side has closed; whatever it sent before is returned in `rest`.
inline bool ReadUntilClosed(int fd, std::string& rest, int timeoutMs = 5000) {
    char buffer[65536];
    while (WaitReadable(fd, timeoutMs)) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got == 0) return true;
        if (got < 0) return false;
        rest.append(buffer, static_cast<std::size_t>(got));
    }
    return false;
}

// Closes with a reset instead of an orderly close.
inline void ResetConnection(int& fd) {
    linger option{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &option, sizeof option);
    ::close(fd);
    fd = -1;
}

// Accepts connections one after another and hands each to `serve` on the peer's thread. The
// connection is closed when `serve` returns, unless it closed it itself (set the descriptor to -1).
class LoopbackPeer {
public:
    using Serve = std::function<void(int& fd, int index)>;

    explicit LoopbackPeer(Serve serve, int connections = 1) : listener_(ListenOnLoopback(port_)) {
        thread_ = std::thread([this, serve = std::move(serve), connections] {
            for (int index = 0; index < connections && !stop_; ++index) {
                int fd = -1;
                while (!stop_ && fd < 0) {
                    if (WaitReadable(listener_, 50)) fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                }
                if (fd < 0) return;
                accepted_.fetch_add(1);
                serve(fd, index);
                if (fd >= 0) ::close(fd);
            }
        });
    }
    ~LoopbackPeer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    std::uint16_t port() const { return port_; }
    int accepted() const { return accepted_.load(); }
    // `serve` may poll this to give up early when the test is over.
    bool stopping() const { return stop_; }

private:
    std::uint16_t port_ = 0;
    int listener_;
    std::atomic<bool> stop_{false};
    std::atomic<int> accepted_{0};
    std::thread thread_;
};

// Deterministic bytes for bulk transfers, the same on both ends.
inline std::uint8_t PatternByte(std::size_t index) {
    const std::uint64_t x = (index * 0x9E3779B97F4A7C15ull) >> 29;
    return static_cast<std::uint8_t>(x ^ (index >> 12));
}

}  // namespace winsocktest
