// The form run time's inside: control objects behind the names, event dispatch and the end.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include <win32/types.h>

#include "frame/description.h"
#include "frame/form.h"
#include "frame/program.h"

class QWidget;

namespace frame {

// One control of the running form; subclasses hold the Qt widget or object behind it.
class ControlObject {
public:
    explicit ControlObject(ControlDescription description) : description_(std::move(description)) {}
    virtual ~ControlObject() = default;
    ControlObject(const ControlObject&) = delete;
    ControlObject& operator=(const ControlObject&) = delete;

    const ControlDescription& description() const { return description_; }
    virtual QWidget* widget() const { return nullptr; }

private:
    ControlDescription description_;
};

}  // namespace frame


namespace frame::detail {

ControlObject& FindControl(const std::string& fullName);

template <typename T>
T& FindControlAs(const std::string& fullName) {
    auto* object = dynamic_cast<T*>(&FindControl(fullName));
    if (object == nullptr) Raise(438);
    return *object;
}

// Runs one handler; an error it does not catch shows its message and ends the program.
void Guarded(const std::function<void()>& body);

// Raises `event` of the control, if the description binds a handler to it.
void RaiseEvent(const ControlDescription& control, const std::string& event);
void RaiseMouseEvent(const ControlDescription& control, const std::string& event, short button, short shift, float x,
                     float y);
void RaiseArrivalEvent(const ControlDescription& control, std::int32_t bytesTotal);
void RaiseSocketErrorEvent(const ControlDescription& control, std::int16_t number, std::string description);

void ShowMessageBox(const std::string& title, const std::string& text);
[[noreturn]] void EndProgram(int exitCode);

}  // namespace frame::detail
