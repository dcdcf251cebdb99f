// Records the control's events in order and runs the event loop until a condition holds.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "winsock/winsock_control.h"

namespace winsocktest {

struct Event {
    std::string kind;  // "Connect", "DataArrival", "Close", "Error"
    std::int32_t value = 0;
    std::string description;
};

class EventLog {
public:
    explicit EventLog(winsock::WinsockControl& control) {
        using winsock::WinsockControl;
        QObject::connect(&control, &WinsockControl::ConnectEvent, [this] { Add({"Connect", 0, {}}); });
        QObject::connect(&control, &WinsockControl::DataArrivalEvent, [this](std::int32_t total) {
            Add({"DataArrival", total, {}});
            if (onDataArrival) onDataArrival(total);
        });
        QObject::connect(&control, &WinsockControl::CloseEvent, [this] { Add({"Close", 0, {}}); });
        QObject::connect(&control, &WinsockControl::ErrorEvent, [this](std::int16_t number, const std::string& text) {
            Add({"Error", number, text});
        });
    }

    std::vector<Event> events;
    std::function<void(std::int32_t)> onDataArrival;
    // Set while the test is inside a member call of the control; an event then is a fault.
    bool insideCall = false;
    int eventsDuringCalls = 0;

    std::vector<std::string> Kinds() const {
        std::vector<std::string> kinds;
        for (const auto& e : events) kinds.push_back(e.kind);
        return kinds;
    }
    bool Has(const std::string& kind) const {
        for (const auto& e : events)
            if (e.kind == kind) return true;
        return false;
    }

private:
    void Add(Event e) {
        if (insideCall) ++eventsDuringCalls;
        events.push_back(std::move(e));
    }
};

// Runs the event loop until `done` holds or `timeoutMs` passed; returns `done()`.
inline bool RunUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QTimer wake;  // keeps the loop from sleeping while the condition depends on another thread
    wake.start(5);
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return done();
}

inline void RunFor(int ms) {
    RunUntil([] { return false; }, ms);
}

}  // namespace winsocktest
