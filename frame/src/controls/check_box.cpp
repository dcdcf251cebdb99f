#include <QCheckBox>

#include "events.h"
#include "kinds.h"

namespace frame {
namespace {

constexpr EventSpec Events[] = {{"Click", HandlerShape::Plain}};

using CheckBoxObject = WidgetControl<QCheckBox>;

std::unique_ptr<ControlObject> Build(const ControlDescription& row, const BuildContext& context) {
    auto* box = new QCheckBox(QString::fromStdString(row.caption.value_or("")), context.window);
    ApplyCommonSettings(box, row);
    auto object = std::make_unique<CheckBoxObject>(row, box);
    const ControlDescription& d = object->description();
    // Only the user's clicks come through here; a value written by code raises Click itself.
    QObject::connect(box, &QCheckBox::clicked, [&d] { detail::RaiseEvent(d, "Click"); });
    return object;
}

}  // namespace

const ControlKindInfo CheckBoxKind = {ControlKind::CheckBox, "check box", Events, &Build};

int CheckBox::value() const { return detail::FindControlAs<CheckBoxObject>(name()).get()->isChecked() ? 1 : 0; }

void CheckBox::setValue(int value) const {
    auto& object = detail::FindControlAs<CheckBoxObject>(name());
    if (value != 0 && value != 1) Raise(errors::InvalidPropertyValue);
    if ((object.get()->isChecked() ? 1 : 0) == value) return;
    object.get()->setChecked(value == 1);
    detail::RaiseEvent(object.description(), "Click");
}

}  // namespace frame
