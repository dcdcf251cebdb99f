// The Winsock control (MSWinsockLib.Winsock) as a TCP client on the UI thread's event loop.
// Programs reach it late, by dispatch id; its events arrive as queued Qt signals, never from
// inside one of its own member calls.
//
// States (State property, the original control's numbering) and what each call does in them:
//
//   call            Closed  Resolving/Connecting  Connected  Closing(peer closed)  Error
//   Connect         start   40020                 40020      40020                 40020
//   SendData        40006   40006                 send       40006                 40006
//   GetData         40006   40006                 take       take                  take
//   Close           -       abandon -> Closed     -> Closed  -> Closed             -> Closed
//
// Property writes are taken in every state except LocalPort (Closed only, else 40020); a port
// below 0 or above 65535 is refused with 380. Connect does not check host or port: an empty or unknown
// host raises Error 11001, port 0 Error 10049, and every failure leaves the state Error until
// Close. A connection attempt gives up with Error 10060 after the connect timeout (30 s).
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "platform/winsock.h"
#include "winsock/byte_queue.h"
#include "winsock/errors.h"

namespace winsock {

class TcpStream;

class WinsockControl : public QObject, public Automation {
    Q_OBJECT

public:
    explicit WinsockControl(QObject* parent = nullptr);
    ~WinsockControl() override;
    WinsockControl(const WinsockControl&) = delete;
    WinsockControl& operator=(const WinsockControl&) = delete;

    Variant PropertyGet(int dispid) override;
    void PropertyPut(int dispid, const Variant& value) override;
    Variant Invoke(int dispid, std::vector<Variant> args) override;

    SocketState CurrentState() const { return state_; }
    // For tests; the control starts with 30 seconds.
    void SetConnectTimeout(std::chrono::milliseconds timeout);

Q_SIGNALS:
    void ConnectEvent();
    void DataArrivalEvent(std::int32_t bytesTotal);
    void CloseEvent();
    void ErrorEvent(std::int16_t number, const std::string& description);

private:
    void StartConnect();
    void OnResolved(std::vector<QHostAddress> addresses);
    void Send(std::span<const std::uint8_t> bytes);
    void Take(std::vector<std::uint8_t>& data, std::size_t maxLength);
    void CloseConnection();
    void Fail(ErrorNumber number);
    void OnReceived(std::span<const std::uint8_t> bytes);
    void Post(std::function<void()> delivery);

    std::string remoteHost_;
    std::int32_t remotePort_ = 0;
    std::int32_t localPort_ = 0;
    SocketState state_ = SocketState::Closed;
    // Bumped by every Connect and Close so that events and lookups of an earlier attempt are dropped.
    std::uint64_t attempt_ = 0;
    bool dataArrivalPending_ = false;
    std::unique_ptr<TcpStream> stream_;
    ByteQueue received_;
    QTimer connectTimer_;
};

}  // namespace winsock
