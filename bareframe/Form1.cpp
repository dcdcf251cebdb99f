// bareframe: a window created with its normal sizable border that loses caption bar and frame while
// it loads, and so keeps its task-bar button, ALT+TAB and ALT+F4.
#include <frame/form.h>

#include "Module1.h"

namespace {

const frame::Form Form1;

void Form_Load() { RemoveCaptionBar(Form1); }

// "閉じる"
void Command1_Click() { frame::End(); }

}  // namespace

const frame::Handlers Form1Handlers = {
    {"Form_Load", Form_Load},
    {"Command1_Click", Command1_Click},
};
