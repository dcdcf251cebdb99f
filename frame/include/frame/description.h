// A form description: the form and its controls in the order the description stores them, each
// with its place and size in twips, its caption or text, its settings and its event handlers.
//
// The text form has one line per control, columns split by '|', as a designer would tabulate it:
//   Command1 | command button | 3360,3240 | 1215 x 375 | "初期化" | disabled at start | Click -> Command1_Click
// Texts are in double quotes with \r, \n, \" and \\ escapes; '-' stands for none. Settings are
// separated by ';'. Lines starting with '#' and blank lines are skipped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace frame {

inline constexpr int TwipsPerPixel = 15;

enum class ControlKind { Form, CommandButton, Label, TextBox, ListBox, CheckBox, PictureBox, Timer, Winsock };

enum class BorderSetting { Default, None, FixedSingle };
enum class StartPosition { WindowsDefault, CenterScreen, Manual };

struct FontSetting {
    std::string name;
    double points = 9.0;
    int characterSet = 128;
};

struct Settings {
    bool scalePixels = false;
    bool persistentDrawing = false;
    bool autoSize = false;  // sized to its picture
    BorderSetting border = BorderSetting::Default;
    bool noMaxMinButtons = false;
    StartPosition start = StartPosition::Manual;
    bool disabledAtStart = false;
    bool multiLine = false;
    bool verticalScrollBar = false;
    bool textCentered = false;
    std::optional<std::uint32_t> background;  // &H00BBGGRR&
    std::optional<FontSetting> font;
    std::optional<std::string> picture;  // file embedded with the description
};

struct EventBinding {
    std::string event;    // "Click"
    std::string handler;  // "Command1_Click"
};

struct ControlDescription {
    std::string name;          // "Label2"
    std::optional<int> index;  // 10 for "Label2(10)"
    ControlKind kind = ControlKind::Form;
    int left = 0, top = 0, width = 0, height = 0;  // twips
    bool hasPlace = false;                         // timers and the Winsock control have none
    std::optional<std::string> caption;            // UTF-8
    Settings settings;
    std::vector<EventBinding> events;

    std::string FullName() const;  // "Label2(10)"
};

struct FormDescription {
    ControlDescription form;
    std::vector<ControlDescription> controls;
};

// Throws std::invalid_argument naming the line and what is wrong.
FormDescription ParseFormDescription(std::string_view text);

}  // namespace frame
