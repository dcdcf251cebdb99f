// What a program's handlers see of the form run time: its controls by name, the handler table
// that the form description's events point into, and the end statement.
#pragma once

#include <win32/api.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "frame/services.h"

namespace frame {

// Handler shapes, one per kind of event.
using PlainHandler = void (*)();                                             // Click, Load, Timer, ...
using MouseHandler = void (*)(short Button, short Shift, float X, float Y);  // MouseDown
using ArrivalHandler = void (*)(std::int32_t bytesTotal);                    // DataArrival
using SocketErrorHandler = void (*)(std::int16_t Number, std::string& Description, std::int32_t Scode,
                                    const std::string& Source, const std::string& HelpFile, std::int32_t HelpContext,
                                    bool& CancelDisplay);  // Error

struct HandlerEntry {
    std::string_view name;
    std::variant<PlainHandler, MouseHandler, ArrivalHandler, SocketErrorHandler> function;
};
using Handlers = std::vector<HandlerEntry>;

// Mouse button and shift masks.
inline constexpr short vbLeftButton = 1;
inline constexpr short vbRightButton = 2;
inline constexpr short vbMiddleButton = 4;

// Ends the program at once: no Unload event, no further handler.
[[noreturn]] void End();

// A control named in the form description, found by name on the running form when used.
class ControlRef {
public:
    explicit ControlRef(std::string_view name) : name_(name) {}
    ControlRef(std::string_view name, int index);
    const std::string& name() const { return name_; }

private:
    std::string name_;
};

class Form : public ControlRef {
public:
    explicit Form(std::string_view name = "Form1") : ControlRef(name) {}
    std::string caption() const;
    void setCaption(std::string_view caption) const;
    HWND hWnd() const;
    HDC hDC() const;
};

class CommandButton : public ControlRef {
public:
    using ControlRef::ControlRef;
    std::string caption() const;
    void setCaption(std::string_view caption) const;
    bool enabled() const;
    void setEnabled(bool enabled) const;
};

class Label : public ControlRef {
public:
    using ControlRef::ControlRef;
    std::string caption() const;
    void setCaption(std::string_view caption) const;
};

class TextBox : public ControlRef {
public:
    using ControlRef::ControlRef;
    std::string text() const;
    void setText(std::string_view text) const;
    // Length of the text in characters, a line break counting two (CR LF), without building the text.
    std::int32_t textLength() const;
    std::int32_t selStart() const;
    void setSelStart(std::int32_t start) const;  // drops the selection, caret at start
    std::string selText() const;
    void setSelText(std::string_view text) const;  // replaces the selection, or inserts at the caret
};

class ListBox : public ControlRef {
public:
    using ControlRef::ControlRef;
    void clear() const;
    void addItem(std::string_view item) const;
    std::int16_t listIndex() const;  // -1 when nothing is selected
    void setListIndex(std::int16_t index) const;
    std::int16_t listCount() const;
    std::string list(std::int16_t index) const;
};

class CheckBox : public ControlRef {
public:
    using ControlRef::ControlRef;
    int value() const;
    void setValue(int value) const;  // raises Click when the value changes
};

class PictureBox : public ControlRef {
public:
    using ControlRef::ControlRef;
    HDC hDC() const;
    void setPicture(const Picture& picture) const;
    void refresh() const;
    // A line from (x, y) to (x + dx, y + dy), without its last point, in colour &H00BBGGRR&.
    void lineStep(int x, int y, int dx, int dy, COLORREF color) const;
    void pset(int x, int y, COLORREF color) const;
    COLORREF point(int x, int y) const;  // -1 outside
};

class Timer : public ControlRef {
public:
    using ControlRef::ControlRef;
    std::int32_t interval() const;
    void setInterval(std::int32_t milliseconds) const;  // a new value starts a new count
    bool enabled() const;
    void setEnabled(bool enabled) const;
};

}  // namespace frame

// Each program's Form1.cpp defines the handlers that its form description names.
extern const frame::Handlers Form1Handlers;
