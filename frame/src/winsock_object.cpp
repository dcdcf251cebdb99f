// The Winsock control as a control of the form: its events go to the form's handlers.
#include "frame/winsock.h"

#include "controls.h"
#include "winsock/winsock_control.h"

namespace frame {
namespace {

class WinsockObject : public ControlObject {
public:
    explicit WinsockObject(ControlDescription description) : ControlObject(std::move(description)) {
        const ControlDescription& d = this->description();
        QObject::connect(&control_, &winsock::WinsockControl::ConnectEvent, [&d] { detail::RaiseEvent(d, "Connect"); });
        QObject::connect(&control_, &winsock::WinsockControl::CloseEvent, [&d] { detail::RaiseEvent(d, "Close"); });
        QObject::connect(&control_, &winsock::WinsockControl::DataArrivalEvent,
                         [&d](std::int32_t bytesTotal) { detail::RaiseArrivalEvent(d, bytesTotal); });
        QObject::connect(&control_, &winsock::WinsockControl::ErrorEvent,
                         [&d](std::int16_t number, const std::string& text) { detail::RaiseSocketErrorEvent(d, number, text); });
    }

    // Late binding: every member goes through its dispatch identifier.
    void Put(int dispid, const winsock::Variant& value) {
        try {
            control_.PropertyPut(dispid, value);
        } catch (const winsock::ControlError& error) {
            Raise(error.number, error.description);
        }
    }
    void Call(int dispid, std::vector<winsock::Variant> args) {
        try {
            control_.Invoke(dispid, std::move(args));
        } catch (const winsock::ControlError& error) {
            Raise(error.number, error.description);
        }
    }

private:
    winsock::WinsockControl control_;
};

WinsockObject& Object(const std::string& name) { return detail::FindControlAs<WinsockObject>(name); }

}  // namespace

std::unique_ptr<ControlObject> CreateWinsockObject(ControlDescription description) {
    return std::make_unique<WinsockObject>(std::move(description));
}

void Winsock::setRemoteHost(std::string_view host) const { Object(name()).Put(winsock::RemoteHost, std::string(host)); }
void Winsock::setRemotePort(std::int32_t port) const { Object(name()).Put(winsock::RemotePort, port); }
void Winsock::Connect() const { Object(name()).Call(winsock::Connect, {}); }
void Winsock::Close() const { Object(name()).Call(winsock::Close, {}); }
void Winsock::SendData(std::string_view text) const { Object(name()).Call(winsock::SendData, {std::string(text)}); }
void Winsock::GetData(std::vector<std::uint8_t>& data, std::int32_t maxLen) const {
    Object(name()).Call(winsock::GetData, {&data, std::monostate{}, maxLen});
}

}  // namespace frame
