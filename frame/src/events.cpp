#include "events.h"

#include <algorithm>
#include <stdexcept>
#include <type_traits>

#include "ending.h"
#include "frame/services.h"
#include "runtime_state.h"

namespace frame {
namespace {

template <typename Handler>
constexpr HandlerShape ShapeOfType() {
    if constexpr (std::is_same_v<Handler, PlainHandler>) return HandlerShape::Plain;
    else if constexpr (std::is_same_v<Handler, MouseHandler>) return HandlerShape::Mouse;
    else if constexpr (std::is_same_v<Handler, ArrivalHandler>) return HandlerShape::Arrival;
    else {
        static_assert(std::is_same_v<Handler, SocketErrorHandler>, "a handler type without its shape");
        return HandlerShape::SocketError;
    }
}

const HandlerEntry* FindHandler(const std::string& name) {
    for (const auto& entry : Form1Handlers) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

const EventSpec* FindEvent(const ControlDescription& control, const std::string& event) {
    const auto events = KindInfo(control.kind).events;
    const auto it = std::find_if(events.begin(), events.end(), [&](const EventSpec& e) { return e.name == event; });
    return it == events.end() ? nullptr : &*it;
}

const HandlerEntry* BoundHandler(const ControlDescription& control, const std::string& event) {
    for (const auto& binding : control.events) {
        if (binding.event == event) return FindHandler(binding.handler);
    }
    return nullptr;
}

}  // namespace

HandlerShape ShapeOf(const HandlerEntry& handler) {
    return std::visit([](auto function) { return ShapeOfType<decltype(function)>(); }, handler.function);
}

void CheckBindings(const FormDescription& description) {
    auto check = [](const ControlDescription& c) {
        for (const auto& binding : c.events) {
            const EventSpec* event = FindEvent(c, binding.event);
            if (event == nullptr) throw std::invalid_argument(c.FullName() + " has no event " + binding.event);
            const HandlerEntry* entry = FindHandler(binding.handler);
            if (entry == nullptr) throw std::invalid_argument("no handler " + binding.handler + " for " + c.FullName());
            if (ShapeOf(*entry) != event->shape) {
                throw std::invalid_argument("handler " + binding.handler + " has the wrong parameters for " +
                                            binding.event);
            }
        }
    };
    check(description.form);
    for (const auto& c : description.controls) check(c);
}

namespace detail {

void Guarded(const std::function<void()>& body) {
    if (State().endedWith) return;
    // In test mode the end arrives as a signal; the state already records it.
    auto report = [](int number, const std::string& text) {
        try {
            ReportFatal(number, text);
        } catch (const ProgramEndedSignal&) {
        }
    };
    try {
        body();
    } catch (const ProgramEndedSignal&) {
    } catch (const RuntimeError& error) {
        report(error.number(), error.description());
    } catch (const std::bad_alloc&) {
        report(errors::OutOfMemory, StandardDescription(errors::OutOfMemory));
    } catch (const std::exception& error) {
        report(errors::InternalError, StandardDescription(errors::InternalError) + " (" + error.what() + ")");
    }
}

void RaiseEvent(const ControlDescription& control, const std::string& event) {
    const HandlerEntry* entry = BoundHandler(control, event);
    if (entry == nullptr) return;
    Guarded([entry] { std::get<PlainHandler>(entry->function)(); });
}

void RaiseMouseEvent(const ControlDescription& control, const std::string& event, short button, short shift, float x,
                     float y) {
    const HandlerEntry* entry = BoundHandler(control, event);
    if (entry == nullptr) return;
    Guarded([=] { std::get<MouseHandler>(entry->function)(button, shift, x, y); });
}

void RaiseArrivalEvent(const ControlDescription& control, std::int32_t bytesTotal) {
    const HandlerEntry* entry = BoundHandler(control, "DataArrival");
    if (entry == nullptr) return;
    Guarded([=] { std::get<ArrivalHandler>(entry->function)(bytesTotal); });
}

void RaiseSocketErrorEvent(const ControlDescription& control, std::int16_t number, std::string description) {
    const HandlerEntry* entry = BoundHandler(control, "Error");
    if (entry == nullptr) return;
    Guarded([&] {
        bool cancelDisplay = false;
        std::get<SocketErrorHandler>(entry->function)(number, description, 0, ProgramName(), "", 0, cancelDisplay);
    });
}

}  // namespace detail
}  // namespace frame
