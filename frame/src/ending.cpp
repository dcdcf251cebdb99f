#include "ending.h"

#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

#include "controls/form.h"
#include "frame/form.h"
#include "frame/services.h"
#include "runtime_state.h"

namespace frame {

[[noreturn]] void End() { detail::EndProgram(0); }

namespace detail {

void ShowMessageBox(const std::string& title, const std::string& text) {
    auto& state = State();
    if (state.messageBoxHook) {
        state.messageBoxHook(title, text);
        return;
    }
    QWidget* parent = state.form && state.form->form ? state.form->form->widget() : nullptr;
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void ReportFatal(int number, const std::string& description) {
    ShowMessageBox(ProgramName(), "実行時エラー '" + std::to_string(number) + "':\n\n" + description);
    EndProgram(1);
}

void EndProgram(int exitCode) {
    auto& state = State();
    if (state.testMode) {
        if (!state.endedWith) state.endedWith = exitCode;
        throw ProgramEndedSignal{exitCode};
    }
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace detail
}  // namespace frame
