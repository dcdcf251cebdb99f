// How a program ends: closed, by the end statement, or after a run-time error nobody caught.
#pragma once

#include <string>

namespace frame::detail {

// Thrown through a handler in test mode so that nothing after an end statement runs.
struct ProgramEndedSignal {
    int exitCode;
};

void ShowMessageBox(const std::string& title, const std::string& text);
// The message box that names the error, then the end with status 1.
[[noreturn]] void ReportFatal(int number, const std::string& description);
[[noreturn]] void EndProgram(int exitCode);

}  // namespace frame::detail
