// Events of the running form: which handler each binding of the description reaches, and the
// guard every handler runs under.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "frame/description.h"
#include "frame/form.h"
#include "kinds.h"

namespace frame {

// The shape of a handler, read from the type it was written with.
HandlerShape ShapeOf(const HandlerEntry& handler);

// Every binding must name an event of its control's kind and reach a handler of that event's
// shape: a mismatch is the program's own fault and stops it before the window exists.
void CheckBindings(const FormDescription& description);

}  // namespace frame

namespace frame::detail {

// Runs one handler; an error it does not catch shows its message and ends the program.
void Guarded(const std::function<void()>& body);

// Raises `event` of the control, if the description binds a handler to it.
void RaiseEvent(const ControlDescription& control, const std::string& event);
void RaiseMouseEvent(const ControlDescription& control, const std::string& event, short button, short shift, float x,
                     float y);
void RaiseArrivalEvent(const ControlDescription& control, std::int32_t bytesTotal);
void RaiseSocketErrorEvent(const ControlDescription& control, std::int16_t number, std::string description);

}  // namespace frame::detail
