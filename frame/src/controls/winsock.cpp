// The Winsock control on a form, reached late through its dispatch identifiers as an automation
// client would; its events go to the form's handlers.
#include "frame/winsock.h"

#include <platform/winsock.h>

#include "events.h"
#include "kinds.h"

namespace frame {
namespace {

constexpr EventSpec Events[] = {
    {"Connect", HandlerShape::Plain},
    {"Close", HandlerShape::Plain},
    {"DataArrival", HandlerShape::Arrival},
    {"Error", HandlerShape::SocketError},
};

class WinsockObject : public ControlObject {
public:
    explicit WinsockObject(ControlDescription description) : ControlObject(std::move(description)) {
        const ControlDescription& d = this->description();
        control_ = winsock::CreateControl({
            .connect = [&d] { detail::RaiseEvent(d, "Connect"); },
            .dataArrival = [&d](std::int32_t bytesTotal) { detail::RaiseArrivalEvent(d, bytesTotal); },
            .close = [&d] { detail::RaiseEvent(d, "Close"); },
            .error = [&d](std::int16_t number,
                          const std::string& text) { detail::RaiseSocketErrorEvent(d, number, text); },
        });
    }

    // What the control refuses comes back as a run-time error with its number.
    void Put(int dispid, const winsock::Variant& value) {
        try {
            control_->PropertyPut(dispid, value);
        } catch (const winsock::ControlError& error) {
            Raise(error.number, error.description);
        }
    }
    void Call(int dispid, std::vector<winsock::Variant> args) {
        try {
            control_->Invoke(dispid, std::move(args));
        } catch (const winsock::ControlError& error) {
            Raise(error.number, error.description);
        }
    }

private:
    std::unique_ptr<winsock::Automation> control_;
};

std::unique_ptr<ControlObject> Build(const ControlDescription& row, const BuildContext&) {
    return std::make_unique<WinsockObject>(row);
}

WinsockObject& Object(const std::string& name) { return detail::FindControlAs<WinsockObject>(name); }

}  // namespace

const ControlKindInfo WinsockKind = {ControlKind::Winsock, "Winsock control", Events, &Build};

void Winsock::setRemoteHost(std::string_view host) const { Object(name()).Put(winsock::RemoteHost, std::string(host)); }
void Winsock::setRemotePort(std::int32_t port) const { Object(name()).Put(winsock::RemotePort, port); }
void Winsock::Connect() const { Object(name()).Call(winsock::Connect, {}); }
void Winsock::Close() const { Object(name()).Call(winsock::Close, {}); }
void Winsock::SendData(std::string_view text) const { Object(name()).Call(winsock::SendData, {std::string(text)}); }
void Winsock::GetData(std::vector<std::uint8_t>& data, std::int32_t maxLen) const {
    Object(name()).Call(winsock::GetData, {&data, std::monostate{}, maxLen});
}

}  // namespace frame
