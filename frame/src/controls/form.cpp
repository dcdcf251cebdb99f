#include "controls/form.h"

#include <QCloseEvent>
#include <QMouseEvent>

#include <platform/image_bitmaps.h>
#include <platform/window_table.h>

#include "ending.h"
#include "events.h"
#include "fonts.h"

namespace frame {
namespace {

constexpr EventSpec Events[] = {
    {"Load", HandlerShape::Plain},
    {"Unload", HandlerShape::Plain},
    {"MouseDown", HandlerShape::Mouse},
};

// The form's own window procedure: what is left when every subclass has passed a message on.
LRESULT FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return user32::DefWindowProcA(window, message, wParam, lParam);
}

// The Windows style bits of a form made with these settings.
LONG_PTR StyleFor(const Settings& settings) {
    DWORD style = WS_CLIPCHILDREN;
    switch (settings.border) {
        case BorderSetting::None: style |= WS_POPUP; break;
        case BorderSetting::FixedSingle: style |= WS_CAPTION | WS_SYSMENU; break;
        case BorderSetting::Default: style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME; break;
    }
    if (settings.border != BorderSetting::None && !settings.noMaxMinButtons) style |= WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    return static_cast<LONG_PTR>(style);
}

Qt::WindowFlags FlagsFor(const Settings& s) {
    if (s.border == BorderSetting::None) return Qt::Window | Qt::FramelessWindowHint;
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint;
    if (!s.noMaxMinButtons) flags |= Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    return flags;
}

// The window is owned by its object: the object lives in the running form's table, the window
// with it, and both go when the form does.
std::unique_ptr<ControlObject> Build(const ControlDescription& row, const BuildContext&) {
    auto* window = new FormWindow();
    window->setWindowFlags(FlagsFor(row.settings));
    window->setWindowTitle(QString::fromStdString(row.caption.value_or("")));
    const QSize client(row.width / TwipsPerPixel, row.height / TwipsPerPixel);
    window->resize(client);
    if (row.settings.border == BorderSetting::FixedSingle || row.settings.border == BorderSetting::None) {
        window->setFixedSize(client);
    }
    if (row.settings.font) window->setFont(FontFor(*row.settings.font));
    ApplyBackground(window, row.settings);

    auto object = std::make_unique<FormObject>(row, window);
    const ControlDescription& d = object->description();
    window->onMouseDown = MouseDownOf(d, row.settings.scalePixels);
    window->onClose = [&d] {
        detail::RaiseEvent(d, "Unload");
        try {
            detail::EndProgram(0);
        } catch (const detail::ProgramEndedSignal&) {
        }
    };
    return object;
}

}  // namespace

const ControlKindInfo FormKind = {ControlKind::Form, "form", Events, &Build};

void FormWindow::closeEvent(QCloseEvent* event) {
    if (onClose) onClose();
    event->accept();
}

void FormWindow::mousePressEvent(QMouseEvent* event) {
    if (onMouseDown) onMouseDown(event);
}

FormObject::FormObject(ControlDescription description, FormWindow* window)
    : ControlObject(std::move(description)), window_(window) {
    hwnd_ = user32::RegisterWindow(window, &FormProcedure, StyleFor(this->description().settings));
    dc_ = gdi32::CreateCompatibleDC(nullptr);
}

FormObject::~FormObject() {
    user32::UnregisterWindow(hwnd_);
    gdi32::DeleteDC(dc_);
    delete window_.data();
}

std::string Form::caption() const {
    return detail::FindControlAs<FormObject>(name()).window()->windowTitle().toStdString();
}
void Form::setCaption(std::string_view caption) const {
    detail::FindControlAs<FormObject>(name()).window()->setWindowTitle(ToQString(caption));
}
HWND Form::hWnd() const { return detail::FindControlAs<FormObject>(name()).hWnd(); }
HDC Form::hDC() const { return detail::FindControlAs<FormObject>(name()).hDC(); }

}  // namespace frame
