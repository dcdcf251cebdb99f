#include <QTimer>

#include "events.h"
#include "kinds.h"

namespace frame {
namespace {

constexpr EventSpec Events[] = {{"Timer", HandlerShape::Plain}};

class TimerObject : public ControlObject {
public:
    explicit TimerObject(ControlDescription description) : ControlObject(std::move(description)) {
        timer_.setTimerType(Qt::PreciseTimer);
    }
    std::int32_t interval() const { return interval_; }
    void setInterval(std::int32_t milliseconds) {
        if (milliseconds < 0) Raise(errors::InvalidPropertyValue);
        interval_ = milliseconds;
        restart();
    }
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled) {
        if (enabled == enabled_) return;
        enabled_ = enabled;
        restart();
    }
    QTimer& timer() { return timer_; }

private:
    // Any change starts a new count from now.
    void restart() {
        if (enabled_ && interval_ > 0) {
            timer_.start(interval_);
        } else {
            timer_.stop();
        }
    }

    QTimer timer_;
    std::int32_t interval_ = 0;
    bool enabled_ = true;
};

std::unique_ptr<ControlObject> Build(const ControlDescription& row, const BuildContext&) {
    auto object = std::make_unique<TimerObject>(row);
    const ControlDescription& d = object->description();
    QObject::connect(&object->timer(), &QTimer::timeout, [&d] { detail::RaiseEvent(d, "Timer"); });
    if (row.settings.disabledAtStart) object->setEnabled(false);
    return object;
}

TimerObject& TimerNamed(const std::string& name) { return detail::FindControlAs<TimerObject>(name); }

}  // namespace

const ControlKindInfo TimerKind = {ControlKind::Timer, "timer", Events, &Build};

std::int32_t Timer::interval() const { return TimerNamed(name()).interval(); }
void Timer::setInterval(std::int32_t milliseconds) const { TimerNamed(name()).setInterval(milliseconds); }
bool Timer::enabled() const { return TimerNamed(name()).enabled(); }
void Timer::setEnabled(bool enabled) const { TimerNamed(name()).setEnabled(enabled); }

}  // namespace frame
