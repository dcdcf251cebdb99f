// modeswitch: the display state at start and now, the display modes, switching to one after
// asking whether it can be done without a restart, and switching back.
#include <cstring>

#include <frame/declare.h>
#include <frame/form.h>

namespace {

const frame::Declare<BOOL(LPCSTR, DWORD, DEVMODEA*)> EnumDisplaySettingsA{"user32.dll", "EnumDisplaySettingsA"};
const frame::Declare<LONG(DEVMODEA*, DWORD)> ChangeDisplaySettingsA{"user32.dll", "ChangeDisplaySettingsA"};
const frame::Declare<HDC(HWND)> GetDC{"user32.dll", "GetDC"};
const frame::Declare<int(HWND, HDC)> ReleaseDC{"user32.dll", "ReleaseDC"};
const frame::Declare<int(HDC, int)> GetDeviceCaps{"gdi32.dll", "GetDeviceCaps"};

const frame::ListBox List1{"List1"};
const frame::Label Label2{"Label2"};  // the state at start
const frame::Label Label4{"Label4"};  // the state now

std::int32_t CurrentWidth = 0;
std::int32_t CurrentHeight = 0;
std::int32_t CurrentBits = 0;
DEVMODEA RestoreMode{};

void ReadDisplayState() {
    const HDC screen = GetDC(nullptr);
    CurrentBits = GetDeviceCaps(screen, BITSPIXEL);
    CurrentWidth = GetDeviceCaps(screen, HORZRES);
    CurrentHeight = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
}

std::string StateText() {
    return frame::CStr(CurrentBits) + "bitカラー " + frame::CStr(CurrentWidth) + " × " + frame::CStr(CurrentHeight);
}

void Form_Load() {
    ReadDisplayState();
    Label2.setCaption(StateText());
    Label4.setCaption(StateText());
}

// "列挙": every mode in order; the last one equal to the current state becomes RestoreMode.
void Command1_Click() {
    List1.clear();
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    for (std::int32_t n = 0; EnumDisplaySettingsA(nullptr, static_cast<DWORD>(n), &mode) != 0; ++n) {
        List1.addItem("[" + frame::CStr(n) + "] " + frame::CStr(static_cast<long long>(mode.dmBitsPerPel)) +
                      "bitカラー " + frame::CStr(static_cast<long long>(mode.dmPelsWidth)) + "×" +
                      frame::CStr(static_cast<long long>(mode.dmPelsHeight)));
        if (static_cast<std::int32_t>(mode.dmBitsPerPel) == CurrentBits &&
            static_cast<std::int32_t>(mode.dmPelsWidth) == CurrentWidth &&
            static_cast<std::int32_t>(mode.dmPelsHeight) == CurrentHeight) {
            RestoreMode = mode;
        }
    }
}

// The selected item's index is its mode number; nothing selected (-1) is the mode in use.
void SwitchToSelectedMode() {
    const std::int32_t index = List1.listIndex();
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    EnumDisplaySettingsA(nullptr, static_cast<DWORD>(index), &mode);
    const LONG result = ChangeDisplaySettingsA(&mode, CDS_TEST);
    if (result == DISP_CHANGE_SUCCESSFUL) {
        ChangeDisplaySettingsA(&mode, 0);
    } else if (result == DISP_CHANGE_RESTART) {
        frame::MsgBox("このモードに切り替えるのには再起動が必要です");
    }
    ReadDisplayState();
    Label4.setCaption(StateText());
}

void Command2_Click() { SwitchToSelectedMode(); }  // "変更"
void List1_DblClick() { SwitchToSelectedMode(); }

// "もとに戻す"
void Command3_Click() {
    ChangeDisplaySettingsA(&RestoreMode, 0);
    ReadDisplayState();
    Label4.setCaption(StateText());
}

}  // namespace

const frame::Handlers Form1Handlers = {
    {"Form_Load", Form_Load},           {"Command1_Click", Command1_Click}, {"Command2_Click", Command2_Click},
    {"List1_DblClick", List1_DblClick}, {"Command3_Click", Command3_Click},
};
