// The Winsock control (MSWinsockLib.Winsock) as its container sees it: an automation interface
// reached late by dispatch id, and the four events the control raises on the UI thread's loop.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace winsock {

enum DispatchId : int {
    RemotePort = 1,     // property, 32-bit integer
    LocalPort = 2,      // property, 32-bit integer; reads the bound port while a connection stands
    State = 4,          // property, read only, a SocketState value
    BytesReceived = 8,  // property, read only, bytes waiting for GetData
    RemoteHost = 10,    // property, text
    Connect = 64,       // method ([host], [port])
    SendData = 67,      // method (data)
    GetData = 68,       // method (data by reference, [type], [maxLen])
    Close = 70,         // method ()
};

// Text is UTF-8; a byte array passes by reference so GetData can fill the caller's own array.
using Variant = std::variant<std::monostate, std::int32_t, std::string, std::vector<std::uint8_t>*>;

enum class SocketState : std::int32_t {
    Closed = 0,
    Open = 1,
    Listening = 2,
    ConnectionPending = 3,
    ResolvingHost = 4,
    HostResolved = 5,
    Connecting = 6,
    Connected = 7,
    Closing = 8,
    Error = 9,
};

// Refusals of a property or a call come back to the caller as this exception; the form run time
// turns it into one of its run-time errors.
struct ControlError {
    std::int32_t number;
    std::string description;
};

class Automation {
public:
    virtual ~Automation() = default;
    // Each throws ControlError for what the control refuses.
    virtual Variant PropertyGet(int dispid) = 0;
    virtual void PropertyPut(int dispid, const Variant& value) = 0;
    virtual Variant Invoke(int dispid, std::vector<Variant> args) = 0;
};

// Never raised from inside one of the control's own member calls.
struct ControlEvents {
    std::function<void()> connect;
    std::function<void(std::int32_t bytesTotal)> dataArrival;
    std::function<void()> close;
    std::function<void(std::int16_t number, const std::string& description)> error;
};

std::unique_ptr<Automation> CreateControl(ControlEvents events);

}  // namespace winsock
