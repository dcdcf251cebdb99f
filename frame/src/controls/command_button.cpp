#include <QPushButton>

#include "events.h"
#include "kinds.h"

namespace frame {
namespace {

constexpr EventSpec Events[] = {{"Click", HandlerShape::Plain}};

using ButtonObject = WidgetControl<QPushButton>;

std::unique_ptr<ControlObject> Build(const ControlDescription& row, const BuildContext& context) {
    auto* button = new QPushButton(QString::fromStdString(row.caption.value_or("")), context.window);
    ApplyCommonSettings(button, row);
    auto object = std::make_unique<ButtonObject>(row, button);
    const ControlDescription& d = object->description();
    QObject::connect(button, &QPushButton::clicked, [&d] { detail::RaiseEvent(d, "Click"); });
    return object;
}

QPushButton* Button(const std::string& name) { return detail::FindControlAs<ButtonObject>(name).get(); }

}  // namespace

const ControlKindInfo CommandButtonKind = {ControlKind::CommandButton, "command button", Events, &Build};

std::string CommandButton::caption() const { return Button(name())->text().toStdString(); }
void CommandButton::setCaption(std::string_view caption) const { Button(name())->setText(ToQString(caption)); }
bool CommandButton::enabled() const { return Button(name())->isEnabled(); }
void CommandButton::setEnabled(bool enabled) const { Button(name())->setEnabled(enabled); }

}  // namespace frame
