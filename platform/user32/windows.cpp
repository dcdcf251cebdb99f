#include "user32/windows.h"

#include <QPointer>
#include <QWidget>

#include <map>

#include "tables.h"

namespace user32 {
namespace {

struct WindowRecord {
    QPointer<QWidget> widget;
    WNDPROC procedure = nullptr;
    LONG_PTR style = 0;
};

// Handles count up and are never reused, so a stale handle never reaches a newer window.
std::map<HWND, WindowRecord>& Table() {
    static std::map<HWND, WindowRecord> table;
    return table;
}

WindowRecord* Find(HWND window) {
    auto it = Table().find(window);
    if (it == Table().end() || it->second.widget.isNull()) return nullptr;
    return &it->second;
}

}  // namespace

HWND RegisterWindow(QWidget* widget, WNDPROC ownProcedure, LONG_PTR style) {
    static std::uintptr_t next = 0x10010;
    const HWND handle = reinterpret_cast<HWND>(next);
    next += 0x10;
    Table()[handle] = WindowRecord{widget, ownProcedure, style};
    return handle;
}

void UnregisterWindow(HWND window) { Table().erase(window); }

QWidget* WidgetOf(HWND window) {
    WindowRecord* record = Find(window);
    return record ? record->widget.data() : nullptr;
}

bool IsWindow(HWND window) { return Find(window) != nullptr; }

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (procedure == nullptr) return 0;
    return procedure(window, message, wParam, lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* record = Find(window);
    if (record == nullptr) return 0;
    return CallWindowProcA(record->procedure, window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

LONG_PTR GetWindowLongA(HWND window, int index) {
    WindowRecord* record = Find(window);
    if (record == nullptr) return 0;
    if (index == GWL_WNDPROC) return reinterpret_cast<LONG_PTR>(record->procedure);
    if (index == GWL_STYLE) return record->style;
    return 0;
}

LONG_PTR SetWindowLongA(HWND window, int index, LONG_PTR value) {
    WindowRecord* record = Find(window);
    if (record == nullptr) return 0;
    LONG_PTR previous = 0;
    if (index == GWL_WNDPROC) {
        previous = reinterpret_cast<LONG_PTR>(record->procedure);
        record->procedure = reinterpret_cast<WNDPROC>(value);
    } else if (index == GWL_STYLE) {
        previous = record->style;
        record->style = value;
    }
    return previous;
}

const platform::ExportTable& WindowExports() {
    static const platform::Export entries[] = {
        PLATFORM_EXPORT(SendMessageA),   PLATFORM_EXPORT(CallWindowProcA), PLATFORM_EXPORT(DefWindowProcA),
        PLATFORM_EXPORT(GetWindowLongA), PLATFORM_EXPORT(SetWindowLongA),
    };
    static const platform::ExportTable table{"user32.dll", entries};
    return table;
}

}  // namespace user32
