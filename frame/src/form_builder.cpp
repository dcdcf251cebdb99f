// Builds the running form from the program's description: the form, then its controls in the
// order the description stores them, each through its kind's row.
#include <QApplication>
#include <QFile>
#include <QScreen>

#include <iostream>

#include <platform/events.h>

#include "controls/form.h"
#include "ending.h"
#include "events.h"
#include "fonts.h"
#include "frame/program.h"
#include "runtime_state.h"

namespace frame {

RuntimeState& State() {
    static RuntimeState state;
    return state;
}

RunningForm::~RunningForm() {
    std::unique_ptr<ControlObject> formObject;
    if (auto it = controls.find(description.form.name); it != controls.end()) formObject = std::move(it->second);
    controls.clear();
}

void StartForm() {
    auto& state = State();
    QFile file(":/Form1.form");
    if (!file.open(QIODevice::ReadOnly)) throw std::invalid_argument("the form description is missing");
    auto form = std::make_unique<RunningForm>();
    form->description = ParseFormDescription(file.readAll().toStdString());
    CheckBindings(form->description);

    const ControlDescription& fd = form->description.form;
    auto formObject = FormKind.build(fd, {});
    auto* formWindow = static_cast<FormObject*>(formObject.get());
    form->form = formWindow;
    form->controls.emplace(fd.name, std::move(formObject));

    const BuildContext context{formWindow->window(), fd.settings.scalePixels};
    for (const auto& c : form->description.controls) {
        if (c.kind == ControlKind::Form) throw std::invalid_argument("a form inside a form");
        form->controls.emplace(c.FullName(), KindInfo(c.kind).build(c, context));
    }
    // Later controls in the description lie above earlier ones, as the designer stacked them.
    for (auto it = form->description.controls.rbegin(); it != form->description.controls.rend(); ++it) {
        if (QWidget* w = form->controls.at(it->FullName())->widget()) w->raise();
    }
    state.form = std::move(form);

    detail::RaiseEvent(state.form->form->description(), "Load");
    if (state.endedWith) return;
    FormWindow* window = formWindow->window();
    if (fd.settings.start == StartPosition::CenterScreen) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect available = screen->availableGeometry();
            // Form_Load may have changed the window's size (a style change, say): centre what shows.
            window->move(available.center() - QPoint(window->width() / 2, window->height() / 2));
        }
    }
    window->show();
}

const std::string& ProgramName() {
    static const std::string name = ThisProgram.name;
    return name;
}

namespace detail {

ControlObject& FindControl(const std::string& fullName) {
    auto& form = State().form;
    if (!form) Raise(errors::ObjectRequired);
    auto it = form->controls.find(fullName);
    if (it == form->controls.end()) {
        Raise(errors::ObjectRequired, StandardDescription(errors::ObjectRequired) + " (" + fullName + ")");
    }
    return *it->second;
}

}  // namespace detail

int RunProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallFonts(app);
    platform::SetEventGuard(&detail::Guarded);
    try {
        StartForm();
    } catch (const RuntimeError& error) {
        detail::ReportFatal(error.number(), error.description());
    } catch (const std::exception& error) {
        // A description that does not fit its program is the program's fault, not the user's.
        std::cerr << ProgramName() << ": " << error.what() << '\n';
        return 70;
    }
    return app.exec();
}

}  // namespace frame
