// One outgoing TCP connection on a non-blocking socket, driven by the event loop of the thread
// that owns it. Own sockets rather than QTcpSocket because the control must tell a reset
// connection (10054) from a closed one, which QTcpSocket reports alike.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QSocketNotifier>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "winsock/byte_queue.h"

namespace winsock {

class TcpStream : public QObject {
public:
    // Called from the event loop (and `failed` also from inside Write); none of them may
    // destroy the stream.
    struct Handlers {
        std::function<void()> connected;
        std::function<void(std::span<const std::uint8_t>)> received;
        std::function<void()> ended;      // the peer closed its side
        std::function<void(int)> failed;  // errno; the socket is closed
    };

    explicit TcpStream(Handlers handlers);
    ~TcpStream() override;
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    // Tries the addresses in turn until one accepts; `failed` reports the last one's error.
    void Start(std::vector<QHostAddress> addresses, std::uint16_t port, std::uint16_t localPort);

    // Sends what the socket takes at once and keeps the rest for when it can take more.
    void Write(std::span<const std::uint8_t> bytes);

    // Stops and restarts taking bytes from the socket, so a reader that falls behind slows the peer.
    void SetReading(bool enabled);

    std::uint16_t LocalPort() const;
    bool HasPendingWrites() const { return !outgoing_.empty(); }

    // Drops every handler, sends what is still queued and then closes, or gives up after
    // `timeoutMs`; the stream deletes itself when done.
    // `keeper` owns it meanwhile, so nothing outlives the control.
    void FinishInBackground(QObject* keeper, int timeoutMs);

private:
    void TryNextAddress();
    void OnWritable();
    void OnReadable();
    void Fail(int error);
    void CloseSocket();
    void Watch(int fd);
    bool HasWaitingBytes() const;

    Handlers handlers_;
    std::vector<QHostAddress> addresses_;
    std::size_t nextAddress_ = 0;
    std::uint16_t port_ = 0;
    std::uint16_t localPort_ = 0;
    int lastError_ = 0;
    int pendingError_ = 0;  // a reset found at the connect's completion, reported once the data is read
    int fd_ = -1;
    bool connecting_ = false;
    bool ended_ = false;
    bool finishing_ = false;
    bool readingWanted_ = true;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    ByteQueue outgoing_;
    std::vector<std::uint8_t> scratch_;
};

}  // namespace winsock
