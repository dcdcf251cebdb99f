#include "fixture_program.h"

#include <frame/form.h>
#include <frame/program.h>

const frame::ProgramInfo frame::ThisProgram{"fixture", ""};

namespace fixture {
std::vector<std::string> events;
std::function<void()> onCommand1;
}  // namespace fixture

namespace {

void Record(std::string event) { fixture::events.push_back(std::move(event)); }

void Form_Load() { Record("Form_Load"); }
void Form_Unload() { Record("Form_Unload"); }
void Form_MouseDown(short button, short shift, float x, float y) {
    Record("Form_MouseDown " + std::to_string(button) + " " + std::to_string(shift) + " " +
           std::to_string(static_cast<int>(x)) + " " + std::to_string(static_cast<int>(y)));
}
void Label1_MouseDown(short button, short, float, float) { Record("Label1_MouseDown " + std::to_string(button)); }
void Command1_Click() {
    Record("Command1_Click");
    if (fixture::onCommand1) fixture::onCommand1();
}
void Command2_Click() { Record("Command2_Click"); }
void List1_DblClick() { Record("List1_DblClick"); }
void Check1_Click() { Record("Check1_Click " + std::to_string(frame::CheckBox("Check1").value())); }
void Timer1_Timer() { Record("Timer1_Timer"); }

}  // namespace

const frame::Handlers Form1Handlers = {
    {"Form_Load", Form_Load},           {"Form_Unload", Form_Unload},
    {"Form_MouseDown", Form_MouseDown}, {"Label1_MouseDown", Label1_MouseDown},
    {"Command1_Click", Command1_Click}, {"Command2_Click", Command2_Click},
    {"List1_DblClick", List1_DblClick}, {"Check1_Click", Check1_Click},
    {"Timer1_Timer", Timer1_Timer},
};
