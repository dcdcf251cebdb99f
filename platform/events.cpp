#include "platform/events.h"

namespace platform {
namespace {

EventGuard& CurrentGuard() {
    static EventGuard guard = nullptr;
    return guard;
}

}  // namespace

void SetEventGuard(EventGuard guard) { CurrentGuard() = guard; }

void RunGuarded(const std::function<void()>& body) {
    if (CurrentGuard() != nullptr) {
        CurrentGuard()(body);
        return;
    }
    // Without a run time nothing may escape into the event loop.
    try {
        body();
    } catch (...) {
    }
}

}  // namespace platform
