// The control as its container creates it: the signals of the Qt object become the events the
// container asked for.
#include "platform/winsock.h"

#include "winsock/winsock_control.h"

namespace winsock {

std::unique_ptr<Automation> CreateControl(ControlEvents events) {
    auto control = std::make_unique<WinsockControl>();
    WinsockControl* c = control.get();
    if (events.connect) QObject::connect(c, &WinsockControl::ConnectEvent, std::move(events.connect));
    if (events.dataArrival) QObject::connect(c, &WinsockControl::DataArrivalEvent, std::move(events.dataArrival));
    if (events.close) QObject::connect(c, &WinsockControl::CloseEvent, std::move(events.close));
    if (events.error) QObject::connect(c, &WinsockControl::ErrorEvent, std::move(events.error));
    return control;
}

}  // namespace winsock
