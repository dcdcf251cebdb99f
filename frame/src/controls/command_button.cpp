#include <QPointer>
#include <QPushButton>

#include "events.h"
#include "kinds.h"

namespace frame {
namespace {

constexpr EventSpec Events[] = {{"Click", HandlerShape::Plain}};

class ButtonObject : public ControlObject {
public:
    ButtonObject(ControlDescription description, QPushButton* button)
        : ControlObject(std::move(description)), button_(button) {}
    QWidget* widget() const override { return button_; }
    QPushButton* button() const { return button_; }

private:
    QPointer<QPushButton> button_;
};

std::unique_ptr<ControlObject> Build(const ControlDescription& row, const BuildContext& context) {
    auto* button = new QPushButton(QString::fromStdString(row.caption.value_or("")), context.window);
    ApplyCommonSettings(button, row);
    auto object = std::make_unique<ButtonObject>(row, button);
    const ControlDescription& d = object->description();
    QObject::connect(button, &QPushButton::clicked, [&d] { detail::RaiseEvent(d, "Click"); });
    return object;
}

QPushButton* Button(const std::string& name) { return detail::FindControlAs<ButtonObject>(name).button(); }

}  // namespace

const ControlKindInfo CommandButtonKind = {ControlKind::CommandButton, "command button", Events, &Build};

std::string CommandButton::caption() const { return Button(name())->text().toStdString(); }
void CommandButton::setCaption(std::string_view caption) const { Button(name())->setText(ToQString(caption)); }
bool CommandButton::enabled() const { return Button(name())->isEnabled(); }
void CommandButton::setEnabled(bool enabled) const { Button(name())->setEnabled(enabled); }

}  // namespace frame
