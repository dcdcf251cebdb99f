// What the run time knows of the running program: its form and how the program is to end.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "frame/description.h"
#include "kinds.h"

namespace frame {

class FormObject;

struct RunningForm {
    RunningForm() = default;
    RunningForm(const RunningForm&) = delete;
    RunningForm& operator=(const RunningForm&) = delete;
    // The controls go first, the form and its window (their parent) last.
    ~RunningForm();

    FormDescription description;
    std::map<std::string, std::unique_ptr<ControlObject>> controls;  // by full name, the form included
    FormObject* form = nullptr;                                      // the form's entry among them
};

struct RuntimeState {
    std::unique_ptr<RunningForm> form;
    std::function<void(const std::string& title, const std::string& text)> messageBoxHook;
    // In-process tests keep the process when the program ends; endedWith records how it ended.
    bool testMode = false;
    std::optional<int> endedWith;
};

RuntimeState& State();

// Builds Form1 from the program's description, raises Form_Load and shows the window.
void StartForm();

}  // namespace frame
