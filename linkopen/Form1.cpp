// linkopen: the text box's URL (or file) opened with its associated application by the shell.
#include <frame/declare.h>
#include <frame/form.h>

namespace {

const frame::Declare<HINSTANCE(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT)> ShellExecuteA{"shell32.dll",
                                                                                         "ShellExecuteA"};

const frame::Form Form1;
const frame::TextBox Text1{"Text1"};

// "起動": the text goes as it is, untrimmed and without an added scheme; the result is not looked at.
void Command1_Click() {
    const HWND handle = Form1.hWnd();
    const frame::AnsiString file(Text1.text());
    const frame::AnsiString verb("open");
    ShellExecuteA(handle, verb.c_str(), file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

const frame::Handlers Form1Handlers = {
    {"Command1_Click", Command1_Click},
};
