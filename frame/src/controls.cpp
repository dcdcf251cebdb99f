#include "controls.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdlib>

#include "gdi32/gdi.h"
#include "gdi32/surface.h"
#include "user32/windows.h"

namespace frame {
namespace {

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

}  // namespace

// ---- Form

FormObject::FormObject(ControlDescription description, FormWindow* window)
    : ControlObject(std::move(description)), window_(window) {
    hwnd_ = user32::RegisterWindow(window, &FormProcedure, StyleFor(this->description().settings));
    dc_ = gdi32::CreateCompatibleDC(nullptr);
}

FormObject::~FormObject() {
    user32::UnregisterWindow(hwnd_);
    gdi32::DeleteDC(dc_);
}

// ---- Picture box

PictureBoxObject::PictureBoxObject(ControlDescription description, ImageView* view, int width, int height,
                                   COLORREF background)
    : ControlObject(std::move(description)), view_(view), background_(background) {
    dc_ = gdi32::CreateCompatibleDC(nullptr);
    resizeImage(width, height);
    view_->image = [this] { return image(); };
}

PictureBoxObject::~PictureBoxObject() {
    if (view_) view_->image = nullptr;
    gdi32::DeleteDC(dc_);
    gdi32::DeleteObject(bitmap_);
}

void PictureBoxObject::resizeImage(int width, int height) {
    HBITMAP fresh = gdi32::CreateImageBitmap(width, height, background_);
    if (fresh == nullptr) Raise(errors::OutOfMemory);
    gdi32::SelectObject(dc_, fresh);
    if (bitmap_ != nullptr) gdi32::DeleteObject(bitmap_);
    bitmap_ = fresh;
}

QImage PictureBoxObject::image() const {
    const auto view = gdi32::ViewOf(bitmap_);
    if (!view) return {};
    return QImage(view->bits, view->width, view->height, view->stride, QImage::Format_RGB32);
}

void PictureBoxObject::setPicture(const PictureData& picture) {
    if (description().settings.autoSize) {
        resizeImage(picture.width, picture.height);
        const int inset = description().settings.border == BorderSetting::None ? 0 : 2;
        view_->resize(picture.width + 2 * inset, picture.height + 2 * inset);
    } else {
        // Clear to the background, then the picture from the top-left corner, clipped.
        resizeImage(image().width(), image().height());
    }
    const auto view = gdi32::ViewOf(bitmap_);
    const int w = std::min(view->width, picture.width);
    const int h = std::min(view->height, picture.height);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(view->bits + static_cast<ptrdiff_t>(y) * view->stride);
        const std::uint32_t* source = picture.pixels.data() + static_cast<size_t>(y) * picture.width;
        for (int x = 0; x < w; ++x) row[x] = source[x] & 0x00FFFFFFu;
    }
    view_->update();
}

void PictureBoxObject::refresh() {
    if (view_) view_->repaint();
}

void PictureBoxObject::putPixel(int x, int y, COLORREF color) {
    const auto view = gdi32::ViewOf(bitmap_);
    if (!view || x < 0 || y < 0 || x >= view->width || y >= view->height) return;
    auto* row = reinterpret_cast<std::uint32_t*>(view->bits + static_cast<ptrdiff_t>(y) * view->stride);
    row[x] = (static_cast<std::uint32_t>(GetRValue(color)) << 16) | (static_cast<std::uint32_t>(GetGValue(color)) << 8) |
             GetBValue(color);
}

// Bresenham, leaving out the last point as a GDI line does; shows at once.
void PictureBoxObject::lineStep(int x, int y, int dx, int dy, COLORREF color) {
    const int x1 = x + dx, y1 = y + dy;
    const int ax = std::abs(dx), ay = std::abs(dy);
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    int error = ax - ay;
    while (x != x1 || y != y1) {
        putPixel(x, y, color);
        const int e2 = 2 * error;
        if (e2 > -ay) {
            error -= ay;
            x += sx;
        }
        if (e2 < ax) {
            error += ax;
            y += sy;
        }
    }
    if (view_) view_->update();
}

void PictureBoxObject::pset(int x, int y, COLORREF color) {
    putPixel(x, y, color);
    if (view_) view_->update(x, y, 1, 1);
}

COLORREF PictureBoxObject::point(int x, int y) const {
    const auto view = gdi32::ViewOf(bitmap_);
    if (!view || x < 0 || y < 0 || x >= view->width || y >= view->height) return static_cast<COLORREF>(-1);
    const std::uint32_t p =
        reinterpret_cast<const std::uint32_t*>(view->bits + static_cast<ptrdiff_t>(y) * view->stride)[x];
    return RGB(static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p));
}

// ---- Timer

TimerObject::TimerObject(ControlDescription description) : ControlObject(std::move(description)) {
    timer_.setTimerType(Qt::PreciseTimer);
}

void TimerObject::setInterval(std::int32_t milliseconds) {
    if (milliseconds < 0) Raise(380, "プロパティの値が不正です。");
    interval_ = milliseconds;
    restart();
}

void TimerObject::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    restart();
}

// Any change starts a new count from now.
void TimerObject::restart() {
    if (enabled_ && interval_ > 0) {
        timer_.start(interval_);
    } else {
        timer_.stop();
    }
}

// ---- Proxies

ControlRef::ControlRef(std::string_view name, int index) : name_(std::string(name) + "(" + std::to_string(index) + ")") {}


std::string Form::caption() const {
    return detail::FindControlAs<FormObject>(name()).window()->windowTitle().toStdString();
}
void Form::setCaption(std::string_view caption) const {
    detail::FindControlAs<FormObject>(name()).window()->setWindowTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
}
HWND Form::hWnd() const { return detail::FindControlAs<FormObject>(name()).hWnd(); }
HDC Form::hDC() const { return detail::FindControlAs<FormObject>(name()).hDC(); }

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

std::string CommandButton::caption() const { return detail::FindControlAs<ButtonObject>(name()).button()->text().toStdString(); }
void CommandButton::setCaption(std::string_view caption) const { detail::FindControlAs<ButtonObject>(name()).button()->setText(Q(caption)); }
bool CommandButton::enabled() const { return detail::FindControlAs<ButtonObject>(name()).button()->isEnabled(); }
void CommandButton::setEnabled(bool enabled) const { detail::FindControlAs<ButtonObject>(name()).button()->setEnabled(enabled); }

std::string Label::caption() const {
    return detail::FindControlAs<LabelObject>(name()).label()->text().replace("\n", "\r\n").toStdString();
}
void Label::setCaption(std::string_view caption) const {
    detail::FindControlAs<LabelObject>(name()).label()->setText(Q(caption).replace("\r\n", "\n"));
}

namespace {

// Windows counts a line break as CR LF, two characters; Qt keeps one paragraph separator.
std::int32_t WindowsLength(const QTextDocument* document) {
    return static_cast<std::int32_t>(document->characterCount() - 1 + (document->blockCount() - 1));
}

int DocumentPosition(const QTextDocument* document, std::int32_t windowsPosition) {
    if (windowsPosition >= WindowsLength(document)) return document->characterCount() - 1;
    std::int32_t remaining = std::max(0, windowsPosition);
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const int length = block.length() - 1;
        if (remaining <= length) return block.position() + remaining;
        remaining -= length + 2;
        if (remaining < 0) return block.position() + length;
    }
    return document->characterCount() - 1;
}

// Received text may carry any line ends; the box shows each as one break.
QString ForDisplay(std::string_view text) {
    QString s = Q(text);
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    return s;
}

}  // namespace

std::string TextBox::text() const {
    auto& box = detail::FindControlAs<TextBoxObject>(name());
    if (box.line()) return box.line()->text().toStdString();
    return box.edit()->toPlainText().replace("\n", "\r\n").toStdString();
}

void TextBox::setText(std::string_view text) const {
    auto& box = detail::FindControlAs<TextBoxObject>(name());
    if (box.line()) {
        box.line()->setText(Q(text));
    } else {
        box.edit()->setPlainText(ForDisplay(text));
        box.endsWithCarriageReturn = text.ends_with('\r');
    }
}

std::int32_t TextBox::textLength() const {
    auto& box = detail::FindControlAs<TextBoxObject>(name());
    if (box.line()) return static_cast<std::int32_t>(box.line()->text().size());
    return WindowsLength(box.edit()->document());
}

std::int32_t TextBox::selStart() const {
    auto& box = detail::FindControlAs<TextBoxObject>(name());
    if (box.line()) return box.line()->hasSelectedText() ? box.line()->selectionStart() : box.line()->cursorPosition();
    const QTextCursor cursor = box.edit()->textCursor();
    const QTextBlock block = box.edit()->document()->findBlock(cursor.selectionStart());
    return cursor.selectionStart() + block.blockNumber();
}

void TextBox::setSelStart(std::int32_t start) const {
    auto& box = detail::FindControlAs<TextBoxObject>(name());
    if (start < 0) Raise(380, "プロパティの値が不正です。");
    if (box.line()) {
        box.line()->deselect();
        box.line()->setCursorPosition(start);
        return;
    }
    QTextCursor cursor = box.edit()->textCursor();
    cursor.setPosition(DocumentPosition(box.edit()->document(), start));
    box.edit()->setTextCursor(cursor);
}

std::string TextBox::selText() const {
    auto& box = detail::FindControlAs<TextBoxObject>(name());
    if (box.line()) return box.line()->selectedText().toStdString();
    return box.edit()->textCursor().selectedText().replace(QChar::ParagraphSeparator, "\r\n").toStdString();
}

void TextBox::setSelText(std::string_view text) const {
    auto& box = detail::FindControlAs<TextBoxObject>(name());
    if (box.line()) {
        box.line()->insert(Q(text));
        return;
    }
    QTextCursor cursor = box.edit()->textCursor();
    const bool atEnd = !cursor.hasSelection() && cursor.position() == box.edit()->document()->characterCount() - 1;
    // Text that arrives in pieces may split a CR LF between two of them.
    if (atEnd && box.endsWithCarriageReturn && text.starts_with('\n')) text.remove_prefix(1);
    cursor.insertText(ForDisplay(text));
    box.edit()->setTextCursor(cursor);
    box.endsWithCarriageReturn = atEnd ? text.ends_with('\r') : false;
}

void ListBox::clear() const { detail::FindControlAs<ListBoxObject>(name()).list()->clear(); }
void ListBox::addItem(std::string_view item) const { detail::FindControlAs<ListBoxObject>(name()).list()->addItem(Q(item)); }
std::int16_t ListBox::listIndex() const {
    QListWidget* list = detail::FindControlAs<ListBoxObject>(name()).list();
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? std::int16_t{-1} : static_cast<std::int16_t>(list->row(selected.front()));
}
void ListBox::setListIndex(std::int16_t index) const {
    QListWidget* list = detail::FindControlAs<ListBoxObject>(name()).list();
    if (index < -1 || index >= list->count()) Raise(380, "プロパティの値が不正です。");
    if (index == -1) {
        list->clearSelection();
    } else {
        list->setCurrentRow(index);
    }
}
std::int16_t ListBox::listCount() const {
    return static_cast<std::int16_t>(detail::FindControlAs<ListBoxObject>(name()).list()->count());
}
std::string ListBox::list(std::int16_t index) const {
    QListWidget* list = detail::FindControlAs<ListBoxObject>(name()).list();
    if (index < 0 || index >= list->count()) return {};
    return list->item(index)->text().toStdString();
}

int CheckBox::value() const { return detail::FindControlAs<CheckBoxObject>(name()).box()->isChecked() ? 1 : 0; }

void CheckBox::setValue(int value) const {
    auto& object = detail::FindControlAs<CheckBoxObject>(name());
    if (value != 0 && value != 1) Raise(380, "プロパティの値が不正です。");
    if ((object.box()->isChecked() ? 1 : 0) == value) return;
    object.box()->setChecked(value == 1);
    detail::RaiseEvent(object.description(), "Click");
}

HDC PictureBox::hDC() const { return detail::FindControlAs<PictureBoxObject>(name()).hDC(); }
void PictureBox::setPicture(const Picture& picture) const {
    if (!picture) Raise(errors::InvalidPicture);
    detail::FindControlAs<PictureBoxObject>(name()).setPicture(*picture);
}
void PictureBox::refresh() const { detail::FindControlAs<PictureBoxObject>(name()).refresh(); }
void PictureBox::lineStep(int x, int y, int dx, int dy, COLORREF color) const {
    detail::FindControlAs<PictureBoxObject>(name()).lineStep(x, y, dx, dy, color);
}
void PictureBox::pset(int x, int y, COLORREF color) const { detail::FindControlAs<PictureBoxObject>(name()).pset(x, y, color); }
COLORREF PictureBox::point(int x, int y) const { return detail::FindControlAs<PictureBoxObject>(name()).point(x, y); }

std::int32_t Timer::interval() const { return detail::FindControlAs<TimerObject>(name()).interval(); }
void Timer::setInterval(std::int32_t milliseconds) const { detail::FindControlAs<TimerObject>(name()).setInterval(milliseconds); }
bool Timer::enabled() const { return detail::FindControlAs<TimerObject>(name()).enabled(); }
void Timer::setEnabled(bool enabled) const { detail::FindControlAs<TimerObject>(name()).setEnabled(enabled); }

}  // namespace frame
