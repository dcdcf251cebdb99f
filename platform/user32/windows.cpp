#include "user32/windows.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <map>

#include "user32/window_x11.h"

namespace user32 {
namespace {

struct WindowRecord {
    QPointer<QWidget> widget;
    WNDPROC procedure = nullptr;
    LONG_PTR style = 0;       // what GWL_STYLE reads
    LONG_PTR shownStyle = 0;  // what the window shows: the style at the last frame change
    LONG_PTR exStyle = 0;
    QMargins realFrame;  // the window manager's frame, as last seen around the decorated window
    // The outer size last given and the client size it came to: while nobody resizes the client,
    // the outer size stays what it was, whatever frame the window manager has drawn meanwhile.
    QSize keptOuter;
    QSize keptClient;
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

// Window longs are 32-bit values; a style with its top bit set (WS_POPUP) reads back negative.
LONG_PTR AsLong(LONG_PTR value) { return static_cast<LONG_PTR>(static_cast<LONG>(static_cast<DWORD>(value))); }

bool HasFrame(LONG_PTR style) { return (static_cast<DWORD>(style) & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) != 0; }
bool HasCaption(LONG_PTR style) { return (static_cast<DWORD>(style) & WS_CAPTION) == WS_CAPTION; }
bool Sizable(LONG_PTR style) { return (static_cast<DWORD>(style) & WS_THICKFRAME) != 0; }

QMargins Larger(const QMargins& a, const QMargins& b) {
    return QMargins(std::max(a.left(), b.left()), std::max(a.top(), b.top()), std::max(a.right(), b.right()),
                    std::max(a.bottom(), b.bottom()));
}

// What the window manager draws around the widget now, when it is known (_NET_FRAME_EXTENTS).
QMargins ObservedFrame(QWidget* widget) {
    if (!widget->isVisible()) return {};
    if (const auto placement = x11::QueryPlacement(widget)) return placement->frame;
    const QRect outer = widget->frameGeometry();
    const QRect inner = widget->geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

// The room a frame of `style` takes: the larger of the real frame and the Windows one, so that a
// window manager with a thinner frame still leaves the designed layout its whole outer size.
QMargins FrameFor(const WindowRecord& record, LONG_PTR style) {
    if (!HasFrame(style)) return {};
    return Larger(StandardFrame(style), record.realFrame);
}

void NoteRealFrame(WindowRecord& record) {
    if (!HasFrame(record.shownStyle)) return;
    const QMargins seen = ObservedFrame(record.widget);
    if (!seen.isNull()) record.realFrame = seen;
}

// The toolkit's flags for a window of `style`, keeping the flags that no style bit speaks for.
Qt::WindowFlags FlagsFor(Qt::WindowFlags current, LONG_PTR style) {
    const DWORD bits = static_cast<DWORD>(style);
    Qt::WindowFlags flags = Qt::Window | (current & (Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus));
    if (!HasFrame(style)) return flags | Qt::FramelessWindowHint;
    flags |= Qt::CustomizeWindowHint;
    if (HasCaption(style)) {
        flags |= Qt::WindowTitleHint;
        if (bits & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (bits & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
        if (bits & WS_MAXIMIZEBOX) flags |= Qt::WindowMaximizeButtonHint;
    }
    return flags;
}

// Only a sizing frame lets the user resize the window.
void SetClientSize(QWidget* widget, QSize size, bool sizable) {
    size = size.expandedTo(QSize(0, 0));
    if (sizable) {
        widget->setMinimumSize(0, 0);
        widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        widget->resize(size);
    } else {
        widget->setFixedSize(size);
    }
}

QSize OuterSize(const WindowRecord& record) {
    if (record.keptClient.isValid() && record.widget->size() == record.keptClient) return record.keptOuter;
    return record.widget->size().grownBy(FrameFor(record, record.shownStyle));
}

// Gives the window `outer` as its outer size under its shown style; returns the client size.
QSize SetOuterSize(WindowRecord& record, QSize outer) {
    const QSize client = outer.shrunkBy(FrameFor(record, record.shownStyle));
    SetClientSize(record.widget, client, Sizable(record.shownStyle));
    record.keptOuter = outer;
    record.keptClient = record.widget->size();
    return client;
}

// Shows the stored style. Changing the toolkit's flags hides a shown window and may re-create its
// native window, so it is put back at its outer place and shown again.
void ApplyFrameChange(WindowRecord& record) {
    QWidget* widget = record.widget;
    NoteRealFrame(record);
    const QSize outer = OuterSize(record);
    const bool visible = widget->isVisible();
    const bool placed = visible || widget->testAttribute(Qt::WA_Moved);  // else the system still picks the place
    QPoint outerPlace = visible ? widget->frameGeometry().topLeft() : widget->pos();
    if (const auto placement = x11::QueryPlacement(widget)) {
        const QMargins frame = HasFrame(record.shownStyle) ? placement->frame : QMargins();
        outerPlace = placement->client.topLeft() - QPoint(frame.left(), frame.top());
    }

    record.shownStyle = record.style;
    const Qt::WindowFlags flags = FlagsFor(widget->windowFlags(), record.style);
    if (flags != widget->windowFlags()) widget->setWindowFlags(flags);
    const QSize client = SetOuterSize(record, outer);
    if (placed) widget->move(outerPlace);
    if (!visible) return;
    widget->show();
    // The toolkit converts places with the frame it saw last, which a frame change makes stale.
    x11::PlaceWindow(widget, outerPlace, client, FrameFor(record, record.shownStyle));
}

// Follows the pointer until the left button comes up, where no window manager moves the window.
class PointerFollower : public QObject {
public:
    explicit PointerFollower(QWidget* window)
        : QObject(window), window_(window), start_(QCursor::pos()), origin_(window->pos()) {
        qApp->installEventFilter(this);
        window->grabMouse();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseMove) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (!(mouse->buttons() & Qt::LeftButton)) {
                Finish();
                return false;
            }
            window_->move(origin_ + (mouse->globalPosition().toPoint() - start_));
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonPress) {
            // As in a caption drag, the button's coming up ends the move and reaches nobody.
            if (!(static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton)) Finish();
            return true;
        }
        return false;
    }

private:
    void Finish() {
        if (finished_) return;
        finished_ = true;
        qApp->removeEventFilter(this);
        if (window_) window_->releaseMouse();
        deleteLater();
    }

    QPointer<QWidget> window_;
    QPoint start_;
    QPoint origin_;
    bool finished_ = false;
};

// A press on the caption: the window follows the pointer while the left button is held.
void MoveWithPointer(QWidget* widget) {
    QWidget* window = widget->window();
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) return;
    if (QWindow* handle = window->windowHandle(); handle != nullptr && handle->startSystemMove()) return;
    new PointerFollower(window);  // owned by the window; deletes itself when the button comes up
}

}  // namespace

QMargins StandardFrame(LONG_PTR style) {
    const DWORD bits = static_cast<DWORD>(style);
    int border = 0;
    if (bits & WS_THICKFRAME) {
        border = 4;
    } else if (bits & WS_DLGFRAME) {
        border = 3;
    } else if (bits & WS_BORDER) {
        border = 1;
    }
    const int caption = HasCaption(style) ? 19 : 0;
    return QMargins(border, border + caption, border, border);
}

HWND RegisterWindow(QWidget* widget, WNDPROC ownProcedure, LONG_PTR style) {
    static std::uintptr_t next = 0x10010;
    const HWND handle = reinterpret_cast<HWND>(next);
    next += 0x10;
    WindowRecord record;
    record.widget = widget;
    record.procedure = ownProcedure;
    record.style = record.shownStyle = AsLong(style);
    Table()[handle] = record;
    return handle;
}

void UnregisterWindow(HWND window) { Table().erase(window); }

QWidget* WidgetOf(HWND window) {
    WindowRecord* record = Find(window);
    return record ? record->widget.data() : nullptr;
}

bool IsWindow(HWND window) { return Find(window) != nullptr; }

// Gives up the toolkit's explicit mouse grab; the implicit one of a pressed button ends with the
// move that usually follows.
BOOL ReleaseCapture() {
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    return TRUE;
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (procedure == nullptr) return 0;
    return procedure(window, message, wParam, lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* record = Find(window);
    if (record == nullptr) return 0;
    return CallWindowProcA(record->procedure, window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    WindowRecord* record = Find(window);
    if (record == nullptr) return 0;
    switch (message) {
        case WM_NCLBUTTONDOWN:
            if (wParam == HTCAPTION) MoveWithPointer(record->widget);
            return 0;
        case WM_CLOSE: record->widget->close(); return 0;
        default: return 0;
    }
}

LONG_PTR GetWindowLongA(HWND window, int index) {
    WindowRecord* record = Find(window);
    if (record == nullptr) return 0;
    if (index == GWL_WNDPROC) return reinterpret_cast<LONG_PTR>(record->procedure);
    if (index == GWL_STYLE) return record->style;
    if (index == GWL_EXSTYLE) return record->exStyle;
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
        record->style = AsLong(value);
    } else if (index == GWL_EXSTYLE) {
        previous = record->exStyle;
        record->exStyle = AsLong(value);
    }
    return previous;
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
    WindowRecord* record = Find(hWnd);
    if (record == nullptr) return FALSE;
    QWidget* widget = record->widget;
    if (uFlags & SWP_FRAMECHANGED) ApplyFrameChange(*record);
    if (!(uFlags & SWP_NOSIZE)) {
        NoteRealFrame(*record);
        SetOuterSize(*record, QSize(cx, cy));
    }
    if (!(uFlags & SWP_NOMOVE)) {
        widget->move(X, Y);
        if (widget->isVisible())
            x11::PlaceWindow(widget, QPoint(X, Y), widget->size(), FrameFor(*record, record->shownStyle));
    }
    if (uFlags & SWP_HIDEWINDOW) {
        widget->hide();
    } else if (uFlags & SWP_SHOWWINDOW) {
        widget->show();
    }
    if (!(uFlags & SWP_NOZORDER) && widget->isVisible()) {
        if (hWndInsertAfter == HWND_BOTTOM) {
            widget->lower();
        } else {
            widget->raise();
            if (!(uFlags & SWP_NOACTIVATE)) widget->activateWindow();
        }
    }
    return TRUE;
}

}  // namespace user32
