// The in-process harness: the run time's own state, driven as a test needs it.
#include "frame/testing.h"

#include <QApplication>

#include <cstdlib>
#include <memory>

#include <platform/events.h>

#include "controls/form.h"
#include "controls/picture_box.h"
#include "ending.h"
#include "events.h"
#include "fonts.h"
#include "runtime_state.h"

namespace frame::testing {
namespace {

// Made by the first StartProgram and ended by Shutdown, before the process's statics go.
std::unique_ptr<QApplication>& TestApplication() {
    static std::unique_ptr<QApplication> application;
    return application;
}

ControlObject* Find(std::string_view fullName) {
    auto& form = State().form;
    if (!form) return nullptr;
    auto it = form->controls.find(std::string(fullName));
    return it == form->controls.end() ? nullptr : it->second.get();
}

}  // namespace

void Shutdown() {
    StopProgram();
    TestApplication().reset();
}

void StartProgram() {
    auto& state = State();
    state.testMode = true;
    state.endedWith.reset();
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        TestApplication() = std::make_unique<QApplication>(argc, argv);
        InstallFonts(*TestApplication());
        platform::SetEventGuard(&detail::Guarded);
    }
    try {
        StartForm();
    } catch (const RuntimeError& error) {
        try {
            detail::ReportFatal(error.number(), error.description());
        } catch (const detail::ProgramEndedSignal&) {
        }
    }
}

void CloseWindow() {
    auto& state = State();
    if (state.form && !state.endedWith) state.form->form->window()->close();
}

void StopProgram() {
    auto& state = State();
    state.form.reset();
    state.endedWith.reset();
}

std::optional<int> EndedWith() { return State().endedWith; }

void EndForReal() { State().testMode = false; }

void SetMessageBoxHook(std::function<void(const std::string& title, const std::string& text)> hook) {
    State().messageBoxHook = std::move(hook);
}

QWidget* Widget(std::string_view fullName) {
    ControlObject* object = Find(fullName);
    return object ? object->widget() : nullptr;
}

QImage PictureImage(std::string_view fullName) {
    ControlObject* object = Find(fullName);
    return object ? OffscreenImageOf(*object) : QImage();
}

}  // namespace frame::testing
