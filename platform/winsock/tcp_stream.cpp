#include "winsock/tcp_stream.h"

#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <utility>

namespace winsock {
namespace {

// What one wake-up of the reader takes at most, so a fast peer cannot hold the event loop.
constexpr std::size_t kReadBudget = 1 << 20;
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kWriteChunk = 256 * 1024;

struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;
    int family = AF_UNSPEC;
};

SocketAddress MakeAddress(const QHostAddress& address, std::uint16_t port) {
    SocketAddress result;
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4 && address.protocol() == QAbstractSocket::IPv4Protocol) {
        auto* in = reinterpret_cast<sockaddr_in*>(&result.storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(v4);
        result.length = sizeof(sockaddr_in);
        result.family = AF_INET;
    } else if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&result.storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &bytes, sizeof bytes);
        in6->sin6_scope_id = address.scopeId().toUInt();
        result.length = sizeof(sockaddr_in6);
        result.family = AF_INET6;
    }
    return result;
}

SocketAddress AnyAddress(int family, std::uint16_t port) {
    return MakeAddress(family == AF_INET6 ? QHostAddress(QHostAddress::AnyIPv6) : QHostAddress(QHostAddress::AnyIPv4),
                       port);
}

// A notifier must not be destroyed from inside its own signal, which is where most of these
// decisions are taken; it is switched off now and deleted once control is back in the loop (or
// with the stream, its parent, whichever comes first).
void Retire(std::unique_ptr<QSocketNotifier>& notifier) {
    if (!notifier) return;
    notifier->setEnabled(false);
    notifier.release()->deleteLater();
}

}  // namespace

TcpStream::TcpStream(Handlers handlers) : handlers_(std::move(handlers)), scratch_(kReadChunk) {}

TcpStream::~TcpStream() { CloseSocket(); }

void TcpStream::Start(std::vector<QHostAddress> addresses, std::uint16_t port, std::uint16_t localPort) {
    addresses_ = std::move(addresses);
    nextAddress_ = 0;
    port_ = port;
    localPort_ = localPort;
    TryNextAddress();
}

void TcpStream::TryNextAddress() {
    while (nextAddress_ < addresses_.size()) {
        const SocketAddress target = MakeAddress(addresses_[nextAddress_++], port_);
        if (target.family == AF_UNSPEC) {
            lastError_ = EAFNOSUPPORT;
            continue;
        }
        const int fd = ::socket(target.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            lastError_ = errno;
            continue;
        }
        if (localPort_ != 0) {
            const SocketAddress local = AnyAddress(target.family, localPort_);
            if (::bind(fd, reinterpret_cast<const sockaddr*>(&local.storage), local.length) != 0) {
                lastError_ = errno;
                ::close(fd);
                continue;
            }
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&target.storage), target.length) == 0) {
            Watch(fd);
            if (handlers_.connected) handlers_.connected();
            return;
        }
        if (errno == EINPROGRESS) {
            connecting_ = true;
            Watch(fd);
            return;
        }
        lastError_ = errno;
        ::close(fd);
    }
    Fail(lastError_ != 0 ? lastError_ : EADDRNOTAVAIL);
}

void TcpStream::Watch(int fd) {
    fd_ = fd;
    readNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read, this);
    writeNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write, this);
    QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, this, [this] { OnReadable(); });
    QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, this, [this] { OnWritable(); });
    readNotifier_->setEnabled(!connecting_ && readingWanted_);
    writeNotifier_->setEnabled(connecting_ || !outgoing_.empty());
}

void TcpStream::OnWritable() {
    if (fd_ < 0) return;
    if (connecting_) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
        if (error == EINPROGRESS || error == EALREADY) return;
        connecting_ = false;
        // A peer that accepted, sent and reset before we looked leaves the reset here, with what it
        // sent still waiting: that counts as a connection whose data is read before its reset.
        if (error != 0 && HasWaitingBytes()) {
            pendingError_ = error;
            error = 0;
        }
        if (error != 0) {
            CloseSocket();
            lastError_ = error;
            TryNextAddress();
            return;
        }
        readNotifier_->setEnabled(readingWanted_);
        writeNotifier_->setEnabled(!outgoing_.empty());
        if (handlers_.connected) handlers_.connected();
        return;
    }
    while (!outgoing_.empty()) {
        const auto chunk = outgoing_.Front(kWriteChunk);
        const ssize_t sent = ::send(fd_, chunk.data(), chunk.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            outgoing_.Drop(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        const int error = sent < 0 ? errno : EPIPE;
        if (finishing_) {
            CloseSocket();
            deleteLater();
        } else if (ended_) {
            // The peer already closed and the Close event told so; what it no longer takes is dropped.
            outgoing_.Clear();
            writeNotifier_->setEnabled(false);
        } else {
            Fail(error);
        }
        return;
    }
    if (outgoing_.empty()) {
        writeNotifier_->setEnabled(false);
        if (finishing_) {
            CloseSocket();
            deleteLater();
        }
    }
}

void TcpStream::OnReadable() {
    std::size_t taken = 0;
    while (fd_ >= 0 && taken < kReadBudget && (readingWanted_ || finishing_)) {
        const ssize_t count = ::recv(fd_, scratch_.data(), scratch_.size(), 0);
        if (count > 0) {
            taken += static_cast<std::size_t>(count);
            if (handlers_.received) handlers_.received(std::span(scratch_.data(), static_cast<std::size_t>(count)));
            continue;
        }
        if (count == 0) {
            if (pendingError_ != 0) {
                Fail(std::exchange(pendingError_, 0));
                return;
            }
            ended_ = true;
            readNotifier_->setEnabled(false);
            if (handlers_.ended) handlers_.ended();
            return;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return;
        if (finishing_) {
            CloseSocket();
            deleteLater();
        } else {
            Fail(errno);
        }
        return;
    }
}

bool TcpStream::HasWaitingBytes() const {
    std::uint8_t byte = 0;
    return ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
}

void TcpStream::Write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0 || connecting_ || bytes.empty()) return;
    if (outgoing_.empty()) {
        while (!bytes.empty()) {
            const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent > 0) {
                bytes = bytes.subspan(static_cast<std::size_t>(sent));
                continue;
            }
            if (sent < 0 && errno == EINTR) continue;
            if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
            if (ended_) return;
            Fail(sent < 0 ? errno : EPIPE);
            return;
        }
    }
    if (bytes.empty()) return;
    outgoing_.Append(bytes);
    writeNotifier_->setEnabled(true);
}

void TcpStream::SetReading(bool enabled) {
    readingWanted_ = enabled;
    if (readNotifier_ && fd_ >= 0 && !connecting_ && !ended_) readNotifier_->setEnabled(enabled);
}

std::uint16_t TcpStream::LocalPort() const {
    if (fd_ < 0) return 0;
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
    if (local.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in*>(&local)->sin_port);
    if (local.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6*>(&local)->sin6_port);
    return 0;
}

void TcpStream::FinishInBackground(QObject* keeper, int timeoutMs) {
    handlers_ = {};
    finishing_ = true;
    setParent(keeper);
    if (fd_ < 0 || connecting_ || outgoing_.empty()) {
        CloseSocket();
        deleteLater();
        return;
    }
    // Whatever the peer still sends is read and dropped, so that our close ends in FIN, not RST.
    readNotifier_->setEnabled(!ended_);
    QTimer::singleShot(timeoutMs, this, [this] {
        CloseSocket();
        deleteLater();
    });
}

void TcpStream::Fail(int error) {
    CloseSocket();
    if (handlers_.failed) handlers_.failed(error);
}

void TcpStream::CloseSocket() {
    Retire(readNotifier_);
    Retire(writeNotifier_);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    connecting_ = false;
}

}  // namespace winsock
