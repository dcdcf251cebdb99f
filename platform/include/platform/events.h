// Program code that the platform calls on its own initiative (a window procedure reached from a
// polling timer, say) runs through this guard, so that an error in it is handled the way the form
// run time handles errors in its handlers instead of unwinding through the event loop.
#pragma once

#include <functional>

namespace platform {

using EventGuard = void (*)(const std::function<void()>& body);

void SetEventGuard(EventGuard guard);
void RunGuarded(const std::function<void()>& body);

}  // namespace platform
