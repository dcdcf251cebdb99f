// Runs a program's form inside a test process, with Qt's offscreen platform unless another is set.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace frame::testing {

// Builds Form1 from the program's description, raises Form_Load and shows the window.
void StartProgram();
// Closes the window as the user would: Form_Unload runs, then the program counts as ended (0).
void CloseWindow();
// Drops the form without raising anything, so the next test starts afresh.
void StopProgram();
// Ends the program and the application; a test's main calls it after the last test, while Qt's
// own statics still live (frame_test_main does).
void Shutdown();
// The exit status once the program has ended (end statement, closed window, fatal error).
std::optional<int> EndedWith();
// From here on an end really ends the process, as in a program (for tests run in a child).
void EndForReal();
// Message boxes go to the hook instead of a modal dialog.
void SetMessageBoxHook(std::function<void(const std::string& title, const std::string& text)> hook);

QWidget* Widget(std::string_view fullName);
// A copy of a picture box's off-screen image.
QImage PictureImage(std::string_view fullName);

}  // namespace frame::testing
