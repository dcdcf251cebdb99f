// The kinds of control a form description may hold. Each kind lives in a file of its own under
// controls/ (its widget, how a row of the description builds it, its events, its public class's
// methods) and has one row in the table that the description parser, the form builder and the
// handler check all read.
#pragma once

#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include <win32/types.h>

#include "frame/description.h"
#include "frame/errors.h"
#include "frame/form.h"

class QMouseEvent;
class QWidget;

namespace frame {

// One control of the running form; each kind's object holds the Qt widget or object behind it.
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

// A control that is one Qt widget on the form, held weakly: the form's window owns its children.
template <typename Widget>
class WidgetControl : public ControlObject {
public:
    WidgetControl(ControlDescription description, Widget* widget)
        : ControlObject(std::move(description)), widget_(widget) {}
    QWidget* widget() const override { return widget_; }
    Widget* get() const { return widget_; }

private:
    QPointer<Widget> widget_;
};

// The parameters a handler takes; every event names the one its handlers must have.
enum class HandlerShape { Plain, Mouse, Arrival, SocketError };

struct EventSpec {
    std::string_view name;  // "Click"
    HandlerShape shape;
};

// Where a control is built: the form's window (none for the form itself) and the form's scale.
struct BuildContext {
    QWidget* window = nullptr;
    bool formScalePixels = false;
};

struct ControlKindInfo {
    ControlKind kind;
    std::string_view word;  // as the description writes it: "command button"
    std::span<const EventSpec> events;
    std::unique_ptr<ControlObject> (*build)(const ControlDescription& row, const BuildContext& context);
};

// Rows, one per file under controls/.
extern const ControlKindInfo FormKind, CommandButtonKind, LabelKind, TextBoxKind, ListBoxKind, CheckBoxKind,
    PictureBoxKind, TimerKind, WinsockKind;

const ControlKindInfo& KindInfo(ControlKind kind);
const ControlKindInfo* KindNamed(std::string_view word);  // nullptr for a word no kind uses

// ---- What the kinds' builders share

QString ToQString(std::string_view utf8);
QRect PixelRect(const ControlDescription& row);
// Place, size, font, enabled flag and background colour, as the row sets them.
void ApplyCommonSettings(QWidget* widget, const ControlDescription& row);
void ApplyBackground(QWidget* widget, const Settings& settings);
// A MouseDown for the row's control, its position in pixels or twips as the scale says.
std::function<void(QMouseEvent*)> MouseDownOf(const ControlDescription& row, bool scalePixels);

namespace detail {

ControlObject& FindControl(const std::string& fullName);

template <typename T>
T& FindControlAs(const std::string& fullName) {
    auto* object = dynamic_cast<T*>(&FindControl(fullName));
    if (object == nullptr) Raise(errors::MemberNotSupported);
    return *object;
}

}  // namespace detail
}  // namespace frame
